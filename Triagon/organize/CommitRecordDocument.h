#pragma once

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
// and the two summaries follow every change; the document is assembled from
// the kept pieces. The bytes are exactly those of CommitRecord::encode for
// the same entries: every piece is made by the same JSON writer, at the
// depth it has in the whole document, with the same "\/" escaping.
class CommitRecordDocument
{
public:
    CommitRecordDocument(const QString &startedAt, FolderOrganization organization, const QString &appVersion,
                         const QList<ManifestEntry> &entries);

    qsizetype size() const { return qsizetype(m_entries.size()); }
    // Replaces entry `index` (its place in the plan) with its new state.
    void setEntry(qsizetype index, const ManifestEntry &entry);
    // The whole record with the given run status.
    QByteArray bytes(const QString &status);

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
        QByteArray text; // the entry object at its depth in "files", no line break after it
    };

    void count(const Kept &entry, int sign);
    static void add(Summaries &summaries, const QString &key, int sign);
    static void appendSummary(QByteArray &out, const char *member, const Summaries &summaries);

    QByteArray m_appVersion; // encoded, quotes included
    QByteArray m_startedAt;
    QByteArray m_organization;
    std::vector<Kept> m_entries;
    qsizetype m_entryBytes = 0;
    qint64 m_moved = 0, m_verified = 0, m_failed = 0, m_pending = 0;
    Summaries m_tagSummary;
    Summaries m_ratingSummary;
    QByteArray m_buffer;
};
