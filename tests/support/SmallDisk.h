#pragma once

#include <QString>
#include <gtest/gtest.h>

// A small tmpfs mounted over a folder for one test: a real file system that
// can be filled to the last byte, for what a full disk does. Mounting needs
// root (CI runs the tests as root); without it the test skips, saying why.
// Unmounted when it goes (lazily, should something still hold it).
class SmallDisk
{
public:
    // Mounts `bytes` of tmpfs over `folder`, made when missing.
    explicit SmallDisk(QString folder, qint64 bytes = 1 << 20);
    ~SmallDisk();
    SmallDisk(const SmallDisk &) = delete;
    SmallDisk &operator=(const SmallDisk &) = delete;

    bool isMounted() const { return m_mounted; }
    // Why it is not mounted.
    const QString &whyNot() const { return m_whyNot; }
    const QString &folder() const { return m_folder; }

    // Fills the disk with a file of its own, to its last byte or leaving
    // `leaveFree` bytes (whole pages) free; returns false when the disk took
    // bytes without end.
    bool fill(qint64 leaveFree = 0);
    // Removes that file again.
    void release();

private:
    QString m_folder;
    QString m_filler;
    bool m_mounted = false;
    QString m_whyNot;
};

// Skips the test (with the reason) when the disk could not be mounted.
#define SKIP_WITHOUT(disk)                                                                                                                 \
    do {                                                                                                                                   \
        if (!(disk).isMounted())                                                                                                           \
            GTEST_SKIP() << "needs a tmpfs mount (run as root): " << (disk).whyNot().toStdString();                                        \
    } while (false)
