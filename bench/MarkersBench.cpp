// triagon-bench markers DIR: the hand-marker scan over every clip of a
// folder through a real store (cold: a new store, so no poster and no
// metrics are cached), against a cold poster at 0 s (480x270) of the same
// clips straight from a new poster generator, the floor the scan stands on.
#include "Bench.h"

#include "library/ClipImporter.h"
#include "library/ClipStore.h"
#include "media/MediaEngines.h"
#include "library/CollectVideoFiles.h"
#include "markers/MarkerDetector.h"
#include "media/ThumbnailGenerator.h"
#include "markers/HandMarkerScan.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QFuture>
#include <QUrl>

#include <cstdio>
#include <optional>

namespace {

constexpr int rounds = 5;

// One cold scan; seconds, or a negative value when it gave no result.
double timeScan(const QList<Clip> &clips, qsizetype *framed)
{
    MediaEngines engines;
    ClipStore store;
    store.setMediaEngines(&engines);
    store.setClips(clips);
    std::optional<HandMarkerScan::Result> result;
    bool ended = false;
    QElapsedTimer timer;
    timer.start();
    HandMarkerScan *scan = store.scanForHandMarkers();
    QObject::connect(scan, &HandMarkerScan::finished, [&](const std::optional<HandMarkerScan::Result> &r) {
        result = r;
        ended = true;
    });
    scan->start();
    if (!bench::waitFor([&] { return ended; }, 600000) || !result)
        return -1;
    const double seconds = timer.nsecsElapsed() / 1e9;
    *framed = 0;
    for (const HandMarkerScan::Entry &entry : *result) {
        if (entry.metrics.frame)
            ++*framed;
    }
    return seconds;
}

// Cold posters at 0 s of the clips that the scan samples, all asked for at
// once so that the generator's decode slots are never idle.
double timePosters(const QList<Clip> &clips)
{
    ThumbnailGenerator generator;
    QElapsedTimer timer;
    timer.start();
    QList<QFuture<QImage>> futures;
    for (const Clip &clip : clips) {
        if (clip.duration > 0 && clip.duration <= MarkerDetector::maxSampledDuration)
            futures.append(generator.thumbnail(clip.path(), 0.0, MarkerDetector::frameRequestSize));
    }
    for (QFuture<QImage> &future : futures)
        future.waitForFinished();
    return timer.nsecsElapsed() / 1e9;
}

int run(const QStringList &arguments)
{
    if (arguments.size() != 1 || !QFileInfo(arguments.first()).isDir()) {
        std::fprintf(stderr, "usage: triagon-bench markers DIR\n");
        return 2;
    }
    const QUrl folder = QUrl::fromLocalFile(QFileInfo(arguments.first()).absoluteFilePath());
    QList<Clip> clips;
    for (const QUrl &url : collectVideoFiles(folder))
        clips.append(ClipImporter::probeClip(url));
    if (clips.isEmpty()) {
        std::fprintf(stderr, "no video files in %s\n", qPrintable(arguments.first()));
        return 1;
    }
    qsizetype sampled = 0;
    for (const Clip &clip : std::as_const(clips)) {
        if (clip.duration > 0 && clip.duration <= MarkerDetector::maxSampledDuration)
            ++sampled;
    }

    // Warm-up: the files come from the page cache in every timed round.
    qsizetype framed = 0;
    timePosters(clips);
    timeScan(clips, &framed);

    // Poster and scan rounds alternate, so that both meet the same machine
    // load; the figures are medians over the rounds.
    QList<double> posterTimes;
    QList<double> scanTimes;
    int failures = 0;
    for (int round = 0; round < rounds; ++round) {
        posterTimes.append(timePosters(clips));
        const double scan = timeScan(clips, &framed);
        if (scan < 0)
            ++failures;
        else
            scanTimes.append(scan);
    }
    const double perClip = 1000.0 / double(clips.size());
    const double poster = bench::median(posterTimes) * perClip;
    const double scan = bench::median(scanTimes) * perClip;
    bench::print("clips", double(clips.size()), 0);
    bench::print("sampled", double(sampled), 0);
    bench::print("measured", double(framed), 0);
    bench::print("failures", failures, 0);
    bench::print("poster_ms_per_clip", poster, 3);
    bench::print("scan_ratio_to_poster", poster > 0 ? scan / poster : 0, 3);
    bench::print("scan_ms_per_clip", scan, 3);
    return failures == 0 ? 0 : 1;
}

const BenchCommand command("markers", "DIR   cold hand-marker scan of a folder's clips, with the cold 0 s poster figure", run);

} // namespace
