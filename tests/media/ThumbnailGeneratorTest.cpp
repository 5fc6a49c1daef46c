#include "media/FFmpegFrameConverter.h"
#include "media/FFmpegVideoDecoder.h"
#include "media/PosterCache.h"
#include "media/ThumbnailGenerator.h"
#include "support/TestMedia.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QMutex>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QWaitCondition>
#include <gtest/gtest.h>

#include <memory>

namespace {

// A decoder whose decodes wait until the test lets them finish, so that the
// order and sharing of decodes can be watched. Its posters are the fit of a
// portrait 1080x1920 frame into the requested size.
class GatedDecoder
{
public:
    QImage decode(const QString &path, double seconds, QSize maxSize)
    {
        QMutexLocker lock(&m_mutex);
        m_started.append(path);
        m_times.append(seconds);
        ++m_running;
        m_maxRunning = std::max(m_maxRunning, m_running);
        m_changed.wakeAll();
        while (!m_openAll && !m_released.contains(path))
            m_changed.wait(&m_mutex);
        --m_running;
        if (m_failing.contains(path))
            return {};
        QImage poster(FFmpegFrameConverter::fitSize(m_sourceSize, maxSize), QImage::Format_RGB32);
        poster.fill(Qt::darkGreen);
        return poster;
    }
    ThumbnailGenerator::DecodeFunction function()
    {
        return [this](const QString &path, double seconds, QSize maxSize) { return decode(path, seconds, maxSize); };
    }
    bool waitForStarted(int count)
    {
        QMutexLocker lock(&m_mutex);
        QDeadlineTimer deadline(60000);
        while (m_started.size() < count) {
            if (!m_changed.wait(&m_mutex, deadline))
                return false;
        }
        return true;
    }
    void release(const QString &path)
    {
        QMutexLocker lock(&m_mutex);
        m_released.insert(path);
        m_changed.wakeAll();
    }
    void openAll()
    {
        QMutexLocker lock(&m_mutex);
        m_openAll = true;
        m_changed.wakeAll();
    }
    void fail(const QString &path)
    {
        QMutexLocker lock(&m_mutex);
        m_failing.insert(path);
    }
    void setSourceSize(QSize size) { m_sourceSize = size; }
    QStringList started()
    {
        QMutexLocker lock(&m_mutex);
        return m_started;
    }
    QList<double> times()
    {
        QMutexLocker lock(&m_mutex);
        return m_times;
    }
    int maxRunning()
    {
        QMutexLocker lock(&m_mutex);
        return m_maxRunning;
    }

private:
    QMutex m_mutex;
    QWaitCondition m_changed;
    QStringList m_started;
    QList<double> m_times;
    QSet<QString> m_released;
    QSet<QString> m_failing;
    bool m_openAll = false;
    int m_running = 0;
    int m_maxRunning = 0;
    QSize m_sourceSize{1080, 1920};
};

class ThumbnailGeneratorTest : public ::testing::Test
{
protected:
    void SetUp() override { generator = std::make_unique<ThumbnailGenerator>(decoder.function()); }
    void TearDown() override
    {
        decoder.openAll();
        generator.reset();
    }
    QImage wait(QFuture<QImage> future)
    {
        future.waitForFinished();
        return future.result();
    }
    GatedDecoder decoder;
    std::unique_ptr<ThumbnailGenerator> generator;
    const QSize cardSize{480, 270};
};

QString clip(int n)
{
    return QStringLiteral("/clips/C%1.mov").arg(n, 4, 10, QLatin1Char('0'));
}

} // namespace

TEST_F(ThumbnailGeneratorTest, IdenticalRequestsShareOneDecode)
{
    QFuture<QImage> first = generator->thumbnail(clip(1), 2.5, cardSize);
    ASSERT_TRUE(decoder.waitForStarted(1));
    QFuture<QImage> second = generator->thumbnail(clip(1), 2.5, cardSize);
    EXPECT_EQ(generator->inFlightCount(), 1);
    decoder.release(clip(1));
    const QImage a = wait(first);
    const QImage b = wait(second);
    ASSERT_FALSE(a.isNull());
    EXPECT_EQ(a.cacheKey(), b.cacheKey());
    EXPECT_EQ(decoder.started().size(), 1);
    EXPECT_EQ(generator->inFlightCount(), 0);

    // Cached now: answered at once, no decode.
    QFuture<QImage> third = generator->thumbnail(clip(1), 2.5, cardSize);
    EXPECT_TRUE(third.isFinished());
    EXPECT_EQ(third.result().cacheKey(), a.cacheKey());
    EXPECT_EQ(decoder.started().size(), 1);

    // Another width is another poster.
    decoder.release(clip(1));
    EXPECT_FALSE(wait(generator->thumbnail(clip(1), 2.5, QSize(240, 135))).isNull());
    EXPECT_EQ(decoder.started().size(), 2);
}

