#include "media/FFmpegFourCC.h"
#include "media/MediaProbe.h"
#include "support/TestMedia.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
QDateTime utc(int y, int mo, int d, int h, int mi, int s, int ms = 0)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s, ms), Qt::UTC);
}
} // namespace

TEST(MediaProbe, ReadsTheFactsOfAVideo)
{
    const QString path = TestMedia::path(QStringLiteral("pattern_1080p30.mp4"));
    const ProbeResult result = MediaProbe::probeClip(path);
    EXPECT_NEAR(result.duration, 4.0, 0.1);
    EXPECT_EQ(result.width, 1920);
    EXPECT_EQ(result.height, 1080);
    EXPECT_DOUBLE_EQ(result.frameRate, 30.0);
    EXPECT_EQ(result.fourCC, fourCC('a', 'v', 'c', '1'));
    EXPECT_EQ(result.codec, QStringLiteral("H.264"));
    EXPECT_EQ(result.fileSize, QFileInfo(path).size());
    EXPECT_GT(result.fileSize, 0);
    EXPECT_TRUE(result.recordingDateChecked);

    const ProbeResult portrait = MediaProbe::probeClip(TestMedia::path(QStringLiteral("portrait.mp4")));
    EXPECT_EQ(portrait.width, 1080);
    EXPECT_EQ(portrait.height, 1920);
    // A landscape recording with a quarter-turn display matrix shows upright.
    const ProbeResult rotated = MediaProbe::probeClip(TestMedia::path(QStringLiteral("rotated.mp4")));
    EXPECT_EQ(rotated.width, 1080);
    EXPECT_EQ(rotated.height, 1920);
}

TEST(MediaProbe, RecordingDateFromContainerMetadata)
{
    const ProbeResult dated = MediaProbe::probeClip(TestMedia::path(QStringLiteral("dated.mov")));
    ASSERT_TRUE(dated.recordedAt.has_value());
    EXPECT_EQ(*dated.recordedAt, utc(2024, 5, 1, 10, 20, 30));
    EXPECT_EQ(MediaProbe::loadRecordingDate(TestMedia::path(QStringLiteral("dated.mov"))), dated.recordedAt);

    // Cancelled before the date is read: no date, still checked.
    std::atomic_bool cancelled{true};
    const ProbeResult cut = MediaProbe::probeClip(TestMedia::path(QStringLiteral("dated.mov")), &cancelled);
    EXPECT_FALSE(cut.recordedAt.has_value());
    EXPECT_TRUE(cut.recordingDateChecked);
    EXPECT_EQ(cut.width, 320);
    EXPECT_FALSE(MediaProbe::loadRecordingDate(TestMedia::path(QStringLiteral("dated.mov")), &cancelled).has_value());
}

TEST(MediaProbe, ParsesDatesWithAndWithoutFractionsAndRejectsOthers)
{
    EXPECT_EQ(MediaProbe::parseRecordingDate(QStringLiteral("2024-05-01T10:20:30.500Z")), utc(2024, 5, 1, 10, 20, 30, 500));
    EXPECT_EQ(MediaProbe::parseRecordingDate(QStringLiteral("2024-05-01T10:20:30.000000Z")), utc(2024, 5, 1, 10, 20, 30));
    EXPECT_EQ(MediaProbe::parseRecordingDate(QStringLiteral("2024-05-01T10:20:30Z")), utc(2024, 5, 1, 10, 20, 30));
    EXPECT_EQ(MediaProbe::parseRecordingDate(QStringLiteral("2024-05-01T12:20:30+0200")), utc(2024, 5, 1, 10, 20, 30));
    EXPECT_EQ(MediaProbe::parseRecordingDate(QStringLiteral("2024-05-01T05:20:30-05:00")), utc(2024, 5, 1, 10, 20, 30));
    for (const char *bad : {"May 1, 2024", "", "2024-05-01", "2024-05-01T10:20:30", "2024-13-01T10:20:30Z", "2024-02-30T10:20:30Z",
                            "2024-05-01T25:20:30Z", " 2024-05-01T10:20:30Z"})
        EXPECT_FALSE(MediaProbe::parseRecordingDate(QString::fromLatin1(bad)).has_value()) << bad;
}

