// A Matroska file whose seeks fail and whose times fall back every 65.5 s
// (the format matrix's fmt_nocues.mkv made 80 s long): seeks go by byte
// position from an index of its packets made once for all its readers,
// and land on the frame and the sound of their time, past where the times
// fall back too, from a keyframe near the target rather than the start.
#include "media/AudioStreamDecoder.h"
#include "media/FFmpegVideoDecoder.h"
#include "media/PacketTimeUnwrapper.h"
#include "media/SeeklessIndex.h"
#include "media/ThumbnailGenerator.h"
#include "media/VideoPlayer.h"
#include "support/FrameNumberStrip.h"
#include "support/TestMedia.h"
#include "support/PlayerWaits.h"

#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>

namespace {

constexpr double frameRate = 25;
const QSize pictureSize(160, 90);

QString wrappingFile()
{
    return TestMedia::path(QStringLiteral("nocues_wrap.mkv"));
}

int frameAt(double seconds)
{
    return int(std::floor(seconds * frameRate + 1e-6));
}

} // namespace

TEST(SeeklessFiles, SeeksLandOnTheFrameOfTheirTimeFromTheKeyframeBeforeIt)
{
    const QString path = wrappingFile();
    FFmpegVideoDecoder decoder;
    ASSERT_TRUE(decoder.open(path, 1));
    ASSERT_TRUE(decoder.format().refusesSeeks());
    // Keyframes every 24 s; the times fall back at 4.464 s and 70 s.
    for (const double seconds : {75.0, 3.0, 30.5, 71.0, 10.0, 79.9, 48.0, 0.0}) {
        ASSERT_TRUE(decoder.seekExact(seconds)) << seconds;
        EXPECT_EQ(FrameNumberStrip::read(decoder.frameImage(pictureSize)), frameAt(seconds)) << seconds;
        EXPECT_NEAR(decoder.frameTime(), frameAt(seconds) / frameRate, 1e-3) << seconds;
        // Decoded from the keyframe before it, not from the start of the file.
        EXPECT_EQ(decoder.canStartEarlier(), seconds >= 24) << seconds;
    }
    // Made once, for every reader of the file.
    EXPECT_TRUE(SeeklessIndex::forFile(path)->isMade());

    // A poster past the second fall.
    ThumbnailGenerator generator;
    QFuture<QImage> poster = generator.thumbnail(path, 77.0, pictureSize);
    poster.waitForFinished();
    EXPECT_NEAR(FrameNumberStrip::read(poster.result()), frameAt(77.0), ThumbnailGenerator::timeTolerance * frameRate);

    // The player, on and back across it.
    VideoPlayer player(path);
    player.setTargetSize(pictureSize);
    ASSERT_TRUE(QTest::qWaitFor([&] { return player.isReadyForDisplay(); }, 30000));
    for (const double seconds : {68.0, 76.5, 69.5, 5.0}) {
        bool done = false;
        player.seek(seconds, [&](bool) { done = true; });
        ASSERT_TRUE(QTest::qWaitFor([&] { return done; }, 30000)) << seconds;
        EXPECT_EQ(FrameNumberStrip::read(player.currentFrame()), frameAt(seconds)) << seconds;
        EXPECT_NEAR(player.currentFrameTime(), frameAt(seconds) / frameRate, 1e-3) << seconds;
    }
}

TEST(SeeklessFiles, TheSoundOfATimePastWhereTheTimesFallBackIsThatTimes)
{
    // Quiet but for a loud burst from 74.0 s to 74.5 s.
    AudioStreamDecoder sound;
    ASSERT_EQ(sound.open(wrappingFile(), 16000, 1), AudioStreamDecoder::OpenResult::Opened);
    const auto levelAt = [&](double seconds) { return PlayerWaits::soundLevelAt(sound, seconds); };
    EXPECT_GT(levelAt(74.2), 0.2);
    EXPECT_LT(levelAt(73.5), 0.1);
    EXPECT_GT(levelAt(74.3), 0.2);
}

TEST(SeeklessFiles, ThePassThroughTheFileEndsWhenItsReaderIsStopped)
{
    QTemporaryDir dir;
    const QString path = TestMedia::copyTo(QStringLiteral("nocues_wrap.mkv"), dir.path()); // a file of its own: no index yet
    std::atomic_bool stopping{true};
    FFmpegVideoDecoder decoder;
    decoder.setInterruptFlag(&stopping);
    ASSERT_TRUE(decoder.open(path, 1));
    EXPECT_FALSE(decoder.seekExact(75.0));
    EXPECT_FALSE(SeeklessIndex::forFile(path)->isMade());
    stopping = false;
    ASSERT_TRUE(decoder.seekExact(75.0));
    EXPECT_EQ(FrameNumberStrip::read(decoder.frameImage(pictureSize)), frameAt(75.0));
}

// Times as read in order: on by the distance the container's moved, by a
// packet's duration where they fall back or are missing.
TEST(SeeklessFiles, PacketTimesRunOnWhereTheContainersFallBack)
{
    constexpr qint64 none = PacketTimeUnwrapper::none;
    PacketTimeUnwrapper unwrapper;
    struct Step
    {
        qint64 pts, dts, duration, shown, decoded;
    };
    const Step steps[] = {
        {0, 0, 40, 0, 0},                 // the first as it is
        {40, 40, 40, 40, 40},             // on by the distance
        {16, 16, 40, 80, 80},             // fallen back: one duration on
        {56, 56, 40, 120, 120},           // on again
        {65496, 65496, 40, 65560, 65560}, // a gap
        {0, 0, 40, 65600, 65600},         // wrapped
        {none, none, 40, 65640, 65640},   // no time
        {200, 120, 0, 65760, 65680},      // shown after it is decoded; no duration: the shortest step seen
    };
    for (const Step &step : steps) {
        const PacketTimeUnwrapper::Times times = unwrapper.next(step.pts, step.dts, step.duration);
        EXPECT_EQ(times.shown, step.shown) << step.pts;
        EXPECT_EQ(times.decoded, step.decoded) << step.pts;
    }
}
