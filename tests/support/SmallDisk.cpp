#include "support/SmallDisk.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

SmallDisk::SmallDisk(QString folder, qint64 bytes) : m_folder(QDir::cleanPath(std::move(folder)))
{
    m_filler = m_folder + QStringLiteral("/.filler");
    if (::geteuid() != 0) {
        m_whyNot = QStringLiteral("not running as root");
        return;
    }
    if (!QDir().mkpath(m_folder)) {
        m_whyNot = QStringLiteral("could not make ") + m_folder;
        return;
    }
    const QByteArray options = "size=" + QByteArray::number(bytes) + ",mode=0755";
    if (::mount("tmpfs", QFile::encodeName(m_folder).constData(), "tmpfs", 0, options.constData()) != 0) {
        m_whyNot = QStringLiteral("mount failed: ") + qt_error_string(errno);
        return;
    }
    m_mounted = true;
}

SmallDisk::~SmallDisk()
{
    if (!m_mounted)
        return;
    const QByteArray path = QFile::encodeName(m_folder);
    if (::umount(path.constData()) != 0)
        ::umount2(path.constData(), MNT_DETACH);
}

bool SmallDisk::fill(qint64 leaveFree)
{
    const int fd = ::open(QFile::encodeName(m_filler).constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    // Whole pages first, then single bytes into the last page.
    const QByteArray page(4096, 'f');
    for (qint64 total = 0; ::write(fd, page.constData(), size_t(page.size())) > 0; total += page.size()) {
        if (total > (qint64(1) << 32)) {
            ::close(fd);
            return false;
        }
    }
    while (::write(fd, "f", 1) > 0) {
    }
    bool filled = true;
    if (leaveFree > 0) {
        const off_t size = ::lseek(fd, 0, SEEK_END);
        filled = size >= leaveFree && ::ftruncate(fd, size - leaveFree) == 0;
    }
    ::close(fd);
    return filled;
}

void SmallDisk::release()
{
    QFile::remove(m_filler);
}
