#include "organize/CommitRecord.h"

#include "Printers.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTimeZone>
#include <gtest/gtest.h>

#include <limits>

namespace {

ManifestEntry entry(const QString &name, qint64 rating, const QStringList &tags, const QString &status)
{
    ManifestEntry e;
    e.originalPath = QStringLiteral("/footage/") + name;
    e.destinationPath = QStringLiteral("/out/") + name;
    e.folder = QStringLiteral("5-star");
    e.expectedSize = 1000;
    e.status = status;
    e.filename = name;
    e.rating = rating;
    e.tags = tags;
    e.duration = 12.34;
    e.resolution = QStringLiteral("1920x1080");
    e.frameRate = 29.97;
    e.codec = QStringLiteral("H.264");
    return e;
}

QJsonObject decoded(const QByteArray &bytes)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    return document.object();
}

const QString start = QStringLiteral("2025-03-01T14:05:09Z");

} // namespace

TEST(CommitRecord, PlannedRecordHasEveryEntryPendingAndEmptySummaries)
{
    const QList<ManifestEntry> entries{entry(QStringLiteral("a.mov"), 5, {QStringLiteral("Dunk")}, ManifestEntry::pending),
                                       entry(QStringLiteral("b.mov"), 0, {}, ManifestEntry::pending)};
    const QJsonObject o = decoded(
        CommitRecord::encode(CommitRecord::inProgress, start, entries, FolderOrganization::byRating, QStringLiteral("1.4.0")));
    EXPECT_EQ(o.keys(), (QStringList{"appVersion", "failed", "files", "moved", "organization", "pending", "ratingSummary", "startedAt",
                                     "status", "tagSummary", "totalPlanned", "verified", "version"}));
    EXPECT_EQ(o["appVersion"].toString(), QStringLiteral("1.4.0"));
    EXPECT_EQ(o["status"].toString(), QStringLiteral("in_progress"));
    EXPECT_EQ(o["startedAt"].toString(), start);
    EXPECT_EQ(o["organization"].toString(), QStringLiteral("By Rating"));
    EXPECT_EQ(o["pending"].toInteger(), 2);
    EXPECT_EQ(o["totalPlanned"].toInteger(), 2);
    EXPECT_EQ(o["moved"].toInteger(), 0);
    EXPECT_EQ(o["verified"].toInteger(), 0);
    EXPECT_EQ(o["failed"].toInteger(), 0);
    EXPECT_EQ(o["version"].toInteger(), 1);
    EXPECT_TRUE(o["ratingSummary"].toObject().isEmpty());
    EXPECT_TRUE(o["tagSummary"].toObject().isEmpty());
    EXPECT_EQ(o["files"].toArray().size(), 2);
}

TEST(CommitRecord, CountsAndSummariesCoverVerifiedEntriesOnly)
{
    const QList<ManifestEntry> entries{
        entry(QStringLiteral("a.mov"), 5, {QStringLiteral("Interview"), QStringLiteral("B-roll")}, ManifestEntry::verified),
        entry(QStringLiteral("b.mov"), 0, {}, ManifestEntry::verified),
        entry(QStringLiteral("c.mov"), 3, {QStringLiteral("Interview")}, ManifestEntry::failed),
        entry(QStringLiteral("d.mov"), 4, {QStringLiteral("Interview")}, ManifestEntry::needsReview),
        entry(QStringLiteral("e.mov"), 7, {QStringLiteral("Dunk"), QStringLiteral("Dunk")}, ManifestEntry::verified),
    };
    const QJsonObject o = decoded(
        CommitRecord::encode(CommitRecord::completeWithErrors, start, entries, FolderOrganization::byTag, QString()));
    EXPECT_EQ(o["appVersion"].toString(), QStringLiteral("unknown"));
    EXPECT_EQ(o["organization"].toString(), QStringLiteral("By Tag"));
    EXPECT_EQ(o["status"].toString(), QStringLiteral("complete_with_errors"));
    EXPECT_EQ(o["moved"].toInteger(), 3);
    EXPECT_EQ(o["verified"].toInteger(), 3);
    EXPECT_EQ(o["failed"].toInteger(), 1);
    EXPECT_EQ(o["pending"].toInteger(), 0);
    // The entry that needs review counts in the total only.
    EXPECT_EQ(o["totalPlanned"].toInteger(), 5);
    const QJsonObject ratings = o["ratingSummary"].toObject();
    EXPECT_EQ(ratings.keys(), (QStringList{"5-star", "Unrated"}));
    EXPECT_EQ(ratings["5-star"].toInteger(), 1);
    // A rating outside 1 to 5 is counted with the unrated clips.
    EXPECT_EQ(ratings["Unrated"].toInteger(), 2);
    const QJsonObject tags = o["tagSummary"].toObject();
    EXPECT_EQ(tags["Interview"].toInteger(), 1);
    EXPECT_EQ(tags["B-roll"].toInteger(), 1);
    // A tag listed twice on one clip counts twice.
    EXPECT_EQ(tags["Dunk"].toInteger(), 2);
    const QJsonObject review = o["files"].toArray()[3].toObject();
    EXPECT_EQ(review["status"].toString(), QStringLiteral("needs_review"));
}

