#include "organize/FileOperations.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QUuid>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

QByteArray encoded(const QString &path)
{
    return QFile::encodeName(path);
}

int renameNoReplace(const QByteArray &from, const QByteArray &to)
{
#ifdef SYS_renameat2
    return static_cast<int>(::syscall(SYS_renameat2, AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE));
#else
    errno = ENOSYS;
    return -1;
#endif
}

// The flag is unknown to the kernel (ENOSYS) or to the file system (EINVAL,
// EOPNOTSUPP on some network and FUSE file systems).
bool flagUnsupported(int error)
{
    return error == ENOSYS || error == EINVAL || error == EOPNOTSUPP;
}

bool isFolder(const QByteArray &path)
{
    struct stat info {};
    return ::stat(path.constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

OrganizeError fromFileDevice(const QFileDevice &file, const QString &path)
{
    return {OrganizeError::fileDomain, static_cast<int>(file.error()), file.errorString() + QStringLiteral(" (") + path + QLatin1Char(')')};
}

bool writeAll(int fd, const QByteArray &bytes)
{
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + written, static_cast<size_t>(bytes.size() - written));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        written += n;
    }
    return true;
}

} // namespace

std::variant<FileOperations::Entry, OrganizeError> FileOperations::entry(const QString &path)
{
    struct stat info {};
    if (::lstat(encoded(path).constData(), &info) != 0)
        return OrganizeError::fromErrno(errno);
    Entry result;
    if (S_ISREG(info.st_mode))
        result.kind = Entry::Kind::regularFile;
    else if (S_ISDIR(info.st_mode))
        result.kind = Entry::Kind::folder;
    else if (S_ISLNK(info.st_mode))
        result.kind = Entry::Kind::symbolicLink;
    result.size = static_cast<qint64>(info.st_size);
    return result;
}

bool FileOperations::exists(const QString &path)
{
    return std::holds_alternative<Entry>(entry(path));
}

std::optional<quint64> FileOperations::volume(const QString &path)
{
    struct stat info {};
    if (path.isEmpty() || ::stat(encoded(path).constData(), &info) != 0)
        return std::nullopt;
    return static_cast<quint64>(info.st_dev);
}

std::optional<OrganizeError> FileOperations::moveWithoutReplacing(const QString &from, const QString &to)
{
    const QByteArray source = encoded(from);
    const QByteArray target = encoded(to);
    if (renameNoReplace(source, target) == 0)
        return std::nullopt;
    const int renameError = errno;
    if (!flagUnsupported(renameError))
        return OrganizeError::fromErrno(renameError);
    return linkAndUnlink(from, to);
}

std::optional<OrganizeError> FileOperations::linkAndUnlink(const QString &from, const QString &to)
{
    const QByteArray source = encoded(from);
    const QByteArray target = encoded(to);
    if (::link(source.constData(), target.constData()) != 0)
        return OrganizeError::fromErrno(errno);
    if (::unlink(source.constData()) != 0) {
        const int unlinkError = errno;
        ::unlink(target.constData()); // the new name only; the file keeps its old one
        return OrganizeError::fromErrno(unlinkError);
    }
    return std::nullopt;
}

std::optional<OrganizeError> FileOperations::makeFolder(const QString &path)
{
    const QString clean = QDir::cleanPath(path);
    if (clean.isEmpty() || !clean.startsWith(QLatin1Char('/')))
        return OrganizeError::fromErrno(ENOENT, path);
    // Every prefix from the root down: made when missing, else it must be a
    // folder (links to folders above the last component are the user's own
    // layout and are followed).
    qsizetype next = 1;
    while (next <= clean.size()) {
        qsizetype slash = clean.indexOf(QLatin1Char('/'), next);
        if (slash < 0)
            slash = clean.size();
        const QString prefix = clean.left(slash);
        next = slash + 1;
        if (prefix.isEmpty())
            continue;
        const QByteArray bytes = encoded(prefix);
        if (::mkdir(bytes.constData(), 0777) == 0)
            continue;
        const int error = errno;
        if (error == EEXIST && isFolder(bytes))
            continue;
        return OrganizeError::fromErrno(error, prefix);
    }
    return std::nullopt;
}

std::optional<OrganizeError> FileOperations::writeFileAtomically(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fromFileDevice(file, path);
    if (file.write(bytes) != bytes.size()) {
        const OrganizeError error = fromFileDevice(file, path);
        file.cancelWriting();
        return error;
    }
    if (!file.commit())
        return fromFileDevice(file, path);
    return std::nullopt;
}

std::optional<OrganizeError> FileOperations::copyToNewFile(const QString &from, const QString &to)
{
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly))
        return fromFileDevice(source, from);
    const QByteArray bytes = source.readAll();
    if (source.error() != QFileDevice::NoError)
        return fromFileDevice(source, from);
    source.close();

    const QString temporary = QFileInfo(to).absolutePath() + QStringLiteral("/.")
        + QFileInfo(to).fileName() + QLatin1Char('.') + QUuid::createUuid().toString(QUuid::Id128) + QStringLiteral(".tmp");
    const QByteArray temporaryName = encoded(temporary);
    const int fd = ::open(temporaryName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return OrganizeError::fromErrno(errno, to);
    const bool written = writeAll(fd, bytes) && ::fsync(fd) == 0;
    const int writeError = errno;
    ::close(fd);
    if (!written) {
        ::unlink(temporaryName.constData());
        return OrganizeError::fromErrno(writeError, to);
    }
    if (auto error = moveWithoutReplacing(temporary, to)) {
        ::unlink(temporaryName.constData());
        error->localizedDescription += QStringLiteral(" (") + to + QLatin1Char(')');
        return error;
    }
    return std::nullopt;
}
