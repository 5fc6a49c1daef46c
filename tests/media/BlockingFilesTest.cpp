// Files whose open blocks: a pipe named like a clip waits for a writer for
// ever, and a file on a network mount that hangs blocks any open of it. The
// media layer opens only regular files, and a poster whose file is slow to
// open does not keep other clips from getting theirs.
#include "app/LogCapture.h"
#include "media/AudioStreamDecoder.h"
#include "media/FFmpegFormat.h"
#include "media/MediaFileGate.h"
#include "media/MediaProbe.h"
#include "media/ThumbnailGenerator.h"
#include "media/VideoPlayer.h"
#include "media/WaveformCache.h"
#include "support/TestFifo.h"
#include "support/TestMedia.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFuture>
#include <QMutex>
#include <QSet>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWaitCondition>
#include <gtest/gtest.h>

#include <chrono>
#include <memory>

using namespace std::chrono_literals;

namespace {

// Long enough for any machine, so that a test that blocks fails instead of hanging.
constexpr auto guard = 30s;
constexpr int guardMs = 30000;

// Waits for every future; false when one has not finished within the guard.
bool allFinished(QList<QFuture<QImage>> &futures)
{
    QDeadlineTimer deadline(guardMs);
    for (QFuture<QImage> &future : futures) {
        while (!future.isFinished()) {
            if (deadline.hasExpired())
                return false;
            QTest::qWait(10);
        }
    }
    return true;
}

bool hasPoster(const QFuture<QImage> &future)
{
    return future.isFinished() && !future.isCanceled() && future.resultCount() > 0 && !future.result().isNull();
}

// Opens of the files whose names start with "slow" wait until the test lets
// them go, as opens on a mount that hangs do; others open at once.
class SlowOpener
{
public:
    PosterAssetPool::Opener function()
    {
        return [this](const QString &path, QString *error) {
            if (QFileInfo(path).fileName().startsWith(QLatin1String("slow"))) {
                QMutexLocker lock(&m_mutex);
                ++m_waiting;
                m_changed.wakeAll();
                while (!m_released)
                    m_changed.wait(&m_mutex);
                --m_waiting;
            }
            FFmpegFormat format;
            if (!format.openForDecoding(path, error))
                return FFmpegFormat();
            return format;
        };
    }
    bool waitForWaiting(int count)
    {
        QMutexLocker lock(&m_mutex);
        QDeadlineTimer deadline(guardMs);
        while (m_waiting < count) {
            if (!m_changed.wait(&m_mutex, deadline))
                return false;
        }
        return true;
    }
    void release()
    {
        QMutexLocker lock(&m_mutex);
        m_released = true;
        m_changed.wakeAll();
    }

private:
    QMutex m_mutex;
    QWaitCondition m_changed;
    int m_waiting = 0;
    bool m_released = false;
};

} // namespace

TEST(BlockingFiles, OnlyRegularFilesAreOpenedAndARefusalIsLoggedOncePerFile)
{
    QTemporaryDir folder;
    TestFifo fifo;
    const QString pipe = folder.filePath(QStringLiteral("A001.mp4"));
    ASSERT_TRUE(fifo.make(pipe));
    LogCapture log("com.brinkwolder.Triagon.session");

    QString error;
    bool opened = true;
    ASSERT_TRUE(fifo.endsWithin(guard, [&] { opened = FFmpegFormat().open(pipe, &error); })) << "opening a pipe blocked";
    EXPECT_FALSE(opened);
    EXPECT_EQ(error, QStringLiteral("Cannot open the file: it is a pipe, not a regular file"));
    ASSERT_TRUE(fifo.endsWithin(guard, [&] { opened = FFmpegFormat().openForDecoding(pipe, &error); }));
    EXPECT_FALSE(opened);
    const QString line = QStringLiteral("Not reading media from %1: it is a pipe, not a regular file").arg(pipe);
    EXPECT_EQ(log.count(QtCriticalMsg, line), 1);

    // A folder named like a clip is no file either; a link to a clip is one.
    const QString folderClip = folder.filePath(QStringLiteral("B001.mov"));
    ASSERT_TRUE(QDir().mkpath(folderClip));
    EXPECT_FALSE(FFmpegFormat().open(folderClip, &error));
    EXPECT_EQ(error, QStringLiteral("Cannot open the file: it is a folder, not a regular file"));
    const QString link = folder.filePath(QStringLiteral("C001.mp4"));
    ASSERT_TRUE(QFile::link(TestMedia::path(QStringLiteral("noaudio.mp4")), link));
    EXPECT_TRUE(FFmpegFormat().open(link));
    EXPECT_TRUE(MediaFileGate::isRegularFile(link));
    EXPECT_FALSE(MediaFileGate::isRegularFile(pipe));

    // A missing file says what the system says, and is not logged as refused.
    const QString missing = folder.filePath(QStringLiteral("gone.mp4"));
    EXPECT_FALSE(FFmpegFormat().open(missing, &error));
    EXPECT_EQ(error, QStringLiteral("Cannot open the file: No such file or directory"));
    for (const LogCapture::Entry &entry : log.entries())
        EXPECT_FALSE(entry.message.contains(missing)) << entry.message.toStdString();
}

