#include "support/ExfatCard.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <sys/mount.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace {

constexpr long fuseMagic = 0x65735546;

QString program(const QString &name)
{
    const QString found = QStandardPaths::findExecutable(name);
    return found.isEmpty() ? QStandardPaths::findExecutable(name, {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")}) : found;
}

} // namespace

ExfatCard::ExfatCard(const QString &folder, qint64 bytes)
{
    if (::geteuid() != 0) {
        m_whyNot = QStringLiteral("not running as root");
        return;
    }
    if (!QFile::exists(QStringLiteral("/dev/fuse"))) {
        m_whyNot = QStringLiteral("no /dev/fuse");
        return;
    }
    for (const char *name : {"mkfs.exfat", "mount.exfat-fuse", "losetup"}) {
        if (program(QString::fromLatin1(name)).isEmpty()) {
            m_whyNot = QStringLiteral("%1 is not installed (packages exfatprogs, exfat-fuse)").arg(QString::fromLatin1(name));
            return;
        }
    }
    const QString image = QDir(folder).filePath(QStringLiteral("card.img"));
    m_root = QDir(folder).filePath(QStringLiteral("card"));
    QFile file(image);
    if (!QDir().mkpath(m_root) || !file.open(QIODevice::WriteOnly) || !file.resize(bytes)) {
        m_whyNot = QStringLiteral("could not make ") + image;
        return;
    }
    file.close();
    QString device;
    if (!run(program(QStringLiteral("mkfs.exfat")), {image})
        || !run(program(QStringLiteral("losetup")), {QStringLiteral("--find"), QStringLiteral("--show"), image}, &device))
        return;
    m_device = device.trimmed();
    if (!run(program(QStringLiteral("mount.exfat-fuse")), {m_device, m_root}))
        return;
    struct statfs info
    {
    };
    if (::statfs(QFile::encodeName(m_root).constData(), &info) != 0 || info.f_type != fuseMagic) {
        m_whyNot = QStringLiteral("the card did not mount through FUSE");
        return;
    }
    m_mounted = true;
}

ExfatCard::~ExfatCard()
{
    if (!m_root.isEmpty()) {
        const QByteArray path = QFile::encodeName(m_root);
        struct statfs info
        {
        };
        if (::statfs(path.constData(), &info) == 0 && info.f_type == fuseMagic && ::umount(path.constData()) != 0)
            ::umount2(path.constData(), MNT_DETACH);
    }
    // A device still held by the FUSE driver as it exits is let go when it closes it.
    if (!m_device.isEmpty())
        run(program(QStringLiteral("losetup")), {QStringLiteral("--detach"), m_device});
}

bool ExfatCard::run(const QString &program, const QStringList &arguments, QString *output)
{
    QProcess process;
    process.start(program, arguments);
    // Bounded so that a stuck tool fails the set-up instead of the suite's time.
    const bool finished = process.waitForFinished(60000);
    if (output)
        *output = QString::fromLocal8Bit(process.readAllStandardOutput());
    if (finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0)
        return true;
    if (!finished)
        process.kill();
    m_whyNot = program + QLatin1Char(' ') + arguments.join(QLatin1Char(' ')) + QStringLiteral(" failed: ")
               + QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
    return false;
}
