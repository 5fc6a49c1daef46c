#include "media/FFmpegVideoDecoder.h"
#include "media/PooledDecoderBudget.h"
#include "media/ScrubPlayerPool.h"
#include "media/VideoPlayer.h"
#include "support/TestMedia.h"

#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {
constexpr int waitMs = 30000;
}

TEST(ScrubPlayerPool, KeepsOnePlayerPerFileAndEvictsTheLeastRecentlyUsed)
{
    QTemporaryDir folder;
    ScrubPlayerPool pool;
    EXPECT_EQ(pool.maxPoolSize(), 24);
    QStringList paths;
    for (int i = 0; i < 25; ++i)
        paths << TestMedia::copyTo(QStringLiteral("clip.mkv"), folder.path(), QStringLiteral("clip%1.mkv").arg(i));

    std::vector<std::shared_ptr<VideoPlayer>> players;
    for (int i = 0; i < 24; ++i)
        players.push_back(pool.player(paths[i]));
    EXPECT_EQ(pool.count(), 24);
    EXPECT_TRUE(players[0]->isMuted());
    EXPECT_EQ(players[0]->rate(), 0);

    // Asking again returns the same player and makes it the most recent.
    EXPECT_EQ(pool.player(paths[0]), players[0]);
    EXPECT_EQ(pool.accessOrder().last(), paths[0]);
    EXPECT_EQ(pool.accessOrder().first(), paths[1]);

    // The 25th file evicts the least recently used: file 1.
    const auto newest = pool.player(paths[24]);
    EXPECT_EQ(pool.count(), 24);
    EXPECT_FALSE(pool.contains(paths[1]));
    EXPECT_TRUE(pool.contains(paths[24]));
    EXPECT_TRUE(newest->hasItem());
    EXPECT_FALSE(players[1]->hasItem());
    EXPECT_EQ(players[1]->rate(), 0);
    EXPECT_TRUE(players[1]->currentFrame().isNull());

    // A seek on the evicted player does nothing at all.
    bool completed = false;
    pool.seek(players[1], 0.5, [&] { completed = true; });
    QTest::qWait(50);
    EXPECT_FALSE(completed);
    EXPECT_EQ(players[1]->stats().seeksRequested, 0);

    // Its file gets a new player.
    const auto again = pool.player(paths[1]);
    EXPECT_NE(again, players[1]);
    EXPECT_TRUE(again->hasItem());
    EXPECT_FALSE(pool.contains(paths[2])); // the next least recently used went
}

TEST(ScrubPlayerPool, ABurstOfSeeksPerformsTheFirstAndThenTheLastTime)
{
    ScrubPlayerPool pool;
    const QString path = TestMedia::path(QStringLiteral("counter.mp4"));
    const auto player = pool.player(path);
    ASSERT_TRUE(QTest::qWaitFor([&] { return player->isReadyForDisplay(); }, waitMs));

    int completions = 0;
    pool.seek(player, 1.0, [&] { ++completions; });
    EXPECT_TRUE(pool.isSeeking(path));
    pool.seek(player, 4.0, [&] { ++completions; });
    pool.seek(player, 6.0, [&] { ++completions; });
    pool.seek(player, 7.5, [&] { ++completions; });
    EXPECT_TRUE(pool.hasPendingSeek(path));
    ASSERT_TRUE(QTest::qWaitFor([&] { return completions == 4; }, waitMs));
    EXPECT_FALSE(pool.isSeeking(path));
    EXPECT_FALSE(pool.hasPendingSeek(path));
    EXPECT_EQ(player->stats().seeksPerformed, 2);
    EXPECT_NEAR(player->currentFrameTime(), 7.5, 1e-6);
    EXPECT_NEAR(player->currentTime(), 7.5, 1e-9);
}

TEST(ScrubPlayerPool, SeeksToZeroOrBeforeGoTo10Milliseconds)
{
    ScrubPlayerPool pool;
    const auto player = pool.player(TestMedia::path(QStringLiteral("counter.mp4")));
    for (double t : {0.0, -3.0}) {
        bool done = false;
        pool.seek(player, t, [&] { done = true; });
        ASSERT_TRUE(QTest::qWaitFor([&] { return done; }, waitMs));
        EXPECT_DOUBLE_EQ(player->currentTime(), 0.01);
    }
}