TEST_F(ThumbnailGeneratorTest, FourDecodesAtATimeInRequestOrder)
{
    QList<QFuture<QImage>> futures;
    for (int i = 0; i < 7; ++i)
        futures.append(generator->thumbnail(clip(i), 1.0, cardSize));
    ASSERT_TRUE(decoder.waitForStarted(4));
    // The first four start at once (in whichever order their threads get there).
    QStringList first = decoder.started();
    first.sort();
    EXPECT_TRUE(first == (QStringList{clip(0), clip(1), clip(2), clip(3)})) << first.join(QLatin1Char(' ')).toStdString();

    decoder.release(clip(2));
    ASSERT_TRUE(decoder.waitForStarted(5));
    EXPECT_EQ(decoder.started().at(4), clip(4));
    decoder.release(clip(0));
    ASSERT_TRUE(decoder.waitForStarted(6));
    EXPECT_EQ(decoder.started().at(5), clip(5));

    decoder.openAll();
    for (const auto &future : futures)
        EXPECT_FALSE(wait(future).isNull());
    EXPECT_EQ(decoder.started().at(6), clip(6));
    EXPECT_EQ(decoder.maxRunning(), ThumbnailGenerator::decodeSlots);
}

TEST_F(ThumbnailGeneratorTest, WaitingRequestsRenderAtTheirOwnSize)
{
    // Fill the slots so that the requests below wait together.
    for (int i = 0; i < 4; ++i)
        generator->thumbnail(clip(100 + i), 0, cardSize);
    ASSERT_TRUE(decoder.waitForStarted(4));
    QFuture<QImage> card = generator->thumbnail(clip(1), 3.0, cardSize);
    QFuture<QImage> small = generator->thumbnail(clip(1), 3.0, QSize(240, 135));
    QFuture<QImage> tall = generator->thumbnail(clip(1), 3.0, QSize(480, 800));
    decoder.openAll();
    EXPECT_EQ(wait(card).size(), QSize(152, 270));
    EXPECT_EQ(wait(small).size(), QSize(76, 135));
    EXPECT_EQ(wait(tall).size(), QSize(450, 800));

    // And each is cached under its own request.
    const int decodes = int(decoder.started().size());
    EXPECT_EQ(wait(generator->thumbnail(clip(1), 3.0, cardSize)).size(), QSize(152, 270));
    EXPECT_EQ(wait(generator->thumbnail(clip(1), 3.0, QSize(240, 135))).size(), QSize(76, 135));
    EXPECT_EQ(wait(generator->thumbnail(clip(1), 3.0, QSize(480, 800))).size(), QSize(450, 800));
    EXPECT_EQ(decoder.started().size(), decodes);
}

TEST_F(ThumbnailGeneratorTest, FailedDecodeIsNotCachedAndTriesAgain)
{
    decoder.fail(clip(7));
    decoder.openAll();
    EXPECT_TRUE(wait(generator->thumbnail(clip(7), 1.0, cardSize)).isNull());
    EXPECT_EQ(generator->inFlightCount(), 0);
    EXPECT_EQ(generator->cachedCount(), 0);
    EXPECT_TRUE(wait(generator->thumbnail(clip(7), 1.0, cardSize)).isNull());
    EXPECT_EQ(decoder.started().size(), 2);
}

