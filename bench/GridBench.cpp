// triagon-bench grid N [COLUMNS]: the clip grid of N synthetic clips
// (varied names, ratings and tags; no media files, so the cards draw their
// black poster area) in a 1400x900 window, scrolled from top to bottom in
// steps of 90 points, each step painted at once. Prints the time of one
// layout after a store change (median of 11 rating edits), the time of
// each scroll frame (median, 95th percentile, worst), the 95th percentile
// of a whole-window repaint, and the most cards alive at a time.
#include "Bench.h"

#include "app/AppSettings.h"
#include "grid/ClipGridView.h"
#include "library/ClipStore.h"
#include "media/MediaEngines.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QTemporaryDir>

namespace {

QList<Clip> syntheticClips(int count)
{
    const QStringList tags{QStringLiteral("Action"), QStringLiteral("Dunk"), QStringLiteral("Crowd"), QStringLiteral("b-roll")};
    QList<Clip> clips;
    clips.reserve(count);
    for (int i = 0; i < count; ++i) {
        Clip c;
        c.id = QUuid::createUuid();
        c.filename = QStringLiteral("A%1_C%2.MOV").arg(i / 100, 3, 10, QLatin1Char('0')).arg(i % 100, 3, 10, QLatin1Char('0'));
        c.url = QUrl::fromLocalFile(QStringLiteral("/nonexistent/footage/") + c.filename);
        c.duration = 3.5 + (i % 97) * 1.7;
        c.width = i % 7 == 0 ? 1080 : 3840;
        c.height = i % 7 == 0 ? 1920 : 2160;
        c.codec = QStringLiteral("H.264");
        c.frameRate = i % 3 == 0 ? 29.97 : 25;
        c.rating = i % 6;
        if (i % 4 != 0)
            c.tags = QStringList{tags.at(i % tags.size())};
        if (i % 9 == 0)
            c.tags << tags.at((i + 1) % tags.size());
        clips.append(c);
    }
    return clips;
}

int runGrid(const QStringList &arguments)
{
    bool ok = false;
    const int count = arguments.value(0).toInt(&ok);
    if (!ok || count < 0) {
        std::fprintf(stderr, "usage: triagon-bench grid N [COLUMNS]\n");
        return 2;
    }
    const int columns = arguments.size() > 1 ? std::clamp(arguments.at(1).toInt(), 1, 5) : 5;

    // Nothing of the user's: settings and any session file stay in a
    // temporary folder, and the store never saves.
    QTemporaryDir scratch;
    qputenv("XDG_DATA_HOME", scratch.filePath(QStringLiteral("data")).toUtf8());
    AppSettings settings(scratch.filePath(QStringLiteral("settings.conf")));
    MediaEngines engines;
    ClipStore store;
    store.setMediaEngines(&engines);
    store.setSavingEnabled(false);
    store.setGridColumns(columns);
    ClipGridView grid(&store, &settings, GridEngines{}, false);
    grid.resize(1400, 900);
    grid.show();
    QApplication::processEvents();

    QElapsedTimer timer;
    timer.start();
    store.setClips(syntheticClips(count));
    QApplication::processEvents();
    bench::print("initial_ms", timer.nsecsElapsed() / 1e6);

    // One store change (a rating) and the layout it causes.
    QList<double> layouts;
    for (int i = 0; i < 11 && count > 0; ++i) {
        const Clip clip = store.clips().at((i * 7919) % count);
        timer.restart();
        store.setRating((clip.rating + 1) % 6, clip.id);
        layouts << timer.nsecsElapsed() / 1e6;
    }
    QApplication::processEvents();

    // A scroll step as the window system delivers it: the new position,
    // then the pending paint of what it uncovered (posted events processed).
    QList<double> frames;
    int mostCards = 0;
    QScrollBar *bar = grid.verticalScrollBar();
    for (int y = 0; y <= bar->maximum(); y += 90) {
        timer.restart();
        bar->setValue(y);
        QApplication::processEvents();
        // Cards scrolled away are deleted by the event loop, which the
        // benchmark has none of: count their deletion in the frame too.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        frames << timer.nsecsElapsed() / 1e6;
        mostCards = std::max(mostCards, static_cast<int>(grid.liveCards().size()));
        if (qEnvironmentVariableIsSet("GRID_BENCH_TRACE") && frames.size() % 500 == 0)
            std::fprintf(stderr, "y=%d rss=%.0f children=%lld\n", y, bench::maxRssMb(),
                         static_cast<long long>(grid.viewport()->children().size()));
    }
    // The worst case of a whole-window repaint at positions along the way.
    QList<double> repaints;
    for (int y = bar->maximum(); y >= 0; y -= std::max(1, bar->maximum() / 200)) {
        bar->setValue(y);
        QApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        timer.restart();
        grid.repaint();
        repaints << timer.nsecsElapsed() / 1e6;
    }

    bench::print("clips", count, 0);
    bench::print("columns", columns, 0);
    bench::print("content_height", grid.layoutModel().contentHeight(), 0);
    bench::print("frames", frames.size(), 0);
    bench::print("max_live_cards", mostCards, 0);
    bench::print("frame_median_ms", bench::median(frames));
    bench::print("frame_max_ms", frames.isEmpty() ? 0 : *std::max_element(frames.cbegin(), frames.cend()));
    bench::print("repaint_p95_ms", bench::percentile(repaints, 95));
    bench::print("layout_ms", bench::median(layouts));
    bench::print("frame_p95_ms", bench::percentile(frames, 95));
    return 0;
}

BenchCommand command("grid", "N [COLUMNS]   scroll the clip grid of N synthetic clips", runGrid);

} // namespace
