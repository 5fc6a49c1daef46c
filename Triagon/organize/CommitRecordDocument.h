#pragma once

#include "app/AtomicFile.h"
#include "library/model/FolderOrganization.h"
#include "organize/ManifestEntry.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <map>
#include <vector>

// The commit record of one run, kept as encoded pieces so that rewriting it
// after every file costs little more than writing its bytes. Each entry's
// text is encoded once and again only when that entry changes; the counts
// and the two summaries follow every change. The entries' texts lie in
// blocks of a few dozen entries each, separators included, so that a change
// touches one block and a rewrite hands the file its blocks as they stand
// (AtomicFile::Pieces) without copying the whole record into one buffer. The
// bytes are exactly those of CommitRecord::encode for the same entries:
// every piece is made by the same JSON writer, at the depth it has in the
// whole document, with the same "\/" escaping.
class CommitRecordDocument
{
public:
    CommitRecordDocument(const QString &startedAt, FolderOrganization organization, const QString &appVersion,
                         const QList<ManifestEntry> &entries);

    qsizetype size() const { return qsizetype(m_entries.size()); }
    // Replaces entry `index` (its place in the plan) with its new state.
    void setEntry(qsizetype index, const ManifestEntry &entry);
    // The whole record with the given run status, as pieces that point into
    // the document: valid until the next call of setEntry() or pieces().
    const AtomicFile::Pieces &pieces(const QString &status);
    // The same bytes in one array of their own.
    QByteArray bytes(const QString &status);

    // Entries per block: a change rewrites one block of about this many
    // entries' bytes, and a record of n entries goes out in n / this pieces.
    static constexpr qsizetype entriesPerBlock = 64;

private:
    struct Summary
    {
        QByteArray key; // the encoded key, quotes included
        qint64 count = 0;
    };
    // Keys ordered as the JSON writer orders an object's members.
    using Summaries = std::map<QString, Summary>;

    struct Kept
    {
        QString status;
        QStringList tags;
        qint64 rating = 0;
        qsizetype textSize = 0; // of the entry object in its block, separator not included
    };

    void count(const Kept &entry, int sign);
    static void add(Summaries &summaries, const QString &key, int sign);
    static void appendSummary(QByteArray &out, const char *member, const Summaries &summaries);

    QByteArray m_appVersion; // encoded, quotes included
    QByteArray m_startedAt;
    QByteArray m_organization;
    std::vector<Kept> m_entries;
    // Block b holds entries b * entriesPerBlock onwards, each at its depth in
    // "files" and followed by ",\n" unless it is the record's last entry.
    std::vector<QByteArray> m_blocks;
    qint64 m_moved = 0, m_verified = 0, m_failed = 0, m_pending = 0;
    Summaries m_tagSummary;
    Summaries m_ratingSummary;
    // What goes before the first block and after the last one, remade for
    // every rewrite in buffers that keep their memory.
    QByteArray m_head;
    QByteArray m_tail;
    AtomicFile::Pieces m_pieces;
};
