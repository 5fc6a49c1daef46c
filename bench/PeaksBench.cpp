// triagon-bench peaks FILE...: finds the loud stretches of each file the way
// the cards ask for them (three analyses at once) and reports the time per file.
#include "Bench.h"

#include "media/WaveformCache.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QCoreApplication>
#include <QThread>

#include <cstdio>

namespace {

int peaks(const QStringList &arguments)
{
    if (arguments.isEmpty()) {
        std::fprintf(stderr, "usage: triagon-bench peaks FILE...\n");
        return 2;
    }
    WaveformCache cache;
    QElapsedTimer timer;
    timer.start();
    int answered = 0;
    int found = 0;
    for (const QString &file : arguments) {
        cache.peaks(QFileInfo(file).absoluteFilePath(), nullptr, [&](const QList<AudioPeak> &result) {
            ++answered;
            found += int(result.size());
        });
    }
    while (answered < arguments.size()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::usleep(500);
    }
    const double ms = timer.nsecsElapsed() / 1e6;
    bench::print("files", arguments.size(), 0);
    bench::print("peaks_found", found, 0);
    bench::print("peaks_total_ms", ms);
    bench::print("peaks_ms_per_file", ms / arguments.size());
    return 0;
}

const BenchCommand command("peaks", "FILE...", peaks);

} // namespace
