#include "media/FFmpegVideoDecoder.h"
#include "media/VideoPlayer.h"
#include "support/PlayerWaits.h"
#include "support/TestMedia.h"

#include <QCryptographicHash>
#include <QFile>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

using PlayerWaits::seekAndWait;
using PlayerWaits::waitMs;
const QSize cardSize(320, 240);

// The frame an independent, freshly opened decoder lands on.
struct Reference
{
    QImage image;
    double time = 0;
};

Reference referenceFrame(const QString &path, double seconds, QSize size = cardSize)
{
    FFmpegVideoDecoder decoder;
    QString error;
    EXPECT_TRUE(decoder.open(path, 1, &error)) << error.toStdString();
    EXPECT_TRUE(decoder.seekExact(seconds, &error)) << error.toStdString();
    return {decoder.frameImage(size), decoder.frameTime()};
}

QByteArray imageHash(const QImage &image)
{
    QCryptographicHash hash(QCryptographicHash::Sha1);
    for (int y = 0; y < image.height(); ++y)
        hash.addData(QByteArrayView(reinterpret_cast<const char *>(image.constScanLine(y)), image.width() * 4));
    return hash.result();
}

// Every frame of a file decoded in order, without seeking: when each starts
// and its picture at the card size.
struct FrameTable
{
    std::vector<double> times;
    std::vector<QByteArray> hashes;

    explicit FrameTable(const QString &path)
    {
        FFmpegVideoDecoder decoder;
        EXPECT_TRUE(decoder.open(path, 1));
        while (decoder.decodeNextFrame()) {
            times.push_back(decoder.frameTime());
            hashes.push_back(imageHash(decoder.frameImage(cardSize)));
        }
    }
};

std::unique_ptr<VideoPlayer> openPlayer(const QString &name, VideoPlayer::Options options = {})
{
    auto player = std::make_unique<VideoPlayer>(TestMedia::path(name), options);
    player->setTargetSize(cardSize);
    EXPECT_TRUE(QTest::qWaitFor([&] { return player->isReadyForDisplay(); }, waitMs));
    return player;
}

} // namespace

TEST(VideoPlayer, OpensPausedWithTheFirstFrameReady)
{
    auto player = openPlayer(QStringLiteral("counter.mp4"));
    EXPECT_EQ(player->rate(), 0);
    EXPECT_NEAR(player->duration(), 10.0, 0.1);
    EXPECT_DOUBLE_EQ(player->frameRate(), 30.0);
    EXPECT_EQ(player->displaySize(), QSize(320, 240));
    EXPECT_FALSE(player->hasAudio());
    EXPECT_DOUBLE_EQ(player->currentTime(), 0);
    const Reference first = referenceFrame(player->path(), 0);
    EXPECT_EQ(player->currentFrame(), first.image);
}

TEST(VideoPlayer, ExactSeeksLandOnTheFrameAskedForWhereverTheDecoderStands)
{
    auto player = openPlayer(QStringLiteral("counter.mp4"));
    // Forward within a GOP, across keyframes, backward, into the cached
    // stretch, between two frames, and past the last frame.
    const std::vector<double> targets{0.5, 0.6, 3.3, 3.4, 1.0, 1.1, 0.9, 7.77, 7.75, 2.016, 9.99, 12.0, 0.0};
    for (double target : targets) {
        SCOPED_TRACE(target);
        ASSERT_TRUE(seekAndWait(*player, target));
        const Reference expected = referenceFrame(player->path(), target);
        EXPECT_NEAR(player->currentFrameTime(), expected.time, 1e-6);
        EXPECT_TRUE(player->currentFrame() == expected.image);
        EXPECT_NEAR(player->currentTime(), std::min(target, player->duration()), 1e-9);
    }
}

