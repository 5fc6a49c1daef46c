// triagon-bench window N: the main window over N synthetic clips (varied
// names, ratings, tags and durations; no media files) at 1400x900. Times,
// through the sidebar's own widgets, a filter toggle (a click on the 4-star
// row, on and off again), a sort change (a click on the next sort segment)
// and a group change (the Down or Up key on the group menu), each from the
// click to the end of the clip grid's next painted frame. Prints the median
// and 95th percentile of each, in milliseconds.
#include "Bench.h"

#include "app/AppSettings.h"
#include "app/widgets/SegmentedControl.h"
#include "grid/ClipGridView.h"
#include "library/ClipStore.h"
#include "media/MediaEngines.h"
#include "settings/TourManager.h"
#include "window/ContentView.h"
#include "window/FilterRow.h"
#include "window/FilterSectionView.h"
#include "window/GridAreaView.h"
#include "window/SidebarView.h"
#include "window/SortGroupSectionView.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <ctime>
#include <functional>

namespace {

QList<Clip> syntheticClips(int count)
{
    const QStringList tags{QStringLiteral("Action"), QStringLiteral("Dunk"), QStringLiteral("Crowd"), QStringLiteral("b-roll")};
    QList<Clip> clips;
    clips.reserve(count);
    for (int i = 0; i < count; ++i) {
        Clip c;
        c.id = QUuid::createUuid();
        c.filename = QStringLiteral("A%1_C%2.MOV").arg((i * 7919) % 1000, 3, 10, QLatin1Char('0')).arg(i % 100, 3, 10, QLatin1Char('0'));
        c.url = QUrl::fromLocalFile(QStringLiteral("/nonexistent/footage/%1/").arg(i) + c.filename);
        c.duration = 3.5 + (i % 97) * 1.7;
        c.width = 3840;
        c.height = 2160;
        c.fileSize = 100000000 + i;
        c.codec = QStringLiteral("H.264");
        c.frameRate = 25;
        c.rating = i % 6;
        if (i % 4 != 0)
            c.tags = QStringList{tags.at(i % tags.size())};
        clips.append(c);
    }
    return clips;
}

// Notes when the grid's viewport paints, and ends the waiting loop once that
// paint is done.
class PaintWatch : public QObject
{
public:
    bool painted = false;
    QEventLoop *loop = nullptr;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !painted) {
            painted = true;
            if (loop)
                QMetaObject::invokeMethod(loop, &QEventLoop::quit, Qt::QueuedConnection);
        }
        return false;
    }
};

void clickOn(QWidget *widget)
{
    const QPointF at = QRectF(widget->rect()).center();
    const QPointF global = widget->mapToGlobal(at);
    QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &release);
}

void pressKey(QWidget *widget, int key)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(widget, &release);
}

// Processor time of this thread, in milliseconds: the work itself, without
// the time the system gave to other processes.
double threadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

struct Frame
{
    double wallMs = -1;
    double cpuMs = -1;
};

// From the action to the end of the grid's next paint; no value when no
// paint came within two seconds.
Frame timeToPaint(PaintWatch &watch, const std::function<void()> &action)
{
    watch.painted = false;
    QElapsedTimer timer;
    const double cpuStart = threadCpuMs();
    timer.start();
    action();
    const double handled = timer.nsecsElapsed() / 1e6;
    if (!watch.painted) {
        // Wait without spinning, so that the processor time is the work's.
        QEventLoop loop;
        watch.loop = &loop;
        QTimer::singleShot(2000, &loop, &QEventLoop::quit);
        loop.exec();
        watch.loop = nullptr;
        if (!watch.painted)
            return {};
    }
    if (qEnvironmentVariableIsSet("WINDOW_BENCH_TRACE"))
        std::fprintf(stderr, "handled %.1f painted %.1f\n", handled, timer.nsecsElapsed() / 1e6);
    return {timer.nsecsElapsed() / 1e6, threadCpuMs() - cpuStart};
}

