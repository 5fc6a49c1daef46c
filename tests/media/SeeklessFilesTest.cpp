// A Matroska file whose seeks fail and whose times fall back every 65.5 s
// (the format matrix's fmt_nocues.mkv made 80 s long): seeks go by byte
// position from an index of its packets made once for all its readers,
// and land on the frame and the sound of their time, past where the times
// fall back too, from a keyframe near the target rather than the start.
#include "media/AudioStreamDecoder.h"
#include "media/FFmpegVideoDecoder.h"
#include "media/SeeklessIndex.h"
#include "media/ThumbnailGenerator.h"
#include "support/FrameNumberStrip.h"
#include "support/TestMedia.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr double frameRate = 25;

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
        EXPECT_EQ(FrameNumberStrip::read(decoder.frameImage(QSize(160, 90))), frameAt(seconds)) << seconds;
        EXPECT_NEAR(decoder.toSeconds(decoder.frameTimestamp()), frameAt(seconds) / frameRate, 1e-3) << seconds;
        // Decoded from the keyframe before it, not from the start of the file.
        EXPECT_EQ(decoder.canStartEarlier(), seconds >= 24) << seconds;
    }
    // Made once, for every reader of the file.
    EXPECT_TRUE(SeeklessIndex::forFile(path)->isMade());

    // A poster past the second fall.
    ThumbnailGenerator generator;
    QFuture<QImage> poster = generator.thumbnail(path, 77.0, QSize(160, 90));
    poster.waitForFinished();
    EXPECT_NEAR(FrameNumberStrip::read(poster.result()), frameAt(77.0), ThumbnailGenerator::timeTolerance * frameRate);
}

TEST(SeeklessFiles, TheSoundOfATimePastWhereTheTimesFallBackIsThatTimes)
{
    // Quiet but for a loud burst from 74.0 s to 74.5 s.
    AudioStreamDecoder sound;
    ASSERT_EQ(sound.open(wrappingFile(), 16000, 1), AudioStreamDecoder::OpenResult::Opened);
    const auto levelAt = [&](double seconds) {
        EXPECT_TRUE(sound.seek(seconds));
        QByteArray pcm;
        sound.read(pcm, 1600);
        const auto *samples = reinterpret_cast<const float *>(pcm.constData());
        double sum = 0;
        const qsizetype count = pcm.size() / qsizetype(sizeof(float));
        for (qsizetype i = 0; i < count; ++i)
            sum += double(samples[i]) * samples[i];
        return count > 0 ? std::sqrt(sum / double(count)) : 0.0;
    };
    EXPECT_GT(levelAt(74.2), 0.2);
    EXPECT_LT(levelAt(73.5), 0.1);
    EXPECT_GT(levelAt(74.3), 0.2);
}
