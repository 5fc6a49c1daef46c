#include "library/MediaAvailability.h"

#include "library/StandardizedURL.h"
#include "library/model/VideoExtensions.h"
#include "media/MediaFileGate.h"

#include <QFile>

#include <cerrno>
#include <sys/stat.h>

bool MediaAvailability::fileExists(const QUrl &url)
{
    const QString path = url.toLocalFile();
    if (path.isEmpty())
        return false;
    struct stat info
    {
    };
    return ::stat(QFile::encodeName(path).constData(), &info) == 0;
}

bool MediaAvailability::isRegularFile(const QString &path)
{
    return MediaFileGate::isRegularFile(path);
}

QList<Clip> MediaAvailability::withAvailability(QList<Clip> clips)
{
    for (Clip &clip : clips)
        clip.isMissing = !fileExists(clip.url);
    return clips;
}

std::variant<QUrl, DomainError> MediaAvailability::checkRelinkTarget(const QList<Clip> &clips, qsizetype index, const QUrl &chosen)
{
    const Clip &clip = clips.at(index);
    const QUrl target = standardizedFileURL(chosen);
    const QString path = target.toLocalFile();
    const QByteArray encoded = QFile::encodeName(path);

    if (path.isEmpty() || !fileExists(target))
        return DomainError::invalidFileName();
    if (!hasSupportedVideoExtension(path))
        return DomainError::invalidFileName();
    struct stat own
    {
    };
    if (::lstat(encoded.constData(), &own) != 0 || !S_ISREG(own.st_mode))
        return DomainError::invalidFileName();
    for (qsizetype i = 0; i < clips.size(); ++i) {
        if (clips[i].id != clip.id && standardizedFileURL(clips[i].url) == target)
            return DomainError::invalidFileName();
    }

    struct stat info
    {
    };
    if (::stat(encoded.constData(), &info) != 0)
        return DomainError::fromErrno(errno);
    if (clip.fileSize != 0 && static_cast<qint64>(info.st_size) != clip.fileSize)
        return DomainError::differentFileSize();
    return target;
}