TEST_F(ThumbnailGeneratorTest, EarlyTimesAskForTheFirstFrame)
{
    decoder.openAll();
    wait(generator->thumbnail(clip(1), 0, cardSize));
    wait(generator->thumbnail(clip(1), -1, cardSize));
    ASSERT_EQ(decoder.times().size(), 2); // two keys: "0.00" and "-1.00"
    EXPECT_DOUBLE_EQ(decoder.times().at(0), 0.01);
    EXPECT_DOUBLE_EQ(decoder.times().at(1), 0.01);
    EXPECT_EQ(ThumbnailGenerator::posterKey(QStringLiteral("/clips/A001.mov"), 2.5, QSize(480, 270)),
              QStringLiteral("/clips/A001.mov_2.50_480x270"));
    EXPECT_EQ(ThumbnailGenerator::posterKey(QStringLiteral("/clips/A001.mov"), 0, QSize(480, 270)),
              QStringLiteral("/clips/A001.mov_0.00_480x270"));
}

TEST_F(ThumbnailGeneratorTest, CacheKeepsTheMostRecentlyUsedByCount)
{
    decoder.openAll();
    decoder.setSourceSize(QSize(16, 9));
    for (int i = 0; i <= ThumbnailGenerator::maxCacheSize; ++i)
        wait(generator->thumbnail(clip(i), 1.0, cardSize));
    EXPECT_EQ(generator->cachedCount(), ThumbnailGenerator::maxCacheSize);
    const qsizetype decodes = decoder.started().size();
    wait(generator->thumbnail(clip(1), 1.0, cardSize)); // a hit: now the most recent
    EXPECT_EQ(decoder.started().size(), decodes);
    wait(generator->thumbnail(clip(0), 1.0, cardSize)); // evicted by the last one
    EXPECT_EQ(decoder.started().size(), decodes + 1);
    wait(generator->thumbnail(clip(1), 1.0, cardSize)); // survived the eviction of clip 2
    EXPECT_EQ(decoder.started().size(), decodes + 1);
}

TEST_F(ThumbnailGeneratorTest, CacheIsBoundedByBytes)
{
    decoder.openAll();
    decoder.setSourceSize(QSize(1920, 1080)); // about 8 MB each
    for (int i = 0; i < 40; ++i)
        wait(generator->thumbnail(clip(i), 1.0, QSize(1920, 1080)));
    EXPECT_LE(generator->cachedBytes(), ThumbnailGenerator::maxCacheBytes);
    EXPECT_LT(generator->cachedCount(), 40);
    EXPECT_GT(generator->cachedCount(), 20);
}

TEST_F(ThumbnailGeneratorTest, CallbacksArriveOnTheGuiThreadWhileTheReceiverLives)
{
    auto kept = std::make_unique<QObject>();
    auto gone = std::make_unique<QObject>();
    bool keptCalled = false;
    bool goneCalled = false;
    bool onGuiThread = false;
    generator->thumbnail(clip(1), 1.0, cardSize, gone.get(), [&](const QImage &) { goneCalled = true; });
    generator->thumbnail(clip(1), 1.0, cardSize, kept.get(), [&](const QImage &poster) {
        keptCalled = !poster.isNull();
        onGuiThread = QThread::currentThread() == QCoreApplication::instance()->thread();
    });
    gone.reset();
    decoder.openAll();
    EXPECT_TRUE(QTest::qWaitFor([&] { return keptCalled; }, 60000));
    EXPECT_TRUE(onGuiThread);
    EXPECT_FALSE(goneCalled);

    // A cached poster also arrives later, never inside the call.
    bool cachedCalled = false;
    generator->thumbnail(clip(1), 1.0, cardSize, kept.get(), [&](const QImage &) { cachedCalled = true; });
    EXPECT_FALSE(cachedCalled);
    EXPECT_TRUE(QTest::qWaitFor([&] { return cachedCalled; }, 60000));
}

