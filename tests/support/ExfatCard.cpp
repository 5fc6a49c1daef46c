#include "support/ExfatCard.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <sys/mount.h>
#include <unistd.h>

ExfatCard::ExfatCard(const QString &mountPoint) : m_mountPoint(mountPoint)
{
    const QString image = mountPoint + QStringLiteral(".img");
    QFile file(image);
    if (::geteuid() != 0) {
        m_whyNot = QStringLiteral("not running as root");
        return;
    }
    if (!QDir().mkpath(mountPoint) || !file.open(QIODevice::WriteOnly) || !file.resize(16 << 20)) {
        m_whyNot = QStringLiteral("could not make ") + image;
        return;
    }
    file.close();
    if (!run(QStringLiteral("mkfs.exfat"), {image}))
        return;
    const std::optional<QString> device = run(QStringLiteral("losetup"), {QStringLiteral("--find"), QStringLiteral("--show"), image});
    if (!device)
        return;
    m_device = device->trimmed();
    m_mounted = run(QStringLiteral("mount.exfat-fuse"), {m_device, mountPoint}).has_value();
}

ExfatCard::~ExfatCard()
{
    const QByteArray path = QFile::encodeName(m_mountPoint);
    if (m_mounted && ::umount(path.constData()) != 0)
        ::umount2(path.constData(), MNT_DETACH);
    // A device still held by the FUSE driver as it exits is let go when it closes it.
    if (!m_device.isEmpty())
        run(QStringLiteral("losetup"), {QStringLiteral("--detach"), m_device});
}

std::optional<QString> ExfatCard::run(const QString &program, const QStringList &arguments)
{
    // The tools live in sbin, which the tests' PATH may lack.
    const QString found = QStandardPaths::findExecutable(program, {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")});
    QProcess process;
    process.start(found.isEmpty() ? program : found, arguments);
    // Bounded, so that a stuck tool fails the set-up rather than the suite.
    if (process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0)
        return QString::fromLocal8Bit(process.readAllStandardOutput());
    process.kill();
    const QString error = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
    m_whyNot = program + QStringLiteral(" failed: ") + (error.isEmpty() ? process.errorString() : error);
    return std::nullopt;
}
