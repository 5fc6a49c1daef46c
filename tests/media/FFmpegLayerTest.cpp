#include "media/AudioStreamDecoder.h"
#include "media/FFmpegAudioDecoder.h"
#include "media/FFmpegFormat.h"
#include "media/FFmpegFrameConverter.h"
#include "media/FFmpegVideoDecoder.h"
#include "media/PixelBufferPool.h"
#include "support/TestMedia.h"

#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace {

QByteArray imageHash(const QImage &image)
{
    QCryptographicHash hash(QCryptographicHash::Sha1);
    for (int y = 0; y < image.height(); ++y)
        hash.addData(QByteArrayView(reinterpret_cast<const char *>(image.constScanLine(y)), image.width() * 4));
    return hash.result();
}

// A short full-range (yuvj420p) clip of the lavfi source `source` in `dir`.
QString fullRangeClip(const QTemporaryDir &dir, const QString &source)
{
    const QString path = dir.filePath(QStringLiteral("full-range.mp4"));
    EXPECT_TRUE(TestMedia::lavfiClip(path, source, 0.2,
                                     {QStringLiteral("-vf"), QStringLiteral("scale=out_range=full"), QStringLiteral("-c:v"),
                                      QStringLiteral("libx264"), QStringLiteral("-pix_fmt"), QStringLiteral("yuvj420p"),
                                      QStringLiteral("-color_range"), QStringLiteral("pc")}));
    return path;
}

double maxAbsSample(const FFmpegAudioBuffer &buffer, int channel)
{
    double peak = 0;
    const float *samples = buffer.floatSamples();
    for (qint64 i = 0; i < buffer.frameCount(); ++i)
        peak = std::max(peak, double(std::fabs(samples[i * buffer.format.channels + channel])));
    return peak;
}

} // namespace

TEST(FFmpegFormat, FindsStreamsAndDisplaySize)
{
    FFmpegFormat format;
    QString error;
    ASSERT_TRUE(format.open(TestMedia::path(QStringLiteral("pattern_1080p30.mp4")), &error)) << error.toStdString();
    EXPECT_GE(format.videoStreamIndex(), 0);
    EXPECT_GE(format.audioStreamIndex(), 0);
    EXPECT_EQ(format.displaySize(), QSize(1920, 1080));
    EXPECT_DOUBLE_EQ(format.frameRate(), 30.0);
    EXPECT_NEAR(format.durationSeconds(), 4.0, 0.1);

    FFmpegFormat rotated;
    ASSERT_TRUE(rotated.open(TestMedia::path(QStringLiteral("rotated.mp4"))));
    EXPECT_EQ(rotated.codedSize(), QSize(1920, 1080));
    EXPECT_EQ(rotated.orientation(), VideoOrientation::turned(90));
    EXPECT_EQ(rotated.displaySize(), QSize(1080, 1920));

    FFmpegFormat audioOnly;
    ASSERT_TRUE(audioOnly.open(TestMedia::path(QStringLiteral("audioonly.mp4"))));
    EXPECT_LT(audioOnly.videoStreamIndex(), 0);
    EXPECT_GE(audioOnly.audioStreamIndex(), 0);
    EXPECT_TRUE(audioOnly.displaySize().isEmpty());
}

TEST(FFmpegFormat, DamagedAndForeignFilesFailWithText)
{
    for (const QString &name : {QStringLiteral("empty.mp4"), QStringLiteral("notavideo.mov")}) {
        FFmpegFormat format;
        QString error;
        EXPECT_FALSE(format.open(TestMedia::path(name), &error)) << name.toStdString();
        EXPECT_FALSE(error.isEmpty());
        EXPECT_FALSE(format.isOpen());
    }
    FFmpegFormat missing;
    QString error;
    EXPECT_FALSE(missing.open(QStringLiteral("/nonexistent/folder/clip.mp4"), &error));
    EXPECT_FALSE(error.isEmpty());

    // A truncated file may open (its header is whole) but decoding must end cleanly.
    FFmpegVideoDecoder decoder;
    if (decoder.open(TestMedia::path(QStringLiteral("truncated.mp4")), 2)) {
        int frames = 0;
        while (decoder.decodeNextFrame() && frames < 1000)
            ++frames;
        EXPECT_LT(frames, 1000);
        decoder.seekExact(1.5); // may fail; must not crash
    }
}

