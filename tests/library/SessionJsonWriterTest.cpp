#include "StoreTestSupport.h"
#include "library/SessionJsonWriter.h"

#include <QJsonDocument>
#include <QJsonParseError>
#include <gtest/gtest.h>

#include <limits>

using namespace StoreTest;

// The direct writer must say exactly what the clip and session JSON objects
// say, for every field and for awkward text.
TEST(SessionJsonWriter, ReadsBackLikeTheJsonObjectsOfTheRecord)
{
    Clip full = clip(QStringLiteral("Quote \" back\\slash\ttab\nline \x01 ctl é 日本 😀.mov"), 5,
                     {QStringLiteral("Dunk"), QStringLiteral("tag \"x\"")});
    full.url = QUrl::fromLocalFile(QStringLiteral("/footage/Day 1/naïve #1 %20.mov"));
    full.duration = 12.345678901234567;
    full.frameRate = 29.97f;
    full.fileSize = std::numeric_limits<qint64>::max();
    full.markerFlag = MarkerFlag::special(3);
    full.recordedAt = QDateTime(QDate(2024, 5, 1), QTime(10, 20, 30, 500), Qt::UTC);
    full.recordingDateChecked = false;
    full.numberingResetReview = NumberingResetReview{QUuid::createUuid(), NumberingResetReview::Decision::linked};
    Clip bare = clip(QStringLiteral("bare.mov"));
    bare.duration = std::numeric_limits<double>::quiet_NaN();
    bare.frameRate = std::numeric_limits<double>::infinity();
    bare.width = -1;

    ClipStore::SessionData data;
    data.clips = {full, bare};
    data.sourceFolderURL = QUrl::fromLocalFile(QStringLiteral("/footage/Day 1"));
    data.availableTags = {QStringLiteral("Dunk"), QString(), QStringLiteral("Ünïcode")};
    data.folderOrganization = QStringLiteral("By Rating");
    data.gridColumns = 9;
    data.savedAt = QDateTime::currentDateTimeUtc();

    QJsonParseError error;
    const QJsonDocument written = QJsonDocument::fromJson(SessionJsonWriter::encode(data), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    EXPECT_EQ(written.object(), data.toJson());

    data.sourceFolderURL.reset();
    data.clips.clear();
    EXPECT_EQ(QJsonDocument::fromJson(SessionJsonWriter::encode(data)).object(), data.toJson());
}
