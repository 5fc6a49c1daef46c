#pragma once

#include <QString>
#include <QStringList>

// A small exFAT file system as a camera card has it, made in an image beside
// the mount point and mounted for one test through FUSE (exfat-fuse rather
// than the kernel's driver: the one without RENAME_NOREPLACE and links).
// Needs root, /dev/fuse, a loop device and the exfat-fuse and exfatprogs
// packages; without one, whyNot() says what failed. Unmounted when it goes.
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
    bool run(const QString &program, const QStringList &arguments);

    QString m_mountPoint;
    bool m_mounted = false;
    QString m_whyNot;
};
