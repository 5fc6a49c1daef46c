#include "organize/CommitRecord.h"

#include "organize/FolderPlan.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <cmath>

namespace {

// Rounded half away from zero to one decimal; 0 for a value that is not finite.
double oneDecimal(double value)
{
    if (!std::isfinite(value))
        return 0;
    const double rounded = std::round(value * 10) / 10;
    return std::isfinite(rounded) ? rounded : 0;
}

void addOne(QJsonObject &counts, const QString &key)
{
    counts.insert(key, counts.value(key).toInteger() + 1);
}

} // namespace

QJsonObject CommitRecord::entryObject(const ManifestEntry &entry)
{
    QJsonObject o;
    if (!entry.codec.isEmpty())
        o.insert(QStringLiteral("codec"), entry.codec);
    o.insert(QStringLiteral("duration"), oneDecimal(entry.duration));
    if (entry.error)
        o.insert(QStringLiteral("error"), *entry.error);
    o.insert(QStringLiteral("expectedSize"), entry.expectedSize);
    o.insert(QStringLiteral("filename"), entry.filename);
    o.insert(QStringLiteral("folder"), entry.folder);
    if (std::isfinite(entry.frameRate) && entry.frameRate > 0)
        o.insert(QStringLiteral("frameRate"), entry.frameRate);
    o.insert(QStringLiteral("from"), entry.originalPath);
    if (entry.markerFlag) {
        o.insert(QStringLiteral("markerFlag"), entry.markerFlag->isMarker() ? QStringLiteral("marker") : QStringLiteral("special"));
        if (entry.markerFlag->isSpecial())
            o.insert(QStringLiteral("specialHands"), entry.markerFlag->hands());
    }
    o.insert(QStringLiteral("rating"), entry.rating);
    if (entry.resolution)
        o.insert(QStringLiteral("resolution"), *entry.resolution);
    o.insert(QStringLiteral("status"), entry.status);
    o.insert(QStringLiteral("tags"), QJsonArray::fromStringList(entry.tags));
    o.insert(QStringLiteral("to"), entry.destinationPath);
    return o;
}

QJsonObject CommitRecord::recordObject(const QString &status, const QString &startedAt, const QList<ManifestEntry> &entries,
                                       FolderOrganization organization, const QString &appVersion)
{
    QJsonArray files;
    QJsonObject tagSummary;
    QJsonObject ratingSummary;
    qint64 moved = 0, verified = 0, failed = 0, pending = 0;
    for (const ManifestEntry &entry : entries) {
        files.append(entryObject(entry));
        if (entry.status == ManifestEntry::verified) {
            for (const QString &tag : entry.tags)
                addOne(tagSummary, tag);
            addOne(ratingSummary, FolderPlan::ratingFolderName(entry.rating));
            ++verified;
        }
        if (entry.status == ManifestEntry::verified || entry.status == ManifestEntry::moved)
            ++moved;
        else if (entry.status == ManifestEntry::failed)
            ++failed;
        else if (entry.status == ManifestEntry::pending)
            ++pending;
    }
    QJsonObject o;
    o.insert(QStringLiteral("appVersion"), appVersion.isEmpty() ? QStringLiteral("unknown") : appVersion);
    o.insert(QStringLiteral("failed"), failed);
    o.insert(QStringLiteral("files"), files);
    o.insert(QStringLiteral("moved"), moved);
    o.insert(QStringLiteral("organization"), rawValue(organization));
    o.insert(QStringLiteral("pending"), pending);
    o.insert(QStringLiteral("ratingSummary"), ratingSummary);
    o.insert(QStringLiteral("startedAt"), startedAt);
    o.insert(QStringLiteral("status"), status);
    o.insert(QStringLiteral("tagSummary"), tagSummary);
    o.insert(QStringLiteral("totalPlanned"), static_cast<qint64>(entries.size()));
    o.insert(QStringLiteral("verified"), verified);
    o.insert(QStringLiteral("version"), 1);
    return o;
}

QByteArray CommitRecord::encode(const QString &status, const QString &startedAt, const QList<ManifestEntry> &entries,
                                FolderOrganization organization, const QString &appVersion)
{
    QByteArray bytes = QJsonDocument(recordObject(status, startedAt, entries, organization, appVersion)).toJson(QJsonDocument::Indented);
    // A "/" can only stand inside a string in JSON, so escaping every one
    // keeps the document valid and gives paths the "\/" form readers of
    // these records know.
    bytes.replace('/', QByteArrayLiteral("\\/"));
    return bytes;
}

QString CommitRecord::timestamp(const QDateTime &time)
{
    return time.toUTC().toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss'Z'"));
}
