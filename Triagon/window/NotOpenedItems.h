#pragma once

#include <QString>
#include <QStringList>

// What a launch names that the import does not take: a path that names
// nothing, or a file that is neither a folder nor a video file with one of
// the importer's extensions (a ".ts" or ".lrv" the desktop offers Triagon
// for). The launch says so on standard error, the window in one alert.
class NotOpenedItems
{
public:
    // Why the import does not open `path`; empty when it does.
    static QString reason(const QString &path);

    // The alert's line: "2 items were not opened: A001.ts, B002.lrv", the
    // first few names and how many more.
    static QString summary(const QStringList &paths);
    // What Triagon does open, and which of the items name nothing.
    static QString details(const QStringList &paths);

    // The names the summary lists before "and N more".
    static constexpr qsizetype namesListed = 5;
};
