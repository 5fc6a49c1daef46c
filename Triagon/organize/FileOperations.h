#pragma once

#include "app/AtomicFile.h"
#include "app/NoReplaceRename.h"

#include "organize/OrganizeError.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <variant>

// The organize run's only way to touch the file system. Every operation acts
// on the entry itself and never replaces one that exists; none copies a file
// across volumes, and the only entry ever removed is an empty file (the
// reservation of a name that a stopped move left). The run takes this layer by reference, so that tests can
// put faults in its way (a full disk, a file that grows or appears at the
// wrong moment, a move back that fails) by overriding single operations and
// calling the real ones otherwise. Safe on any thread.
class FileOperations
{
public:
    // What lstat says about an entry: a symbolic link is reported as a link,
    // never as what it points to.
    struct Entry
    {
        enum class Kind { regularFile, folder, symbolicLink, fifo, socket, device, other };
        Kind kind = Kind::other;
        qint64 size = 0;
    };

    // The moves rest on the system's calls unless a test hands in others.
    explicit FileOperations(NoReplaceRename::System &calls = NoReplaceRename::system()) : m_calls(calls) {}
    virtual ~FileOperations() = default;

    // The entry at the path, or the system's error (no such file, no access)
    // with the path.
    virtual std::variant<Entry, OrganizeError> entry(const QString &path);
    // True when anything, a dangling link included, is at the path.
    bool exists(const QString &path);
    // The volume (st_dev) of the folder at the path, following links (the
    // folder a clip lies in may be reached through one); none when it cannot
    // be read.
    virtual std::optional<quint64> volume(const QString &path);
    // The longest name, in bytes, that the file system of the folder takes
    // (pathconf's _PC_NAME_MAX); NAME_MAX when it cannot be asked, for
    // example because the folder does not exist.
    virtual qsizetype nameLimit(const QString &folder);

    // Whether names in the folder that differ only in letter case name one
    // entry (exFAT, FAT, most network shares): an empty probe file with a
    // name of mixed case is made there and its other-case twin looked up.
    // True when the folder cannot be probed: a name numbered needlessly
    // costs nothing, a clash would fail the move.
    virtual bool ignoresLetterCase(const QString &folder);

    // Moves a file to a new name without ever replacing an entry there
    // (NoReplaceRename). An existing target (also one that only differs in
    // letter case on a case-insensitive volume) and a target on another
    // volume (EXDEV) are failures, and the file stays where it was. The
    // error names the path at fault: the file when it is not there, the
    // folder it goes into when that is missing, the new name when it is
    // taken, else both paths.
    virtual std::optional<OrganizeError> moveWithoutReplacing(const QString &from, const QString &to);
    // The fallback of the move where the file system lacks RENAME_NOREPLACE.
    static std::optional<OrganizeError> linkAndUnlink(const QString &from, const QString &to);
    // Removes the entry only when it is an empty regular file (the
    // reservation a stopped move can leave); anything else there stays and
    // fails with EEXIST.
    virtual std::optional<OrganizeError> removeEmptyFile(const QString &path);

    // Makes the folder with any missing folders above it. An existing folder
    // (or a link to one above the last component) is no failure; anything
    // else in the way is.
    virtual std::optional<OrganizeError> makeFolder(const QString &path);

    // Replaces the file's content as a whole (AtomicFile): a reader sees the
    // old or the new bytes, never a mix, a cut or an empty file. On failure
    // the old content stays and the error carries the system's message (for
    // example "No space left on device") and the path. `durability` says
    // whether the bytes must be on the disk when this returns. The content
    // may come in pieces (AtomicFile::Pieces), written one after another.
    virtual std::optional<OrganizeError> writeFileAtomically(const QString &path, const AtomicFile::Pieces &pieces,
                                                             AtomicFile::Durability durability);
    std::optional<OrganizeError> writeFileAtomically(const QString &path, const QByteArray &bytes, AtomicFile::Durability durability)
    {
        return writeFileAtomically(path, AtomicFile::Pieces{QByteArrayView(bytes)}, durability);
    }

    // Copies a file to a new name that must be free, written as a whole in
    // the same way; the copy takes the name without replacing anything. A
    // failed copy leaves neither a partial target nor a temporary file.
    virtual std::optional<OrganizeError> copyToNewFile(const QString &from, const QString &to);

private:
    NoReplaceRename::System &m_calls;
};
