#include "support/ExfatCard.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <sys/mount.h>
#include <unistd.h>

ExfatCard::ExfatCard(const QString &mountPoint) : m_mountPoint(mountPoint)
{
    const QString image = mountPoint + QStringLiteral(".img");
    if (::geteuid() != 0)
        m_whyNot = QStringLiteral("not running as root");
    // The loop device that mount sets up goes when the FUSE driver lets go of it.
    else if (run(QStringLiteral("truncate"), {QStringLiteral("--size=16M"), image}) && run(QStringLiteral("mkfs.exfat"), {image}))
        m_mounted = run(QStringLiteral("mount"), {QStringLiteral("--mkdir"), QStringLiteral("--types=exfat-fuse"),
                                                  QStringLiteral("--options=loop"), image, mountPoint});
}

ExfatCard::~ExfatCard()
{
    const QByteArray path = QFile::encodeName(m_mountPoint);
    if (m_mounted && ::umount(path.constData()) != 0)
        ::umount2(path.constData(), MNT_DETACH);
}

bool ExfatCard::run(const QString &program, const QStringList &arguments)
{
    // Some of the tools live in sbin, which the tests' PATH may lack.
    const QString found = QStandardPaths::findExecutable(program, {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")});
    QProcess process;
    process.start(found.isEmpty() ? program : found, arguments);
    // Bounded, so that a stuck tool fails the set-up rather than the suite.
    if (process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0)
        return true;
    const QString error = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
    m_whyNot = program + QStringLiteral(" failed: ") + (error.isEmpty() ? process.errorString() : error);
    return false;
}
