// Every format a camera or a phone writes, as the engines meet it: each file
// of the matrix (tests/support/FormatMatrix) shows its frame number in its
// picture, so that every check reads the frame it got from the picture
// itself, whatever time the engine reports. Times are measured from the
// first picture shown, whatever the container's start or edit list.
#include "audiotriage/LoudnessAnalysis.h"
#include "audiotriage/LoudnessMeter.h"
#include "markers/MarkerDetector.h"
#include "media/FFmpegVideoDecoder.h"
#include "media/MediaProbe.h"
#include "media/ScrubPlayerPool.h"
#include "media/ShuttleController.h"
#include "media/ThumbnailGenerator.h"
#include "media/VideoPlayer.h"
#include "media/WaveformCache.h"
#include "support/FormatMatrix.h"
#include "support/FrameNumberStrip.h"
#include "support/PlayerWaits.h"
#include "support/TestMedia.h"

#include <QProcess>
#include <QTest>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

using PlayerWaits::seekAndWait;
using PlayerWaits::waitMs;
const QSize shownSize(320, 320); // fits the landscape and the portrait pictures whole

class FormatMatrixTest : public ::testing::TestWithParam<MatrixFormat>
{
protected:
    const MatrixFormat &format() const { return GetParam(); }
    QString path() const { return TestMedia::path(format().name); }
    int lastFrame() const { return format().frameAt(format().duration) - 1; }
    // The frame on show at `seconds`: before the first picture the first, past the last the last.
    int frameAt(double seconds) const { return std::clamp(format().frameAt(seconds), 0, lastFrame()); }
    int read(const QImage &image) const { return FrameNumberStrip::read(image, format().rotation); }
    // Frames around keyframes, in an order that jumps back and forth across
    // them; every frame of a short clip.
    QList<int> framesAround() const
    {
        QList<int> numbers{10, 37, 11, 60, 59, 61, 93, 29, 30};
        numbers.removeIf([&](int n) { return n > lastFrame(); });
        if (numbers.isEmpty()) {
            for (int n = lastFrame(); n >= 0; --n)
                numbers << n;
        }
        return numbers;
    }
    // Times just after frame starts, halfway through frames and just before
    // the next frame. Containers keep times to the millisecond (Matroska) or
    // finer: a frame may start up to half a millisecond off its nominal time.
    QList<double> scrubTimes() const
    {
        const double frame = format().frameTime(1);
        const double d = format().duration;
        QList<double> times;
        for (const double t : {1.0, 0.0, 3.0, 2.0, 0.5, 3.9, 1.3, 2.7, 0.05, 3.5})
            times << t * d / 4.0;
        for (int n : framesAround()) {
            times << format().frameTime(n) + slack << format().frameTime(n) + frame / 2 << format().frameTime(n + 1) - slack;
        }
        times << d - frame / 2 << d + 1.0;
        return times;
    }
    // Whether a picture's frame number is the one of a reported frame time.
    bool shownAt(int number, double seconds) const { return std::abs(format().frameTime(number) - seconds) <= slack; }
    static constexpr double slack = 0.001;
};

std::shared_ptr<VideoPlayer> openFullPlayer(const QString &path)
{
    auto player = std::make_shared<VideoPlayer>(path, VideoPlayer::Options::fullPlayer());
    player->setTargetSize(shownSize);
    return player;
}

QByteArray decodedSoundOf(const QString &path)
{
    // The ffmpeg tool's own decode of the first sound track, as the analysis takes it.
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 {QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"), QStringLiteral("error"), QStringLiteral("-nostdin"),
                  QStringLiteral("-i"), path, QStringLiteral("-map"), QStringLiteral("0:a:0"), QStringLiteral("-ac"), QStringLiteral("1"),
                  QStringLiteral("-ar"), QStringLiteral("16000"), QStringLiteral("-f"), QStringLiteral("s16le"), QStringLiteral("-")});
    ffmpeg.waitForFinished(waitMs);
    return ffmpeg.readAllStandardOutput();
}

} // namespace

// Names the format in gtest's messages.
void PrintTo(const MatrixFormat &format, std::ostream *stream)
{
    *stream << format.name.toStdString();
}

TEST_P(FormatMatrixTest, ProbeGivesTheFactsWithoutTheStartOffset)
{
    const ProbeResult probe = MediaProbe::probeClip(path());
    EXPECT_NEAR(probe.duration, format().duration, format().frameTime(1) / 2);
    EXPECT_NEAR(probe.frameRate, format().frameRate(), 1e-3);
    EXPECT_EQ(probe.codec, format().codec);
    EXPECT_EQ(probe.width, format().displaySize.width());
    EXPECT_EQ(probe.height, format().displaySize.height());
}

TEST_P(FormatMatrixTest, DecodingFromTheStartShowsEveryFrameOnceAtItsTime)
{
    FFmpegVideoDecoder decoder;
    ASSERT_TRUE(decoder.open(path(), 2));
    int expected = 0;
    while (decoder.decodeNextFrame()) {
        const int number = read(decoder.frameImage(shownSize));
        ASSERT_EQ(number, expected) << "at " << decoder.frameTime();
        EXPECT_NEAR(decoder.frameTime(), format().frameTime(number), slack);
        ++expected;
    }
    EXPECT_EQ(expected, lastFrame() + 1);
}

