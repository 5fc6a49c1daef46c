#include "AudioTriageTestSupport.h"

#include "audiotriage/LoudnessQueue.h"
#include "library/ClipStore.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace AudioTriageTest;

namespace {

RunRecord runToEnd(ClipStore &store, const QList<Clip> &clips)
{
    RunRecord record;
    AudioTriageRun *run = AudioTriageRun::start(store, clips);
    AudioTriageTest::record(run, record);
    EXPECT_TRUE(waitUntil([&] { return record.results.has_value(); }));
    return record;
}

} // namespace

TEST(AudioTriageRun, MeasuresClipsInTurnStoresTheRecordsAndRanks)
{
    ClipStore store;
    const QList<Clip> clips{mediaClip(QStringLiteral("tone_tenth_mono16k.mov")), mediaClip(QStringLiteral("noaudio.mp4")),
                            mediaClip(QStringLiteral("tone_half_mono16k.mov"))};
    store.setClips(clips);
    QSignalSpy metricsChanged(&store, &ClipStore::audioMetricsChanged);

    AudioTriageRun *run = AudioTriageRun::start(store, clips);
    RunRecord record;
    AudioTriageTest::record(run, record);
    // The first step waits for the event loop.
    EXPECT_EQ(run->currentIndex(), 0);
    EXPECT_EQ(run->total(), 3);
    ASSERT_TRUE(waitUntil([&] { return record.results.has_value(); }));

    EXPECT_EQ(record.progress, (QList<QPair<qsizetype, QString>>{{1, QStringLiteral("tone_tenth_mono16k.mov")},
                                                                 {2, QStringLiteral("noaudio.mp4")},
                                                                 {3, QStringLiteral("tone_half_mono16k.mov")}}));
    EXPECT_EQ(names(*record.results), (QStringList{QStringLiteral("tone_half_mono16k.mov"), QStringLiteral("tone_tenth_mono16k.mov"),
                                                   QStringLiteral("noaudio.mp4")}));
    // Every clip has its record, each one stored as it came (one notice per new entry).
    ASSERT_EQ(store.audioMetrics().size(), 3);
    EXPECT_EQ(metricsChanged.count(), 3);
    EXPECT_NEAR(store.audioMetrics().value(clips[2].id).maxRMS, 0.35355, 1e-4);
    EXPECT_EQ(store.audioMetrics().value(clips[1].id), AudioMetrics());
    // The run is gone once it has finished.
    EXPECT_TRUE(waitUntil([&] { return store.findChildren<AudioTriageRun *>().isEmpty(); }));
}

TEST(AudioTriageRun, ReusesRecordsFromEarlierRuns)
{
    ClipStore store;
    const QList<Clip> clips{mediaClip(QStringLiteral("tone_half_mono16k.mov")), mediaClip(QStringLiteral("tone_tenth_mono16k.mov"))};
    store.setClips(clips);
    runToEnd(store, clips);
    // A record the store holds is taken as it is: nothing is measured again.
    AudioMetrics planted{0.9f, 0.2f, 0.3f, 0.3f, 1.0f}; // scores 1, above every measured clip
    store.setAudioMetrics(clips[1].id, planted);
    const RunRecord again = runToEnd(store, clips);
    ASSERT_EQ(again.results->size(), 2);
    EXPECT_EQ(again.results->first().clip.id, clips[1].id);
    EXPECT_EQ(again.results->first().metrics, planted);
    EXPECT_EQ(again.progress.size(), 2);
}

TEST(AudioTriageRun, EqualScoresKeepTheStoreOrder)
{
    ClipStore store;
    const QList<Clip> clips{mediaClip(QStringLiteral("silence_mono16k.mov")), mediaClip(QStringLiteral("noaudio.mp4")),
                            mediaClip(QStringLiteral("silence.mp4"))};
    store.setClips(clips);
    const RunRecord record = runToEnd(store, clips);
    EXPECT_EQ(names(*record.results),
              (QStringList{QStringLiteral("silence_mono16k.mov"), QStringLiteral("noaudio.mp4"), QStringLiteral("silence.mp4")}));
}