TEST(PosterCache, EvictsLeastRecentlyUsedByCountAndBytes)
{
    QImage small(10, 10, QImage::Format_RGB32); // 400 bytes
    small.fill(Qt::red);
    PosterCache cache(3, 1000000);
    cache.insert(QStringLiteral("a"), small);
    cache.insert(QStringLiteral("b"), small);
    cache.insert(QStringLiteral("c"), small);
    EXPECT_FALSE(cache.object(QStringLiteral("a")).isNull()); // a is now the most recent
    cache.insert(QStringLiteral("d"), small);
    EXPECT_FALSE(cache.contains(QStringLiteral("b")));
    EXPECT_TRUE(cache.contains(QStringLiteral("a")));
    EXPECT_EQ(cache.count(), 3);

    PosterCache bytes(100, 1000);
    bytes.insert(QStringLiteral("a"), small);
    bytes.insert(QStringLiteral("b"), small);
    bytes.insert(QStringLiteral("c"), small);
    EXPECT_EQ(bytes.count(), 2);
    EXPECT_EQ(bytes.totalBytes(), 800);
    EXPECT_FALSE(bytes.contains(QStringLiteral("a")));
    bytes.insert(QStringLiteral("b"), small); // replacing keeps the byte count right
    EXPECT_EQ(bytes.totalBytes(), 800);
    QImage large(100, 100, QImage::Format_RGB32);
    bytes.insert(QStringLiteral("large"), large); // larger than the whole limit: not kept
    EXPECT_FALSE(bytes.contains(QStringLiteral("large")));
    EXPECT_EQ(bytes.count(), 2);
}

TEST(ThumbnailGeneratorKeys, PosterKeyFollowsPathTimeAndSize)
{
    const QString path = QStringLiteral("/footage/day 1/A001.mov");
    const QSize size(480, 270);
    const QString key = ThumbnailGenerator::posterKey(path, 2.5, size);
    EXPECT_FALSE(key.isEmpty());
    EXPECT_EQ(key, ThumbnailGenerator::posterKey(path, 2.504, size));
    EXPECT_NE(key, ThumbnailGenerator::posterKey(path, 2.5, QSize(240, 270)));
    EXPECT_NE(key, ThumbnailGenerator::posterKey(path, 2.5, QSize(480, 800)));
    EXPECT_NE(key, ThumbnailGenerator::posterKey(path, 2.6, size));
    EXPECT_NE(key, ThumbnailGenerator::posterKey(QStringLiteral("/footage/day 1/A002.mov"), 2.5, size));
    EXPECT_TRUE(key.startsWith(path));
}

TEST_F(ThumbnailGeneratorTest, BackgroundRequestsWaitBehindTheOthers)
{
    for (int i = 0; i < 4; ++i)
        generator->thumbnail(clip(i), 1.0, cardSize);
    ASSERT_TRUE(decoder.waitForStarted(4));
    QFuture<QImage> ahead = generator->thumbnail(clip(10), 1.0, cardSize, ThumbnailGenerator::Priority::Background);
    QFuture<QImage> later = generator->thumbnail(clip(11), 1.0, cardSize, ThumbnailGenerator::Priority::Background);
    QFuture<QImage> card = generator->thumbnail(clip(12), 1.0, cardSize);
    EXPECT_TRUE(generator->isCachedOrInFlight(clip(10), 1.0, cardSize));
    decoder.release(clip(0));
    ASSERT_TRUE(decoder.waitForStarted(5));
    EXPECT_EQ(decoder.started().at(4), clip(12)); // the card's, made later, goes first
    // A card asking for a poster made ahead of time moves it up as well.
    generator->thumbnail(clip(11), 1.0, cardSize);
    decoder.release(clip(1));
    ASSERT_TRUE(decoder.waitForStarted(6));
    EXPECT_EQ(decoder.started().at(5), clip(11));
    decoder.openAll();
    EXPECT_FALSE(wait(ahead).isNull());
    EXPECT_FALSE(wait(later).isNull());
    EXPECT_FALSE(wait(card).isNull());
    EXPECT_EQ(decoder.started().size(), 7);
}

TEST_F(ThumbnailGeneratorTest, ShuttingDownDropsWaitingRequestsAndAnswersNoMore)
{
    for (int i = 0; i < 4; ++i)
        generator->thumbnail(clip(i), 1.0, cardSize);
    ASSERT_TRUE(decoder.waitForStarted(4));
    QFuture<QImage> waiting = generator->thumbnail(clip(20), 1.0, cardSize);
    bool called = false;
    auto receiver = std::make_unique<QObject>();
    generator->thumbnail(clip(21), 1.0, cardSize, receiver.get(), [&](const QImage &) { called = true; });
    generator->shutDown();
    EXPECT_TRUE(waiting.isFinished());
    EXPECT_TRUE(waiting.isCanceled());
    QFuture<QImage> after = generator->thumbnail(clip(22), 1.0, cardSize);
    EXPECT_TRUE(after.isFinished());
    EXPECT_TRUE(after.result().isNull());
    decoder.openAll();
    generator.reset(); // waits for the four running decodes only
    QCoreApplication::processEvents();
    EXPECT_FALSE(called);
    EXPECT_EQ(decoder.started().size(), 4);
}

