// Frames that do not decode alone, and files whose container refuses to
// seek: a poster, a seek's landing and a scrub frame are the clean frame of
// their time, decoded from further back where the keyframe before it does
// not stand alone. The files are made here: P-frames marked as keyframes in
// the container, packets damaged in the middle of a group and at a
// keyframe; and the format matrix's Matroska file whose seeks fail.
#include "media/AudioStreamDecoder.h"
#include "media/FFmpegVideoDecoder.h"
#include "media/ThumbnailGenerator.h"
#include "support/FormatMatrix.h"
#include "support/FrameNumberStrip.h"
#include "support/PlayerWaits.h"
#include "support/TestMedia.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>

namespace {

const QSize shownSize(320, 180);

// MPEG-4 Part 2 at 320x180, 25 fps, showing its frame numbers, 3 s,
// keyframes every 2 s, no B-frames; the P-frames 25 and 60 listed as
// keyframes by the container. (The format matrix has the same in H.264.)
QString falseKeyframesClip(const QTemporaryDir &dir)
{
    const QString path = dir.filePath(QStringLiteral("mpeg4.mp4"));
    const bool made = TestMedia::runFfmpeg(
        {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"), QStringLiteral("testsrc=size=320x180:rate=25:duration=3"),
         QStringLiteral("-vf"), FrameNumberStrip::filter(), QStringLiteral("-c:v"), QStringLiteral("mpeg4"), QStringLiteral("-q:v"),
         QStringLiteral("3"), QStringLiteral("-g"), QStringLiteral("50"), QStringLiteral("-bf"), QStringLiteral("0"), path});
    QString error;
    EXPECT_TRUE(made && FormatMatrix::markKeyframes(path, {25, 60}, &error)) << error.toStdString();
    return path;
}

int frameNumber(FFmpegVideoDecoder &decoder)
{
    return FrameNumberStrip::read(decoder.frameImage(shownSize));
}

// The byte range of a video packet in its file, by its frame number.
std::pair<qint64, int> packetOfFrame(const QString &path, int frame)
{
    FFmpegFormat format;
    EXPECT_TRUE(format.open(path));
    FFmpegPacketPtr packet = makeFFmpegPacket();
    for (int index = 0; format.context() && av_read_frame(format.context(), packet.get()) >= 0; av_packet_unref(packet.get())) {
        if (packet->stream_index == format.videoStreamIndex() && index++ == frame)
            return {packet->pos, packet->size};
    }
    return {-1, 0};
}

// A copy of a test file whose video packet `packet` (in the file's order)
// is zeros in its second half: the decoder cannot read it to its end.
QString withDamagedPacket(const QTemporaryDir &dir, const QString &name, int packet)
{
    const QString path = TestMedia::copyTo(name, dir.path());
    const auto [position, size] = packetOfFrame(path, packet);
    EXPECT_GT(position, 0);
    const QByteArray zeros(size - size / 2, '\0');
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadWrite) && file.seek(position + size / 2) && file.write(zeros) == zeros.size());
    return path;
}

} // namespace

TEST(DamagedFrames, SeeksAndPostersPassKeyframesThatDoNotDecodeAlone)
{
    // The decoder hands out the P-frames decoded from nothing, unflagged.
    QTemporaryDir dir;
    const QString path = falseKeyframesClip(dir);
    // Exact seeks on one decoder (which goes back and forth across the
    // false keyframes at 1 s and 2.4 s) and on fresh ones.
    FFmpegVideoDecoder kept;
    ASSERT_TRUE(kept.open(path, 1));
    for (const double seconds : {1.0, 1.5, 0.4, 2.4, 2.9, 1.04, 2.0, 1.96}) {
        const int expected = int(std::floor(seconds * 25 + 1e-6));
        ASSERT_TRUE(kept.seekExact(seconds)) << seconds;
        EXPECT_EQ(frameNumber(kept), expected) << seconds;
        EXPECT_FALSE(kept.frameIsDamaged()) << seconds;
        FFmpegVideoDecoder fresh;
        ASSERT_TRUE(fresh.open(path, 2));
        ASSERT_TRUE(fresh.seekExact(seconds)) << seconds;
        EXPECT_EQ(frameNumber(fresh), expected) << seconds;
    }
    // Posters right on a false keyframe take a clean frame within the tolerance.
    ThumbnailGenerator generator;
    for (const double seconds : {1.0, 2.4}) {
        QFuture<QImage> poster = generator.thumbnail(path, seconds, shownSize);
        poster.waitForFinished();
        const int number = FrameNumberStrip::read(poster.result());
        EXPECT_GE(number, 0) << seconds;
        EXPECT_LE(std::abs(number / 25.0 - seconds), ThumbnailGenerator::timeTolerance + 0.04) << seconds;
    }
}

