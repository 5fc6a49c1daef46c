#include "markers/HandMarkerScan.h"

#include "Printers.h"

#include <QPointer>
#include <QPromise>
#include <QTest>
#include <gtest/gtest.h>

#include <limits>
#include <memory>

namespace {

using Metrics = MarkerDetector::Metrics;

// A poster source whose answers the test gives by hand.
class HeldPosters
{
public:
    MarkerDetector::PosterSource source()
    {
        return [this](const QString &path, double seconds, QSize size) {
            auto promise = std::make_shared<QPromise<QImage>>();
            promise->start();
            requests.append(Request{path, seconds, size, promise});
            return promise->future();
        };
    }
    void answer(qsizetype i, const QImage &image)
    {
        requests[i].promise->addResult(image);
        requests[i].promise->finish();
    }
    struct Request
    {
        QString path;
        double seconds;
        QSize size;
        std::shared_ptr<QPromise<QImage>> promise;
    };
    QList<Request> requests;
};

QImage filled(QColor color)
{
    QImage image(480, 270, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

Clip clipNamed(const QString &name, double duration)
{
    Clip clip;
    clip.id = QUuid::createUuid();
    clip.url = QUrl::fromLocalFile(QStringLiteral("/shoot/") + name);
    clip.filename = name;
    clip.duration = duration;
    return clip;
}

QList<Clip> clips(int count, double duration)
{
    QList<Clip> result;
    for (int i = 1; i <= count; ++i)
        result.append(clipNamed(QStringLiteral("C%1.MP4").arg(i, 4, 10, QLatin1Char('0')), duration));
    return result;
}

// Runs a scan and records what it reports.
struct ScanRecorder
{
    explicit ScanRecorder(HandMarkerScan::Inputs inputs) : scan(new HandMarkerScan(std::move(inputs)))
    {
        QObject::connect(scan, &HandMarkerScan::progress, [this](qsizetype done, const QString &name) { progress.append({done, name}); });
        QObject::connect(scan, &HandMarkerScan::finished, [this](const std::optional<HandMarkerScan::Result> &r) {
            result = r;
            ++finishCount;
        });
        scan->start();
    }
    bool waitForEnd()
    {
        return QTest::qWaitFor([this] { return finishCount > 0; }, 20000);
    }

    QPointer<HandMarkerScan> scan;
    QList<QPair<qsizetype, QString>> progress;
    std::optional<HandMarkerScan::Result> result;
    int finishCount = 0;
};

} // namespace

TEST(HandMarkerScan, AnEmptyRunEndsWithAnEmptyList)
{
    ScanRecorder run(HandMarkerScan::Inputs{});
    ASSERT_TRUE(run.waitForEnd());
    ASSERT_TRUE(run.result);
    EXPECT_TRUE(run.result->isEmpty());
    EXPECT_TRUE(run.progress.isEmpty());
    // It deletes itself once it has ended.
    EXPECT_TRUE(QTest::qWaitFor([&] { return run.scan.isNull(); }, 5000));
}

TEST(HandMarkerScan, ReportsProgressAfterEachBatchOfEight)
{
    HeldPosters posters;
    HandMarkerScan::Inputs inputs;
    inputs.candidates = clips(20, 25.0); // too long to sample: no frame asked for
    inputs.posters = posters.source();
    ScanRecorder run(inputs);
    ASSERT_TRUE(run.waitForEnd());
    EXPECT_TRUE(posters.requests.isEmpty());
    const QList<QPair<qsizetype, QString>> expected{
        {8, QStringLiteral("C0008.MP4")}, {16, QStringLiteral("C0016.MP4")}, {20, QStringLiteral("C0020.MP4")}};
    EXPECT_EQ(run.progress, expected);
    ASSERT_TRUE(run.result);
    ASSERT_EQ(run.result->size(), 20);
    for (qsizetype i = 0; i < 20; ++i) {
        EXPECT_EQ(run.result->at(i).clip.id, inputs.candidates[i].id);
        EXPECT_FALSE(run.result->at(i).metrics.frame);
        EXPECT_EQ(run.result->at(i).metrics.duration, 25.0);
    }
}

TEST(HandMarkerScan, OneBatchAtATimeInCandidateOrder)
{
    HeldPosters posters;
    HandMarkerScan::Inputs inputs;
    inputs.candidates = clips(10, 1.0);
    inputs.posters = posters.source();
    ScanRecorder run(inputs);
    ASSERT_TRUE(QTest::qWaitFor([&] { return posters.requests.size() == 8; }, 5000));
    // The frame at the start, at the poster size.
    EXPECT_EQ(posters.requests[0].path, QStringLiteral("/shoot/C0001.MP4"));
    EXPECT_EQ(posters.requests[0].seconds, 0.0);
    EXPECT_EQ(posters.requests[0].size, QSize(480, 270));
    // Answered last to first: black for even positions, grey for odd ones.
    for (qsizetype i = 7; i >= 0; --i)
        posters.answer(i, filled(i % 2 == 0 ? Qt::black : QColor(128, 128, 128)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return posters.requests.size() == 10; }, 5000));
    EXPECT_EQ(run.progress.size(), 1);
    posters.answer(9, QImage()); // no picture
    posters.answer(8, filled(Qt::black));
    ASSERT_TRUE(run.waitForEnd());
    ASSERT_TRUE(run.result);
    ASSERT_EQ(run.result->size(), 10);
    for (qsizetype i = 0; i < 8; ++i) {
        EXPECT_EQ(run.result->at(i).clip.id, inputs.candidates[i].id);
        ASSERT_TRUE(run.result->at(i).metrics.frame);
        EXPECT_EQ(run.result->at(i).metrics.frame->darkFraction, i % 2 == 0 ? 1.0 : 0.0) << i;
    }
    EXPECT_TRUE(run.result->at(8).metrics.frame);
    EXPECT_FALSE(run.result->at(9).metrics.frame);
}

TEST(HandMarkerScan, KeptMetricsAreNotMeasuredAgain)
{
    HeldPosters posters;
    HandMarkerScan::Inputs inputs;
    inputs.candidates = clips(3, 1.0);
    const Metrics kept{1.0, MarkerDetector::FrameStats{0, 12, 0.5, 0.25, 3}};
    const QUuid keptID = inputs.candidates[1].id;
    inputs.cached = [&](const QUuid &id) -> std::optional<Metrics> {
        if (id == keptID)
            return kept;
        return std::nullopt;
    };
    inputs.posters = posters.source();
    ScanRecorder run(inputs);
    ASSERT_TRUE(QTest::qWaitFor([&] { return posters.requests.size() == 2; }, 5000));
    EXPECT_EQ(posters.requests[0].path, QStringLiteral("/shoot/C0001.MP4"));
    EXPECT_EQ(posters.requests[1].path, QStringLiteral("/shoot/C0003.MP4"));
    posters.answer(0, filled(Qt::black));
    posters.answer(1, filled(Qt::black));
    ASSERT_TRUE(run.waitForEnd());
    ASSERT_TRUE(run.result);
    EXPECT_EQ(run.result->at(1).metrics, kept);
}

TEST(HandMarkerScan, CancellingMidRunEndsWithNothing)
{
    HeldPosters posters;
    HandMarkerScan::Inputs inputs;
    inputs.candidates = clips(12, 1.0);
    inputs.posters = posters.source();
    ScanRecorder run(inputs);
    ASSERT_TRUE(QTest::qWaitFor([&] { return posters.requests.size() == 8; }, 5000));
    for (qsizetype i = 0; i < 8; ++i)
        posters.answer(i, filled(Qt::black));
    ASSERT_TRUE(QTest::qWaitFor([&] { return posters.requests.size() == 12; }, 5000));
    run.scan->cancel();
    ASSERT_TRUE(run.waitForEnd());
    EXPECT_FALSE(run.result);
    // The frames that arrive afterwards change nothing.
    for (qsizetype i = 8; i < 12; ++i)
        posters.answer(i, filled(Qt::black));
    EXPECT_TRUE(QTest::qWaitFor([&] { return run.scan.isNull(); }, 5000));
    QTest::qWait(50);
    EXPECT_EQ(run.finishCount, 1);
    EXPECT_EQ(run.progress.size(), 1);
}

TEST(HandMarkerScan, AStaleRunEndsWithNothingAtItsNextCheckpoint)
{
    HeldPosters posters;
    bool current = true;
    HandMarkerScan::Inputs inputs;
    inputs.candidates = clips(9, 1.0);
    inputs.posters = posters.source();
    inputs.isCurrent = [&current] { return current; };
    ScanRecorder run(inputs);
    ASSERT_TRUE(QTest::qWaitFor([&] { return posters.requests.size() == 8; }, 5000));
    current = false;
    for (qsizetype i = 0; i < 8; ++i)
        posters.answer(i, filled(Qt::black));
    ASSERT_TRUE(run.waitForEnd());
    EXPECT_FALSE(run.result);
    EXPECT_TRUE(run.progress.isEmpty());
    EXPECT_EQ(posters.requests.size(), 8);
}

TEST(MarkerMetrics, OnlyClipsUpToTenSecondsAreSampled)
{
    HeldPosters posters;
    const auto sampled = [&](double duration) {
        const qsizetype before = posters.requests.size();
        QFuture<Metrics> future = MarkerDetector::metrics(clipNamed(QStringLiteral("a.mov"), duration), posters.source());
        const bool asked = posters.requests.size() > before;
        if (asked)
            posters.answer(posters.requests.size() - 1, filled(Qt::black));
        future.waitForFinished();
        EXPECT_EQ(future.result().frame.has_value(), asked) << duration;
        return asked;
    };
    EXPECT_TRUE(sampled(10.0));
    EXPECT_TRUE(sampled(0.04));
    EXPECT_FALSE(sampled(10.01));
    EXPECT_FALSE(sampled(0.0));
    EXPECT_FALSE(sampled(-1.0));
    EXPECT_FALSE(sampled(std::numeric_limits<double>::quiet_NaN()));
    EXPECT_FALSE(sampled(std::numeric_limits<double>::infinity()));
}

TEST(MarkerMetrics, CancellingBeforeOrDuringTheRequestGivesNoFrame)
{
    HeldPosters posters;
    auto flag = std::make_shared<std::atomic_bool>(true);
    QFuture<Metrics> before = MarkerDetector::metrics(clipNamed(QStringLiteral("a.mov"), 1.0), posters.source(), flag);
    EXPECT_TRUE(posters.requests.isEmpty());
    EXPECT_FALSE(before.result().frame);

    flag->store(false);
    QFuture<Metrics> during = MarkerDetector::metrics(clipNamed(QStringLiteral("a.mov"), 1.0), posters.source(), flag);
    ASSERT_EQ(posters.requests.size(), 1);
    flag->store(true);
    posters.answer(0, filled(Qt::black));
    during.waitForFinished();
    EXPECT_FALSE(during.result().frame);
    EXPECT_EQ(during.result().duration, 1.0);

    // A source that gives up on the request (shutting down) gives no frame either.
    QFuture<Metrics> abandoned = MarkerDetector::metrics(clipNamed(QStringLiteral("b.mov"), 1.0), [](const QString &, double, QSize) {
        QPromise<QImage> promise;
        promise.start();
        QFuture<QImage> future = promise.future();
        future.cancel();
        promise.finish();
        return future;
    });
    abandoned.waitForFinished();
    EXPECT_FALSE(abandoned.isCanceled());
    EXPECT_FALSE(abandoned.result().frame);
}