TEST(FFmpegFormat, ProtocolLookingNamesStayLocalFiles)
{
    QTemporaryDir dir;
    const QString copy = TestMedia::copyTo(QStringLiteral("noaudio.mp4"), dir.path(), QStringLiteral("http:clip.mp4"));
    FFmpegFormat format;
    QString error;
    EXPECT_TRUE(format.open(copy, &error)) << error.toStdString();
}

// Decodes every frame of path in order, then checks that exact seeks show
// the frame on show at each time: the last frame that starts at or before it.
// Targets on frame boundaries, just before them and between two frames, from
// a decoder standing anywhere (backwards, across keyframes, decoding on).
static void expectExactSeeks(const QString &path, int frameCount, const std::vector<int> &targets)
{
    FFmpegVideoDecoder sequential;
    ASSERT_TRUE(sequential.open(path, 1));
    std::vector<QByteArray> hashes;
    std::vector<double> times;
    while (sequential.decodeNextFrame()) {
        hashes.push_back(imageHash(sequential.frameImage()));
        times.push_back(sequential.frameTime());
    }
    ASSERT_EQ(hashes.size(), size_t(frameCount));
    EXPECT_NEAR(times.front(), 0.0, 1e-6);

    FFmpegVideoDecoder seeker;
    ASSERT_TRUE(seeker.open(path, FFmpegVideoDecoder::oneOffThreadCount()));
    const auto expectFrame = [&](double seconds, int n) {
        ASSERT_TRUE(seeker.seekExact(seconds)) << seconds;
        EXPECT_NEAR(seeker.frameTime(), times[size_t(n)], 1e-6) << seconds;
        EXPECT_EQ(imageHash(seeker.frameImage()), hashes[size_t(n)]) << seconds;
    };
    for (const int n : targets) {
        SCOPED_TRACE(n);
        expectFrame(n / 30.0, n);         // on its boundary
        expectFrame((n + 0.5) / 30.0, n); // half way to the next one
        expectFrame((n + 0.9) / 30.0, n); // just before the next one
        if (n > 0)
            expectFrame(n / 30.0 - 0.0005, n - 1); // just before its own start
    }
    // Stepping forward one frame at a time decodes on.
    for (int n = 10; n < 15; ++n)
        expectFrame(n / 30.0, n);
    // Before the first frame: the first; past the end: the last frame.
    expectFrame(0.0, 0);
    expectFrame(600.0, frameCount - 1);
    expectFrame(times.back() + 0.9 / 30.0, frameCount - 1);
}

TEST(FFmpegVideoDecoder, ExactSeekLandsOnTheFrameOfThatTime)
{
    expectExactSeeks(TestMedia::path(QStringLiteral("counter.mp4")), 300, {250, 61, 60, 59, 0, 299, 120, 121, 1, 200});
}

TEST(FFmpegVideoDecoder, ExactSeekWithReorderedFrames)
{
    // B-frames: decode order differs from presentation order.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bframes.mp4"));
    ASSERT_TRUE(TestMedia::lavfiClip(path, QStringLiteral("testsrc=size=320x240:rate=30"), 4,
                                     {QStringLiteral("-c:v"), QStringLiteral("libx264"), QStringLiteral("-preset"),
                                      QStringLiteral("medium"), QStringLiteral("-bf"), QStringLiteral("3"), QStringLiteral("-g"),
                                      QStringLiteral("45"), QStringLiteral("-pix_fmt"), QStringLiteral("yuv420p")}));
    expectExactSeeks(path, 120, {100, 46, 45, 44, 0, 119, 90, 91, 1, 62});
}