TEST(DamagedFrames, AFrameTheDecoderFlagsAndTheFramesAfterItCountAsDamagedUpToTheNextKeyframe)
{
    // A P-frame whose packet is damaged in its second half: the decoder
    // conceals what it cannot read and says so.
    QTemporaryDir dir;
    const QString path = withDamagedPacket(dir, QStringLiteral("counter.mp4"), 75);
    // On one thread the frame the decoder flags; with frame threads, which
    // put the flag on the frame or not as their timing goes, the errors it
    // logs (and those of the frames decoded ahead of the one that comes out).
    for (const int threads : {1, 4}) {
        SCOPED_TRACE(threads);
        FFmpegVideoDecoder decoder;
        ASSERT_TRUE(decoder.open(path, threads));
        QList<int> damaged;
        for (int frame = 0; decoder.decodeNextFrame(); ++frame) {
            if (decoder.frameIsDamaged())
                damaged << frame;
        }
        ASSERT_FALSE(damaged.isEmpty());
        EXPECT_LE(damaged.first(), 75);
        EXPECT_GE(damaged.first(), threads == 1 ? 75 : 75 - 2 * threads);
        EXPECT_EQ(damaged.last(), 119); // frame 120 is the next keyframe
        EXPECT_EQ(damaged.size(), 120 - damaged.first());
        // Decoding from the start gives the same: a seek accepts the frame then.
        ASSERT_TRUE(decoder.seekExact(3.0));
        EXPECT_TRUE(decoder.frameIsDamaged());
        EXPECT_FALSE(decoder.canStartEarlier());
        ASSERT_TRUE(decoder.seekExact(4.5));
        EXPECT_FALSE(decoder.frameIsDamaged());
    }
    // A damaged keyframe (the first of the second group) landed on with
    // frame threads and B-frames, where the flag comes late or not at all:
    // damaged, and so decoded again from the keyframe before (the file's
    // first), where it stays so.
    const QString keyframe = withDamagedPacket(dir, QStringLiteral("bframes.mp4"), 60);
    for (int attempt = 0; attempt < 4; ++attempt) {
        FFmpegVideoDecoder decoder;
        ASSERT_TRUE(decoder.open(keyframe, 4));
        ASSERT_TRUE(decoder.seekExact(2.0));
        EXPECT_TRUE(decoder.frameIsDamaged()) << attempt;
        EXPECT_FALSE(decoder.canStartEarlier()) << attempt;
    }
}

TEST(DamagedFrames, AFileWhoseSeeksFailGivesThePictureAndTheSoundOfTheTimeAsked)
{
    const QString path = TestMedia::path(QStringLiteral("fmt_nocues.mkv"));
    FFmpegVideoDecoder decoder;
    ASSERT_TRUE(decoder.open(path, 1));
    EXPECT_TRUE(decoder.format().refusesSeeks());
    for (const double seconds : {3.0, 0.5}) {
        ASSERT_TRUE(decoder.seekExact(seconds)) << seconds;
        EXPECT_EQ(frameNumber(decoder), int(std::floor(seconds * 25 + 1e-6))) << seconds;
    }

    // The sound, quiet but for a loud burst from 2.0 s to 2.5 s.
    AudioStreamDecoder sound;
    ASSERT_EQ(sound.open(path, 16000, 1), AudioStreamDecoder::OpenResult::Opened);
    const auto levelAt = [&](double seconds) { return PlayerWaits::soundLevelAt(sound, seconds); };
    EXPECT_GT(levelAt(2.2), 0.2);
    EXPECT_LT(levelAt(1.0), 0.1);
    EXPECT_GT(levelAt(2.3), 0.2);
}
