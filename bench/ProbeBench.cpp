// triagon-bench probe FILE...: the media probe against a bare libavformat
// open and stream-info read of the same files.
#include "Bench.h"

#include "media/MediaProbe.h"

extern "C" {
#include <libavformat/avformat.h>
}

#include <QElapsedTimer>

#include <cstdio>

namespace {

constexpr int rounds = 7;

void bareProbe(const QString &path)
{
    AVFormatContext *context = nullptr;
    if (avformat_open_input(&context, path.toUtf8().constData(), nullptr, nullptr) < 0)
        return;
    avformat_find_stream_info(context, nullptr);
    avformat_close_input(&context);
}

// Bare and probe reads alternate file by file, so that both meet the same
// machine load; each figure is the median over all rounds and files.
void measure(const QStringList &files, double *bare, double *probe)
{
    for (const QString &file : files) { // warm-up: the files come from the page cache afterwards
        bareProbe(file);
        MediaProbe::probeClip(file);
    }
    QList<double> bareTimes;
    QList<double> probeTimes;
    QElapsedTimer timer;
    for (int round = 0; round < rounds; ++round) {
        for (const QString &file : files) {
            timer.start();
            bareProbe(file);
            bareTimes.append(timer.nsecsElapsed() / 1e6);
            timer.start();
            MediaProbe::probeClip(file);
            probeTimes.append(timer.nsecsElapsed() / 1e6);
        }
    }
    *bare = bench::median(bareTimes);
    *probe = bench::median(probeTimes);
}

int run(const QStringList &files)
{
    if (files.isEmpty()) {
        std::fprintf(stderr, "usage: triagon-bench probe FILE...\n");
        return 2;
    }
    av_log_set_level(AV_LOG_FATAL);
    double bare = 0;
    double probe = 0;
    measure(files, &bare, &probe);
    bench::print("files", files.size(), 0);
    bench::print("bare_probe_ms_per_file", bare, 3);
    bench::print("probe_ratio_to_bare", bare > 0 ? probe / bare : 0, 3);
    bench::print("probe_ms_per_file", probe, 3);
    return 0;
}

const BenchCommand command("probe", "FILE...   media probe per file (median), with the bare libavformat figure", run);

} // namespace