TEST(ThumbnailGeneratorDecode, RealPostersAreAFrameNearTheTimeFittedAndUpright)
{
    ThumbnailGenerator generator;
    auto poster = [&](const QString &name, double seconds, QSize size = QSize(480, 270)) {
        QFuture<QImage> future = generator.thumbnail(TestMedia::path(name), seconds, size);
        future.waitForFinished();
        return future.result();
    };
    EXPECT_EQ(poster(QStringLiteral("pattern_1080p30.mp4"), 1.0).size(), QSize(480, 270));
    const QImage rotated = poster(QStringLiteral("rotated.mp4"), 0.25);
    EXPECT_EQ(rotated.size(), QSize(152, 270));
    EXPECT_EQ(poster(QStringLiteral("portrait.mp4"), 0.5).size(), QSize(152, 270));
    EXPECT_EQ(poster(QStringLiteral("noaudio.mp4"), 0.5, QSize(1920, 1080)).size(), QSize(640, 360)); // never enlarged

    // Within half a second of the time: a keyframe there (counter.mp4 has
    // one every 2 s), else the first frame of that span.
    const QString counter = TestMedia::path(QStringLiteral("counter.mp4"));
    const auto frame = [&](int n) {
        FFmpegVideoDecoder decoder;
        EXPECT_TRUE(decoder.open(counter, 1));
        EXPECT_TRUE(decoder.seekExact(n / 30.0));
        return decoder.frameImage(QSize(480, 270));
    };
    EXPECT_EQ(poster(QStringLiteral("counter.mp4"), 4.3), frame(120));
    EXPECT_EQ(poster(QStringLiteral("counter.mp4"), 5.8), frame(180));
    EXPECT_EQ(poster(QStringLiteral("counter.mp4"), 5.0 + 1 / 30.0), frame(136));
    EXPECT_EQ(generator.assetPool().filesOpened(), 5); // counter.mp4 opened once for its three

    for (const QString &name : {QStringLiteral("notavideo.mov"), QStringLiteral("audioonly.mp4"), QStringLiteral("empty.mp4")})
        EXPECT_TRUE(poster(name, 0.5).isNull()) << name.toStdString();
    poster(QStringLiteral("truncated.mp4"), 1.5);                      // a poster or none, but no crash
    EXPECT_TRUE(poster(QStringLiteral("noaudio.mp4"), 100).isNull());  // beyond the clip
    EXPECT_FALSE(poster(QStringLiteral("noaudio.mp4"), 2.2).isNull()); // just past the last frame
    EXPECT_EQ(generator.inFlightCount(), 0);

    // Several sizes of one file at once: each its own fit.
    QFuture<QImage> a = generator.thumbnail(TestMedia::path(QStringLiteral("portrait.mp4")), 1.0, QSize(480, 270));
    QFuture<QImage> b = generator.thumbnail(TestMedia::path(QStringLiteral("portrait.mp4")), 1.0, QSize(240, 135));
    QFuture<QImage> c = generator.thumbnail(TestMedia::path(QStringLiteral("portrait.mp4")), 1.0, QSize(480, 800));
    a.waitForFinished();
    b.waitForFinished();
    c.waitForFinished();
    EXPECT_EQ(a.result().size(), QSize(152, 270));
    EXPECT_EQ(b.result().size(), QSize(76, 135));
    EXPECT_EQ(c.result().size(), QSize(450, 800));
    // Never more frame threads at once than the machine has processors.
    EXPECT_LE(generator.peakDecodeThreads(), QThread::idealThreadCount());
}

TEST(ThumbnailGeneratorDecode, SmallPicturesDecodeOnOneThreadBetweenKeyframes)
{
    // Half a second on from a keyframe (both clips have one every 2 s): of
    // 320 x 240 pictures on one thread, of 1080p ones on frame threads.
    for (const auto &[name, seconds, oneThread] : {std::tuple{"counter.mp4", 5.0, true}, {"pattern_1080p30.mp4", 1.0, false}}) {
        SCOPED_TRACE(name);
        ThumbnailGenerator generator;
        QFuture<QImage> poster = generator.thumbnail(TestMedia::path(QString::fromLatin1(name)), seconds, QSize(320, 180));
        poster.waitForFinished();
        ASSERT_FALSE(poster.result().isNull());
        EXPECT_EQ(generator.peakDecodeThreads(), oneThread ? 1 : FFmpegVideoDecoder::oneOffThreadCount());
    }
}

