#include "media/MediaFileGate.h"

#include "app/Loggers.h"

#include <QFile>
#include <QMutex>
#include <QMutexLocker>
#include <QSet>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace {

// What a path is when it is not a regular file, for the message.
QString kindOf(mode_t mode)
{
    if (S_ISFIFO(mode))
        return QStringLiteral("a pipe");
    if (S_ISSOCK(mode))
        return QStringLiteral("a socket");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("a device");
    if (S_ISDIR(mode))
        return QStringLiteral("a folder");
    return QStringLiteral("an unknown kind of file");
}

// Paths already logged as refused.
bool firstRefusal(const QString &path)
{
    static QMutex mutex;
    static QSet<QString> logged;
    QMutexLocker lock(&mutex);
    if (logged.contains(path))
        return false;
    logged.insert(path);
    return true;
}

} // namespace

bool MediaFileGate::isRegularFile(const QString &path)
{
    struct stat info
    {
    };
    return !path.isEmpty() && ::stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISREG(info.st_mode);
}

bool MediaFileGate::admits(const QString &path, QString *error)
{
    struct stat info
    {
    };
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &info) != 0) {
        const int code = path.isEmpty() ? ENOENT : errno;
        if (error)
            *error = QStringLiteral("Cannot open the file: ") + QString::fromLocal8Bit(std::strerror(code));
        return false;
    }
    if (S_ISREG(info.st_mode))
        return true;
    const QString kind = kindOf(info.st_mode);
    if (error)
        *error = QStringLiteral("Cannot open the file: it is %1, not a regular file").arg(kind);
    if (firstRefusal(path))
        qCCritical(sessionLogger).noquote() << QStringLiteral("Not reading media from %1: it is %2, not a regular file").arg(path, kind);
    return false;
}