TEST(MediaProbe, FilesWithoutPictureGiveZeros)
{
    const ProbeResult audio = MediaProbe::probeClip(TestMedia::path(QStringLiteral("audioonly.mp4")));
    EXPECT_NEAR(audio.duration, 2.0, 0.1);
    EXPECT_EQ(audio.width, 0);
    EXPECT_EQ(audio.height, 0);
    EXPECT_EQ(audio.frameRate, 0);
    EXPECT_TRUE(audio.codec.isEmpty());
    EXPECT_GT(audio.fileSize, 0);

    for (const QString &name : {QStringLiteral("notavideo.mov"), QStringLiteral("empty.mp4")}) {
        const ProbeResult result = MediaProbe::probeClip(TestMedia::path(name));
        EXPECT_EQ(result.duration, 0) << name.toStdString();
        EXPECT_EQ(result.width, 0);
        EXPECT_EQ(result.height, 0);
        EXPECT_EQ(result.frameRate, 0);
        EXPECT_TRUE(result.codec.isEmpty());
        EXPECT_FALSE(result.recordedAt.has_value());
        EXPECT_TRUE(result.recordingDateChecked);
        EXPECT_EQ(result.fileSize, QFileInfo(TestMedia::path(name)).size());
    }
    const ProbeResult missing = MediaProbe::probeClip(QStringLiteral("/nonexistent/clip.mov"));
    EXPECT_EQ(missing.fileSize, 0);
    EXPECT_EQ(missing.duration, 0);

    // The header of a truncated file is whole: whatever it tells must be sane.
    const ProbeResult truncated = MediaProbe::probeClip(TestMedia::path(QStringLiteral("truncated.mp4")));
    EXPECT_GE(truncated.duration, 0);
    EXPECT_GT(truncated.fileSize, 0);
}

TEST(MediaProbe, CodecOfContainersWithoutCodecTags)
{
    const ProbeResult mkv = MediaProbe::probeClip(TestMedia::path(QStringLiteral("clip.mkv")));
    EXPECT_EQ(mkv.fourCC, fourCC('a', 'v', 'c', '1'));
    EXPECT_EQ(mkv.codec, QStringLiteral("H.264"));
    EXPECT_EQ(mkv.width, 320);
    EXPECT_DOUBLE_EQ(mkv.frameRate, 30.0);
    EXPECT_NEAR(mkv.duration, 1.0, 0.1);

    const ProbeResult webm = MediaProbe::probeClip(TestMedia::path(QStringLiteral("clip.webm")));
    EXPECT_EQ(webm.fourCC, fourCC('v', 'p', '0', '9'));
    EXPECT_EQ(webm.codec, QStringLiteral("vp09"));

    // ProRes in Matroska: the profile decides the code.
    QTemporaryDir dir;
    const QString prores = dir.filePath(QStringLiteral("hq.mkv"));
    ASSERT_TRUE(
        TestMedia::lavfiClip(prores, QStringLiteral("testsrc2=size=320x240:rate=25"), 0.2,
                             {QStringLiteral("-c:v"), QStringLiteral("prores_ks"), QStringLiteral("-profile:v"), QStringLiteral("3")}));
    const ProbeResult hq = MediaProbe::probeClip(prores);
    EXPECT_EQ(hq.fourCC, fourCC('a', 'p', 'c', 'h'));
    EXPECT_EQ(hq.codec, QStringLiteral("ProRes 422 HQ"));
}

TEST(FFmpegFourCC, CodecTagsAreReadFirstCharacterMostSignificant)
{
    // MKTAG('a','v','c','1') as FFmpeg stores it.
    const quint32 tag = 'a' | ('v' << 8) | ('c' << 16) | ('1' << 24);
    EXPECT_EQ(fourCCFromCodecTag(tag), 0x61766331u);
    EXPECT_EQ(fourCC('a', 'v', 'c', '1'), 0x61766331u);
}
