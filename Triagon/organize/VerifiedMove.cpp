#include "organize/VerifiedMove.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

bool VerifiedMove::hasClipOnOtherVolume(FileOperations &files, const QList<Clip> &clips, const QUrl &destination)
{
    if (!destination.isLocalFile())
        return false;
    // A destination that does not exist yet is made on the volume of its
    // nearest existing folder: judged by that one, a missing folder on
    // another drive is refused before any folder is made there.
    QString folder = QDir::cleanPath(destination.toLocalFile());
    std::optional<quint64> destinationVolume = files.volume(folder);
    while (!destinationVolume && QDir::isAbsolutePath(folder) && folder != QStringLiteral("/")) {
        folder = QFileInfo(folder).path();
        destinationVolume = files.volume(folder);
    }
    if (!destinationVolume)
        return false;
    QSet<QString> folders;
    for (const Clip &clip : clips) {
        if (clip.url.isLocalFile())
            folders.insert(QFileInfo(clip.url.toLocalFile()).absolutePath());
    }
    for (const QString &folder : std::as_const(folders)) {
        const std::optional<quint64> volume = files.volume(folder);
        if (volume && *volume != *destinationVolume)
            return true;
    }
    return false;
}

std::optional<OrganizeError> VerifiedMove::moveVerifyingSize(FileOperations &files, const QString &source, const QString &destination,
                                                             qint64 expectedSize)
{
    QString failure;
    const auto arrived = files.entry(destination);
    if (const auto *error = std::get_if<OrganizeError>(&arrived)) {
        failure = error->localizedDescription;
    } else {
        const FileOperations::Entry &entry = std::get<FileOperations::Entry>(arrived);
        if (entry.kind == FileOperations::Entry::Kind::regularFile && entry.size == expectedSize)
            return std::nullopt;
        failure = OrganizeError::sizeChangedDuringMove().localizedDescription;
    }
    if (auto moveBack = files.moveWithoutReplacing(destination, source))
        return OrganizeError::notReturned(failure, moveBack->localizedDescription);
    return OrganizeError::returned(failure);
}
