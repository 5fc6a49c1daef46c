#include "app/ui/PrivateFolder.h"

#include <QFile>

#include <cerrno>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

QString PrivateFolder::ensure(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    if (::mkdir(name.constData(), S_IRWXU) != 0 && errno != EEXIST)
        return QStringLiteral("%1 could not be made: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
    struct stat info = {};
    if (::lstat(name.constData(), &info) != 0)
        return QStringLiteral("%1 cannot be read: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
    if (!S_ISDIR(info.st_mode))
        return QStringLiteral("%1 is not a folder").arg(path);
    if (info.st_uid != ::geteuid())
        return QStringLiteral("%1 belongs to user id %2").arg(path).arg(info.st_uid);
    if ((info.st_mode & (S_IRWXG | S_IRWXO)) != 0 || (info.st_mode & S_IRWXU) != S_IRWXU)
        return QStringLiteral("%1 has mode %2, not 700").arg(path, QString::number(info.st_mode & 07777, 8));
    return QString();
}
