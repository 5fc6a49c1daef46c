#include "app/ui/PrivateFolder.h"

#include <QFile>

#include <array>
#include <cerrno>
#include <cstring>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// "user nobody (user id 65534)", or only the id when it names no user.
QString userName(uid_t id)
{
    passwd entry{};
    passwd *found = nullptr;
    std::array<char, 4096> buffer{};
    if (::getpwuid_r(id, &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr)
        return QStringLiteral("user %1 (user id %2)").arg(QString::fromLocal8Bit(found->pw_name)).arg(id);
    return QStringLiteral("user id %1").arg(id);
}

} // namespace

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
        return QStringLiteral("%1 belongs to %2").arg(path, userName(info.st_uid));
    if ((info.st_mode & (S_IRWXG | S_IRWXO)) != 0 || (info.st_mode & S_IRWXU) != S_IRWXU)
        return QStringLiteral("%1 has mode %2, not 700").arg(path, QString::number(info.st_mode & 07777, 8));
    return QString();
}
