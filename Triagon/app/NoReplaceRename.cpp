#include "app/NoReplaceRename.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

int result(int returned)
{
    return returned == 0 ? 0 : errno;
}

// The flag is unknown to the kernel (ENOSYS) or to the file system (EINVAL,
// EOPNOTSUPP on some network and FUSE file systems).
bool flagUnsupported(int error)
{
    return error == ENOSYS || error == EINVAL || error == EOPNOTSUPP;
}

// The file system makes no second names: EPERM is what Linux reports for
// that (exFAT, FAT, FUSE file systems without links), the others come from
// network and FUSE file systems.
bool linksUnsupported(int error)
{
    return error == EPERM || error == EOPNOTSUPP || error == ENOSYS;
}

// True when the entry at the path is the file `mine` describes and still empty.
bool isStillReservation(const QByteArray &path, const struct stat &mine)
{
    struct stat now
    {
    };
    return ::lstat(path.constData(), &now) == 0 && S_ISREG(now.st_mode) && now.st_dev == mine.st_dev && now.st_ino == mine.st_ino
           && now.st_size == 0;
}

} // namespace

int NoReplaceRename::System::renameNoReplace(const QByteArray &from, const QByteArray &to)
{
#ifdef SYS_renameat2
    return result(static_cast<int>(::syscall(SYS_renameat2, AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE)));
#else
    return ENOSYS;
#endif
}

int NoReplaceRename::System::link(const QByteArray &from, const QByteArray &to)
{
    return result(::link(from.constData(), to.constData()));
}

int NoReplaceRename::System::createNew(const QByteArray &path, struct stat &made)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return errno;
    const int error = result(::fstat(fd, &made));
    // Closed before the rename: a FUSE file system hides a file that is
    // still open when it loses its name, and would keep it as a hidden file.
    ::close(fd);
    return error;
}

int NoReplaceRename::System::rename(const QByteArray &from, const QByteArray &to)
{
    return result(::rename(from.constData(), to.constData()));
}

NoReplaceRename::System &NoReplaceRename::system()
{
    static System calls;
    return calls;
}

int NoReplaceRename::rename(const QString &from, const QString &to, System &calls)
{
    const int error = calls.renameNoReplace(QFile::encodeName(from), QFile::encodeName(to));
    if (!flagUnsupported(error))
        return error;
    const int linkError = linkAndUnlink(from, to, calls);
    return linksUnsupported(linkError) ? reserveAndRename(from, to, calls) : linkError;
}

int NoReplaceRename::linkAndUnlink(const QString &from, const QString &to, System &calls)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    if (const int error = calls.link(source, target))
        return error;
    if (::unlink(source.constData()) != 0) {
        const int error = errno;
        ::unlink(target.constData()); // the new name only; the file keeps its old one
        return error;
    }
    return 0;
}

int NoReplaceRename::reserveAndRename(const QString &from, const QString &to, System &calls)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    struct stat mine
    {
    };
    if (const int error = calls.createNew(target, mine))
        return error;
    if (!isStillReservation(target, mine))
        return EEXIST;
    if (const int error = calls.rename(source, target)) {
        if (isStillReservation(target, mine))
            ::unlink(target.constData());
        return error;
    }
    return 0;
}