TEST_P(FormatMatrixTest, PosterShowsTheFrameAtAQuarterWithinTheTolerance)
{
    ThumbnailGenerator generator;
    const double quarter = format().duration / 4;
    QFuture<QImage> poster = generator.thumbnail(path(), quarter, QSize(480, 270));
    poster.waitForFinished();
    const QImage image = poster.result();
    ASSERT_FALSE(image.isNull());
    EXPECT_LE(image.width(), 480);
    EXPECT_LE(image.height(), 270);
    EXPECT_EQ(image.width() > image.height(), format().displaySize.width() > format().displaySize.height());
    const int number = read(image);
    ASSERT_GE(number, 0);
    EXPECT_LE(std::abs(format().frameTime(number) - quarter), ThumbnailGenerator::timeTolerance + format().frameTime(1));

    // The first frame for a time at or before the start.
    QFuture<QImage> first = generator.thumbnail(path(), 0.0, QSize(480, 270));
    first.waitForFinished();
    EXPECT_EQ(read(first.result()), 0);
}

TEST_P(FormatMatrixTest, PosterAtEveryFrameTimeShowsAFrameWithinTheTolerance)
{
    // One generator, its file kept open from poster to poster, the frames
    // asked for out of order.
    ThumbnailGenerator generator;
    const int frames = lastFrame() + 1;
    for (int i = 0; i < frames; ++i) {
        const int number = i * 37 % frames;
        const double seconds = format().frameTime(number);
        QFuture<QImage> poster = generator.thumbnail(path(), seconds, shownSize);
        poster.waitForFinished();
        const int shown = read(poster.result());
        ASSERT_GE(shown, 0) << "at " << seconds;
        EXPECT_LE(std::abs(format().frameTime(shown) - seconds), ThumbnailGenerator::timeTolerance + slack) << "at " << seconds;
    }
}

TEST_P(FormatMatrixTest, ScrubShowsTheFrameOnShowAtEveryTime)
{
    ScrubPlayerPool pool;
    const auto player = pool.player(path());
    player->setTargetSize(shownSize);
    ASSERT_TRUE(QTest::qWaitFor([&] { return player->isReadyForDisplay(); }, waitMs));
    EXPECT_EQ(read(player->currentFrame()), 0);
    for (const double t : scrubTimes()) {
        bool done = false;
        pool.seek(player, t, [&] { done = true; });
        ASSERT_TRUE(QTest::qWaitFor([&] { return done; }, waitMs)) << t;
        const int expected = frameAt(std::clamp(t, 0.01, format().duration));
        EXPECT_EQ(read(player->currentFrame()), expected) << "at " << t;
        EXPECT_NEAR(player->currentFrameTime(), format().frameTime(expected), slack) << "at " << t;
    }
}

TEST_P(FormatMatrixTest, FrameStepsGoOneFrameEitherWay)
{
    const auto player = openFullPlayer(path());
    ASSERT_TRUE(QTest::qWaitFor([&] { return player->isReadyForDisplay(); }, waitMs));
    for (const int start : {std::min(45, lastFrame()), std::min(12, lastFrame()), std::min(80, lastFrame())}) {
        ASSERT_TRUE(seekAndWait(*player, format().frameTime(start) + slack));
        ASSERT_EQ(read(player->currentFrame()), start);
        int expected = start;
        for (const int step : {1, 1, 1, -1, -1, -1, -1, -1, -1, -1, 1}) {
            if (expected + step < 0 || expected + step > lastFrame())
                continue; // a short clip's ends
            const double before = player->currentFrameTime();
            player->stepByFrames(step);
            ASSERT_TRUE(QTest::qWaitFor([&] { return player->currentFrameTime() != before; }, waitMs)) << expected << " by " << step;
            expected += step;
            EXPECT_EQ(read(player->currentFrame()), expected);
            EXPECT_NEAR(player->currentFrameTime(), format().frameTime(expected), slack);
        }
    }
}

