#include "media/ShuttleController.h"
#include "media/VideoPlayer.h"
#include "support/TestMedia.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {
constexpr int waitMs = 30000;

std::shared_ptr<VideoPlayer> readyPlayer(const QString &name = QStringLiteral("counter.mp4"))
{
    auto player = std::make_shared<VideoPlayer>(TestMedia::path(name));
    player->setMuted(true);
    EXPECT_TRUE(QTest::qWaitFor([&] { return player->isReadyForDisplay(); }, waitMs));
    return player;
}

struct CarriedReset
{
    CarriedReset() { ShuttleController::carriedSpeedIndex.reset(); }
    ~CarriedReset() { ShuttleController::carriedSpeedIndex.reset(); }
};
} // namespace

TEST(ShuttleController, ForwardDoublesUpTo8AndKStops)
{
    ShuttleController shuttle;
    const auto player = readyPlayer();
    shuttle.attach(player, 10.0, 30.0);
    EXPECT_EQ(player->rate(), 0); // attaching neither starts nor pauses
    std::vector<double> rates;
    for (int i = 0; i < 5; ++i) {
        shuttle.shuttleForward();
        rates.push_back(player->rate());
    }
    EXPECT_EQ(rates, (std::vector<double>{1, 2, 4, 8, 8}));
    EXPECT_TRUE(shuttle.isPlaying());
    EXPECT_EQ(shuttle.playbackDirection(), 1);
    EXPECT_EQ(shuttle.speedIndex(), 3);

    shuttle.shuttleStop();
    EXPECT_EQ(player->rate(), 0);
    EXPECT_FALSE(shuttle.isPlaying());
    EXPECT_EQ(shuttle.playbackDirection(), 0);
    EXPECT_EQ(shuttle.speedIndex(), 0);
}

TEST(ShuttleController, SwitchingDirectionStartsAt1x)
{
    ShuttleController shuttle;
    const auto player = readyPlayer();
    shuttle.attach(player, 10.0, 30.0);
    bool done = false;
    player->seek(8.0, [&](bool) { done = true; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return done; }, waitMs));
    shuttle.shuttleForward();
    shuttle.shuttleForward();
    shuttle.shuttleReverse(); // pauses and goes backward at 1x
    EXPECT_EQ(player->rate(), 0);
    EXPECT_EQ(shuttle.playbackDirection(), -1);
    EXPECT_EQ(shuttle.speedIndex(), 0);
    shuttle.shuttleReverse();
    EXPECT_EQ(shuttle.speedIndex(), 1);
    shuttle.shuttleForward(); // stops the reverse stepping, forward at 1x
    EXPECT_EQ(shuttle.playbackDirection(), 1);
    EXPECT_EQ(shuttle.speedIndex(), 0);
    EXPECT_EQ(player->rate(), 1);
    shuttle.shuttleStop();
}

TEST(ShuttleController, ReversePlayStepsBackAndStopsAtTheStart)
{
    ShuttleController shuttle;
    const auto player = readyPlayer();
    bool done = false;
    player->seek(0.05, [&](bool) { done = true; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return done; }, waitMs));
    shuttle.attach(player, 10.0, 30.0);
    QSignalSpy times(&shuttle, &ShuttleController::currentTimeChanged);
    shuttle.shuttleReverse();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !shuttle.isPlaying(); }, waitMs));
    // First tick to 0.05 - 1/30, then the start: time 0 and stopped.
    ASSERT_GE(times.count(), 2);
    EXPECT_NEAR(times.first().first().toDouble(), 0.05 - 1.0 / 30, 1e-9);
    EXPECT_DOUBLE_EQ(shuttle.currentTime(), 0);
    EXPECT_EQ(shuttle.playbackDirection(), 0);
    EXPECT_EQ(shuttle.speedIndex(), 0);
    EXPECT_DOUBLE_EQ(player->currentTime(), 0);
}

