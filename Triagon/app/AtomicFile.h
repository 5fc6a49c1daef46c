#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <optional>

// Writes a whole file so that a reader finds the old content or the new one,
// never a mix, a cut or nothing. The bytes go to a temporary file beside the
// target ("." + name + "." + six letters); every write, the flush to disk and
// the close are checked, and only then does the temporary file take the
// target's name. Any failure (a full disk, a quota, an I/O error, a folder
// that is gone) removes the temporary file, leaves the target exactly as it
// was and returns the system's own message. Every file the application writes
// as a whole goes through here. Safe on any thread.
//
// QSaveFile is not used: with Qt 6.4, bytes still in its buffer that then
// fail to reach a full disk are dropped without a word, and commit() replaces
// the target with an empty file.
class AtomicFile
{
public:
    struct Failure
    {
        int systemError = 0; // errno
        QString message;     // the system's text, e.g. "No space left on device"
    };

    enum class Target {
        replace,   // an existing file is replaced (a link to one: the file it points to)
        mustBeNew, // the name must be free: an existing entry of that name fails with EEXIST
    };

    enum class Durability {
        onDisk,   // flushed to the disk with its folder before write() returns
        inSystem, // whole for every reader and across a killed process, but a
                  // power loss may bring back an earlier whole file
    };

    static std::optional<Failure> write(const QString &path, const QByteArray &bytes, Target target = Target::replace,
                                        Durability durability = Durability::onDisk);
    // The same, for content held in pieces: the file holds the pieces one
    // after another. They go to the system as they are (writev), so a large
    // file kept in parts is never copied into one buffer first.
    using Pieces = QList<QByteArrayView>;
    static std::optional<Failure> write(const QString &path, const Pieces &pieces, Target target = Target::replace,
                                        Durability durability = Durability::onDisk);

    // True when `fileName` is a temporary file that a write of `targetName`
    // (a file name, no folder) leaves behind when the process is killed in
    // the middle of it; also the "name.XXXXXX" files of QSaveFile.
    static bool isLeftoverOf(const QString &fileName, const QString &targetName);
};