TEST(VideoPlayer, ASeekShowsTheLastFrameThatStartsAtOrBeforeItsTime)
{
    for (const QString &name : {QStringLiteral("counter.mp4"), QStringLiteral("bframes.mp4")}) {
        SCOPED_TRACE(name.toStdString());
        auto player = openPlayer(name);
        const FrameTable table(player->path());
        ASSERT_GE(table.times.size(), size_t(240));
        // On a frame's start, a third and seven tenths of the way to the
        // next one, and a hair before its start; at and around keyframes.
        struct Case
        {
            double seconds;
            int frame;
        };
        std::vector<Case> cases;
        for (int n : {0, 1, 29, 30, 59, 60, 61, 89, 119, 120, 121, 150, 179, 180, 200, 238}) {
            cases.push_back({n / 30.0, n});
            cases.push_back({(n + 0.3) / 30.0, n});
            cases.push_back({(n + 0.7) / 30.0, n});
            if (n > 0)
                cases.push_back({n / 30.0 - 0.0005, n - 1});
        }
        // In a shuffled order and twice: the decoder lands from anywhere, and
        // frames come from the player's cache as well.
        std::vector<Case> order = cases;
        order.insert(order.end(), cases.begin(), cases.end());
        QRandomGenerator random(7);
        std::shuffle(order.begin(), order.end(), random);
        for (const Case &c : order) {
            SCOPED_TRACE(c.seconds);
            ASSERT_TRUE(seekAndWait(*player, c.seconds));
            EXPECT_NEAR(player->currentFrameTime(), table.times[size_t(c.frame)], 1e-6);
            EXPECT_EQ(imageHash(player->currentFrame()), table.hashes[size_t(c.frame)]);
        }
        // Steps from a time between two frames land on whole frames.
        ASSERT_TRUE(seekAndWait(*player, 100.7 / 30));
        QSignalSpy times(player.get(), &VideoPlayer::timeChanged);
        player->stepByFrames(1);
        ASSERT_TRUE(times.wait(waitMs));
        EXPECT_NEAR(player->currentFrameTime(), table.times[101], 1e-6);
        player->stepByFrames(-2);
        ASSERT_TRUE(times.wait(waitMs));
        EXPECT_NEAR(player->currentFrameTime(), table.times[99], 1e-6);
        EXPECT_EQ(imageHash(player->currentFrame()), table.hashes[99]);
    }
}

TEST(VideoPlayer, ExactSeeksHoldWithBFramesWhileSkippingUnseenFrames)
{
    auto player = openPlayer(QStringLiteral("bframes.mp4"));
    // A forward sweep (decoding on, far targets skip frames nobody sees),
    // then jumps back and forth across keyframes.
    std::vector<double> targets;
    for (double t = 0.0; t < 7.9; t += 0.37)
        targets.push_back(t);
    for (double t : {5.5, 1.9, 2.0, 2.05, 3.99, 4.0, 0.1, 7.95, 6.6, 6.5, 6.55})
        targets.push_back(t);
    for (double target : targets) {
        SCOPED_TRACE(target);
        ASSERT_TRUE(seekAndWait(*player, target));
        const Reference expected = referenceFrame(player->path(), target);
        EXPECT_NEAR(player->currentFrameTime(), expected.time, 1e-6);
        EXPECT_TRUE(player->currentFrame() == expected.image);
    }
    // Steps from a cached frame land on the neighbours.
    ASSERT_TRUE(seekAndWait(*player, 3.0));
    QSignalSpy times(player.get(), &VideoPlayer::timeChanged);
    player->stepByFrames(-1);
    ASSERT_TRUE(times.wait(waitMs));
    EXPECT_TRUE(player->currentFrame() == referenceFrame(player->path(), 89.0 / 30).image);
    player->stepByFrames(2);
    ASSERT_TRUE(times.wait(waitMs));
    EXPECT_TRUE(player->currentFrame() == referenceFrame(player->path(), 91.0 / 30).image);
}

TEST(VideoPlayer, FramesAreScaledToTheTargetSizeAndTurnedUpright)
{
    auto player = openPlayer(QStringLiteral("pattern_1080p30.mp4"));
    // The first frame may have been shown before the target size reached the
    // decoder thread; it is shown again at the new size.
    EXPECT_TRUE(QTest::qWaitFor([&] { return player->currentFrame().size() == QSize(320, 180); }, waitMs))
        << player->currentFrame().width() << "x" << player->currentFrame().height();
    player->setTargetSize(QSize(640, 640));
    ASSERT_TRUE(seekAndWait(*player, 1.0));
    EXPECT_EQ(player->currentFrame().size(), QSize(640, 360));

    auto rotated = openPlayer(QStringLiteral("rotated.mp4"));
    EXPECT_EQ(rotated->displaySize(), QSize(1080, 1920));
    EXPECT_GT(rotated->currentFrame().height(), rotated->currentFrame().width());
}

