#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// A small exFAT file system as a camera card has it, mounted for one test
// through FUSE (exfat-fuse rather than the kernel's driver: the one without
// RENAME_NOREPLACE and links), from an image beside the mount point on a loop
// device. Needs root, /dev/fuse and the exfat-fuse and exfatprogs packages;
// without one, whyNot() says what failed. Unmounted, and the loop device let
// go, when it goes.
class ExfatCard
{
public:
    explicit ExfatCard(const QString &mountPoint);
    ~ExfatCard();
    ExfatCard(const ExfatCard &) = delete;
    ExfatCard &operator=(const ExfatCard &) = delete;

    bool isMounted() const { return m_mounted; }
    const QString &whyNot() const { return m_whyNot; }

private:
    // The tool's standard output, or none when it failed (saying so in whyNot).
    std::optional<QString> run(const QString &program, const QStringList &arguments);

    QString m_mountPoint;
    QString m_device;
    bool m_mounted = false;
    QString m_whyNot;
};
