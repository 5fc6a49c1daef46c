#pragma once

#include <QString>
#include <QtGlobal>

// Tells a file replaced on disk (or changed in place) from the one that was
// read before: what is kept about a file (an opened asset, the keyframes
// learnt from its packets) holds only while the identity is the same.
struct FileIdentity
{
    qint64 inode = -1;
    qint64 device = -1;
    qint64 size = -1;
    qint64 modified = -1; // nanoseconds

    // The identity of the file at path now; invalid when it cannot be read.
    static FileIdentity of(const QString &path);
    bool isValid() const { return inode >= 0; }
    bool operator==(const FileIdentity &other) const = default;
};