TEST(VideoPlayer, ABurstOfSeeksPerformsTheFirstAndTheLast)
{
    auto player = openPlayer(QStringLiteral("counter.mp4"));
    std::vector<int> results(4, -1);
    const std::vector<double> times{2.0, 5.0, 6.0, 8.5};
    for (size_t i = 0; i < times.size(); ++i)
        player->seek(times[i], [&results, i](bool finished) { results[i] = finished ? 1 : 0; });
    EXPECT_DOUBLE_EQ(player->currentTime(), 8.5);
    ASSERT_TRUE(QTest::qWaitFor([&] { return results[3] != -1; }, waitMs));
    QTest::qWait(50);
    EXPECT_EQ(results, (std::vector<int>{1, 0, 0, 1}));
    EXPECT_EQ(player->stats().seeksPerformed, 2);
    EXPECT_EQ(player->stats().seeksDropped, 2);
    EXPECT_TRUE(player->currentFrame() == referenceFrame(player->path(), 8.5).image);
}

TEST(VideoPlayer, StepsByFramesBothWays)
{
    auto player = openPlayer(QStringLiteral("counter.mp4"));
    ASSERT_TRUE(seekAndWait(*player, 2.0));
    QSignalSpy times(player.get(), &VideoPlayer::timeChanged);
    player->stepByFrames(1);
    ASSERT_TRUE(times.wait(waitMs));
    EXPECT_NEAR(player->currentTime(), 61.0 / 30, 1e-3);
    EXPECT_TRUE(player->currentFrame() == referenceFrame(player->path(), 61.0 / 30).image);

    // Back over a keyframe (frame 60 is one), from a decoder that has not
    // decoded the frames before it.
    player->stepByFrames(-2);
    ASSERT_TRUE(times.wait(waitMs));
    EXPECT_NEAR(player->currentTime(), 59.0 / 30, 1e-3);
    EXPECT_TRUE(player->currentFrame() == referenceFrame(player->path(), 59.0 / 30).image);

    ASSERT_TRUE(seekAndWait(*player, 0));
    player->stepByFrames(-1);
    ASSERT_TRUE(times.wait(waitMs));
    EXPECT_DOUBLE_EQ(player->currentTime(), 0); // nothing before the first frame
}

TEST(VideoPlayer, ToleranceSeeksTakeAFrameNearTheTarget)
{
    auto player = openPlayer(QStringLiteral("counter.mp4"));
    ASSERT_TRUE(seekAndWait(*player, 4.0));
    const double half = 0.5 / 30;
    for (double t = 3.95; t > 3.0; t -= 1.0 / 30) {
        ASSERT_TRUE(seekAndWait(*player, t, half, half));
        EXPECT_NEAR(player->currentFrameTime(), t, half + 1e-6);
    }
}

TEST(VideoPlayer, PlaysToTheEndAndPausesThere)
{
    auto player = openPlayer(QStringLiteral("noaudio.mp4"));
    QSignalSpy ended(player.get(), &VideoPlayer::reachedEnd);
    QSignalSpy times(player.get(), &VideoPlayer::timeChanged);
    player->setRate(8);
    EXPECT_EQ(player->rate(), 8);
    ASSERT_TRUE(ended.wait(waitMs));
    EXPECT_EQ(player->rate(), 0);
    EXPECT_NEAR(player->currentTime(), player->duration() - 1.0 / 30, 0.05);
    EXPECT_GE(times.count(), 1);
    // Playing again at the end goes nowhere.
    player->play();
    ASSERT_TRUE(ended.wait(waitMs));
    EXPECT_EQ(player->rate(), 0);
}

TEST(VideoPlayer, PlaysWithSoundOrSilentlyWithoutADevice)
{
    int audioMessages = 0;
    static int *counter = nullptr;
    counter = &audioMessages;
    const QtMessageHandler previous = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &context, const QString &) {
        if (context.category && QByteArray(context.category).endsWith(".audio") && type != QtDebugMsg)
            ++*counter;
    });
    {
        auto player = openPlayer(QStringLiteral("portrait.mp4"), VideoPlayer::Options::fullPlayer());
        EXPECT_TRUE(player->hasAudio());
        QSignalSpy ended(player.get(), &VideoPlayer::reachedEnd);
        player->play();
        ASSERT_TRUE(ended.wait(waitMs));
        auto second = openPlayer(QStringLiteral("pattern_1080p30.mp4"), VideoPlayer::Options::fullPlayer());
        ASSERT_TRUE(seekAndWait(*second, 3.5));
        QSignalSpy secondEnded(second.get(), &VideoPlayer::reachedEnd);
        second->play();
        ASSERT_TRUE(secondEnded.wait(waitMs));
    }
    qInstallMessageHandler(previous);
    EXPECT_LE(audioMessages, 1);
}

