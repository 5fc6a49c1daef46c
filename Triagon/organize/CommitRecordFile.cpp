#include "organize/CommitRecordFile.h"

#include "organize/OrganizeCommit.h"

#include <utility>

CommitRecordFile::CommitRecordFile(FileOperations &files, QString path, CommitRecordDocument document, const std::function<qint64()> &clock)
    : m_files(files), m_path(std::move(path)), m_document(std::move(document)), m_clock(clock), m_lastFlush(m_clock())
{
}

std::optional<OrganizeError> CommitRecordFile::write(const QString &status, bool mustFlush)
{
    const qint64 now = m_clock();
    const bool flush = mustFlush || now - m_lastFlush >= OrganizeCommit::recordFlushIntervalMs;
    if (flush)
        m_lastFlush = now;
    return m_files.writeFileAtomically(m_path, m_document.pieces(status),
                                       flush ? AtomicFile::Durability::onDisk : AtomicFile::Durability::inSystem);
}
