#pragma once

#include <QByteArray>
#include <QString>

struct stat;

// Gives a file a new name without ever replacing an entry that has that name
// (rename(2) would replace it silently). Within one file system only: a target
// on another one fails with EXDEV, nothing is copied. Safe on any thread.
//
// Three ways, each tried when the file system refuses the one before:
// renameat2 with RENAME_NOREPLACE; link and unlink; and, where the file
// system has neither (exFAT through FUSE, the shares a desktop mounts through
// FUSE), the new name reserved by creating an empty file there exclusively,
// then rename(2) over that reservation.
class NoReplaceRename
{
public:
    // The calls the three ways rest on. Each returns 0 or the errno of its
    // failure. The real ones are the system's; tests put a file system's
    // refusals in the way by overriding single calls.
    class System
    {
    public:
        virtual ~System() = default;
        virtual int renameNoReplace(const QByteArray &from, const QByteArray &to);
        virtual int link(const QByteArray &from, const QByteArray &to);
        // An empty file that must be new (O_CREAT | O_EXCL), closed again;
        // `made` tells which file it is.
        virtual int createNew(const QByteArray &path, struct stat &made);
        // rename(2), which replaces whatever is at `to`.
        virtual int rename(const QByteArray &from, const QByteArray &to);
    };
    // The system's own calls.
    static System &system();

    // Returns 0, or the errno of the failure (EEXIST when the name is taken,
    // also by a dangling link, or by a name that differs only in letter case
    // on a file system that ignores case); on failure the file keeps its old
    // name.
    static int rename(const QString &from, const QString &to, System &calls = system());
    // The second way: a second name for the file (link fails when the name is
    // taken), then the old name removed. Until then the file has two names,
    // never two copies; when the old name cannot be removed the new one is
    // taken away again. Returns 0 or errno.
    static int linkAndUnlink(const QString &from, const QString &to, System &calls = system());
    // The third way. The reservation is an empty regular file; right before
    // the rename it must still be the very file made here (same volume and
    // inode, still empty), else the name counts as taken and whatever now
    // has it is left alone. A failed rename removes the reservation again
    // when it is still that file. Until the rename the file keeps its old
    // name and the new one holds an empty file; a process stopped in between
    // leaves that empty file behind (a caller that must clear it keeps a
    // record of where the file was going). Unguarded remains the moment
    // between that last look and the rename itself: a file that another
    // program puts at the name just then would be replaced. The reservation
    // rests on the file system honouring O_EXCL. Returns 0 or errno.
    static int reserveAndRename(const QString &from, const QString &to, System &calls = system());
};
