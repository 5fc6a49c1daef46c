#pragma once

#include "app/NoReplaceRename.h"

#include <array>
#include <cerrno>
#include <functional>

// The system's calls of a move without replacing, with a file system's
// refusals in their way: a call given an errno fails with it and does
// nothing; the others are the real calls on the real files.
class RefusingCalls : public NoReplaceRename::System
{
public:
    enum class Call { renameNoReplace, link, createNew, rename };
    // An errno, or 0, for each call in the order of Call.
    using Refusals = std::array<int, 4>;
    // A FUSE exFAT card refuses RENAME_NOREPLACE with EINVAL and links with EPERM.
    static constexpr Refusals likeFuseExfat{EINVAL, EPERM, 0, 0};

    explicit RefusingCalls(const Refusals &refusals = {}) : refusals(refusals) {}

    Refusals refusals;
    // Called after every call; it may act on the disk, or throw to stop the
    // caller there.
    std::function<void(Call call)> after;

    int renameNoReplace(const QByteArray &from, const QByteArray &to) override
    {
        return answer(Call::renameNoReplace, [&] { return System::renameNoReplace(from, to); });
    }
    int link(const QByteArray &from, const QByteArray &to) override
    {
        return answer(Call::link, [&] { return System::link(from, to); });
    }
    int createNew(const QByteArray &path, struct stat &made) override
    {
        return answer(Call::createNew, [&] { return System::createNew(path, made); });
    }
    int rename(const QByteArray &from, const QByteArray &to) override
    {
        return answer(Call::rename, [&] { return System::rename(from, to); });
    }

private:
    int answer(Call call, const std::function<int()> &real)
    {
        const int refusal = refusals[static_cast<size_t>(call)];
        const int result = refusal ? refusal : real();
        if (after)
            after(call);
        return result;
    }
};
