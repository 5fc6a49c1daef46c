#pragma once

#include <QString>
#include <QtGlobal>

// The application's log file, "triagon.log" beside the session file. Every Qt
// message still goes to the previous handler (the terminal, the journal) and
// is also appended to the file, one line each. When the file passes the size
// limit it becomes "triagon.log.1" (replacing an older one) and a new file
// starts, so at most about twice the limit is ever kept.
class LogFile
{
public:
    static constexpr qint64 defaultLimitBytes = 5 * 1024 * 1024;

    // Installs the message handler, writing to `path` (the default location
    // when empty). Safe to call again: the later call replaces the path and limit.
    static void install(const QString &path = QString(), qint64 limitBytes = defaultLimitBytes);
    // Removes the handler again and closes the file.
    static void uninstall();

    // GenericDataLocation/Triagon/triagon.log.
    static QString defaultPath();
    // The file currently written, empty when not installed.
    static QString currentPath();
};
