#include "library/model/Clip.h"
#include "library/model/ReferenceDate.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTimeZone>
#include <gtest/gtest.h>

#include <limits>

namespace {

Clip sampleClip()
{
    Clip c;
    c.id = QUuid::fromString(QStringLiteral("12345678-9ABC-DEF0-1234-56789ABCDEF0"));
    c.url = QUrl::fromLocalFile(QStringLiteral("/footage/day 1/A001.mov"));
    c.filename = QStringLiteral("A001.mov");
    c.duration = 12.5;
    c.width = 1920;
    c.height = 1080;
    c.fileSize = 123456789;
    c.codec = QStringLiteral("H.264");
    c.frameRate = 29.97;
    c.rating = 4;
    c.tags = {QStringLiteral("Dunk"), QStringLiteral("Three")};
    return c;
}

QJsonObject requiredObject()
{
    return sampleClip().toJson();
}

QString decodeError(const QJsonObject &o)
{
    QString error;
    EXPECT_FALSE(Clip::fromJson(o, &error).has_value());
    return error;
}

} // namespace

TEST(ClipJson, ClipWithoutOptionalsHasExactlyTheElevenRequiredKeys)
{
    const QJsonObject o = sampleClip().toJson();
    QStringList keys = o.keys();
    keys.sort();
    EXPECT_EQ(keys,
              (QStringList{"codec", "duration", "fileSize", "filename", "frameRate", "height", "id", "rating", "tags", "url", "width"}));
    EXPECT_EQ(o.value("id").toString(), QStringLiteral("12345678-9ABC-DEF0-1234-56789ABCDEF0"));
    EXPECT_EQ(o.value("url").toString(), QStringLiteral("file:///footage/day%201/A001.mov"));
    EXPECT_TRUE(o.value("tags").isArray());
}

TEST(ClipJson, RoundTripKeepsEveryFieldIncludingOptionals)
{
    Clip c = sampleClip();
    c.markerFlag = MarkerFlag::special(3);
    c.recordedAt = QDateTime(QDate(2024, 5, 1), QTime(10, 20, 30, 250), QTimeZone::utc());
    c.recordingDateChecked = true;
    c.numberingResetReview = NumberingResetReview{QUuid::createUuid(), NumberingResetReview::Decision::linked};
    c.isMissing = true;

    const QJsonObject o = c.toJson();
    EXPECT_FALSE(o.contains("isMissing"));
    EXPECT_EQ(o.value("markerFlag").toString(), QStringLiteral("special:3"));
    EXPECT_DOUBLE_EQ(o.value("recordedAt").toDouble(), 736251630.25);
    // Through the JSON text, as the session file stores it.
    const QJsonObject reread = QJsonDocument::fromJson(QJsonDocument(o).toJson(QJsonDocument::Compact)).object();
    const auto back = Clip::fromJson(reread);
    ASSERT_TRUE(back.has_value());
    EXPECT_FALSE(back->isMissing);
    Clip expected = c;
    expected.isMissing = false;
    EXPECT_EQ(*back, expected);
    EXPECT_EQ(back->duration, 12.5);
    EXPECT_EQ(back->width, 1920);
    EXPECT_EQ(back->fileSize, 123456789);
    EXPECT_EQ(back->codec, QStringLiteral("H.264"));
    EXPECT_EQ(back->frameRate, 29.97);
    EXPECT_EQ(back->recordingDateChecked, std::optional<bool>(true));
    EXPECT_EQ(back->recordedAt->toMSecsSinceEpoch(), c.recordedAt->toMSecsSinceEpoch());
}

TEST(ClipJson, OptionalKeysMayBeAbsentOrNullAndUnknownKeysAreIgnored)
{
    QJsonObject o = requiredObject();
    o.insert("markerFlag", QJsonValue::Null);
    o.insert("recordedAt", QJsonValue::Null);
    o.insert("recordingDateChecked", QJsonValue::Null);
    o.insert("numberingResetReview", QJsonValue::Null);
    o.insert("isMissing", true);
    o.insert("somethingNew", 42);
    const auto c = Clip::fromJson(o);
    ASSERT_TRUE(c.has_value());
    EXPECT_FALSE(c->markerFlag.has_value());
    EXPECT_FALSE(c->recordedAt.has_value());
    EXPECT_FALSE(c->recordingDateChecked.has_value());
    EXPECT_FALSE(c->numberingResetReview.has_value());
    EXPECT_FALSE(c->isMissing);
}