TEST(VideoPlayer, AFileThatCannotBeOpenedNeverGetsAFrame)
{
    // Not a video at all, and a video whose pictures are all lost (the
    // header intact, the media data zeroed): both fail with a text.
    QTemporaryDir dir;
    const QString zeroed = TestMedia::copyTo(QStringLiteral("noaudio.mp4"), dir.path());
    QFile file(zeroed);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    QByteArray bytes = file.readAll();
    const qsizetype media = bytes.indexOf("mdat");
    ASSERT_GE(media, 4);
    const qsizetype boxSize = qFromBigEndian<quint32>(bytes.constData() + media - 4);
    ASSERT_LE(media - 4 + boxSize, bytes.size());
    bytes.replace(media + 4, boxSize - 8, QByteArray(boxSize - 8, '\0'));
    ASSERT_TRUE(file.seek(0));
    ASSERT_EQ(file.write(bytes), bytes.size());
    file.close();
    for (const QString &path : {TestMedia::path(QStringLiteral("notavideo.mov")), zeroed}) {
        SCOPED_TRACE(path.toStdString());
        VideoPlayer player(path);
        QSignalSpy failed(&player, &VideoPlayer::failed);
        ASSERT_TRUE(failed.count() > 0 || failed.wait(waitMs));
        EXPECT_FALSE(player.errorText().isEmpty());
        EXPECT_FALSE(seekAndWait(player, 1.0));
        player.play();
        player.stepByFrames(1);
        QTest::qWait(50);
        EXPECT_FALSE(player.isReadyForDisplay());
        EXPECT_TRUE(player.currentFrame().isNull());
    }
}

TEST(VideoPlayer, ClosedPlayersShowNothingAndIgnoreRequests)
{
    auto player = openPlayer(QStringLiteral("counter.mp4"));
    QSignalSpy ready(player.get(), &VideoPlayer::readyForDisplayChanged);
    player->close();
    EXPECT_FALSE(player->hasItem());
    EXPECT_TRUE(player->currentFrame().isNull());
    EXPECT_FALSE(player->isReadyForDisplay());
    EXPECT_EQ(ready.count(), 1);
    EXPECT_FALSE(seekAndWait(*player, 3.0));
    player->play();
    EXPECT_EQ(player->rate(), 0);
}

TEST(VideoPlayer, AnIdleDecoderIsDroppedAndReopenedOnNextUse)
{
    VideoPlayer::Options options;
    options.releaseDecoderAfterMs = 50;
    auto player = openPlayer(QStringLiteral("counter.mp4"), options);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !player->isDecoderOpen(); }, waitMs));
    EXPECT_FALSE(player->currentFrame().isNull()); // the last frame stays on show
    ASSERT_TRUE(seekAndWait(*player, 6.5));
    EXPECT_TRUE(player->currentFrame() == referenceFrame(player->path(), 6.5).image);
    EXPECT_EQ(player->stats().decoderOpens, 2);
}

TEST(VideoPlayer, FramesSeenBeforeComeBackWithoutTheDecoder)
{
    VideoPlayer::Options options;
    options.releaseDecoderAfterMs = 50;
    options.frameCacheBytes = 8LL * 1024 * 1024;
    options.keptFrameCacheBytes = 2LL * 1024 * 1024; // six frames of 320 x 240
    auto player = openPlayer(QStringLiteral("bframes.mp4"), options);
    // A slow sweep over a stretch, as a pointer leaving a card.
    for (int n = 90; n <= 100; ++n)
        ASSERT_TRUE(seekAndWait(*player, (n + 0.5) / 30));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !player->isDecoderOpen(); }, waitMs));
    const int opens = player->stats().decoderOpens;
    // Coming back where it left (the frames seen last) needs no decoder.
    for (int n : {100, 99, 97, 95, 100}) {
        ASSERT_TRUE(seekAndWait(*player, (n + 0.5) / 30));
        EXPECT_TRUE(player->currentFrame() == referenceFrame(player->path(), (n + 0.5) / 30).image) << n;
    }
    EXPECT_EQ(player->stats().decoderOpens, opens);
    EXPECT_FALSE(player->isDecoderOpen());
    // Elsewhere the decoder opens again, and the frame is right.
    ASSERT_TRUE(seekAndWait(*player, 6.3));
    EXPECT_TRUE(player->currentFrame() == referenceFrame(player->path(), 6.3).image);
    EXPECT_EQ(player->stats().decoderOpens, opens + 1);
}