TEST(FFmpegVideoDecoder, SeekNearTakesAKeyframeWithinTheTolerance)
{
    // counter.mp4: keyframes every 2 s (frames 0, 60, 120, ...).
    FFmpegVideoDecoder decoder;
    ASSERT_TRUE(decoder.open(TestMedia::path(QStringLiteral("counter.mp4")), 1));
    const auto near = [&](double seconds) {
        EXPECT_TRUE(decoder.seekNear(seconds, 0.5, 0.5)) << seconds;
        return std::lround(decoder.frameTime() * 30);
    };
    EXPECT_EQ(near(4.3), 120); // the keyframe 0.3 s before
    EXPECT_EQ(near(5.7), 180); // the keyframe 0.3 s after
    EXPECT_EQ(near(5.0), 135); // neither: decoded on from 4.0 s to the span's first frame
    EXPECT_EQ(near(0.01), 0);
    EXPECT_EQ(near(9.99), 285);
    EXPECT_EQ(near(12.0), 299); // past the end: the last frame
    EXPECT_EQ(FFmpegVideoDecoder::estimatedFramesNear(decoder.format(), 4.3, 0.5, 0.5), 1);
    EXPECT_EQ(FFmpegVideoDecoder::estimatedFramesNear(decoder.format(), 5.7, 0.5, 0.5), 1);
    EXPECT_GT(FFmpegVideoDecoder::estimatedFramesNear(decoder.format(), 5.0, 0.5, 0.5), 10);
}

TEST(FFmpegVideoDecoder, SeekNearDecodesNoFrameNobodySeesOnTheWayToTheSpan)
{
    // bframes.mp4: keyframes every 2 s, B-frames that no frame refers to
    // among the 15 frames from the keyframe at 2.0 s to the span at 2.5 s.
    // Decoder threads hold as many frames in flight: none of them is
    // decoded all the same.
    FFmpegVideoDecoder decoder;
    ASSERT_TRUE(decoder.open(TestMedia::path(QStringLiteral("bframes.mp4")), 8));
    ASSERT_TRUE(decoder.seekNear(3.0, 0.5, 0.5));
    EXPECT_EQ(std::lround(decoder.frameTime() * 30), 75);
    EXPECT_LT(decoder.codecContext()->frame_number, 16);
    // Frames decoded after it follow each other again.
    ASSERT_TRUE(decoder.seekExact(4.0));
    ASSERT_TRUE(decoder.decodeNextFrame());
    EXPECT_EQ(decoder.previousTimestamp(), decoder.toTimestamp(4.0));
}

TEST(FFmpegVideoDecoder, BacksUpToTheFrameBeforeAndKeepsTheFileWhenTheDecoderCloses)
{
    FFmpegVideoDecoder decoder;
    ASSERT_TRUE(decoder.open(TestMedia::path(QStringLiteral("bframes.mp4")), 2));
    ASSERT_TRUE(decoder.seekExact(1.0));
    const qint64 at = decoder.frameTimestamp();
    ASSERT_TRUE(decoder.decodeNextFrame());
    ASSERT_EQ(decoder.previousTimestamp(), at);
    const qint64 next = decoder.frameTimestamp();
    ASSERT_TRUE(decoder.backUp());
    EXPECT_EQ(decoder.frameTimestamp(), at);
    EXPECT_FALSE(decoder.backUp()); // one frame back only
    ASSERT_TRUE(decoder.decodeNextFrame());
    EXPECT_EQ(decoder.frameTimestamp(), next);

    decoder.releaseCodec();
    EXPECT_FALSE(decoder.isOpen());
    EXPECT_TRUE(decoder.hasFile());
    EXPECT_FALSE(decoder.hasFrame());
    ASSERT_TRUE(decoder.reopenCodec(1));
    ASSERT_TRUE(decoder.seekExact(5.0));
    EXPECT_NEAR(decoder.frameTime(), 5.0, 1e-6);

    // The file handed on opens another decoder without being read again.
    FFmpegFormat format = decoder.takeFormat();
    EXPECT_FALSE(decoder.hasFile());
    ASSERT_TRUE(format.isOpen());
    FFmpegVideoDecoder second;
    ASSERT_TRUE(second.open(std::move(format), 1));
    ASSERT_TRUE(second.seekExact(2.0));
    EXPECT_NEAR(second.frameTime(), 2.0, 1e-6);
}

