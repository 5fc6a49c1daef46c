// triagon-bench fling N FOLDER [COLUMNS]: a session of N clips made of
// hard links to the video files in FOLDER (taken in turn), shown in the clip
// grid with the store's real engines (posters decoded from the files,
// audio peaks) in a 1400x900 window. Once the first screen has its
// posters, Page Down is held from the first row to the last: one key press
// every 40 ms (a usual key repeat), the grid painting between them. Then
// the posters of the last screen are waited for, and every poster request
// to end. Prints the wall and processor seconds of the fling and of the
// whole (fling and what it left to do), the resident memory before and at
// its peak, and the cards with a poster on the last screen.
#include "Bench.h"

#include "app/AppSettings.h"
#include "grid/ClipGridView.h"
#include "grid/ClipThumbnailView.h"
#include "library/ClipImporter.h"
#include "library/ClipStore.h"
#include "media/MediaEngines.h"
#include "library/CollectVideoFiles.h"
#include "media/ThumbnailGenerator.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTemporaryDir>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

constexpr int keyRepeatMs = 40;

// The cards on screen, and how many of them show a poster.
std::pair<int, int> postersOnScreen(const ClipGridView &grid)
{
    int cards = 0, shown = 0;
    const QRect screen = grid.viewport()->rect();
    for (ClipThumbnailView *card : grid.liveCards()) {
        if (!card->isVisible() || !screen.intersects(card->geometry()))
            continue;
        ++cards;
        shown += !card->posterImage().isNull();
    }
    return {cards, shown};
}

int run(const QStringList &arguments)
{
    bool ok = false;
    const int count = arguments.value(0).toInt(&ok);
    if (!ok || count < 1 || arguments.size() < 2 || !QFileInfo(arguments[1]).isDir()) {
        std::fprintf(stderr, "usage: triagon-bench fling N FOLDER [COLUMNS]\n");
        return 2;
    }
    const int columns = arguments.size() > 2 ? std::clamp(arguments[2].toInt(), 1, 5) : 5;

    QList<Clip> sources;
    for (const QUrl &url : collectVideoFiles(QUrl::fromLocalFile(QFileInfo(arguments[1]).absoluteFilePath()))) {
        const Clip clip = ClipImporter::probeClip(url);
        if (clip.width > 0 && clip.duration > 0)
            sources.append(clip);
    }
    if (sources.isEmpty()) {
        std::fprintf(stderr, "fling: no readable video files in %s\n", qUtf8Printable(arguments[1]));
        return 1;
    }

    // Links beside the sources (a hard link stays on their volume); a
    // private data folder and settings, and a store that never saves.
    QTemporaryDir links(QFileInfo(arguments[1]).absoluteFilePath() + QStringLiteral("/.fling-XXXXXX"));
    QTemporaryDir scratch;
    if (!links.isValid() || !scratch.isValid())
        return 1;
    qputenv("XDG_DATA_HOME", scratch.filePath(QStringLiteral("data")).toUtf8());
    QList<Clip> clips;
    clips.reserve(count);
    for (int i = 0; i < count; ++i) {
        Clip clip = sources[i % sources.size()];
        const QString name = QStringLiteral("C%1_").arg(i, 5, 10, QLatin1Char('0')) + clip.filename;
        const QString path = links.filePath(name);
        if (::link(QFile::encodeName(clip.path()).constData(), QFile::encodeName(path).constData()) != 0) {
            std::fprintf(stderr, "fling: could not link %s: %s\n", qUtf8Printable(path), std::strerror(errno));
            return 1;
        }
        clip.id = QUuid::createUuid();
        clip.url = QUrl::fromLocalFile(path);
        clip.filename = name;
        clips.append(clip);
    }

    AppSettings settings(scratch.filePath(QStringLiteral("settings.conf")));
    MediaEngines engines;
    ClipStore store;
    store.setMediaEngines(&engines);
    store.setSavingEnabled(false);
    store.setGridColumns(columns);
    store.setClips(clips);
    ThumbnailGenerator *generator = store.thumbnailGenerator();
    ClipGridView grid(&store, &settings, GridEngines{generator, store.scrubPlayerPool(), store.audioScrubEngine(), store.waveformCache()},
                      false);
    grid.resize(1400, 900);
    grid.show();
    grid.setFocus();

    // The first screen, settled: its posters shown, nothing decoding.
    auto settled = [&] {
        const auto [cards, shown] = postersOnScreen(grid);
        return cards > 0 && shown == cards && generator->inFlightCount() == 0;
    };
    if (!bench::waitFor(settled, 120 * 1000)) {
        std::fprintf(stderr, "fling: the first screen did not get its posters\n");
        return 1;
    }
    bench::runFor(500);

    const double residentBefore = bench::residentMb();
    const double cpuStart = bench::processorSeconds();
    QElapsedTimer timer;
    timer.start();
    QScrollBar *bar = grid.verticalScrollBar();
    int presses = 0;
    while (bar->value() < bar->maximum()) {
        const qint64 due = qint64(presses + 1) * keyRepeatMs;
        QKeyEvent press(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier, QString(), presses > 0);
        QApplication::sendEvent(&grid, &press);
        ++presses;
        const qint64 wait = due - timer.elapsed();
        bench::runFor(int(std::max<qint64>(wait, 1)));
    }
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_PageDown, Qt::NoModifier);
    QApplication::sendEvent(&grid, &release);
    const double flingSeconds = timer.nsecsElapsed() / 1e9;
    const double flingCpu = bench::processorSeconds() - cpuStart;

    // What the fling left: the last screen's posters, and every request.
    if (!bench::waitFor(settled, 30 * 60 * 1000)) {
        std::fprintf(stderr, "fling: the last screen did not get its posters\n");
        return 1;
    }
    const double totalSeconds = timer.nsecsElapsed() / 1e9;
    const double totalCpu = bench::processorSeconds() - cpuStart;
    const auto [cards, shown] = postersOnScreen(grid);

    bench::print("clips", count, 0);
    bench::print("source_files", double(sources.size()), 0);
    bench::print("page_downs", presses, 0);
    bench::print("fling_s", flingSeconds, 2);
    bench::print("fling_cpu_s", flingCpu, 2);
    bench::print("until_idle_s", totalSeconds, 2);
    bench::print("cards_on_last_screen", cards, 0);
    bench::print("posters_on_last_screen", shown, 0);
    bench::print("resident_before_mb", residentBefore, 1);
    bench::print("peak_resident_mb", bench::maxRssMb(), 1);
    bench::print("total_cpu_s", totalCpu, 2);
    return 0;
}

const BenchCommand command("fling", "N FOLDER [COLUMNS]   hold Page Down through a grid of N clips with real posters", run);

} // namespace