TEST(VideoPlayer, TheReverseShuttleShowsTheFrameAtEachStepFromFramesReadAhead)
{
    // As the full player's shuttle goes back: a seek a step before the time
    // of the last one, with half a frame of tolerance, at 1x and then at 8x
    // (eight frames a step, across keyframes, over B-frames).
    auto player = openPlayer(QStringLiteral("bframes.mp4"), VideoPlayer::Options::fullPlayer());
    ASSERT_TRUE(seekAndWait(*player, 7.5));
    const int fromCacheBefore = player->stats().framesFromCache;
    const double half = 0.5 / 30;
    int steps = 0;
    for (const auto &[frames, count] : {std::pair{1, 20}, std::pair{8, 16}}) {
        for (int i = 0; i < count; ++i) {
            // The worker has read what it reads ahead (no timing involved).
            ASSERT_TRUE(QTest::qWaitFor([&] { return !player->isReadingAhead(); }, waitMs));
            const double t = player->currentTime() - frames / 30.0;
            ASSERT_TRUE(seekAndWait(*player, t, half, half));
            ++steps;
            const double nearest = std::round(t * 30) / 30;
            EXPECT_NEAR(player->currentFrameTime(), nearest, 1e-6) << t;
            EXPECT_TRUE(player->currentFrame() == referenceFrame(player->path(), nearest).image) << t;
        }
    }
    EXPECT_LT(player->currentTime(), 2.7);
    // Every step was answered from frames read ahead of it.
    EXPECT_EQ(player->stats().framesFromCache - fromCacheBefore, steps);
}

TEST(VideoPlayer, ALandingWaitingForTheReaderGivesWayToTheNextSeekOnceThatOnesFrameIsRead)
{
    // A reader hands an interval's frames from its keyframe on, so the last
    // frame of the interval comes last. A shuttle going back that asked for
    // it while its next request waits must show the next one as soon as it
    // is read, not wait for the whole interval.
    auto player = openPlayer(QStringLiteral("pattern_1080p30.mp4"), VideoPlayer::Options::fullPlayer());
    // At full size every frame of the interval is converted: reading it
    // takes far longer than the two requests below.
    player->setTargetSize(QSize(1920, 1080));
    ASSERT_TRUE(seekAndWait(*player, 2.0)); // a keyframe: nothing before it is decoded yet
    // At rest, the full player reads the interval behind it, from frame 0 to frame 59.
    ASSERT_TRUE(QTest::qWaitFor([&] { return player->isReadingAhead(); }, waitMs));
    const double half = 0.5 / 30;
    std::vector<std::pair<double, bool>> completions;
    for (const double t : {59.0 / 30, 3.0 / 30})
        player->seek(
            t,
            [&completions, t](bool ok) {
                completions.push_back({t, ok});
            },
            half, half);
    ASSERT_TRUE(QTest::qWaitFor([&] { return completions.size() == 2; }, waitMs));
    EXPECT_EQ(completions[0], std::make_pair(59.0 / 30, false)); // gave way
    EXPECT_EQ(completions[1], std::make_pair(3.0 / 30, true));
    EXPECT_NEAR(player->currentFrameTime(), 3.0 / 30, 1e-6);
    EXPECT_TRUE(player->currentFrame() == referenceFrame(player->path(), 3.0 / 30, QSize(1920, 1080)).image);
}

TEST(VideoPlayer, StepsBackAcrossAKeyframeComeFromFramesReadAhead)
{
    auto player = openPlayer(QStringLiteral("bframes.mp4"), VideoPlayer::Options::fullPlayer());
    ASSERT_TRUE(seekAndWait(*player, 4.1)); // frame 123; frame 120 is a keyframe
    const int fromCacheBefore = player->stats().framesFromCache;
    QSignalSpy times(player.get(), &VideoPlayer::timeChanged);
    for (int n = 122; n >= 110; --n) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return !player->isReadingAhead(); }, waitMs));
        player->stepByFrames(-1);
        ASSERT_TRUE(times.wait(waitMs));
        EXPECT_NEAR(player->currentFrameTime(), n / 30.0, 1e-6);
        EXPECT_TRUE(player->currentFrame() == referenceFrame(player->path(), n / 30.0).image) << n;
    }
    EXPECT_EQ(player->stats().framesFromCache - fromCacheBefore, 13);
    // Forward again: nothing is read ahead any more.
    player->stepByFrames(1);
    ASSERT_TRUE(times.wait(waitMs));
    EXPECT_FALSE(player->isReadingAhead());
    EXPECT_TRUE(player->currentFrame() == referenceFrame(player->path(), 111 / 30.0).image);
}