TEST(FFmpegVideoDecoder, DecodesNoFurtherThanALastTimeYetGivesEveryFrameUpToIt)
{
    // B-frames (frames shown after later ones are decoded), Matroska's
    // worked-out decoding times, HEVC's open groups; frame threads.
    for (const QString &name : {QStringLiteral("bframes.mp4"), QStringLiteral("fmt_mkv.mkv"), QStringLiteral("fmt_hevc10.mp4")}) {
        SCOPED_TRACE(name.toStdString());
        FFmpegVideoDecoder decoder;
        ASSERT_TRUE(decoder.open(TestMedia::path(name), 4));
        const qint64 from = decoder.toTimestamp(1.0);
        const qint64 last = decoder.toTimestamp(1.5);
        std::vector<qint64> expected;
        ASSERT_TRUE(decoder.seekToKeyframeBefore(from));
        do {
            if (decoder.frameTimestamp() <= last)
                expected.push_back(decoder.frameTimestamp());
        } while (decoder.frameTimestamp() <= decoder.toTimestamp(2.0) && decoder.decodeNextFrame());
        ASSERT_GT(expected.size(), 10u);

        decoder.setLastDecoded(last);
        ASSERT_TRUE(decoder.seekToKeyframeBefore(from));
        std::vector<qint64> upToLast;
        int after = 0;
        do {
            if (decoder.frameTimestamp() <= last)
                upToLast.push_back(decoder.frameTimestamp());
            else
                ++after;
        } while (decoder.decodeNextFrame());
        EXPECT_EQ(upToLast, expected);
        EXPECT_TRUE(decoder.atEnd());
        // Only frames decoded before the last one shown may follow it.
        EXPECT_LE(after, decoder.codecContext()->has_b_frames + 1);

        // Without the limit, the next seek decodes on past it.
        decoder.setLastDecoded(std::nullopt);
        ASSERT_TRUE(decoder.seekToKeyframeBefore(from));
        while (decoder.frameTimestamp() <= decoder.toTimestamp(2.0))
            ASSERT_TRUE(decoder.decodeNextFrame());
        EXPECT_FALSE(decoder.atEnd());
    }
}

