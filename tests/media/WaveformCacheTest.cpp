#include "media/WaveformCache.h"
#include "support/TestMedia.h"

#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

namespace {
constexpr int waitMs = 30000;

QList<float> quiet(int n)
{
    return QList<float>(n, 0.01f);
}

QList<AudioPeak> peaksOf(WaveformCache &cache, const QString &path)
{
    std::optional<QList<AudioPeak>> result;
    cache.peaks(path, nullptr, [&](const QList<AudioPeak> &peaks) { result = peaks; });
    EXPECT_TRUE(QTest::qWaitFor([&] { return result.has_value(); }, waitMs));
    return result.value_or(QList<AudioPeak>{});
}
} // namespace

TEST(WaveformCache, SilenceAndEvenLevelsFollowTheThresholdRule)
{
    EXPECT_TRUE(WaveformCache::detectPeaks(QList<float>(500, 0.0f), 3).isEmpty());
    EXPECT_TRUE(WaveformCache::detectPeaks({}, 3).isEmpty());
    // All equal: the threshold is the mean, so every bucket is at it.
    EXPECT_EQ(WaveformCache::detectPeaks(QList<float>(500, 0.5f), 3), (QList<AudioPeak>{{0.0, 1.0}}));
}

TEST(WaveformCache, ALoudBucketIsAPeakAndNearbyRunsMerge)
{
    QList<float> one = quiet(500);
    one[123] = 0.9f;
    EXPECT_EQ(WaveformCache::detectPeaks(one, 3), (QList<AudioPeak>{{123 / 500.0, 124 / 500.0}}));

    // 10 quiet buckets between two runs merge them at 500 buckets; 11 do not.
    QList<float> ten = quiet(500);
    for (int i : {100, 101, 112, 113})
        ten[i] = 0.8f;
    EXPECT_EQ(WaveformCache::detectPeaks(ten, 3), (QList<AudioPeak>{{100 / 500.0, 114 / 500.0}}));
    QList<float> eleven = quiet(500);
    for (int i : {100, 101, 113, 114})
        eleven[i] = 0.8f;
    EXPECT_EQ(WaveformCache::detectPeaks(eleven, 3).size(), 2);

    // At 40 buckets the merge gap is 1.
    QList<float> small = quiet(40);
    for (int i : {5, 7, 20, 23})
        small[i] = 0.9f;
    EXPECT_EQ(WaveformCache::detectPeaks(small, 3),
              (QList<AudioPeak>{{5 / 40.0, 8 / 40.0}, {20 / 40.0, 21 / 40.0}, {23 / 40.0, 24 / 40.0}}));
}

TEST(WaveformCache, KeepsTheThreeLoudestStretchesInTimeOrder)
{
    QList<float> levels = quiet(500);
    levels[50] = 0.6f;
    levels[150] = 0.9f;
    levels[250] = 0.7f;
    levels[350] = 0.9f;
    levels[499] = 0.8f; // reaches the last bucket
    const QList<AudioPeak> peaks = WaveformCache::detectPeaks(levels, 3);
    EXPECT_EQ(peaks, (QList<AudioPeak>{{150 / 500.0, 151 / 500.0}, {350 / 500.0, 351 / 500.0}, {499 / 500.0, 1.0}}));

    // Equal highest levels: the earlier stretch wins.
    QList<float> ties = quiet(500);
    for (int i : {100, 200, 300, 400})
        ties[i] = 0.9f;
    EXPECT_EQ(WaveformCache::detectPeaks(ties, 3), (QList<AudioPeak>{{0.2, 0.202}, {0.4, 0.402}, {0.6, 0.602}}));
    EXPECT_TRUE(WaveformCache::detectPeaks(ties, 0).isEmpty());
}

TEST(WaveformCache, BucketsTakeTheLoudestSampleAndDropTheRemainder)
{
    std::vector<quint16> thousand(1000, 0);
    thousand[1] = 16384;
    thousand[998] = 32768;
    const QList<float> a = WaveformCache::bucketLevels(thousand, 500);
    EXPECT_FLOAT_EQ(a[0], 0.5f);
    EXPECT_FLOAT_EQ(a[499], 1.0f);

    std::vector<quint16> odd(1499, 0);
    odd[997] = 32768;  // bucket 498 (2 samples each)
    odd[1200] = 32768; // beyond the last bucket: not looked at
    const QList<float> b = WaveformCache::bucketLevels(odd, 500);
    EXPECT_FLOAT_EQ(b[498], 1.0f);
    for (int i = 0; i < 500; ++i) {
        if (i != 498) {
            EXPECT_EQ(b[i], 0.0f) << i;
        }
    }

    std::vector<quint16> few(300, 32768);
    const QList<float> c = WaveformCache::bucketLevels(few, 500);
    EXPECT_FLOAT_EQ(c[299], 1.0f);
    EXPECT_EQ(c[300], 0.0f);
    EXPECT_EQ(c[499], 0.0f);
}

