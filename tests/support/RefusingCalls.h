#pragma once

#include "app/NoReplaceRename.h"

#include <QByteArray>
#include <QStringList>
#include <cerrno>
#include <functional>

// The system's calls of a move without replacing, with the refusals of a file
// system put in their way: a call given an errno fails with it and does
// nothing; the others are the real calls on the real files. A FUSE exFAT
// card refuses RENAME_NOREPLACE with EINVAL and links with EPERM.
class RefusingCalls : public NoReplaceRename::System
{
public:
    int renameNoReplaceError = 0;
    int linkError = 0;
    int createNewError = 0;
    int renameError = 0;
    // Called before every call with its name and paths; it may act on the
    // disk first, or throw to stop the caller there.
    std::function<void(const QString &call, const QByteArray &a, const QByteArray &b)> before;
    // Called after a real exclusive create that succeeded.
    std::function<void(const QByteArray &path)> afterCreateNew;
    // The calls made, in order.
    QStringList calls;

    static RefusingCalls likeFuseExfat()
    {
        RefusingCalls c;
        c.renameNoReplaceError = EINVAL;
        c.linkError = EPERM;
        return c;
    }

    int renameNoReplace(const QByteArray &from, const QByteArray &to) override
    {
        note(QStringLiteral("renameNoReplace"), from, to);
        return renameNoReplaceError ? renameNoReplaceError : System::renameNoReplace(from, to);
    }
    int link(const QByteArray &from, const QByteArray &to) override
    {
        note(QStringLiteral("link"), from, to);
        return linkError ? linkError : System::link(from, to);
    }
    int createNew(const QByteArray &path, struct stat &made) override
    {
        note(QStringLiteral("createNew"), path, {});
        if (createNewError)
            return createNewError;
        const int error = System::createNew(path, made);
        if (!error && afterCreateNew)
            afterCreateNew(path);
        return error;
    }
    int rename(const QByteArray &from, const QByteArray &to) override
    {
        note(QStringLiteral("rename"), from, to);
        return renameError ? renameError : System::rename(from, to);
    }

private:
    void note(const QString &call, const QByteArray &a, const QByteArray &b)
    {
        calls.append(call);
        if (before)
            before(call, a, b);
    }
};