TEST(FFmpegFormat, OpeningForDecodingAgreesWithReadingTheStreams)
{
    // QuickTime and MP4 headers are taken as they are; the rest is read as open() does.
    for (const QString &name :
         {QStringLiteral("pattern_1080p30.mp4"), QStringLiteral("bframes.mp4"), QStringLiteral("rotated.mp4"), QStringLiteral("dated.mov"),
          QStringLiteral("portrait.mp4"), QStringLiteral("clip.mkv"), QStringLiteral("clip.webm"), QStringLiteral("silence.mp4")}) {
        SCOPED_TRACE(name.toStdString());
        FFmpegFormat full;
        FFmpegFormat quick;
        ASSERT_TRUE(full.open(TestMedia::path(name)));
        ASSERT_TRUE(quick.openForDecoding(TestMedia::path(name)));
        EXPECT_EQ(quick.startTime(), full.startTime());
        EXPECT_DOUBLE_EQ(quick.durationSeconds(), full.durationSeconds());
        EXPECT_DOUBLE_EQ(quick.frameRate(), full.frameRate());
        EXPECT_EQ(quick.displaySize(), full.displaySize());
        EXPECT_EQ(quick.orientation(), full.orientation());
        EXPECT_EQ(quick.videoStreamIndex(), full.videoStreamIndex());
        EXPECT_EQ(quick.audioStreamIndex(), full.audioStreamIndex());
        EXPECT_EQ(quick.toStreamTimestamp(1.5, quick.videoStream()), full.toStreamTimestamp(1.5, full.videoStream()));
    }
    FFmpegFormat broken;
    QString error;
    EXPECT_FALSE(broken.openForDecoding(TestMedia::path(QStringLiteral("notavideo.mov")), &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(FFmpegFrameConverter, LimitedRangeBlackAndWhiteBecomeFullRange)
{
    const QString white = TestMedia::solidClip(QStringLiteral("white"), 0.2);
    for (const auto &[path, expected] : {std::pair{TestMedia::path(QStringLiteral("black.mp4")), 0}, std::pair{white, 255}}) {
        FFmpegVideoDecoder decoder;
        ASSERT_TRUE(decoder.open(path, 1));
        ASSERT_TRUE(decoder.seekExact(0.1));
        EXPECT_EQ(decoder.frame()->color_range == AVCOL_RANGE_JPEG, false);
        const QImage image = decoder.frameImage();
        ASSERT_FALSE(image.isNull());
        const QRgb pixel = image.pixel(image.width() / 2, image.height() / 2);
        EXPECT_NEAR(qRed(pixel), expected, 2);
        EXPECT_NEAR(qGreen(pixel), expected, 2);
        EXPECT_NEAR(qBlue(pixel), expected, 2);
    }
}

TEST(FFmpegFrameConverter, FullRangeVideoKeepsItsLevels)
{
    // Mid grey in a full-range file: read as limited range it would come out near 130.
    QTemporaryDir dir;
    const QString grey = fullRangeClip(dir, QStringLiteral("color=c=0x808080:size=320x240:rate=30"));
    FFmpegVideoDecoder decoder;
    ASSERT_TRUE(decoder.open(grey, 1));
    ASSERT_TRUE(decoder.seekExact(0.1));
    const bool fullRange = decoder.frame()->color_range == AVCOL_RANGE_JPEG || decoder.frame()->format == AV_PIX_FMT_YUVJ420P;
    ASSERT_TRUE(fullRange);
    const QRgb pixel = decoder.frameImage().pixel(160, 120);
    EXPECT_NEAR(qRed(pixel), 128, 1);
    EXPECT_NEAR(qGreen(pixel), 128, 1);
    EXPECT_NEAR(qBlue(pixel), 128, 1);
}

TEST(FFmpegFrameConverter, OddWidthsArePictureToTheLastColumn)
{
    const QString red = TestMedia::solidClip(QStringLiteral("red"), 0.2);
    FFmpegVideoDecoder decoder;
    ASSERT_TRUE(decoder.open(red, 1));
    ASSERT_TRUE(decoder.seekExact(0.1));
    for (const QSize box : {QSize(159, 200), QSize(1, 1), QSize(317, 240)}) {
        const QImage image = decoder.frameImage(box);
        ASSERT_EQ(image.width() % 2, 1) << box.width();
        for (int x : {0, image.width() / 2, image.width() - 1}) {
            for (int y : {0, image.height() - 1}) {
                const QRgb pixel = image.pixel(x, y);
                EXPECT_NEAR(qRed(pixel), 255, 4) << box.width() << " " << x << "," << y;
                EXPECT_NEAR(qGreen(pixel), 0, 4) << box.width() << " " << x << "," << y;
                EXPECT_NEAR(qBlue(pixel), 0, 4) << box.width() << " " << x << "," << y;
            }
        }
    }
}

TEST(FFmpegFrameConverter, ColoursStayRightWhenTheSizeChanges)
{
    // A converter that made pictures before (another size: a player whose
    // card was resized; the same size again: the next frame) gives the same
    // picture as a new one, 4:2:0 and 4:4:4 alike.
    QTemporaryDir dir;
    const QString fullChroma = dir.filePath(QStringLiteral("444.mp4"));
    ASSERT_TRUE(
        TestMedia::lavfiClip(fullChroma, QStringLiteral("testsrc2=size=1280x720:rate=30"), 0.2,
                             {QStringLiteral("-c:v"), QStringLiteral("libx264"), QStringLiteral("-pix_fmt"), QStringLiteral("yuv444p")}));
    for (const QString &path : {TestMedia::path(QStringLiteral("pattern_1080p30.mp4")), fullChroma}) {
        FFmpegVideoDecoder decoder;
        ASSERT_TRUE(decoder.open(path, 2));
        ASSERT_TRUE(decoder.seekExact(0.1));
        const std::vector<QSize> sizes{QSize(640, 360), QSize(480, 270), QSize(480, 270), QSize(320, 180), QSize(480, 270)};
        FFmpegFrameConverter used;
        std::vector<QImage> images;
        for (const QSize size : sizes)
            images.push_back(decoder.frameImage(used, size));
        for (size_t i = 0; i < sizes.size(); ++i) {
            FFmpegFrameConverter fresh;
            const QImage expected = decoder.frameImage(fresh, sizes[i]);
            ASSERT_EQ(images[i].size(), expected.size());
            EXPECT_EQ(imageHash(images[i]), imageHash(expected)) << path.toStdString() << " " << i;
        }
    }
}

TEST(FFmpegFrameConverter, PicturesSplitAmongThreadsAreTheSameAsOnOne)
{
    // Down and up, an odd width, a full-range source and a quarter turn; the
    // same converters go on across sizes and files.
    QTemporaryDir dir;
    const QString fullRange = fullRangeClip(dir, QStringLiteral("testsrc2=size=640x360:rate=30"));
    FFmpegFrameConverter one;
    FFmpegFrameConverter four(4);
    for (const QString &path :
         {TestMedia::path(QStringLiteral("pattern_1080p30.mp4")), fullRange, TestMedia::path(QStringLiteral("rotated.mp4"))}) {
        FFmpegVideoDecoder decoder;
        ASSERT_TRUE(decoder.open(path, 2));
        ASSERT_TRUE(decoder.seekExact(0.1));
        for (const QSize size : {QSize(1000, 562), QSize(317, 240), QSize(1920, 1080), QSize(4000, 4000), QSize(1000, 562)}) {
            const QImage expected = decoder.frameImage(one, size);
            const QImage split = decoder.frameImage(four, size);
            ASSERT_FALSE(expected.isNull());
            ASSERT_EQ(split.size(), expected.size()) << path.toStdString() << " " << size.width();
            EXPECT_EQ(imageHash(split), imageHash(expected)) << path.toStdString() << " " << size.width();
        }
    }
}

TEST(FFmpegFrameConverter, FitsWithoutEnlargingAndTurnsUpright)
{
    EXPECT_EQ(FFmpegFrameConverter::fitSize({1920, 1080}, {480, 270}), QSize(480, 270));
    EXPECT_EQ(FFmpegFrameConverter::fitSize({1080, 1920}, {480, 270}), QSize(152, 270));
    EXPECT_EQ(FFmpegFrameConverter::fitSize({320, 240}, {480, 270}), QSize(320, 240));
    EXPECT_EQ(FFmpegFrameConverter::fitSize({320, 240}, {}), QSize(320, 240));
    EXPECT_EQ(FFmpegFrameConverter::fitSize({4000, 2}, {480, 270}), QSize(480, 1));

    FFmpegVideoDecoder decoder;
    ASSERT_TRUE(decoder.open(TestMedia::path(QStringLiteral("rotated.mp4")), 2));
    ASSERT_TRUE(decoder.seekExact(0.5));
    const QImage image = decoder.frameImage(QSize(480, 270));
    EXPECT_EQ(image.size(), QSize(152, 270));
    const QImage full = decoder.frameImage();
    EXPECT_EQ(full.size(), QSize(1080, 1920));
}

TEST(FFmpegAudioDecoder, MonoPlaysAtFullLevelOnBothChannelsWhenMappedDirectly)
{
    const QString path = TestMedia::path(QStringLiteral("audioonly.mp4"));
    FFmpegAudioFormat direct;
    direct.sampleRate = 44100;
    direct.channels = 2;
    QString error;
    const auto buffer = FFmpegAudioDecoder::decodeAll(path, direct, &error);
    ASSERT_TRUE(buffer) << error.toStdString();
    EXPECT_NEAR(buffer->durationSeconds(), 2.0, 0.1);
    const double left = maxAbsSample(*buffer, 0);
    EXPECT_GT(left, 0.05);
    EXPECT_NEAR(maxAbsSample(*buffer, 1), left, 1e-6);

    FFmpegAudioFormat resampler = direct;
    resampler.mapping = FFmpegAudioFormat::ChannelMapping::Resampler;
    const auto attenuated = FFmpegAudioDecoder::decodeAll(path, resampler);
    ASSERT_TRUE(attenuated);
    EXPECT_LT(maxAbsSample(*attenuated, 0), left * 0.8);
}

TEST(FFmpegAudioDecoder, MonoInt16AtLowRateAndFailures)
{
    FFmpegAudioFormat format;
    format.sampleRate = 8000;
    format.channels = 1;
    format.sampleType = FFmpegAudioFormat::SampleType::Int16;
    format.mapping = FFmpegAudioFormat::ChannelMapping::MeanToMono;
    const auto buffer = FFmpegAudioDecoder::decodeAll(TestMedia::path(QStringLiteral("burst.mp4")), format);
    ASSERT_TRUE(buffer);
    EXPECT_NEAR(double(buffer->frameCount()), 4.0 * 8000, 800);
    // Silent before the burst at 2.0 s, loud inside it.
    int quietPeak = 0, burstPeak = 0;
    for (qint64 i = 0; i < buffer->frameCount(); ++i) {
        const int v = std::abs(int(buffer->int16Samples()[i]));
        if (i < 8000 * 19 / 10)
            quietPeak = std::max(quietPeak, v);
        else if (i > 8000 * 21 / 10 && i < 8000 * 24 / 10)
            burstPeak = std::max(burstPeak, v);
    }
    EXPECT_LT(quietPeak, 100);
    EXPECT_GT(burstPeak, 25000);

    QString error;
    EXPECT_FALSE(FFmpegAudioDecoder::decodeAll(TestMedia::path(QStringLiteral("noaudio.mp4")), format, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(FFmpegAudioDecoder::decodeAll(TestMedia::path(QStringLiteral("notavideo.mov")), format));
    std::atomic_bool cancel{true};
    EXPECT_FALSE(FFmpegAudioDecoder::decodeAll(TestMedia::path(QStringLiteral("burst.mp4")), format, &error, &cancel));
}

TEST(PixelBufferPool, ReusesFreedBuffersOfTheSameSizeWithinItsBound)
{
    PixelBufferPool pool(3000);
    void *first = pool.take(1000);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(reinterpret_cast<quintptr>(first) % 32, 0u);
    std::memset(first, 0x5a, 1000); // the whole buffer is the caller's
    pool.give(first);
    EXPECT_EQ(pool.keptBytes(), 1000u);
    EXPECT_EQ(pool.take(1000), first);
    EXPECT_EQ(pool.keptBytes(), 0u);

    // Another size gets a buffer of its own; past the bound the oldest go.
    void *other = pool.take(500);
    EXPECT_NE(other, first);
    void *second = pool.take(1000);
    void *third = pool.take(1000);
    pool.give(first);
    pool.give(other);
    pool.give(second);
    EXPECT_EQ(pool.keptBytes(), 2500u);
    pool.give(third);
    EXPECT_EQ(pool.keptBytes(), 2500u); // the first went
    void *again = pool.take(1000);
    EXPECT_TRUE(again == second || again == third);
    pool.give(again);
    // A buffer larger than the bound is not kept.
    pool.give(pool.take(4000));
    EXPECT_EQ(pool.keptBytes(), 2500u);

    // Buffers of pictures the player shows (mapped from the system whole).
    PixelBufferPool large(8u << 20);
    const std::size_t pictureBytes = 4096u * 562;
    void *picture = large.take(pictureBytes);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(reinterpret_cast<quintptr>(picture) % 32, 0u);
    std::memset(picture, 0xa5, pictureBytes);
    large.give(picture);
    EXPECT_EQ(large.take(pictureBytes), picture);
    large.give(picture);
    large.give(large.take(16u << 20)); // too large to keep: back to the system
    EXPECT_EQ(large.keptBytes(), pictureBytes);
}

TEST(PixelBufferPool, PicturesGiveTheirMemoryBackForTheNextOnes)
{
    FFmpegVideoDecoder decoder;
    ASSERT_TRUE(decoder.open(TestMedia::path(QStringLiteral("counter.mp4")), 1));
    ASSERT_TRUE(decoder.seekExact(1.0));
    const QImage kept = decoder.frameImage(QSize(160, 120));
    const uchar *keptPixels = kept.constBits();
    const uchar *pixels = nullptr;
    {
        const QImage shown = decoder.frameImage(QSize(160, 120));
        pixels = shown.constBits();
        EXPECT_NE(pixels, keptPixels);
    }
    ASSERT_TRUE(decoder.decodeNextFrame());
    const QImage next = decoder.frameImage(QSize(160, 120));
    EXPECT_EQ(next.constBits(), pixels);
    EXPECT_NE(imageHash(next), imageHash(kept)); // a picture of its own, not the one before
}

TEST(FFmpegAudioDecoder, ASoundTrackThatChangesRateAndChannelsMidwayIsReadToItsEnd)
{
    // Two MPEG-TS files joined byte for byte, as a recorder that restarts
    // its sound writes: 3 s of mono 22.05 kHz, then 3 s of stereo 48 kHz.
    QTemporaryDir dir;
    QByteArray joined;
    for (const QString &part : {QStringLiteral("sine=frequency=600:sample_rate=22050:duration=3|1"),
                                QStringLiteral("sine=frequency=300:sample_rate=48000:duration=3|2")}) {
        const QString path = dir.filePath(QStringLiteral("part.ts"));
        ASSERT_TRUE(TestMedia::runFfmpeg({QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"), part.section(u'|', 0, 0),
                                          QStringLiteral("-ac"), part.section(u'|', 1), QStringLiteral("-c:a"), QStringLiteral("mp2"),
                                          QStringLiteral("-f"), QStringLiteral("mpegts"), path}));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        joined += file.readAll();
    }
    const QString path = dir.filePath(QStringLiteral("joined.ts"));
    QFile out(path);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly) && out.write(joined) == joined.size());
    out.close();

    FFmpegAudioFormat format;
    format.sampleRate = 48000;
    format.channels = 2;
    QString error;
    const auto whole = FFmpegAudioDecoder::decodeAll(path, format, &error);
    ASSERT_TRUE(whole) << error.toStdString();
    EXPECT_NEAR(whole->durationSeconds(), 6.0, 0.1);
    // The mono part plays at the sine source's level on both channels; the
    // stereo part at the level ffmpeg spreads it over two channels (-3 dB).
    for (const auto &[from, level] : {std::pair{0.5, 0.125}, std::pair{3.5, 0.125 / std::sqrt(2.0)}}) {
        FFmpegAudioBuffer part = *whole;
        part.data = whole->data.mid(qsizetype(from * 48000) * format.bytesPerFrame(), 48000 * format.bytesPerFrame());
        EXPECT_NEAR(maxAbsSample(part, 0), level, 0.01) << from;
        EXPECT_NEAR(maxAbsSample(part, 1), level, 0.01) << from;
    }

    AudioStreamDecoder stream;
    ASSERT_EQ(stream.open(path, format), AudioStreamDecoder::OpenResult::Opened);
    QByteArray streamed;
    EXPECT_TRUE(stream.readAll([&](const void *samples, qint64 frames) {
        streamed.append(static_cast<const char *>(samples), frames * format.bytesPerFrame());
        return true;
    }));
    EXPECT_EQ(streamed, whole->data);
}
