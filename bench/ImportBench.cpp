// triagon-bench import DIR: a whole import of a folder through a real store,
// from addURLs until loading ends, then until every poster is prewarmed;
// compared with probing the same files one after another.
#include "Bench.h"

#include "library/ClipStore.h"
#include "media/MediaEngines.h"
#include "library/CollectVideoFiles.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTimer>
#include <QUrl>

#include <cstdio>

namespace {

constexpr int rounds = 5;

int run(const QStringList &arguments)
{
    if (arguments.size() != 1 || !QFileInfo(arguments.first()).isDir()) {
        std::fprintf(stderr, "usage: triagon-bench import DIR\n");
        return 2;
    }
    const QUrl folder = QUrl::fromLocalFile(QFileInfo(arguments.first()).absoluteFilePath());

    // The baseline: the same files probed one after another. Each round
    // runs it right before a whole import, so that both meet the same
    // machine load and read the files from the page cache; the figures are
    // medians over the rounds. The posters are prewarmed once, after the
    // last import.
    const QList<QUrl> files = collectVideoFiles(folder);
    for (const QUrl &url : files) // warm-up
        (void)ClipImporter::probeClip(url);
    QList<double> sequentialTimes;
    QList<double> importTimes;
    QList<double> ratios;
    qsizetype clipCount = 0;
    double prewarm = 0;
    for (int round = 0; round < rounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        for (const QUrl &url : files)
            (void)ClipImporter::probeClip(url);
        const double sequential = timer.nsecsElapsed() / 1e9;

        MediaEngines engines;
        ClipStore store;
        store.setMediaEngines(&engines);
        // The bench must not write the user's session file.
        store.setSavingEnabled(false);
        bool prewarmed = false;
        QObject::connect(store.importer(), &ClipImporter::prewarmFinished, [&] { prewarmed = true; });
        timer.start();
        store.addURLs(folder, {});
        if (!bench::waitFor([&] { return !store.isLoading(); }, 30 * 60 * 1000)) {
            std::fprintf(stderr, "the import did not end\n");
            return 1;
        }
        const double import = timer.nsecsElapsed() / 1e9;
        sequentialTimes.append(sequential);
        importTimes.append(import);
        ratios.append(import > 0 ? sequential / import : 0);
        clipCount = store.clips().size();
        if (round == rounds - 1) {
            timer.start();
            if (!bench::waitFor([&] { return prewarmed; }, 60 * 60 * 1000)) {
                std::fprintf(stderr, "the prewarm did not end\n");
                return 1;
            }
            prewarm = timer.nsecsElapsed() / 1e9;
        }
    }

    bench::print("clips", static_cast<double>(clipCount), 0);
    bench::print("sequential_probe_s", bench::median(sequentialTimes), 3);
    bench::print("prewarm_s", prewarm, 3);
    bench::print("speedup_over_sequential", bench::median(ratios), 2);
    bench::print("import_s", bench::median(importTimes), 3);
    return clipCount == files.size() ? 0 : 1;
}

const BenchCommand command("import", "DIR   whole import of a folder through the store, then the poster prewarm", run);

} // namespace
