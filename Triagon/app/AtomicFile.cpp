#include "app/AtomicFile.h"

#include "app/NoReplaceRename.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

namespace {

AtomicFile::Failure failure(int error)
{
    return {error, qt_error_string(error)};
}

QString randomLetters()
{
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QString text;
    for (int i = 0; i < 6; ++i)
        text += QLatin1Char(letters[QRandomGenerator::global()->bounded(int(sizeof(letters) - 1))]);
    return text;
}

// 0, or the errno of the first write that failed. A short write is followed
// by another, which then reports why the disk took no more. The pieces go
// out in batches of at most IOV_MAX.
int writeAll(int fd, const AtomicFile::Pieces &pieces)
{
    qsizetype piece = 0;  // the first piece not yet written whole
    qsizetype offset = 0; // how much of it is written
    iovec vectors[IOV_MAX];
    for (;;) {
        int count = 0;
        for (qsizetype i = piece; i < pieces.size() && count < IOV_MAX; ++i) {
            const qsizetype from = i == piece ? offset : 0;
            if (pieces[i].size() > from)
                vectors[count++] = {const_cast<char *>(pieces[i].data() + from), static_cast<size_t>(pieces[i].size() - from)};
        }
        if (count == 0)
            return 0;
        const ssize_t n = ::writev(fd, vectors, count);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return EIO;
        for (qsizetype left = n; left > 0;) {
            const qsizetype rest = pieces[piece].size() - offset;
            if (left < rest) {
                offset += left;
                break;
            }
            left -= rest;
            ++piece;
            offset = 0;
        }
    }
}

// The file a write of `path` replaces: a symbolic link stays a link, and the
// file it points to gets the new content.
QString resolvedTarget(const QString &path)
{
    const QFileInfo info(path);
    if (info.isSymLink()) {
        const QString target = info.canonicalFilePath();
        if (!target.isEmpty())
            return target;
    }
    return path;
}

} // namespace

std::optional<AtomicFile::Failure> AtomicFile::write(const QString &path, const QByteArray &bytes, Target target, Durability durability)
{
    return write(path, Pieces{QByteArrayView(bytes)}, target, durability);
}

std::optional<AtomicFile::Failure> AtomicFile::write(const QString &path, const Pieces &pieces, Target target, Durability durability)
{
    const QString finalPath = target == Target::replace ? resolvedTarget(path) : path;
    const QFileInfo info(finalPath);
    const QByteArray finalName = QFile::encodeName(finalPath);

    // A replaced file keeps its permissions; a new one gets the usual ones.
    mode_t mode = 0666;
    struct stat existing
    {
    };
    const bool replacing = target == Target::replace && ::stat(finalName.constData(), &existing) == 0 && S_ISREG(existing.st_mode);
    if (target == Target::mustBeNew && ::lstat(finalName.constData(), &existing) == 0)
        return failure(EEXIST);

    QByteArray temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0; ++attempt) {
        temporary = QFile::encodeName(info.absolutePath() + QStringLiteral("/.") + info.fileName() + QLatin1Char('.') + randomLetters());
        fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd < 0 && (errno != EEXIST || attempt >= 100))
            return failure(errno);
    }

    int error = 0;
    if (replacing && ::fchmod(fd, existing.st_mode & 07777) != 0)
        error = errno;
    if (!error)
        error = writeAll(fd, pieces);
    if (!error && durability == Durability::onDisk && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && !error)
        error = errno;
    if (!error) {
        if (target == Target::replace)
            error = ::rename(temporary.constData(), finalName.constData()) == 0 ? 0 : errno;
        else
            error = NoReplaceRename::rename(QFile::decodeName(temporary), finalPath);
    }
    if (error) {
        ::unlink(temporary.constData());
        return failure(error);
    }

    if (durability != Durability::onDisk)
        return std::nullopt;
    // The new name reaches the disk with the folder; a failure here leaves a
    // whole file (old or new) either way, so it is not reported.
    const int folder = ::open(QFile::encodeName(info.absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return std::nullopt;
}

bool AtomicFile::isLeftoverOf(const QString &fileName, const QString &targetName)
{
    static const QRegularExpression letters(QStringLiteral("^\\.[A-Za-z0-9]{6}$"));
    for (const QString &prefix : {QLatin1Char('.') + targetName, targetName}) {
        if (fileName.startsWith(prefix) && letters.match(fileName.mid(prefix.size())).hasMatch())
            return true;
    }
    return false;
}