TEST(ThumbnailGeneratorDecode, OpenedFilesAreKeptFiftyAtATimeWithTheirGenerators)
{
    QTemporaryDir folder;
    QStringList files;
    for (int i = 0; i < 51; ++i)
        files << TestMedia::copyTo(QStringLiteral("clip.mkv"), folder.path(), QStringLiteral("take%1.mkv").arg(i));
    ThumbnailGenerator generator;
    const auto poster = [&](const QString &path, double seconds) {
        QFuture<QImage> future = generator.thumbnail(path, seconds, QSize(160, 90));
        future.waitForFinished();
        return !future.result().isNull();
    };
    for (int i = 0; i < 50; ++i)
        ASSERT_TRUE(poster(files[i], 0.2));
    EXPECT_EQ(generator.assetPool().assetCount(), 50);
    EXPECT_EQ(generator.assetPool().generatorCount(), 50);
    EXPECT_EQ(generator.assetPool().filesOpened(), 50);
    // Another poster of a kept file neither opens nor reads it again, and
    // makes it the most recently used.
    ASSERT_TRUE(poster(files[0], 0.8));
    EXPECT_EQ(generator.assetPool().filesOpened(), 50);
    EXPECT_EQ(generator.assetPool().assetOrder().last(), files[0]);
    // The 51st file pushes out the least recently used one, generator and all.
    ASSERT_TRUE(poster(files[50], 0.2));
    EXPECT_EQ(generator.assetPool().assetCount(), 50);
    EXPECT_FALSE(generator.assetPool().assetOrder().contains(files[1]));
    EXPECT_FALSE(generator.assetPool().generatorOrder().contains(files[1]));
    EXPECT_EQ(generator.assetPool().generatorCount(), 50);
    // A kept file replaced on disk is opened again.
    QFile::remove(files[2]);
    TestMedia::copyTo(QStringLiteral("noaudio.mp4"), folder.path(), QStringLiteral("take2.mkv"));
    QFuture<QImage> replaced = generator.thumbnail(files[2], 0.5, QSize(640, 360));
    replaced.waitForFinished();
    EXPECT_EQ(replaced.result().size(), QSize(640, 360));
    EXPECT_EQ(generator.assetPool().filesOpened(), 52);
}

TEST(ThumbnailGeneratorDecode, DestroyedWhilePostersAreMadeAheadOfTimeTheDecodesEndOnTheirOwn)
{
    QTemporaryDir folder;
    QList<QFuture<QImage>> ahead;
    bool called = false;
    auto receiver = std::make_unique<QObject>();
    {
        ThumbnailGenerator generator;
        for (int i = 0; i < 8; ++i) {
            const QString file = TestMedia::copyTo(QStringLiteral("pattern_1080p30.mp4"), folder.path(),
                                                   QStringLiteral("take%1.mp4").arg(i));
            ahead << generator.thumbnail(file, 1.5, QSize(480, 270), ThumbnailGenerator::Priority::Background);
        }
        generator.thumbnail(
            TestMedia::path(QStringLiteral("counter.mp4")), 2.0, QSize(480, 270), receiver.get(), [&](const QImage &) { called = true; },
            ThumbnailGenerator::Priority::Background);
    }
    // The decodes still running keep what they use; each request ends
    // without a poster or with the one it had made before the end.
    for (QFuture<QImage> &future : ahead) {
        future.waitForFinished();
        if (!future.isCanceled() && future.resultCount() > 0) {
            EXPECT_TRUE(future.result().isNull() || future.result().size() == QSize(480, 270));
        }
    }
    QCoreApplication::processEvents();
    EXPECT_FALSE(called);
}

