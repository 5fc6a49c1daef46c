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
    m_entries.resize(size_t(entries.size()));
    for (qsizetype i = 0; i < entries.size(); ++i)
        setEntry(i, entries[i]);
}

void CommitRecordDocument::setEntry(qsizetype index, const ManifestEntry &entry)
{
    Kept &kept = m_entries[size_t(index)];
    count(kept, -1);
    m_entryBytes -= kept.text.size();
    kept.status = entry.status;
    kept.tags = entry.tags;
    kept.rating = entry.rating;
    kept.text = encodedEntry(entry);
    m_entryBytes += kept.text.size();
    count(kept, +1);
}

void CommitRecordDocument::count(const Kept &entry, int sign)
{
    // An entry that was never set counts nowhere.
    if (entry.text.isEmpty())
        return;
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

QByteArray CommitRecordDocument::bytes(const QString &status)
{
    // Assembled in the buffer of the last call: once the caller has let go
    // of those bytes, its memory is reused without being handed back and
    // asked for (and faulted in) again.
    QByteArray &out = m_buffer;
    out.resize(0);
    const qsizetype summaryGuess = 64 * qsizetype(m_tagSummary.size() + m_ratingSummary.size());
    out.reserve(m_entryBytes + 2 * qsizetype(m_entries.size()) + summaryGuess + 1024);
    // Members in ascending key order, as the writer sorts them.
    out += "{\n";
    appendMember(out, "appVersion", m_appVersion);
    appendMember(out, "failed", m_failed);
    out += "    \"files\": [\n";
    for (size_t i = 0; i < m_entries.size(); ++i) {
        if (i > 0)
            out += ",\n";
        out += m_entries[i].text;
    }
    if (!m_entries.empty())
        out += '\n';
    out += "    ],\n";
    appendMember(out, "moved", m_moved);
    appendMember(out, "organization", m_organization);
    appendMember(out, "pending", m_pending);
    appendSummary(out, "ratingSummary", m_ratingSummary);
    appendMember(out, "startedAt", m_startedAt);
    appendMember(out, "status", encodedString(status));
    appendSummary(out, "tagSummary", m_tagSummary);
    appendMember(out, "totalPlanned", qint64(m_entries.size()));
    appendMember(out, "verified", m_verified);
    out += "    \"version\": 1\n}\n";
    return out;
}
