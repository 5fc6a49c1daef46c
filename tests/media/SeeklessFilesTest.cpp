// A Matroska file whose seeks fail and whose times fall back every 65.5 s
// (the format matrix's fmt_nocues.mkv made 80 s long): seeks go by byte
// position from an index of its packets made once for all its readers,
// and land on the frame and the sound of their time, past where the times
// fall back too, from a keyframe near the target rather than the start.
#include "media/AudioStreamDecoder.h"
#include "media/FFmpegVideoDecoder.h"
#include "media/SeeklessIndex.h"
#include "media/ThumbnailGenerator.h"
#include "media/VideoPlayer.h"
#include "support/FrameNumberStrip.h"
#include "support/PlayerWaits.h"
#include "support/TestMedia.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>

namespace {

constexpr double frameRate = 25;
const QSize pictureSize(160, 90);

int frameAt(double seconds)
{
    return int(std::floor(seconds * frameRate + 1e-6));
}

} // namespace

TEST(SeeklessFiles, PicturesAndSoundLandOnTheirTimeFromTheKeyframeBeforeIt)
{
    const QString path = TestMedia::path(QStringLiteral("nocues_wrap.mkv"));
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
    const auto player = PlayerWaits::readyPlayer(path, {}, pictureSize);
    for (const double seconds : {68.0, 76.5, 69.5, 5.0}) {
        ASSERT_TRUE(PlayerWaits::seekAndWait(*player, seconds)) << seconds;
        EXPECT_EQ(FrameNumberStrip::read(player->currentFrame()), frameAt(seconds)) << seconds;
        EXPECT_NEAR(player->currentFrameTime(), frameAt(seconds) / frameRate, 1e-3) << seconds;
    }

    // The sound, quiet but for a loud burst from 74.0 s to 74.5 s.
    AudioStreamDecoder sound;
    ASSERT_EQ(sound.open(path, 16000, 1), AudioStreamDecoder::OpenResult::Opened);
    EXPECT_GT(PlayerWaits::soundLevelAt(sound, 74.2), 0.2);
    EXPECT_LT(PlayerWaits::soundLevelAt(sound, 73.5), 0.1);
    EXPECT_GT(PlayerWaits::soundLevelAt(sound, 74.3), 0.2);
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