TEST(ClipJson, RejectionsCarryTheirTexts)
{
    QJsonObject o = requiredObject();
    o.remove("codec");
    EXPECT_EQ(decodeError(o), QStringLiteral("No value associated with key \"codec\"."));

    o = requiredObject();
    o.insert("width", QJsonValue::Null);
    EXPECT_EQ(decodeError(o), QStringLiteral("Expected a value for key \"width\" but found null instead."));

    o = requiredObject();
    o.insert("rating", QStringLiteral("4"));
    EXPECT_EQ(decodeError(o), QStringLiteral("Expected to decode Int for key \"rating\" but found another type instead."));

    o = requiredObject();
    o.insert("width", 1920.5);
    EXPECT_EQ(decodeError(o), QStringLiteral("Expected to decode Int for key \"width\" but found another type instead."));

    o = requiredObject();
    o.insert("tags", QJsonArray{QStringLiteral("A"), 3});
    EXPECT_EQ(decodeError(o), QStringLiteral("Expected to decode String for key \"tags\" but found another type instead."));

    o = requiredObject();
    o.insert("id", QStringLiteral("{12345678-9ABC-DEF0-1234-56789ABCDEF0}"));
    EXPECT_EQ(decodeError(o), QStringLiteral("Attempted to decode UUID from invalid UUID string."));

    o = requiredObject();
    o.insert("url", QString());
    EXPECT_EQ(decodeError(o), QStringLiteral("Invalid URL string."));

    o = requiredObject();
    o.insert("markerFlag", QStringLiteral("Marker"));
    EXPECT_EQ(decodeError(o), QStringLiteral("Unknown MarkerFlag value 'Marker'"));

    o = requiredObject();
    o.insert("numberingResetReview", QJsonObject{{"previousClipID", "12345678-9ABC-DEF0-1234-56789ABCDEF0"}, {"decision", "kept"}});
    EXPECT_EQ(decodeError(o), QStringLiteral("Cannot initialize Decision from invalid String value kept"));

    o = requiredObject();
    o.insert("numberingResetReview", QJsonObject{{"decision", "linked"}});
    EXPECT_EQ(decodeError(o), QStringLiteral("No value associated with key \"previousClipID\"."));
}

TEST(ClipJson, IntegersKeepTheWhole64BitRangeAndValuesAreTakenAsTheyStand)
{
    QJsonObject o = requiredObject();
    o.insert("fileSize", std::numeric_limits<qint64>::max());
    o.insert("rating", 9);
    o.insert("tags", QJsonArray{QStringLiteral("A"), QStringLiteral("A")});
    o.insert("width", 640.0);
    const QJsonObject reread = QJsonDocument::fromJson(QJsonDocument(o).toJson()).object();
    const auto c = Clip::fromJson(reread);
    ASSERT_TRUE(c.has_value());
    EXPECT_EQ(c->fileSize, std::numeric_limits<qint64>::max());
    EXPECT_EQ(c->rating, 9);
    EXPECT_EQ(c->tags, (QStringList{"A", "A"}));
    EXPECT_EQ(c->width, 640);

    o.insert("fileSize", 1.0e19);
    EXPECT_FALSE(Clip::fromJson(o).has_value());
}

TEST(ClipJson, NonFiniteMediaFactsAreWrittenAsZero)
{
    Clip c = sampleClip();
    c.duration = std::numeric_limits<double>::quiet_NaN();
    c.frameRate = std::numeric_limits<double>::infinity();
    const QByteArray text = QJsonDocument(c.toJson()).toJson(QJsonDocument::Compact);
    EXPECT_FALSE(text.contains("null"));
    const auto back = Clip::fromJson(QJsonDocument::fromJson(text).object());
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->duration, 0.0);
    EXPECT_EQ(back->frameRate, 0.0);
}

TEST(ClipJson, RecordedAtCountsFromTheReferenceDate)
{
    EXPECT_EQ(ReferenceDate::secondsSinceReference(QDateTime(QDate(2001, 1, 1), QTime(0, 0), QTimeZone::utc())), 0.0);
    EXPECT_EQ(ReferenceDate::fromSecondsSinceReference(-978307200.0).toMSecsSinceEpoch(), 0);
    EXPECT_FALSE(ReferenceDate::fromSecondsSinceReference(std::numeric_limits<double>::infinity()).isValid());

    // A date too far away to represent reads as unknown, not as an invalid date.
    QJsonObject o = requiredObject();
    o.insert("recordedAt", 1.0e300);
    const auto c = Clip::fromJson(o);
    ASSERT_TRUE(c.has_value());
    EXPECT_FALSE(c->recordedAt.has_value());
}

TEST(ClipEquality, IgnoresMediaFactsAndTheDateCheckButNotTagOrder)
{
    Clip a = sampleClip();
    Clip b = a;
    b.recordingDateChecked = true;
    b.duration = 99;
    b.codec = QStringLiteral("HEVC");
    b.fileSize = 1;
    EXPECT_EQ(a, b);
    EXPECT_EQ(qHash(a), qHash(b));

    b = a;
    b.tags = {QStringLiteral("Three"), QStringLiteral("Dunk")};
    EXPECT_NE(a, b);
    b = a;
    b.isMissing = true;
    EXPECT_NE(a, b);
    b = a;
    b.markerFlag = MarkerFlag::marker();
    EXPECT_NE(a, b);
    b = a;
    b.numberingResetReview = NumberingResetReview{};
    EXPECT_NE(a, b);
}