TEST_F(ThumbnailGeneratorTest, AWithdrawnRequestNeverDecodesAndGivesItsPlaceToTheNext)
{
    for (int i = 0; i < 4; ++i)
        generator->thumbnail(clip(i), 1.0, cardSize);
    ASSERT_TRUE(decoder.waitForStarted(4));
    QObject receiver;
    QStringList answered;
    auto answer = [&](int n) { return [&answered, n](const QImage &) { answered.append(clip(n)); }; };
    const ThumbnailGenerator::Ticket gone = generator->thumbnail(clip(20), 1.0, cardSize, &receiver, answer(20));
    const ThumbnailGenerator::Ticket next = generator->thumbnail(clip(21), 1.0, cardSize, &receiver, answer(21));
    // Two waiting for one poster: it stays until the last one withdraws.
    const ThumbnailGenerator::Ticket shared1 = generator->thumbnail(clip(22), 1.0, cardSize, &receiver, answer(22));
    const ThumbnailGenerator::Ticket shared2 = generator->thumbnail(clip(22), 1.0, cardSize, &receiver, answer(122));
    EXPECT_EQ(generator->inFlightCount(), 4 + 3);

    EXPECT_TRUE(generator->withdraw(gone));
    EXPECT_FALSE(generator->withdraw(gone)); // once only
    EXPECT_FALSE(generator->isCachedOrInFlight(clip(20), 1.0, cardSize));
    EXPECT_TRUE(generator->withdraw(shared1));
    EXPECT_TRUE(generator->isCachedOrInFlight(clip(22), 1.0, cardSize));

    // The freed slot goes to the next one waiting, not to the withdrawn one.
    decoder.release(clip(0));
    ASSERT_TRUE(decoder.waitForStarted(5));
    EXPECT_EQ(decoder.started().at(4), clip(21));
    // A running decode cannot be withdrawn: it finishes into the cache and answers.
    EXPECT_FALSE(generator->withdraw(next));
    decoder.release(clip(21));
    ASSERT_TRUE(QTest::qWaitFor([&] { return answered.contains(clip(21)); }, 60000));
    EXPECT_TRUE(generator->isCachedOrInFlight(clip(21), 1.0, cardSize));
    EXPECT_EQ(generator->inFlightCount(), 3 + 1);

    decoder.openAll();
    ASSERT_TRUE(QTest::qWaitFor([&] { return answered.contains(clip(122)); }, 60000));
    // The first four decodes end on their own time, without a callback to wait for.
    ASSERT_TRUE(QTest::qWaitFor([&] { return generator->inFlightCount() == 0; }, 60000));
    QCoreApplication::processEvents();
    EXPECT_FALSE(answered.contains(clip(20)));
    EXPECT_FALSE(answered.contains(clip(22)));
    EXPECT_FALSE(decoder.started().contains(clip(20)));
    EXPECT_EQ(decoder.started().count(clip(22)), 1);
    EXPECT_FALSE(generator->withdraw(shared2)); // answered: nothing left to withdraw
}

TEST_F(ThumbnailGeneratorTest, AWithdrawnCardRequestLeavesAPrewarmPosterBehindTheScreen)
{
    for (int i = 0; i < 4; ++i)
        generator->thumbnail(clip(i), 1.0, cardSize);
    ASSERT_TRUE(decoder.waitForStarted(4));
    QObject receiver;
    bool prewarmed = false;
    generator->thumbnail(
        clip(10), 1.0, cardSize, &receiver, [&](const QImage &p) { prewarmed = !p.isNull(); }, ThumbnailGenerator::Priority::Background);
    // A card asks for the same poster (it moves up), then scrolls away.
    const ThumbnailGenerator::Ticket card = generator->thumbnail(clip(10), 1.0, cardSize, &receiver, [](const QImage &) {});
    generator->thumbnail(clip(11), 1.0, cardSize, &receiver, [](const QImage &) {});
    EXPECT_TRUE(generator->withdraw(card));
    EXPECT_TRUE(generator->isCachedOrInFlight(clip(10), 1.0, cardSize));

    // The card on screen goes first; the prewarm's poster is still made.
    decoder.release(clip(0));
    ASSERT_TRUE(decoder.waitForStarted(5));
    EXPECT_EQ(decoder.started().at(4), clip(11));
    decoder.release(clip(1));
    ASSERT_TRUE(decoder.waitForStarted(6));
    EXPECT_EQ(decoder.started().at(5), clip(10));
    decoder.openAll();
    EXPECT_TRUE(QTest::qWaitFor([&] { return prewarmed; }, 60000));
}
