#pragma once

#include <QString>

// A session file found at launch that could not be read: why, and where the
// file was kept so that nothing of it is lost.
struct UnreadableSession
{
    // What was wrong: the system's reason the file could not be read, or
    // what the decoder found.
    QString reason;
    // Where the unreadable file now lies: beside the session file under a
    // name of its own, or still at the session file's path when it could
    // not be moved; empty for an empty file, which is not kept.
    QString keptAs;

    friend bool operator==(const UnreadableSession &, const UnreadableSession &) = default;
};
