#include "library/StoreTestSupport.h"
#include "support/StoreWithEngines.h"
#include "support/TestMedia.h"

#include "Printers.h"
#include "markers/MarkerDetector.h"
#include "markers/HandMarkerScan.h"

#include <QPointer>
#include <QTest>
#include <gtest/gtest.h>

using namespace StoreTest;

namespace {

using Metrics = MarkerDetector::Metrics;

Clip fileClip(const QString &path, double duration)
{
    Clip c;
    c.id = QUuid::createUuid();
    c.url = QUrl::fromLocalFile(path);
    c.filename = c.urlFileName();
    c.duration = duration;
    return c;
}

struct ScanRun
{
    explicit ScanRun(ClipStore &store) : scan(store.scanForHandMarkers())
    {
        QObject::connect(scan, &HandMarkerScan::progress, [this](qsizetype done, const QString &) { progress.append(done); });
        QObject::connect(scan, &HandMarkerScan::finished, [this](const std::optional<HandMarkerScan::Result> &r) {
            result = r;
            ended = true;
        });
    }
    bool run()
    {
        scan->start();
        return QTest::qWaitFor([this] { return ended; }, 60000);
    }
    QPointer<HandMarkerScan> scan;
    QList<qsizetype> progress;
    std::optional<HandMarkerScan::Result> result;
    bool ended = false;
};

QList<Clip> blackClips(int count)
{
    QList<Clip> clips;
    for (int i = 0; i < count; ++i)
        clips.append(fileClip(TestMedia::solidClip(QStringLiteral("black"), 1.0), 1.0));
    return clips;
}

const Metrics *metricsOf(const HandMarkerScan::Result &result, const QUuid &id)
{
    for (const HandMarkerScan::Entry &entry : result) {
        if (entry.clip.id == id)
            return &entry.metrics;
    }
    return nullptr;
}

} // namespace

TEST(MarkerScan, MeasuresRealFramesAndKeepsTheMetrics)
{
    StoreWithEngines withEngines;
    ClipStore &store = withEngines.store;
    const Clip black = fileClip(TestMedia::solidClip(QStringLiteral("black"), 1.0), 1.0);
    const Clip grey = fileClip(TestMedia::solidClip(QStringLiteral("0x808080"), 1.0), 1.0);
    const Clip skin = fileClip(TestMedia::solidClip(QStringLiteral("0xE0A080"), 1.0), 1.0);
    // A sharp test pattern ("testsrc"), exactly as long as a sampled clip may be.
    const Clip pattern = fileClip(TestMedia::path(QStringLiteral("counter.mp4")), 10.0);
    const Clip broken = fileClip(TestMedia::path(QStringLiteral("notavideo.mov")), 1.0);
    Clip offline = fileClip(TestMedia::solidClip(QStringLiteral("black"), 1.0), 1.0);
    offline.isMissing = true;
    store.setClips({black, grey, skin, pattern, broken, offline});

    ScanRun first(store);
    ASSERT_TRUE(first.run());
    ASSERT_TRUE(first.result);
    ASSERT_EQ(first.result->size(), 5); // the offline clip is not a candidate
    EXPECT_EQ(first.progress, QList<qsizetype>{5});
    const MarkerDetector::Settings settings;

    const Metrics *b = metricsOf(*first.result, black.id);
    ASSERT_TRUE(b && b->frame);
    // Video black is RGB 0: every pixel is dark.
    EXPECT_DOUBLE_EQ(b->frame->darkFraction, 1.0);
    EXPECT_NEAR(MarkerDetector::confidence(*b, settings), 1.0, 1e-9);

    const Metrics *g = metricsOf(*first.result, grey.id);
    ASSERT_TRUE(g && g->frame);
    EXPECT_DOUBLE_EQ(g->frame->darkFraction, 0.0);
    EXPECT_DOUBLE_EQ(g->frame->skinFraction, 0.0);
    EXPECT_NEAR(MarkerDetector::confidence(*g, settings), 0.8, 1e-3);

    const Metrics *s = metricsOf(*first.result, skin.id);
    ASSERT_TRUE(s && s->frame);
    EXPECT_DOUBLE_EQ(s->frame->skinFraction, 1.0);
    EXPECT_NEAR(MarkerDetector::confidence(*s, settings), 1.0, 1e-3);

    // A sharp, busy picture is nothing like a hand.
    const Metrics *p = metricsOf(*first.result, pattern.id);
    ASSERT_TRUE(p && p->frame);
    EXPECT_LT(MarkerDetector::confidence(*p, settings), settings.confidenceThreshold);

    const Metrics *n = metricsOf(*first.result, broken.id);
    ASSERT_TRUE(n);
    EXPECT_FALSE(n->frame);

    EXPECT_EQ(store.markerMetrics().size(), 5);
    EXPECT_FALSE(store.markerMetrics().contains(offline.id));
    EXPECT_EQ(store.markerMetrics().value(black.id), *b);
}