// Lets the window settle: animations of the last change end, cards are built.
void settle()
{
    QEventLoop loop;
    QTimer::singleShot(250, &loop, &QEventLoop::quit);
    loop.exec();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

int run(const QStringList &arguments)
{
    bool ok = false;
    const int count = arguments.value(0, QStringLiteral("10000")).toInt(&ok);
    if (!ok || count < 1) {
        std::fprintf(stderr, "usage: triagon-bench window N\n");
        return 2;
    }
    const int rounds = 30;

    // Nothing of the user's: settings, tours and session stay in a scratch
    // folder, and the store never saves.
    QStandardPaths::setTestModeEnabled(true);
    QTemporaryDir scratch;
    AppSettings settings(scratch.filePath(QStringLiteral("settings.conf")));
    AppSettings tourSettings(scratch.filePath(QStringLiteral("tours.conf")));
    TourManager tours(tourSettings);
    MediaEngines engines;
    ClipStore store;
    store.setMediaEngines(&engines);
    store.setSavingEnabled(false);
    store.setClips(syntheticClips(count));
    ContentView window(store, settings, tours);
    window.resize(1400, 900);
    window.show();
    settle();

    ClipGridView *grid = window.gridArea()->grid();
    if (!grid) {
        std::fprintf(stderr, "the window shows no grid\n");
        return 1;
    }
    PaintWatch watch;
    grid->viewport()->installEventFilter(&watch);
    SidebarView *sidebar = window.sidebarView();
    FilterRow *fourStars = sidebar->filterSection()->ratingRows().at(2);
    SegmentedControl *sort = sidebar->sortGroupSection()->sortPicker();
    QComboBox *group = sidebar->sortGroupSection()->groupPicker();

    struct Series
    {
        QList<double> wall;
        QList<double> cpu;
    };
    Series filters, sorts, groups;
    int missed = 0;
    const auto record = [&missed](Series &into, const Frame &frame) {
        if (frame.wallMs < 0) {
            ++missed;
            return;
        }
        into.wall.append(frame.wallMs);
        into.cpu.append(frame.cpuMs);
    };
    for (int i = 0; i < rounds; ++i) {
        record(filters, timeToPaint(watch, [&] { clickOn(fourStars); }));
        settle();
    }
    for (int i = 0; i < rounds; ++i) {
        QAbstractButton *next = sort->segment((sort->currentIndex() + 1) % sort->count());
        record(sorts, timeToPaint(watch, [&] { clickOn(next); }));
        settle();
    }
    group->setFocus();
    for (int i = 0; i < rounds; ++i) {
        // Down through the three groupings, then back up.
        const int key = (i / 2) % 2 == 0 ? Qt::Key_Down : Qt::Key_Up;
        record(groups, timeToPaint(watch, [&] { pressKey(group, key); }));
        settle();
    }

    bench::print("clips", count, 0);
    bench::print("rounds", rounds, 0);
    bench::print("missed_frames", missed, 0);
    bench::print("filter_toggle_median_ms", bench::median(filters.wall));
    bench::print("sort_change_median_ms", bench::median(sorts.wall));
    bench::print("group_change_median_ms", bench::median(groups.wall));
    // The processor time of the same frames: on a busy machine the wall
    // times include waits for a processor.
    bench::print("filter_toggle_cpu_p95_ms", bench::percentile(filters.cpu, 95));
    bench::print("sort_change_cpu_p95_ms", bench::percentile(sorts.cpu, 95));
    bench::print("group_change_cpu_p95_ms", bench::percentile(groups.cpu, 95));
    // The 95th percentiles of the wall time, from the click to the painted frame.
    bench::print("filter_toggle_ms", bench::percentile(filters.wall, 95));
    bench::print("sort_change_ms", bench::percentile(sorts.wall, 95));
    bench::print("group_change_ms", bench::percentile(groups.wall, 95));
    return 0;
}

const BenchCommand command("window", "N   filter, sort and group through the sidebar over N clips", run);

} // namespace
