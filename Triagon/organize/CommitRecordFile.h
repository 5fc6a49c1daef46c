#pragma once

#include "organize/CommitRecordDocument.h"
#include "organize/FileOperations.h"
#include "organize/ManifestEntry.h"

#include <QString>
#include <functional>
#include <optional>

// The commit record of one run as it stands on the disk. Every write replaces
// the whole record atomically, so that a process killed at any moment leaves
// a whole record, never a cut one; only the entry that changed is encoded
// anew (CommitRecordDocument). Flushing every write to the disk as well
// would cost a disk flush of the whole record per file (minutes for thousands
// of files): the writes that must be on the disk (the plan and the end) are
// flushed, and in between at most one write a second
// (OrganizeCommit::recordFlushIntervalMs), which is as current as the moves
// themselves are on the disk.
class CommitRecordFile
{
public:
    // A monotonic clock in milliseconds; read once here, then for every write.
    // It must outlive the record file.
    CommitRecordFile(FileOperations &files, QString path, CommitRecordDocument document, const std::function<qint64()> &clock);

    // Replaces entry `index` (its place in the plan) with its new state, for
    // the next write.
    void setEntry(qsizetype index, const ManifestEntry &entry) { m_document.setEntry(index, entry); }
    // Writes the whole record with the run status, on the disk when this returns.
    std::optional<OrganizeError> writeOnDisk(const QString &status) { return write(status, true); }
    // Writes the whole record with the run status, flushed to the disk only
    // when the last flush is a second old.
    std::optional<OrganizeError> write(const QString &status) { return write(status, false); }

private:
    std::optional<OrganizeError> write(const QString &status, bool mustFlush);

    FileOperations &m_files;
    QString m_path;
    CommitRecordDocument m_document;
    const std::function<qint64()> &m_clock;
    qint64 m_lastFlush;
};
