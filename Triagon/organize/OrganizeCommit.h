#pragma once

#include "organize/FileOperations.h"
#include "organize/OrganizeOutcome.h"
#include "organize/OrganizeRequest.h"

#include <QString>
#include <functional>

// The organize run's file work. Plans one move per clip into its rating or tag
// folder, writes the plan to the commit record before any file moves, moves
// the files one after another without ever replacing anything, checks each
// file's size before and after its move (moving it back when it changed),
// rewrites the record after every file and finally copies it as the manifest
// when asked. It never throws and never deletes or overwrites a user file:
// every refusal and failure is in the result's errors and in the record.
//
// After the process is killed at any point, each clip's file is at its old
// place or at its planned one, and the record names that place for every file
// but the one in flight.
class OrganizeCommit
{
public:
    // Called before the first file and then at most every 0.1 s, with the
    // fraction done and the name of the file about to move.
    using Progress = std::function<void(double fraction, const QString &filename)>;
    // A monotonic clock in milliseconds.
    using Clock = std::function<qint64()>;

    static constexpr qint64 progressIntervalMs = 100;
    // The longest the commit record on the disk lags behind the run.
    static constexpr qint64 recordFlushIntervalMs = 1000;

    // The refusals and failure prefixes the run reports.
    static QString otherVolumeText();
    // No clip of the scope is on disk (its drive is gone).
    static QString offlineText();
    static QString unusableTagFolderText();
    static QString prepareFoldersPrefix();
    // Follows the prefix above when the commit records' own folder cannot be made.
    static QString recordsFolderText(const QString &folder, const QString &description);
    static QString recordPlanPrefix();
    static QString recordMovePrefix();
    static QString finalizeRecordPrefix();
    static QString manifestPrefix();
    static QString remainsAtText(const QString &filename, const QString &path);
    // An empty file that held a name for a stopped run and could not be removed.
    static QString leftoverText(const QString &path, const QString &description);

    // Runs the whole commit on the calling thread. The clock defaults to a
    // steady clock.
    static OrganizeOutcome commit(const OrganizeRequest &request, FileOperations &files, const Progress &progress = {}, Clock clock = {});
};