TEST(AudioTriageRun, AnOfflineClipIsListedButMeasuredAgainWhenItIsBack)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("later.mov"));
    ClipStore store;
    Clip offline = clipAt(path);
    offline.isMissing = true;
    const Clip loud = mediaClip(QStringLiteral("tone_half_mono16k.mov"));
    store.setClips({offline, loud});

    const RunRecord first = runToEnd(store, store.clips());
    EXPECT_EQ(names(*first.results), (QStringList{QStringLiteral("tone_half_mono16k.mov"), QStringLiteral("later.mov")}));
    EXPECT_EQ(first.results->last().metrics, AudioMetrics());
    EXPECT_FALSE(store.audioMetrics().contains(offline.id));
    EXPECT_TRUE(store.audioMetrics().contains(loud.id));

    // The file turns up (relinked or reconnected): the next run measures it.
    ASSERT_TRUE(QFile::copy(TestMedia::path(QStringLiteral("tone_tenth_mono16k.mov")), path));
    const RunRecord second = runToEnd(store, store.clips());
    ASSERT_TRUE(store.audioMetrics().contains(offline.id));
    EXPECT_NEAR(store.audioMetrics().value(offline.id).maxRMS, 0.070711, 1e-4);
    EXPECT_EQ(second.results->last().clip.id, offline.id);
}

TEST(AudioTriageRun, AReplacedSessionDropsTheRunsRecords)
{
    ClipStore store;
    const QList<Clip> clips{mediaClip(QStringLiteral("tone_half_mono16k.mov")), mediaClip(QStringLiteral("tone_tenth_mono16k.mov")),
                            mediaClip(QStringLiteral("burst_mono16k.mov"))};
    store.setClips(clips);
    RunRecord record;
    AudioTriageRun *run = AudioTriageRun::start(store, clips);
    AudioTriageTest::record(run, record);
    // The new session starts while the second clip is being measured.
    QObject::connect(run, &AudioTriageRun::progress, &store, [&store](qsizetype index) {
        if (index == 2)
            store.startNewSession({});
    });
    ASSERT_TRUE(waitUntil([&] { return record.results.has_value(); }));
    EXPECT_TRUE(record.results->isEmpty());
    EXPECT_EQ(record.progress.size(), 2);
    EXPECT_TRUE(store.audioMetrics().isEmpty());

    // A run whose session was replaced before its first step stops at once.
    store.setClips(clips);
    RunRecord late;
    AudioTriageRun *stale = AudioTriageRun::start(store, clips);
    AudioTriageTest::record(stale, late);
    store.startNewSession({});
    ASSERT_TRUE(waitUntil([&] { return late.results.has_value(); }));
    EXPECT_TRUE(late.results->isEmpty());
    EXPECT_TRUE(late.progress.isEmpty());
}

TEST(AudioTriageRun, TwoRunsAtOnceBothFinishWithTheSameFigures)
{
    ClipStore store;
    const QList<Clip> clips{mediaClip(QStringLiteral("burst_mono16k.mov")), mediaClip(QStringLiteral("tone_half_stereo48k.mkv")),
                            mediaClip(QStringLiteral("tone_tenth_mono16k.mov"))};
    store.setClips(clips);
    RunRecord a, b;
    AudioTriageTest::record(AudioTriageRun::start(store, clips), a);
    AudioTriageTest::record(AudioTriageRun::start(store, clips), b);
    ASSERT_TRUE(waitUntil([&] { return a.results.has_value() && b.results.has_value(); }));
    EXPECT_EQ(names(*a.results), names(*b.results));
    for (qsizetype i = 0; i < a.results->size(); ++i)
        EXPECT_EQ(a.results->at(i).metrics, b.results->at(i).metrics);
    EXPECT_EQ(store.audioMetrics().size(), 3);
}

TEST(LoudnessQueue, AClipAskedForTwiceIsMeasuredOnce)
{
    ClipStore store;
    LoudnessQueue &queue = LoudnessQueue::of(store);
    EXPECT_EQ(&queue, &LoudnessQueue::of(store));
    const QUuid id = QUuid::createUuid();
    const QString path = TestMedia::path(QStringLiteral("tone_half_stereo48k.mkv"));
    QFuture<LoudnessAnalysis::Result> first = queue.measure(id, path);
    QFuture<LoudnessAnalysis::Result> second = queue.measure(id, path);
    // The same measurement: cancelling one cancels the other.
    first.cancel();
    EXPECT_TRUE(second.isCanceled());
    // Another file of the clip (relinked) is a measurement of its own.
    QFuture<LoudnessAnalysis::Result> other = queue.measure(id, TestMedia::path(QStringLiteral("tone_half_mono16k.mov")));
    other.waitForFinished();
    EXPECT_NEAR(other.result().metrics.maxRMS, 0.35355, 1e-4);
}
