// triagon-bench scrub FILE [WIDTHxHEIGHT]: sweeps a pooled scrub player the
// way a pointer crosses a card, then seeks it to random places, and compares
// both with a freshly opened decoder's exact seek. Also opens 24 pooled
// players on the file to measure the pool's memory.
#include "Bench.h"

#include "media/FFmpegVideoDecoder.h"
#include "media/PooledDecoderBudget.h"
#include "media/ScrubPlayerPool.h"
#include "media/VideoPlayer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QCoreApplication>
#include <QThread>

#include <cstdio>

namespace {

double residentMb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return 0;
}

bool waitFor(const std::function<bool()> &condition, int ms = 60000)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        QThread::usleep(200);
    }
    return true;
}

void pause(int ms)
{
    QElapsedTimer timer;
    timer.start();
    waitFor([&] { return timer.elapsed() >= ms; }, ms + 1000);
}

int scrub(const QStringList &arguments)
{
    if (arguments.isEmpty()) {
        std::fprintf(stderr, "usage: triagon-bench scrub FILE [WIDTHxHEIGHT]\n");
        return 2;
    }
    const QString path = QFileInfo(arguments.first()).absoluteFilePath();
    QSize size(480, 270);
    if (arguments.size() > 1) {
        const QStringList parts = arguments[1].split(QLatin1Char('x'));
        if (parts.size() == 2)
            size = QSize(parts[0].toInt(), parts[1].toInt());
    }
    QRandomGenerator random(20240501);

    double duration = 0;
    {
        FFmpegVideoDecoder probe;
        QString error;
        if (!probe.open(path, 1, &error)) {
            std::fprintf(stderr, "cannot open %s: %s\n", qUtf8Printable(path), qUtf8Printable(error));
            return 1;
        }
        duration = probe.durationSeconds();
    }
    // The same random places for the baseline and for the pooled player.
    QList<double> randomTargets;
    for (int i = 0; i < 60; ++i)
        randomTargets << random.bounded(std::max(0.1, duration - 0.05));

    // Baseline: a fresh decoder per seek, as a one-off frame grab does it.
    QList<double> fresh;
    for (int i = 0; i < 30; ++i) {
        FFmpegVideoDecoder decoder;
        QElapsedTimer timer;
        timer.start();
        decoder.open(path, FFmpegVideoDecoder::oneOffThreadCount());
        decoder.seekExact(randomTargets[i]);
        decoder.frameImage(size);
        fresh << timer.nsecsElapsed() / 1e6;
    }

    ScrubPlayerPool pool;
    const auto player = pool.player(path);
    player->setTargetSize(size);
    if (!waitFor([&] { return player->isReadyForDisplay(); }))
        return 1;

    // The sweep: 120 requests at 60 per second from start to end. Each
    // request's latency runs until the seek made for it, or for the newer
    // request that replaced it, has its frame on show.
    QElapsedTimer clock;
    clock.start();
    QList<double> sweep;
    int answered = 0;
    const int steps = 120;
    for (int i = 0; i < steps; ++i) {
        const double t = duration * i / (steps - 1);
        const qint64 asked = clock.nsecsElapsed();
        pool.seek(player, t, [&, asked] {
            sweep << (clock.nsecsElapsed() - asked) / 1e6;
            ++answered;
        });
        const qint64 next = qint64((i + 1) * 1e9 / 60);
        while (clock.nsecsElapsed() < next)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    }
    waitFor([&] { return answered == steps; });
    if (qEnvironmentVariableIsSet("TRIAGON_BENCH_TRACE")) {
        for (double ms : sweep)
            std::fprintf(stderr, "%.0f ", ms);
        std::fprintf(stderr, "\n");
    }

    // Random places, one after another (a pointer entering the card anywhere).
    QList<double> randomSeeks;
    for (int i = 0; i < 60; ++i) {
        const double t = randomTargets[i];
        bool done = false;
        const qint64 asked = clock.nsecsElapsed();
        pool.seek(player, t, [&] { done = true; });
        waitFor([&] { return done; });
        randomSeeks << (clock.nsecsElapsed() - asked) / 1e6;
        pause(5);
    }

    bench::print("file", QFileInfo(path).fileName());
    bench::print("frame_size", QStringLiteral("%1x%2").arg(size.width()).arg(size.height()));
    bench::print("seeks_performed", player->stats().seeksPerformed, 0);
    bench::print("sweep_p50_ms", bench::median(sweep));
    bench::print("sweep_p95_ms", bench::percentile(sweep, 95));
    bench::print("random_p50_ms", bench::median(randomSeeks));
    bench::print("random_p95_ms", bench::percentile(randomSeeks, 95));
    bench::print("fresh_seek_ms", bench::median(fresh));
    bench::print("fresh_seek_p95_ms", bench::percentile(fresh, 95));

    // 24 pooled players of 1080p clips (links to the file, one per card).
    pool.purgePlayers();
    QTemporaryDir links;
    std::vector<std::shared_ptr<VideoPlayer>> players;
    const double before = residentMb();
    double peak = before;
    for (int i = 0; i < 24; ++i) {
        const QString link = links.filePath(QStringLiteral("card%1.%2").arg(i).arg(QFileInfo(path).suffix()));
        QFile::link(path, link);
        auto p = pool.player(link);
        p->setTargetSize(size);
        bool done = false;
        pool.seek(p, random.bounded(std::max(0.1, duration)), [&] { done = true; });
        waitFor([&] { return done; });
        players.push_back(p);
        peak = std::max(peak, residentMb());
    }
    pause(200);
    peak = std::max(peak, residentMb());
    bench::print("pool24_open_decoders", PooledDecoderBudget::instance().openCount(), 0);
    bench::print("pool24_rss_mb", peak, 1);
    bench::print("pool24_growth_mb", peak - before, 1);
    players.clear();
    pool.purgePlayers();
    return 0;
}

const BenchCommand command("scrub", "FILE [WIDTHxHEIGHT]", scrub);

} // namespace
