#include "organize/CommitRecordDocument.h"

#include "organize/CommitRecord.h"
#include "organize/FolderPlan.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace {

// The record escapes every "/" (see CommitRecord::encode); a "/" byte only
// ever stands for itself in UTF-8, so escaping piece by piece gives the same
// bytes as escaping the whole document.
QByteArray slashesEscaped(QByteArray bytes)
{
    return bytes.replace('/', QByteArrayLiteral("\\/"));
}

// A JSON string as the writer writes it, quotes included.
QByteArray encodedString(const QString &text)
{
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact); // ["..."]
    return slashesEscaped(array.mid(1, array.size() - 2));
}

// The entry object as it stands inside "files": written by the same writer
// two levels deep, so its indentation is that of the whole document.
QByteArray encodedEntry(const ManifestEntry &entry)
{
    static constexpr QByteArrayView head = "[\n    [\n";
    static constexpr QByteArrayView tail = "\n    ]\n]\n";
    const QByteArray nested = QJsonDocument(QJsonArray{QJsonArray{CommitRecord::entryObject(entry)}}).toJson(QJsonDocument::Indented);
    Q_ASSERT(nested.startsWith(head) && nested.endsWith(tail));
    return slashesEscaped(nested.mid(head.size(), nested.size() - head.size() - tail.size()));
}

void appendMember(QByteArray &out, const char *key, const QByteArray &value)
{
    out += "    \"";
    out += key;
    out += "\": ";
    out += value;
    out += ",\n";
}

void appendMember(QByteArray &out, const char *key, qint64 value)
{
    appendMember(out, key, QByteArray::number(value));
}

} // namespace

CommitRecordDocument::CommitRecordDocument(const QString &startedAt, FolderOrganization organization, const QString &appVersion,
                                           const QList<ManifestEntry> &entries)
    : m_appVersion(encodedString(appVersion.isEmpty() ? QStringLiteral("unknown") : appVersion)), m_startedAt(encodedString(startedAt)),
      m_organization(encodedString(rawValue(organization)))
{
    const qsizetype n = entries.size();
    m_entries.resize(size_t(n));
    m_blocks.resize(size_t((n + entriesPerBlock - 1) / entriesPerBlock));
    for (qsizetype i = 0; i < n; ++i) {
        const ManifestEntry &entry = entries[i];
        const QByteArray text = encodedEntry(entry);
        QByteArray &block = m_blocks[size_t(i / entriesPerBlock)];
        block += text;
        if (i + 1 < n)
            block += ",\n";
        m_entries[size_t(i)] = Kept{entry.status, entry.tags, entry.rating, text.size()};
        count(m_entries[size_t(i)], +1);
    }
}

void CommitRecordDocument::setEntry(qsizetype index, const ManifestEntry &entry)
{
    Kept &kept = m_entries[size_t(index)];
    count(kept, -1);
    // The entry's place in its block: after the entries before it there,
    // each with its ",\n".
    qsizetype offset = 0;
    for (qsizetype i = index - index % entriesPerBlock; i < index; ++i)
        offset += m_entries[size_t(i)].textSize + 2;
    const QByteArray text = encodedEntry(entry);
    m_blocks[size_t(index / entriesPerBlock)].replace(offset, kept.textSize, text);
    kept = Kept{entry.status, entry.tags, entry.rating, text.size()};
    count(kept, +1);
}

void CommitRecordDocument::count(const Kept &entry, int sign)
{
    if (entry.status == ManifestEntry::verified) {
        for (const QString &tag : entry.tags)
            add(m_tagSummary, tag, sign);
        add(m_ratingSummary, FolderPlan::ratingFolderName(entry.rating), sign);
        m_verified += sign;
    }
    if (entry.status == ManifestEntry::verified || entry.status == ManifestEntry::moved)
        m_moved += sign;
    else if (entry.status == ManifestEntry::failed)
        m_failed += sign;
    else if (entry.status == ManifestEntry::pending)
        m_pending += sign;
}

void CommitRecordDocument::add(Summaries &summaries, const QString &key, int sign)
{
    auto found = summaries.find(key);
    if (found == summaries.end()) {
        Q_ASSERT(sign > 0);
        found = summaries.emplace(key, Summary{encodedString(key), 0}).first;
    }
    found->second.count += sign;
    // A name without a verified entry is not listed.
    if (found->second.count == 0)
        summaries.erase(found);
}

void CommitRecordDocument::appendSummary(QByteArray &out, const char *member, const Summaries &summaries)
{
    out += "    \"";
    out += member;
    out += "\": {\n";
    bool first = true;
    for (const auto &[name, summary] : summaries) {
        if (!first)
            out += ",\n";
        first = false;
        out += "        ";
        out += summary.key;
        out += ": ";
        out += QByteArray::number(summary.count);
    }
    if (!first)
        out += '\n';
    out += "    },\n";
}

const AtomicFile::Pieces &CommitRecordDocument::pieces(const QString &status)
{
    // Members in ascending key order, as the writer sorts them; "files" is
    // the blocks between the head and the tail.
    QByteArray &head = m_head;
    head.resize(0);
    head += "{\n";
    appendMember(head, "appVersion", m_appVersion);
    appendMember(head, "failed", m_failed);
    head += "    \"files\": [\n";

    QByteArray &tail = m_tail;
    tail.resize(0);
    if (!m_entries.empty())
        tail += '\n';
    tail += "    ],\n";
    appendMember(tail, "moved", m_moved);
    appendMember(tail, "organization", m_organization);
    appendMember(tail, "pending", m_pending);
    appendSummary(tail, "ratingSummary", m_ratingSummary);
    appendMember(tail, "startedAt", m_startedAt);
    appendMember(tail, "status", encodedString(status));
    appendSummary(tail, "tagSummary", m_tagSummary);
    appendMember(tail, "totalPlanned", qint64(m_entries.size()));
    appendMember(tail, "verified", m_verified);
    tail += "    \"version\": 1\n}\n";

    m_pieces.resize(0);
    m_pieces.reserve(qsizetype(m_blocks.size()) + 2);
    m_pieces.append(head);
    for (const QByteArray &block : m_blocks)
        m_pieces.append(block);
    m_pieces.append(tail);
    return m_pieces;
}

QByteArray CommitRecordDocument::bytes(const QString &status)
{
    const AtomicFile::Pieces &parts = pieces(status);
    qsizetype size = 0;
    for (const QByteArrayView part : parts)
        size += part.size();
    QByteArray out;
    out.reserve(size);
    for (const QByteArrayView part : parts)
        out += part;
    return out;
}
