#include "media/FileIdentity.h"

#include <QFile>

#include <sys/stat.h>

FileIdentity FileIdentity::of(const QString &path)
{
    struct stat status = {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &status) != 0)
        return {};
    return FileIdentity{qint64(status.st_ino), qint64(status.st_dev), qint64(status.st_size),
                        qint64(status.st_mtim.tv_sec) * 1000000000LL + status.st_mtim.tv_nsec};
}
