#pragma once

#include <QList>
#include <QUrl>

#include <atomic>

// The folder walk of an import: every regular file below the folder, at any
// depth, whose lower-cased extension is a supported video extension, sorted
// by full path in the file manager's order ("clip2" before "clip10").
//
// Hidden files and folders (names starting with ".") are passed over, and so
// is everything inside a hidden folder. Symbolic links are never followed,
// neither to files nor to folders, so a link cannot lead the walk into a loop
// or out of the chosen folder. A folder that has vanished or cannot be read
// contributes nothing and is logged; the rest of the walk goes on.
//
// A name that is not valid UTF-8 cannot be kept as text without naming
// another path (LocalFileName): such a video file is left out, logged and
// counted in *undecodableNames (when given); such a folder is left out with
// everything in it, and logged.
//
// Runs on any thread and touches no shared state. When cancelled is given and
// becomes true, the walk stops and returns an empty list.
QList<QUrl> collectVideoFiles(const QUrl &folder, const std::atomic<bool> *cancelled = nullptr, int *undecodableNames = nullptr);
