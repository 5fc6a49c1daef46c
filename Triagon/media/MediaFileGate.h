#pragma once

#include <QString>

// Decides whether a path may be opened to read its media. Only a regular
// file (or a link to one) is: opening a pipe waits for a writer that may
// never come, a device or a socket can block or never end, and a folder has
// no media. The type is looked up (stat) without opening anything, so
// asking never blocks on such a file.
//
// Thread-safe. A path refused for its type is logged once for the life of
// the process, however often it is asked for.
class MediaFileGate
{
public:
    // True for a regular file. Otherwise false, with *error saying why: the
    // system's message when the path cannot be looked up (a missing file),
    // or what the path is instead of a file.
    static bool admits(const QString &path, QString *error = nullptr);

    // The same test without a message or a log line.
    static bool isRegularFile(const QString &path);
};