TEST(BlockingFiles, EveryEngineGivesUpOnAPipeAtOnce)
{
    QTemporaryDir folder;
    TestFifo fifo;
    const QString pipe = folder.filePath(QStringLiteral("A001.mov"));
    ASSERT_TRUE(fifo.make(pipe));

    ProbeResult probe;
    probe.width = -1;
    EXPECT_TRUE(fifo.endsWithin(guard, [&] { probe = MediaProbe::probeClip(pipe); })) << "the import's probe blocked";
    EXPECT_EQ(probe.width, 0);
    EXPECT_EQ(probe.duration, 0);
    std::optional<QDateTime> date = QDateTime::currentDateTimeUtc();
    EXPECT_TRUE(fifo.endsWithin(guard, [&] { date = MediaProbe::loadRecordingDate(pipe); })) << "the recording-date probe blocked";
    EXPECT_FALSE(date.has_value());
    QImage poster(1, 1, QImage::Format_RGB32);
    EXPECT_TRUE(fifo.endsWithin(guard, [&] { poster = ThumbnailGenerator::decodePoster(pipe, 1.0, QSize(480, 270)); }))
        << "a one-off poster (frame statistics, previews) blocked";
    EXPECT_TRUE(poster.isNull());
    std::optional<QList<float>> amplitudes = QList<float>{1.0f};
    EXPECT_TRUE(fifo.endsWithin(guard, [&] { amplitudes = WaveformCache::extractAmplitudes(pipe, 100); })) << "the peak analysis blocked";
    EXPECT_FALSE(amplitudes.has_value());
    AudioStreamDecoder::OpenResult sound = AudioStreamDecoder::OpenResult::Opened;
    EXPECT_TRUE(fifo.endsWithin(guard, [&] { sound = AudioStreamDecoder().open(pipe, 44100, 2); }))
        << "the sound decoder (snippets, loudness, playback) blocked";
    EXPECT_EQ(sound, AudioStreamDecoder::OpenResult::Failed);

    // The player, on its own thread, fails as for any unreadable file.
    auto player = std::make_unique<VideoPlayer>(pipe, VideoPlayer::Options::fullPlayer());
    QSignalSpy failed(player.get(), &VideoPlayer::failed);
    const bool gaveUp = failed.count() > 0 || failed.wait(guardMs);
    if (!gaveUp)
        fifo.releaseReaders(); // lets its thread end, so that the player can go
    EXPECT_TRUE(gaveUp) << "the player's thread blocked opening a pipe";
    EXPECT_TRUE(player->errorText().contains(QStringLiteral("pipe"))) << player->errorText().toStdString();
    player.reset();
}

TEST(BlockingFiles, ASessionWithPipesGetsEveryRealPoster)
{
    QTemporaryDir folder;
    ThumbnailGenerator generator;
    TestFifo fifo; // declared after the generator: lets stuck readers go before it ends
    // The pipes come first in the grid, more of them than there are decode slots.
    QList<QFuture<QImage>> pipes;
    for (int i = 0; i < 2 * ThumbnailGenerator::decodeSlots; ++i) {
        const QString path = folder.filePath(QStringLiteral("A%1.mp4").arg(i, 3, 10, QLatin1Char('0')));
        ASSERT_TRUE(fifo.make(path));
        pipes << generator.thumbnail(path, 0.5, QSize(480, 270));
        pipes << generator.thumbnail(path, 0.5, QSize(480, 270), ThumbnailGenerator::Priority::Background);
    }
    QList<QFuture<QImage>> clips;
    for (int i = 0; i < 6; ++i) {
        const QString path = TestMedia::copyTo(QStringLiteral("clip.mkv"), folder.path(), QStringLiteral("B%1.mkv").arg(i));
        clips << generator.thumbnail(path, 0.5, QSize(480, 270));
    }
    const bool allCame = allFinished(clips);
    if (!allCame)
        fifo.releaseReaders();
    ASSERT_TRUE(allCame) << "the pipes held the decode slots";
    for (const QFuture<QImage> &clip : clips)
        EXPECT_TRUE(hasPoster(clip));
    ASSERT_TRUE(allFinished(pipes));
    for (const QFuture<QImage> &pipe : pipes)
        EXPECT_FALSE(hasPoster(pipe));
}

