// A long file made to look like a damaged card: its keyframes at 20 s and
// 21 s (one after the other) and at 30 s carry random bytes. A landing
// there goes back a keyframe at most and shows the best frame there is, its
// work bounded whatever the file's length; every reader of the file then
// knows the group is damaged and does not pay again; a card whose landing
// takes long never holds up another card; going backwards through the
// damaged groups shows their frames. Work is counted in frames decoded.
#include "media/FFmpegVideoDecoder.h"
#include "media/PooledDecoderBudget.h"
#include "media/ThumbnailGenerator.h"
#include "media/VideoPlayer.h"
#include "support/DamagedKeyframes.h"
#include "support/PlayerWaits.h"
#include "support/TestMedia.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

constexpr int rate = 25;
using PlayerWaits::seekAndWait;
using PlayerWaits::waitMs;
const QSize cardSize(160, 90);
// A keyframe every second: a group is 25 frames; the file 40 s.
constexpr int group = rate;
constexpr int fileFrames = 40 * rate;
// What a landing may decode at most: its group and the one before, twice
// (once more when the frame before its target is unknown), and the frames
// in flight. From the start of the file it would be 500 and more.
constexpr int landingBound = 5 * group;

// 160x90 H.264 with B-frames that no other frame refers to, a keyframe every
// second, 40 s; damaged at 20, 21 and 30 s when asked.
QString longClip(const QTemporaryDir &dir, bool damaged)
{
    const QString path = dir.filePath(damaged ? QStringLiteral("damaged.mp4") : QStringLiteral("healthy.mp4"));
    const bool made = TestMedia::lavfiClip(path, QStringLiteral("testsrc2=size=160x90:rate=%1").arg(rate), fileFrames / double(rate),
                                           {QStringLiteral("-c:v"), QStringLiteral("libx264"), QStringLiteral("-preset"),
                                            QStringLiteral("ultrafast"), QStringLiteral("-bf"), QStringLiteral("2"),
                                            QStringLiteral("-x264-params"), QStringLiteral("b-pyramid=none"), QStringLiteral("-g"),
                                            QString::number(group), QStringLiteral("-keyint_min"), QString::number(group),
                                            QStringLiteral("-sc_threshold"), QStringLiteral("0")});
    QString error;
    QList<double> hit;
    EXPECT_TRUE(made && (!damaged || DamagedKeyframes::damage(path, {20, 21, 30}, 300, &error, &hit))) << error.toStdString();
    if (damaged) {
        EXPECT_EQ(hit, (QList<double>{20, 21, 30}));
    }
    return path;
}

quint64 framesDecoded()
{
    return FFmpegVideoDecoder::framesDecodedInProcess();
}

} // namespace

TEST(DamagedLongFile, ALandingInADamagedStretchEndsAndEveryReaderPaysForTheGroupOnce)
{
    QTemporaryDir dir;
    const QString path = longClip(dir, true);
    // A card's first seek at each frame of the groups at 20 and 21 s (the
    // B-frames skipped on the way, so that the frame before the target is
    // not known when it overshoots): it lands, its work bounded.
    for (int frame = 20 * rate; frame < 22 * rate; ++frame) {
        const double seconds = (frame + 0.5) / rate;
        auto card = PlayerWaits::readyPlayer(path, VideoPlayer::Options::pooledScrub(), cardSize);
        const quint64 before = framesDecoded();
        ASSERT_TRUE(seekAndWait(*card, seconds)) << seconds;
        EXPECT_LE(framesDecoded() - before, quint64(landingBound)) << seconds;
        EXPECT_NEAR(card->currentFrameTime(), double(frame) / rate, 1e-6) << seconds;
    }

    // The group at 30 s, not landed in yet: the first landing goes back one
    // keyframe and no further.
    FFmpegVideoDecoder first;
    ASSERT_TRUE(first.open(path, 1));
    quint64 before = framesDecoded();
    ASSERT_TRUE(first.seekExact(30.5));
    EXPECT_LE(framesDecoded() - before, quint64(2 * group + 4));
    EXPECT_TRUE(first.frameIsDamaged());
    // Another reader, and a poster, land in it from its own keyframe.
    FFmpegVideoDecoder second;
    ASSERT_TRUE(second.open(path, 2));
    before = framesDecoded();
    ASSERT_TRUE(second.seekExact(30.9));
    EXPECT_LE(framesDecoded() - before, quint64(group + 4));
    ThumbnailGenerator generator;
    before = framesDecoded();
    QFuture<QImage> poster = generator.thumbnail(path, 30.4, cardSize);
    poster.waitForFinished();
    EXPECT_FALSE(poster.result().isNull());
    EXPECT_LE(framesDecoded() - before, quint64(group + 4));
    // Past the damage the frames come out clean.
    ASSERT_TRUE(second.seekExact(31.5));
    EXPECT_FALSE(second.frameIsDamaged());
}

