#pragma once

#include <QString>

// Gives a file a new name without ever replacing an entry that has that name
// (rename(2) would replace it silently). Within one file system only: a target
// on another one fails with EXDEV, nothing is copied. Safe on any thread.
class NoReplaceRename
{
public:
    // renameat2 with RENAME_NOREPLACE, or link and unlink where the kernel or
    // the file system does not know that flag. Returns 0, or the errno of the
    // failure (EEXIST when the name is taken, also by a dangling link); on
    // failure the file keeps its old name.
    static int rename(const QString &from, const QString &to);
    // The fallback: a second name for the file (link fails when the name is
    // taken), then the old name removed. Until then the file has two names,
    // never two copies; when the old name cannot be removed the new one is
    // taken away again. Returns 0 or errno.
    static int linkAndUnlink(const QString &from, const QString &to);
};