TEST(BlockingFiles, AFileSlowToOpenGivesItsDecodeSlotToOtherPosters)
{
    QTemporaryDir folder;
    SlowOpener opener;
    ThumbnailGenerator generator;
    generator.setFileOpener(opener.function());
    const int slow = ThumbnailGenerator::decodeSlots + 2;
    QList<QFuture<QImage>> slowPosters;
    for (int i = 0; i < slow; ++i) {
        const QString path = TestMedia::copyTo(QStringLiteral("clip.mkv"), folder.path(), QStringLiteral("slow%1.mkv").arg(i));
        slowPosters << generator.thumbnail(path, 0.5, QSize(480, 270));
    }
    ASSERT_TRUE(opener.waitForWaiting(ThumbnailGenerator::decodeSlots));
    QList<QFuture<QImage>> others;
    for (int i = 0; i < 3; ++i) {
        const QString path = TestMedia::copyTo(QStringLiteral("clip.mkv"), folder.path(), QStringLiteral("fast%1.mkv").arg(i));
        others << generator.thumbnail(path, 0.5, QSize(480, 270));
    }
    const bool othersCame = allFinished(others);
    // Every slow file comes to be opened, none of them holding a slot.
    EXPECT_TRUE(QTest::qWaitFor([&] { return generator.slowOpeningCount() == slow; }, guardMs));
    EXPECT_EQ(generator.openingCount(), slow);
    opener.release();
    ASSERT_TRUE(othersCame) << "slow opens held the decode slots";
    for (const QFuture<QImage> &poster : others)
        EXPECT_TRUE(hasPoster(poster));
    // Once open, the slow files wait for a slot again and get their posters.
    ASSERT_TRUE(allFinished(slowPosters));
    for (const QFuture<QImage> &poster : slowPosters)
        EXPECT_TRUE(hasPoster(poster));
    EXPECT_EQ(generator.openingCount(), 0);
    EXPECT_EQ(generator.slowOpeningCount(), 0);
    EXPECT_EQ(generator.inFlightCount(), 0);
}

TEST(BlockingFiles, SlowOpensGiveBackNoMoreSlotsThanTheBound)
{
    QTemporaryDir folder;
    SlowOpener opener;
    ThumbnailGenerator generator;
    generator.setFileOpener(opener.function());
    const int slow = ThumbnailGenerator::decodeSlots + ThumbnailGenerator::maxSlowOpens + 3;
    QList<QFuture<QImage>> posters;
    for (int i = 0; i < slow; ++i) {
        const QString path = TestMedia::copyTo(QStringLiteral("clip.mkv"), folder.path(), QStringLiteral("slow%1.mkv").arg(i));
        posters << generator.thumbnail(path, 0.5, QSize(480, 270));
    }
    // The bound's worth of opens gave their slots back, and the slots they
    // gave went to further slow opens, which keep them: no more threads wait
    // in opens than slots and bound together.
    const int most = ThumbnailGenerator::decodeSlots + ThumbnailGenerator::maxSlowOpens;
    const bool reached = opener.waitForWaiting(most);
    EXPECT_TRUE(reached);
    EXPECT_TRUE(QTest::qWaitFor([&] { return generator.slowOpeningCount() == ThumbnailGenerator::maxSlowOpens; }, guardMs));
    QTest::qWait(2 * ThumbnailGenerator::slowOpenMs);
    EXPECT_EQ(generator.openingCount(), most);
    EXPECT_EQ(generator.slowOpeningCount(), ThumbnailGenerator::maxSlowOpens);
    opener.release();
    ASSERT_TRUE(allFinished(posters));
    for (const QFuture<QImage> &poster : posters)
        EXPECT_TRUE(hasPoster(poster));
}