TEST(MarkerScan, ASecondScanReusesTheKeptMetrics)
{
    StoreWithEngines withEngines;
    ClipStore &store = withEngines.store;
    const Clip black = fileClip(TestMedia::solidClip(QStringLiteral("black"), 1.0), 1.0);
    Clip offline = fileClip(TestMedia::solidClip(QStringLiteral("0x808080"), 1.0), 1.0);
    offline.isMissing = true;
    store.setClips({black, offline});
    // Stand-ins that no frame would give: proof that nothing was measured.
    const Metrics kept{1.0, MarkerDetector::FrameStats{0, 1, 0.25, 0.5, 2}};
    const Metrics offlineKept{1.0, std::nullopt};
    store.setMarkerMetrics({{black.id, kept}, {offline.id, offlineKept}});

    ScanRun run(store);
    ASSERT_TRUE(run.run());
    ASSERT_TRUE(run.result);
    ASSERT_EQ(run.result->size(), 1);
    EXPECT_EQ(run.result->at(0).metrics, kept);
    // The offline clip's entry stays for when it comes back.
    EXPECT_EQ(store.markerMetrics().size(), 2);
    EXPECT_TRUE(store.markerMetrics().contains(offline.id));
}

TEST(MarkerScan, AnEmptySessionGivesAnEmptyList)
{
    StoreWithEngines withEngines;
    ClipStore &store = withEngines.store;
    Clip offline = fileClip(QStringLiteral("/nowhere/a.mov"), 1.0);
    offline.isMissing = true;
    store.setClips({offline});
    ScanRun run(store);
    ASSERT_TRUE(run.run());
    ASSERT_TRUE(run.result);
    EXPECT_TRUE(run.result->isEmpty());
    EXPECT_TRUE(run.progress.isEmpty());
    EXPECT_TRUE(store.markerMetrics().isEmpty());
}

TEST(MarkerScan, CancellingAfterTheFirstBatchKeepsNothing)
{
    StoreWithEngines withEngines;
    ClipStore &store = withEngines.store;
    store.setClips(blackClips(12));
    ScanRun run(store);
    QObject::connect(run.scan, &HandMarkerScan::progress, [&run] { run.scan->cancel(); });
    ASSERT_TRUE(run.run());
    EXPECT_FALSE(run.result);
    EXPECT_EQ(run.progress, QList<qsizetype>{8});
    EXPECT_TRUE(store.markerMetrics().isEmpty());
}

TEST(MarkerScan, ANewSessionMakesTheRunStale)
{
    StoreWithEngines withEngines;
    ClipStore &store = withEngines.store;
    store.setClips(blackClips(12));
    ScanRun run(store);
    QObject::connect(run.scan, &HandMarkerScan::progress, &store, [&store] { store.startNewSession({}); });
    ASSERT_TRUE(run.run());
    EXPECT_FALSE(run.result);
    EXPECT_TRUE(store.markerMetrics().isEmpty());
}