TEST(WaveformCache, FindsTheBurstWhereItIs)
{
    WaveformCache cache;
    const QList<AudioPeak> peaks = peaksOf(cache, TestMedia::path(QStringLiteral("burst.mp4")));
    ASSERT_EQ(peaks.size(), 1);
    // The burst runs from 2.0 s to 2.5 s of 4 s.
    EXPECT_NEAR(peaks[0].start, 0.5, 0.01);
    EXPECT_NEAR(peaks[0].end, 0.625, 0.01);
}

TEST(WaveformCache, AnswersFromTheCacheAndSharesRunningAnalyses)
{
    WaveformCache cache;
    const QString path = TestMedia::path(QStringLiteral("burst.mp4"));
    int answers = 0;
    cache.peaks(path, nullptr, [&](const QList<AudioPeak> &) { ++answers; });
    cache.peaks(path, nullptr, [&](const QList<AudioPeak> &) { ++answers; });
    EXPECT_TRUE(cache.isAnalysing(path));
    ASSERT_TRUE(QTest::qWaitFor([&] { return answers == 2; }, waitMs));
    EXPECT_EQ(cache.analysesStarted(), 1);

    // A later request is answered at once, before peaks() returns.
    bool immediate = false;
    cache.peaks(path, nullptr, [&](const QList<AudioPeak> &peaks) { immediate = !peaks.isEmpty(); });
    EXPECT_TRUE(immediate);
    EXPECT_EQ(cache.analysesStarted(), 1);
    EXPECT_EQ(cache.availableSlots(), 3);
}

TEST(WaveformCache, ReadsAtMostThreeFilesAtOnceInArrivalOrder)
{
    QTemporaryDir folder;
    WaveformCache cache;
    QStringList paths;
    for (int i = 0; i < 5; ++i)
        paths << TestMedia::copyTo(QStringLiteral("silence.mp4"), folder.path(), QStringLiteral("s%1.mp4").arg(i));
    QStringList finished;
    QList<QStringList> waitingAtEachAnswer;
    QList<int> freeAtEachAnswer;
    for (const QString &path : paths) {
        cache.peaks(path, nullptr, [&, path](const QList<AudioPeak> &) {
            finished << path;
            waitingAtEachAnswer << cache.waitingPaths();
            freeAtEachAnswer << cache.availableSlots();
        });
    }
    EXPECT_EQ(cache.availableSlots(), 0);
    EXPECT_EQ(cache.waitingPaths(), paths.mid(3));
    EXPECT_EQ(cache.analysesStarted(), 3);
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished.size() == 5; }, waitMs));
    EXPECT_EQ(cache.analysesStarted(), 5);
    EXPECT_EQ(cache.availableSlots(), 3);
    EXPECT_EQ(cache.waitingAnalyses(), 0);
    // Each release handed its slot straight to the earliest waiter.
    EXPECT_EQ(waitingAtEachAnswer[0], QStringList{paths[4]});
    EXPECT_EQ(waitingAtEachAnswer[1], QStringList{});
    EXPECT_EQ(freeAtEachAnswer.mid(0, 2), (QList<int>{0, 0}));
    EXPECT_EQ(freeAtEachAnswer.last(), 3);
}

TEST(WaveformCache, UnreadableOrSilentClipsHaveNoPeaksAndAreNotReadAgain)
{
    WaveformCache cache;
    for (const QString &name : {QStringLiteral("silence.mp4"), QStringLiteral("noaudio.mp4"), QStringLiteral("notavideo.mov")}) {
        SCOPED_TRACE(name.toStdString());
        const QString path = TestMedia::path(name);
        EXPECT_TRUE(peaksOf(cache, path).isEmpty());
        const int reads = cache.analysesStarted();
        EXPECT_TRUE(peaksOf(cache, path).isEmpty());
        EXPECT_EQ(cache.analysesStarted(), reads);
        EXPECT_TRUE(cache.cachedPeaks(path).has_value());
    }
}

TEST(WaveformCache, AGoneReceiverIsNotCalled)
{
    WaveformCache cache;
    const QString path = TestMedia::path(QStringLiteral("burst.mp4"));
    bool called = false;
    {
        auto receiver = std::make_unique<QObject>();
        cache.peaks(path, receiver.get(), [&](const QList<AudioPeak> &) { called = true; });
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return cache.cachedPeaks(path).has_value(); }, waitMs));
    EXPECT_FALSE(called);
}

TEST(WaveformCache, DestroyingTheCacheWhileReadingIsSafe)
{
    const QString path = TestMedia::path(QStringLiteral("pattern_1080p30.mp4"));
    auto cache = std::make_unique<WaveformCache>();
    cache->peaks(path, nullptr, [](const QList<AudioPeak> &) {});
    cache.reset();
    QTest::qWait(20);
}
