#pragma once

#include <QString>
#include <QtGlobal>

// The application's log file, "triagon.log" in the user's state folder
// ($XDG_STATE_HOME/Triagon, by default ~/.local/state/Triagon). Every Qt
// message still goes to the previous handler (the terminal, the journal) and
// is also appended to the file, one line each. When the file passes the size
// limit it becomes "triagon.log.1" (replacing an older one) and a new file
// starts, so at most about twice the limit is ever kept. Earlier versions kept
// the log beside the session file in the data folder; the first start with
// the default path moves it (and its older part) over once.
class LogFile
{
public:
    static constexpr qint64 defaultLimitBytes = 5 * 1024 * 1024;

    // Installs the message handler, writing to `path` (the default location,
    // after moving a log left in the old place, when empty). Safe to call
    // again: the later call replaces the path and limit.
    static void install(const QString &path = QString(), qint64 limitBytes = defaultLimitBytes);
    // Removes the handler again and closes the file.
    static void uninstall();

    // $XDG_STATE_HOME/Triagon/triagon.log; ~/.local/state when the variable
    // is unset or not an absolute path.
    static QString defaultPath();
    // Where earlier versions wrote it: GenericDataLocation/Triagon/triagon.log.
    static QString legacyPath();
    // Moves the log at `from` and its older part (".1") to `to`, unless a log
    // is there already (that one is kept, and the old one left alone). True
    // when the log was moved.
    static bool moveLegacyLog(const QString &from, const QString &to);
    // The file currently written, empty when not installed.
    static QString currentPath();
};
