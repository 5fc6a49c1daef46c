#include "app/NoReplaceRename.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

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

} // namespace

int NoReplaceRename::rename(const QString &from, const QString &to)
{
    if (renameNoReplace(QFile::encodeName(from), QFile::encodeName(to)) == 0)
        return 0;
    const int error = errno;
    return flagUnsupported(error) ? linkAndUnlink(from, to) : error;
}

int NoReplaceRename::linkAndUnlink(const QString &from, const QString &to)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    if (::link(source.constData(), target.constData()) != 0)
        return errno;
    if (::unlink(source.constData()) != 0) {
        const int error = errno;
        ::unlink(target.constData()); // the new name only; the file keeps its old one
        return error;
    }
    return 0;
}