TEST(DamagedLongFile, ACardScrubsWhileAnotherCardsLandingHoldsEveryProcessor)
{
    QTemporaryDir dir;
    const QString healthy = longClip(dir, false);
    auto card = PlayerWaits::readyPlayer(healthy, VideoPlayer::Options::pooledScrub(), cardSize);
    // Another card's long landing has taken every processor the cards share.
    PooledDecoderBudget &budget = PooledDecoderBudget::instance();
    const int held = budget.beginSeek(QThread::idealThreadCount());
    for (const double seconds : {5.3, 12.7, 33.1}) {
        EXPECT_TRUE(seekAndWait(*card, seconds)) << seconds;
        EXPECT_NEAR(card->currentFrameTime(), std::floor(seconds * rate) / rate, 1e-6) << seconds;
    }
    budget.endSeek(held);
}

TEST(DamagedLongFile, TheReverseShuttleShowsTheFramesOfDamagedGroups)
{
    // Back at 1x from inside the second damaged group, across its keyframe
    // and through the first, as the full player's shuttle asks (half a frame
    // of tolerance): every frame, each group read a few times over at most
    // (the player's landings and the reader's pieces, each going back a
    // keyframe before its group is known to be damaged), never once a step.
    QTemporaryDir dir;
    auto player = PlayerWaits::readyPlayer(longClip(dir, true), VideoPlayer::Options::fullPlayer(), cardSize);
    ASSERT_TRUE(seekAndWait(*player, 21.9));
    const quint64 before = framesDecoded();
    int frame = int(std::floor(21.9 * rate));
    for (int step = 0; step < 2 * group; ++step) {
        --frame;
        ASSERT_TRUE(seekAndWait(*player, double(frame) / rate, 0.5 / rate, 0.5 / rate)) << frame;
        EXPECT_NEAR(player->currentFrameTime(), double(frame) / rate, 1e-6) << frame;
    }
    EXPECT_LE(framesDecoded() - before, quint64(12 * group));
}

TEST(DamagedLongFile, ALaterKeyframeDecodesWithTheEncoderBuildTheFirstFrameNames)
{
    // x264 names its build in the first frame only; H.264's decoder works
    // around bugs of builds before 151 in 4:4:4 streams by it. A file whose
    // first frame names build 150.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("x264-150.mp4"));
    ASSERT_TRUE(
        TestMedia::lavfiClip(path, QStringLiteral("testsrc2=size=160x90:rate=25"), 3,
                             {QStringLiteral("-c:v"), QStringLiteral("libx264"), QStringLiteral("-preset"), QStringLiteral("veryfast"),
                              QStringLiteral("-pix_fmt"), QStringLiteral("yuv444p"), QStringLiteral("-g"), QStringLiteral("25")}));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    QByteArray bytes = file.readAll();
    const qsizetype at = bytes.indexOf("x264 - core ") + 12;
    ASSERT_GE(at, 12);
    bytes.replace(at, 3, "150");
    ASSERT_TRUE(file.seek(0) && file.write(bytes) == bytes.size());
    file.close();
    // This stream, written by a newer x264, does not need the workaround:
    // from the start, with it, its frames come out damaged. So they do from
    // a later keyframe, on one thread and on frame threads alike.
    FFmpegVideoDecoder start;
    ASSERT_TRUE(start.open(path, 1));
    while (start.decodeNextFrame() && start.frameTime() < 2.2 - 1e-6) {
    }
    ASSERT_TRUE(start.frameIsDamaged());
    for (const int threads : {1, 4}) {
        FFmpegVideoDecoder decoder;
        ASSERT_TRUE(decoder.open(path, threads));
        ASSERT_TRUE(decoder.seekExact(2.2));
        EXPECT_TRUE(decoder.frameIsDamaged()) << threads;
    }
}