TEST_P(FormatMatrixTest, ReverseShuttleShowsEachFrameAtItsTimeDownToTheStart)
{
    const auto player = openFullPlayer(path());
    ASSERT_TRUE(QTest::qWaitFor([&] { return player->isReadyForDisplay() && player->duration() > 0; }, waitMs));
    for (int presses = 1; presses <= 4; ++presses) {
        SCOPED_TRACE(presses);
        // Across a keyframe or two at every speed.
        const double from = std::min(format().duration - 0.2, 0.6 * (1 << presses));
        ASSERT_TRUE(seekAndWait(*player, from));
        ShuttleController shuttle;
        shuttle.attach(player, player->duration(), player->frameRate());
        int shown = 0;
        int wrong = 0;
        double previous = player->currentFrameTime();
        bool backwards = true;
        const auto connection = QObject::connect(player.get(), &VideoPlayer::frameReady, [&] {
            ++shown;
            if (!shownAt(read(player->currentFrame()), player->currentFrameTime()))
                ++wrong;
            backwards = backwards && player->currentFrameTime() <= previous + 1e-9;
            previous = player->currentFrameTime();
        });
        for (int i = 0; i < presses; ++i)
            shuttle.shuttleReverse();
        EXPECT_TRUE(QTest::qWaitFor([&] { return !shuttle.isPlaying(); }, 4 * waitMs));
        // The shuttle stops with a seek to the start; its frame lands a little
        // later, later still on a busy machine.
        EXPECT_TRUE(QTest::qWaitFor([&] { return read(player->currentFrame()) == 0; }, waitMs));
        QObject::disconnect(connection);
        EXPECT_GT(shown, std::min(3, frameAt(from) - 1));
        EXPECT_EQ(wrong, 0);
        EXPECT_TRUE(backwards);
        EXPECT_EQ(read(player->currentFrame()), 0);
    }
}

TEST_P(FormatMatrixTest, LoudnessIsThatOfTheDecodedSound)
{
    const QByteArray pcm = decodedSoundOf(path());
    ASSERT_GT(pcm.size(), 16000);
    LoudnessMeter meter;
    meter.add(reinterpret_cast<const qint16 *>(pcm.constData()), pcm.size() / 2);
    const AudioMetrics expected = meter.metrics();
    const LoudnessAnalysis::Result result = LoudnessAnalysis::measure(path());
    EXPECT_EQ(result.outcome, LoudnessAnalysis::Outcome::Measured);
    EXPECT_NEAR(result.metrics.maxRMS, expected.maxRMS, 2e-3);
    EXPECT_NEAR(result.metrics.avgRMS, expected.avgRMS, 2e-3);
    EXPECT_NEAR(result.metrics.spikeRatio, expected.spikeRatio, 0.021);
    EXPECT_NEAR(result.metrics.dynamicRange, expected.dynamicRange, 2e-3);
    EXPECT_NEAR(result.metrics.peakAmplitude, expected.peakAmplitude, 2e-2);
}

TEST_P(FormatMatrixTest, WaveformPeakLiesWhereTheBurstIsOnTheClip)
{
    const std::optional<QList<float>> levels = WaveformCache::extractAmplitudes(path(), 500);
    ASSERT_TRUE(levels.has_value());
    const QList<AudioPeak> peaks = WaveformCache::detectPeaks(*levels, 3);
    ASSERT_EQ(peaks.size(), 1);
    const double duration = MediaProbe::probeClip(path()).duration;
    EXPECT_NEAR(peaks[0].start * duration, format().burstStart, 0.05);
    EXPECT_NEAR(peaks[0].end * duration, format().burstEnd, 0.05);
}

TEST_P(FormatMatrixTest, FrameStatisticsAreThoseOfTheFirstFrame)
{
    ThumbnailGenerator generator;
    QFuture<QImage> first = generator.thumbnail(path(), 0.0, MarkerDetector::frameRequestSize);
    first.waitForFinished();
    EXPECT_EQ(read(first.result()), 0);

    FFmpegVideoDecoder decoder;
    ASSERT_TRUE(decoder.open(path(), 1));
    ASSERT_TRUE(decoder.decodeNextFrame());
    const MarkerDetector::Metrics expected = MarkerDetector::metrics(format().duration,
                                                                     decoder.frameImage(MarkerDetector::frameRequestSize));
    ASSERT_TRUE(expected.frame.has_value());

    Clip clip;
    clip.url = QUrl::fromLocalFile(path());
    clip.duration = format().duration;
    const auto posters = [&](const QString &file, double seconds, QSize size) { return generator.thumbnail(file, seconds, size); };
    QFuture<MarkerDetector::Metrics> measured = MarkerDetector::metrics(clip, posters);
    measured.waitForFinished();
    const MarkerDetector::Metrics metrics = measured.result();
    ASSERT_TRUE(metrics.frame.has_value());
    const MarkerDetector::FrameStats stats = *metrics.frame;
    EXPECT_DOUBLE_EQ(stats.laplacianVariance, expected.frame->laplacianVariance);
    EXPECT_DOUBLE_EQ(stats.skinFraction, expected.frame->skinFraction);
    EXPECT_DOUBLE_EQ(stats.darkFraction, expected.frame->darkFraction);
    EXPECT_DOUBLE_EQ(stats.lumaStdDev, expected.frame->lumaStdDev);
}

INSTANTIATE_TEST_SUITE_P(Formats, FormatMatrixTest, ::testing::ValuesIn(FormatMatrix::formats(FormatMatrix::Scale::Test)),
                         [](const ::testing::TestParamInfo<MatrixFormat> &info) {
                             QString name = info.param.name;
                             name.remove(QStringLiteral("fmt_"));
                             name.replace(QLatin1Char('.'), QLatin1Char('_'));
                             return name.toStdString();
                         });