TEST(ScrubPlayerPool, PurgeLeavesHeldPlayersEmptyAndDeaf)
{
    ScrubPlayerPool pool;
    const auto a = pool.player(TestMedia::path(QStringLiteral("counter.mp4")));
    const auto b = pool.player(TestMedia::path(QStringLiteral("clip.mkv")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return a->isReadyForDisplay() && b->isReadyForDisplay(); }, waitMs));
    pool.seek(a, 3.0); // in flight while the pool is purged
    pool.purgePlayers();
    EXPECT_EQ(pool.count(), 0);
    EXPECT_TRUE(pool.accessOrder().isEmpty());
    for (const auto &player : {a, b}) {
        EXPECT_FALSE(player->hasItem());
        EXPECT_FALSE(player->isReadyForDisplay());
        EXPECT_TRUE(player->currentFrame().isNull());
    }
    bool completed = false;
    pool.seek(a, 1.0, [&] { completed = true; });
    QTest::qWait(50);
    EXPECT_FALSE(completed);
    EXPECT_FALSE(pool.isSeeking(a->path()));
}

TEST(ScrubPlayerPool, AFileThatCannotBeOpenedStillGivesAPlayer)
{
    ScrubPlayerPool pool;
    const auto player = pool.player(QStringLiteral("/nonexistent/folder/missing.mov"));
    ASSERT_TRUE(player);
    bool done = false;
    pool.seek(player, 1.0, [&] { done = true; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return done; }, waitMs));
    EXPECT_FALSE(player->isReadyForDisplay());
    // Seeking again still works: the pool does not stay marked as seeking.
    EXPECT_FALSE(pool.isSeeking(player->path()));
}

namespace {

// Restores the process-wide decoder budget when a test ends.
struct BudgetLimits
{
    int decoders = PooledDecoderBudget::instance().limit();
    int threads = PooledDecoderBudget::instance().threadLimit();
    ~BudgetLimits()
    {
        PooledDecoderBudget::instance().setLimit(decoders);
        PooledDecoderBudget::instance().setThreadLimit(threads);
    }
};

bool seekAndWait(ScrubPlayerPool &pool, const std::shared_ptr<VideoPlayer> &player, double seconds)
{
    bool done = false;
    pool.seek(player, seconds, [&] { done = true; });
    return QTest::qWaitFor([&] { return done; }, waitMs);
}

QImage frameAt(const QString &path, double seconds, QSize size)
{
    FFmpegVideoDecoder decoder;
    EXPECT_TRUE(decoder.open(path, 1));
    EXPECT_TRUE(decoder.seekExact(seconds));
    return decoder.frameImage(size);
}

} // namespace

TEST(ScrubPlayerPool, AReenteredCardShowsItsKeptFrameAtOnce)
{
    BudgetLimits restore;
    // One open decoder for the whole pool: using a second card closes the first one's.
    PooledDecoderBudget::instance().setLimit(1);
    QTemporaryDir folder;
    const QString first = TestMedia::copyTo(QStringLiteral("bframes.mp4"), folder.path(), QStringLiteral("first.mp4"));
    const QString second = TestMedia::copyTo(QStringLiteral("counter.mp4"), folder.path(), QStringLiteral("second.mp4"));
    const QSize size(320, 240);
    ScrubPlayerPool pool;

    // The pointer crosses the first card and leaves it at 5.4 s.
    const auto card = pool.player(first);
    card->setTargetSize(size);
    for (double t : {1.0, 2.5, 4.2, 5.0, 5.2, 5.4})
        ASSERT_TRUE(seekAndWait(pool, card, t));
    const QImage left = card->currentFrame();
    EXPECT_TRUE(left == frameAt(first, 5.4, size));

    // It scrubs another card, whose decoder takes the first one's place.
    const auto other = pool.player(second);
    other->setTargetSize(size);
    ASSERT_TRUE(seekAndWait(pool, other, 3.3));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !card->isDecoderOpen(); }, waitMs));
    const int opens = card->stats().decoderOpens;

    // Back on the first card: the same player, its frame on show at once.
    const auto again = pool.player(first);
    EXPECT_EQ(again, card);
    EXPECT_TRUE(again->isReadyForDisplay());
    EXPECT_TRUE(again->currentFrame() == left);
    // Where the pointer left it and where it passed, without a decoder.
    for (double t : {5.4, 5.0, 5.2}) {
        ASSERT_TRUE(seekAndWait(pool, again, t));
        EXPECT_TRUE(again->currentFrame() == frameAt(first, t, size)) << t;
    }
    EXPECT_EQ(again->stats().decoderOpens, opens);
    EXPECT_FALSE(again->isDecoderOpen());
    // Further on, the decoder opens again.
    ASSERT_TRUE(seekAndWait(pool, again, 6.9));
    EXPECT_TRUE(again->currentFrame() == frameAt(first, 6.9, size));
    EXPECT_EQ(again->stats().decoderOpens, opens + 1);
}