TEST(CommitRecord, EntryKeysAppearOnlyWithTheirValues)
{
    ManifestEntry full = entry(QStringLiteral("a.mov"), 2, {QStringLiteral("X")}, ManifestEntry::failed);
    full.error = QStringLiteral("boom");
    full.markerFlag = MarkerFlag::special(3);
    full.filename = QStringLiteral("renamed.mov");
    const QJsonObject a = CommitRecord::entryObject(full);
    EXPECT_EQ(a.keys(), (QStringList{"codec", "duration", "error", "expectedSize", "filename", "folder", "frameRate", "from", "markerFlag",
                                     "rating", "resolution", "specialHands", "status", "tags", "to"}));
    EXPECT_EQ(a["markerFlag"].toString(), QStringLiteral("special"));
    EXPECT_EQ(a["specialHands"].toInteger(), 3);
    EXPECT_EQ(a["filename"].toString(), QStringLiteral("renamed.mov"));
    EXPECT_EQ(a["from"].toString(), QStringLiteral("/footage/a.mov"));
    EXPECT_EQ(a["to"].toString(), QStringLiteral("/out/a.mov"));
    EXPECT_EQ(a["frameRate"].toDouble(), 29.97);
    EXPECT_EQ(a["expectedSize"].toInteger(), 1000);

    ManifestEntry marker = entry(QStringLiteral("m.mov"), 0, {}, ManifestEntry::pending);
    marker.markerFlag = MarkerFlag::marker();
    const QJsonObject m = CommitRecord::entryObject(marker);
    EXPECT_EQ(m["markerFlag"].toString(), QStringLiteral("marker"));
    EXPECT_FALSE(m.contains(QStringLiteral("specialHands")));

    ManifestEntry bare = entry(QStringLiteral("b.mov"), 0, {}, ManifestEntry::pending);
    bare.resolution.reset();
    bare.frameRate = 0;
    bare.codec.clear();
    const QJsonObject b = CommitRecord::entryObject(bare);
    EXPECT_EQ(b.keys(), (QStringList{"duration", "expectedSize", "filename", "folder", "from", "rating", "status", "tags", "to"}));
    EXPECT_TRUE(b["tags"].isArray());
}

TEST(CommitRecord, DurationsRoundToOneDecimalAndNonFiniteNumbersStayWritable)
{
    auto duration = [](double seconds) {
        ManifestEntry e = entry(QStringLiteral("a.mov"), 0, {}, ManifestEntry::pending);
        e.duration = seconds;
        return CommitRecord::entryObject(e)["duration"].toDouble();
    };
    EXPECT_EQ(duration(12.34), 12.3);
    EXPECT_EQ(duration(12.35), 12.4);
    EXPECT_EQ(duration(0.04), 0.0);

    ManifestEntry odd = entry(QStringLiteral("a.mov"), 0, {}, ManifestEntry::pending);
    odd.duration = std::numeric_limits<double>::quiet_NaN();
    odd.frameRate = std::numeric_limits<double>::infinity();
    ManifestEntry huge = entry(QStringLiteral("b.mov"), 0, {}, ManifestEntry::pending);
    huge.duration = std::numeric_limits<double>::infinity();
    huge.frameRate = std::numeric_limits<double>::quiet_NaN();
    const QByteArray bytes = CommitRecord::encode(CommitRecord::inProgress, start, {odd, huge}, FolderOrganization::byRating, QString());
    EXPECT_FALSE(bytes.contains("null"));
    const QJsonArray files = decoded(bytes)["files"].toArray();
    EXPECT_EQ(files[0].toObject()["duration"], QJsonValue(0.0));
    EXPECT_FALSE(files[0].toObject().contains(QStringLiteral("frameRate")));
    EXPECT_EQ(files[1].toObject()["duration"], QJsonValue(0.0));
    EXPECT_FALSE(files[1].toObject().contains(QStringLiteral("frameRate")));
}

TEST(CommitRecord, WrittenPrettyWithSortedKeysAndEscapedSlashes)
{
    const QByteArray bytes = CommitRecord::encode(CommitRecord::complete, start,
                                                  {entry(QStringLiteral("a.mov"), 5, {QStringLiteral("A/B")}, ManifestEntry::verified)},
                                                  FolderOrganization::byRating, QString());
    EXPECT_TRUE(bytes.contains(R"("from": "\/footage\/a.mov")")) << bytes.constData();
    EXPECT_TRUE(bytes.contains(R"("to": "\/out\/a.mov")"));
    EXPECT_FALSE(bytes.contains("\"/"));
    // One member per line, keys ascending.
    QStringList topKeys;
    for (const QByteArray &line : bytes.split('\n')) {
        if (line.startsWith("    \"") && !line.startsWith("     "))
            topKeys.append(QString::fromUtf8(line.mid(5, line.indexOf('"', 5) - 5)));
    }
    QStringList sorted = topKeys;
    sorted.sort();
    EXPECT_EQ(topKeys.size(), 13);
    EXPECT_EQ(topKeys, sorted);
    // The escaped form reads back as the plain path.
    EXPECT_EQ(decoded(bytes)["files"].toArray()[0].toObject()["from"].toString(), QStringLiteral("/footage/a.mov"));
    EXPECT_EQ(decoded(bytes)["tagSummary"].toObject().keys(), QStringList{QStringLiteral("A/B")});
}

TEST(CommitRecord, StartTimeIsUtcToTheSecond)
{
    const QDateTime time(QDate(2025, 3, 1), QTime(15, 5, 9, 870), QTimeZone(3600));
    EXPECT_EQ(CommitRecord::timestamp(time), start);
}
