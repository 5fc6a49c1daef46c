// store-views: the cost of one rating edit followed by the reads the grid,
// the sidebar and the toolbar make after it (sorted list, statistics, used
// tags, index), over a large session.
#include "Bench.h"

#include "library/ClipStore.h"
#include "media/MediaEngines.h"

#include <QElapsedTimer>
#include <QStandardPaths>

namespace {

int run(const QStringList &arguments)
{
    // Never touch the user's session file.
    QStandardPaths::setTestModeEnabled(true);
    const qsizetype count = arguments.isEmpty() ? 10000 : arguments.first().toLongLong();
    const QStringList tags{QStringLiteral("Dunk"), QStringLiteral("Three"), QStringLiteral("Huddle"), QStringLiteral("zebra")};
    QList<Clip> clips;
    clips.reserve(count);
    for (qsizetype i = 0; i < count; ++i) {
        Clip c;
        c.id = QUuid::createUuid();
        const QString name = QStringLiteral("A%1_C%2.MOV").arg((i * 7919) % 1000, 3, 10, QLatin1Char('0')).arg(i % 97);
        c.url = QUrl::fromLocalFile(QStringLiteral("/footage/") + name);
        c.filename = name;
        c.duration = double(i % 600);
        c.width = 1920;
        c.height = 1080;
        c.fileSize = 1000000 + i;
        c.rating = i % 6;
        if (i % 3 == 0)
            c.tags = {tags[i % tags.size()]};
        clips.append(c);
    }
    MediaEngines engines;
    ClipStore store;
    store.setMediaEngines(&engines);
    store.setSavingEnabled(false);
    store.setClips(clips);

    QList<double> edits;
    for (int round = 0; round < 30; ++round) {
        QElapsedTimer timer;
        timer.start();
        store.setRating(1 + round % 5, clips[(round * 131) % count].id);
        (void)store.sortedAndFilteredClips();
        (void)store.clipStats();
        (void)store.usedTags();
        (void)store.indexOfClip(clips[0].id);
        edits.append(timer.nsecsElapsed() / 1e6);
    }
    bench::print("clips", double(count), 0);
    bench::print("edit_and_reads_p95_ms", bench::percentile(edits, 95));
    bench::print("edit_and_reads_median_ms", bench::median(edits));
    return 0;
}

const BenchCommand command("store-views", "[CLIPS]", run);

} // namespace
