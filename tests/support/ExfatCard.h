#pragma once

#include <QString>

// A small exFAT file system as a camera card has it, mounted over a folder
// through FUSE (exfat-fuse) for one test: an image file made with mkfs.exfat
// on a loop device. The FUSE driver is used even where the kernel has its
// own, since it is the one without RENAME_NOREPLACE and links. Mounting needs
// root, /dev/fuse, a loop device and the exfat-fuse and exfatprogs packages;
// without one of them the test skips, saying which. Unmounted and the loop
// device let go when it goes, also after a failed test.
class ExfatCard
{
public:
    // Makes the image and its mount point in `folder` (a temporary folder).
    explicit ExfatCard(const QString &folder, qint64 bytes = 16 << 20);
    ~ExfatCard();
    ExfatCard(const ExfatCard &) = delete;
    ExfatCard &operator=(const ExfatCard &) = delete;

    bool isMounted() const { return m_mounted; }
    const QString &whyNot() const { return m_whyNot; }
    // The card's root folder.
    const QString &root() const { return m_root; }

private:
    bool run(const QString &program, const QStringList &arguments, QString *output = nullptr);

    QString m_root;
    QString m_device;
    bool m_mounted = false;
    QString m_whyNot;
};