TEST(ShuttleController, ReversePlayAtSpeedMovesBackThroughTheClip)
{
    ShuttleController shuttle;
    const auto player = readyPlayer();
    bool done = false;
    player->seek(3.0, [&](bool) { done = true; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return done; }, waitMs));
    shuttle.attach(player, 10.0, 0.0); // unknown frame rate counts as 30
    EXPECT_DOUBLE_EQ(shuttle.frameRate(), 30.0);
    QSignalSpy times(&shuttle, &ShuttleController::currentTimeChanged);
    shuttle.shuttleReverse();
    shuttle.shuttleReverse();
    shuttle.shuttleReverse();
    shuttle.shuttleReverse(); // 8x: 8/30 s per tick
    EXPECT_EQ(shuttle.speedIndex(), 3);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !shuttle.isPlaying(); }, waitMs));
    EXPECT_DOUBLE_EQ(shuttle.currentTime(), 0);
    // The shuttle ran back from 3 s in steps of 8/30 s, never forward.
    ASSERT_GE(times.count(), 2);
    EXPECT_NEAR(times.first().first().toDouble(), 3.0 - 8.0 / 30, 1e-9);
    for (qsizetype i = 1; i < times.count(); ++i)
        EXPECT_LE(times[i].first().toDouble(), times[i - 1].first().toDouble());
    EXPECT_DOUBLE_EQ(times.last().first().toDouble(), 0);
    // The seek to the start is asynchronous: a busy decoder may still show an
    // earlier frame when the shuttle stops. Its frame is on show once it lands.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !player->isSeeking(); }, waitMs));
    EXPECT_DOUBLE_EQ(shuttle.currentTime(), 0);
    EXPECT_LT(player->currentFrameTime(), 0.2);
}

TEST(ShuttleController, CarriedSpeedStartsTheNextClipAtThatSpeedOnce)
{
    CarriedReset reset;
    ShuttleController shuttle;
    ShuttleController::carriedSpeedIndex = 2;
    shuttle.resumeCarriedSpeed(); // no player: the value stays
    EXPECT_EQ(ShuttleController::carriedSpeedIndex, 2);

    const auto player = readyPlayer();
    shuttle.attach(player, 10.0, 30.0);
    shuttle.resumeCarriedSpeed();
    EXPECT_FALSE(ShuttleController::carriedSpeedIndex.has_value());
    EXPECT_EQ(player->rate(), 4);
    EXPECT_EQ(shuttle.playbackDirection(), 1);
    EXPECT_EQ(shuttle.speedIndex(), 2);
    EXPECT_TRUE(shuttle.isPlaying());

    // A second attach without a carried speed opens stopped.
    const auto next = readyPlayer(QStringLiteral("clip.mkv"));
    shuttle.attach(next, 1.0, 30.0);
    shuttle.resumeCarriedSpeed();
    EXPECT_EQ(next->rate(), 0);
    EXPECT_FALSE(shuttle.isPlaying());
    EXPECT_EQ(player->rate(), 0); // detaching stopped the first player
}

TEST(ShuttleController, DetachedOperationsAreHarmless)
{
    ShuttleController shuttle;
    shuttle.shuttleForward();
    shuttle.shuttleReverse();
    EXPECT_FALSE(shuttle.isPlaying());
    shuttle.shuttleStop();
    EXPECT_EQ(shuttle.playbackDirection(), 0);
    EXPECT_EQ(shuttle.player(), nullptr);

    const auto player = readyPlayer();
    shuttle.attach(player, 10.0, 25.0);
    shuttle.setCurrentTime(4.0);
    shuttle.detach();
    EXPECT_EQ(shuttle.player(), nullptr);
    EXPECT_DOUBLE_EQ(shuttle.duration(), 0);
    EXPECT_DOUBLE_EQ(shuttle.currentTime(), 0);
    EXPECT_DOUBLE_EQ(shuttle.frameRate(), 25.0); // kept until the next attach
}

TEST(ShuttleController, ADestroyedShuttleLeavesThePlayerAlone)
{
    const auto player = readyPlayer();
    {
        ShuttleController shuttle;
        shuttle.attach(player, 10.0, 30.0);
        shuttle.shuttleReverse();
    }
    QTest::qWait(100);
    bool done = false;
    player->seek(2.0, [&](bool) { done = true; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return done; }, waitMs));
    EXPECT_NEAR(player->currentTime(), 2.0, 1e-9);
}
