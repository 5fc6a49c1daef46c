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

template<typename Function>
double medianMs(const QStringList &files, Function &&function)
{
    for (const QString &file : files)
        function(file); // warm-up: the files come from the page cache afterwards
    QList<double> times;
    for (int round = 0; round < rounds; ++round) {
        for (const QString &file : files) {
            QElapsedTimer timer;
            timer.start();
            function(file);
            times.append(timer.nsecsElapsed() / 1e6);
        }
    }
    return bench::median(times);
}

int run(const QStringList &files)
{
    if (files.isEmpty()) {
        std::fprintf(stderr, "usage: triagon-bench probe FILE...\n");
        return 2;
    }
    av_log_set_level(AV_LOG_FATAL);
    const double bare = medianMs(files, bareProbe);
    const double probe = medianMs(files, [](const QString &file) { MediaProbe::probeClip(file); });
    bench::print("files", files.size(), 0);
    bench::print("bare_probe_ms_per_file", bare, 3);
    bench::print("probe_ratio_to_bare", bare > 0 ? probe / bare : 0, 3);
    bench::print("probe_ms_per_file", probe, 3);
    return 0;
}

const BenchCommand command("probe", "FILE...   media probe per file (median), with the bare libavformat figure", run);

} // namespace
