// triagon-bench scrub FILE [WIDTHxHEIGHT]: what a pointer crossing the grid
// meets, on pooled scrub players of one file:
//   - fresh: a freshly opened decoder's exact seek (open, seek, scale) at 60
//     random places, the baseline;
//   - sweep: one card swept from start to end at 60 requests a second;
//   - random: the same 60 random places on a pooled player, one after another;
//   - coalesced sweep: back and forth over a stretch of a second and a half
//     at 120 requests a second, 1.5 frames apart, so that seeks coalesce;
//   - re-entry: the pointer going along a row of 12 cards (links to the
//     file), resting on a spot of each until its frame shows, four times:
//     each card is entered where the pointer was on it the time before;
//   - 24 pooled players, each sought once, for the pool's memory;
//   - past the end: a fresh decoder's exact seek at 20 places past the last
//     frame, up to where the header says the file ends (a truncated file
//     promises more than it holds), a second past the end of others: each
//     is to cost about what a seek inside does.
// Every frame shown at rest is checked against a direct decode of the file:
// the frame on show at the requested time is the last one that starts at or
// before it (exact_misses counts those that are not).
#include "Bench.h"

#include "media/FFmpegVideoDecoder.h"
#include "media/PooledDecoderBudget.h"
#include "media/ScrubPlayerPool.h"
#include "media/VideoPlayer.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>
#include <map>

namespace {

QString loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("?");
    return QString::fromLatin1(file.readAll().split(' ').mid(0, 3).join(' '));
}

bool waitFor(const std::function<bool()> &condition, int ms = 120000)
{
    return bench::pollFor(condition, ms);
}

QByteArray imageHash(const QImage &image)
{
    QCryptographicHash hash(QCryptographicHash::Md5);
    for (int y = 0; y < image.height(); ++y)
        hash.addData(QByteArrayView(reinterpret_cast<const char *>(image.constScanLine(y)), image.width() * 4));
    return hash.result();
}

// Every frame of the file, decoded in order: its start and its picture at the
// size shown. The frame on show at t is the last one that starts at or before t.
class Reference
{
public:
    // False with *error when no frame can be decoded.
    bool build(const QString &path, QSize size, QString *error)
    {
        FFmpegVideoDecoder decoder;
        if (!decoder.open(path, FFmpegVideoDecoder::oneOffThreadCount(), error))
            return false;
        while (decoder.decodeNextFrame(error)) {
            m_frames[decoder.frameTimestamp()] = imageHash(decoder.frameImage(size));
            m_end = std::max(m_end, decoder.toSeconds(decoder.frameEndTimestamp()));
        }
        m_decoder.open(path, 1);
        return !m_frames.empty();
    }
    // Where the last frame ends, in seconds.
    double framesEnd() const { return m_end; }
    // Whether the player shows the frame on show at its own time.
    bool matches(const VideoPlayer &player) const
    {
        const qint64 target = m_decoder.toTimestamp(player.currentTime());
        auto at = m_frames.upper_bound(target);
        if (at != m_frames.begin())
            --at;
        const bool same = std::abs(m_decoder.toSeconds(at->first) - player.currentFrameTime()) < 1e-6
                          && imageHash(player.currentFrame()) == at->second;
        if (!same && qEnvironmentVariableIsSet("TRIAGON_BENCH_TRACE"))
            std::fprintf(stderr, "miss: %s at %.4f shows %.4f (%dx%d), the frame on show starts at %.4f (image %s)\n",
                         qUtf8Printable(QFileInfo(player.path()).fileName()), player.currentTime(), player.currentFrameTime(),
                         player.currentFrame().width(), player.currentFrame().height(), m_decoder.toSeconds(at->first),
                         imageHash(player.currentFrame()) == at->second ? "same" : "differs");
        return same;
    }

private:
    std::map<qint64, QByteArray> m_frames;
    double m_end = 0;
    FFmpegVideoDecoder m_decoder; // only for its time conversions
};

// Seek requests at a steady pace, each timed until the seek made for it (or
// for a newer request that replaced it) has its frame on show. Frames shown
// at rest are checked against the reference.
struct Pointer
{
    ScrubPlayerPool &pool;
    const Reference &reference;
    QElapsedTimer clock;
    int misses = 0;
    int checked = 0;
    int outstanding = 0;

    // Asks for t and returns the request's latency slot (filled later).
    void request(const std::shared_ptr<VideoPlayer> &player, double t, QList<double> *latencies)
    {
        const qint64 asked = clock.nsecsElapsed();
        ++outstanding;
        pool.seek(player, t, [this, player, asked, latencies] {
            --outstanding;
            if (latencies)
                latencies->append((clock.nsecsElapsed() - asked) / 1e6);
            if (!pool.isSeeking(player->path()) && !pool.hasPendingSeek(player->path())) {
                ++checked;
                if (!reference.matches(*player))
                    ++misses;
            }
        });
    }
    void waitUntil(qint64 nanoseconds)
    {
        while (clock.nsecsElapsed() < nanoseconds)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    }
    void settle()
    {
        waitFor([this] { return outstanding == 0; });
    }
};

QSize parseSize(const QStringList &arguments)
{
    if (arguments.size() > 1) {
        const QStringList parts = arguments[1].split(QLatin1Char('x'));
        if (parts.size() == 2 && parts[0].toInt() > 0 && parts[1].toInt() > 0)
            return QSize(parts[0].toInt(), parts[1].toInt());
    }
    return QSize(480, 270);
}

int scrub(const QStringList &arguments)
{
    if (arguments.isEmpty()) {
        std::fprintf(stderr, "usage: triagon-bench scrub FILE [WIDTHxHEIGHT]\n");
        return 2;
    }
    const QString path = QFileInfo(arguments.first()).absoluteFilePath();
    const QSize size = parseSize(arguments);
    QRandomGenerator random(20240501);
    bench::print("load_average_start", loadAverage());

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
    Reference reference;
    if (QString error; !reference.build(path, size, &error)) {
        std::fprintf(stderr, "no frame of %s can be decoded: %s\n", qUtf8Printable(path), qUtf8Printable(error));
        return 1;
    }
    // Places where the file holds frames (a truncated file's header promises more).
    const double end = std::max(0.1, std::min(duration, reference.framesEnd()) - 0.05);
    // The same random places for the baseline and for the pooled player.
    QList<double> randomTargets;
    for (int i = 0; i < 60; ++i)
        randomTargets << random.bounded(end);

    // Baseline: a fresh decoder per seek, at the player's places and size.
    const auto freshSeekMs = [&](double t) {
        FFmpegVideoDecoder decoder;
        QElapsedTimer timer;
        timer.start();
        decoder.open(path, FFmpegVideoDecoder::oneOffThreadCount());
        decoder.seekExact(t);
        decoder.frameImage(size);
        return timer.nsecsElapsed() / 1e6;
    };
    QList<double> fresh;
    for (double t : randomTargets)
        fresh << freshSeekMs(t);
    // Past the last frame, up to where the header says the file ends (a
    // second past the frames of a file that holds what it states).
    QList<double> pastEnd;
    QRandomGenerator pastRandom(20240502);
    const double pastSpan = std::max(1.0, duration - reference.framesEnd());
    for (int i = 0; i < 20; ++i)
        pastEnd << freshSeekMs(reference.framesEnd() + 0.05 + pastRandom.bounded(pastSpan));

    ScrubPlayerPool pool;
    Pointer pointer{pool, reference, {}};
    pointer.clock.start();
    const auto player = pool.player(path);
    player->setTargetSize(size);
    if (!waitFor([&] { return player->isReadyForDisplay() || !player->errorText().isEmpty(); }) || !player->isReadyForDisplay()) {
        std::fprintf(stderr, "the scrub player shows no frame of %s: %s\n", qUtf8Printable(path),
                     qUtf8Printable(player->errorText().isEmpty() ? QStringLiteral("none came in time") : player->errorText()));
        return 1;
    }

    // The sweep: 120 requests at 60 per second from start to end.
    QList<double> sweep;
    const int steps = 120;
    qint64 next = pointer.clock.nsecsElapsed();
    for (int i = 0; i < steps; ++i) {
        pointer.request(player, end * i / (steps - 1), &sweep);
        next += qint64(1e9 / 60);
        pointer.waitUntil(next);
    }
    pointer.settle();

    // Random places, one after another (a pointer entering the card anywhere).
    QList<double> randomSeeks;
    for (double t : randomTargets) {
        pointer.request(player, t, &randomSeeks);
        pointer.settle();
        bench::runFor(5);
    }

    // Back and forth over a second and a half (45 frames: a dozen pixels of a
    // card showing half a minute) at 120 requests a second, 1.5 frames apart:
    // faster than the frames can be decoded, so seeks coalesce.
    QList<double> coalesced;
    const double stretch = std::min(1.5, end);
    const double stretchStart = random.bounded(std::max(0.01, end - stretch));
    next = pointer.clock.nsecsElapsed();
    for (int pass = 0; pass < 4; ++pass) {
        for (int i = 0; i <= 30; ++i) {
            const double fraction = (pass % 2 == 0 ? i : 30 - i) / 30.0;
            pointer.request(player, stretchStart + fraction * stretch, &coalesced);
            next += qint64(1e9 / 120);
            pointer.waitUntil(next);
        }
    }
    pointer.settle();
    const int seeksPerformed = player->stats().seeksPerformed;

    // Re-entry: the pointer goes from card to card along a row of 12 (links
    // to the file), resting on a spot of each until its frame shows and a
    // tenth of a second more, then along the row again, four times: each
    // card is entered where the pointer was on it the time before.
    QTemporaryDir links;
    QStringList cards;
    QList<double> spots;
    for (int i = 0; i < 12; ++i) {
        cards << links.filePath(QStringLiteral("card%1.%2").arg(i).arg(QFileInfo(path).suffix()));
        QFile::link(path, cards.last());
        spots << random.bounded(end);
    }
    QList<double> reentry;
    for (int cycle = 0; cycle < 4; ++cycle) {
        for (int c = 0; c < cards.size(); ++c) {
            const auto card = pool.player(cards[c]);
            card->setTargetSize(size);
            pointer.request(card, spots[c], cycle > 0 ? &reentry : nullptr);
            pointer.settle();
            bench::runFor(100);
        }
    }
    pointer.settle();
    if (qEnvironmentVariableIsSet("TRIAGON_BENCH_TRACE")) {
        std::fprintf(stderr, "re-entry:");
        for (double ms : reentry)
            std::fprintf(stderr, " %.0f", ms);
        std::fprintf(stderr, "\nsweep:");
        for (double ms : sweep)
            std::fprintf(stderr, " %.0f", ms);
        std::fprintf(stderr, "\n");
    }

    const double freshP95 = bench::percentile(fresh, 95);
    const double randomP95 = bench::percentile(randomSeeks, 95);
    bench::print("file", QFileInfo(path).fileName());
    bench::print("frame_size", QStringLiteral("%1x%2").arg(size.width()).arg(size.height()));
    bench::print("seeks_performed", seeksPerformed, 0);
    bench::print("frames_checked", pointer.checked, 0);
    bench::print("exact_misses", pointer.misses, 0);
    bench::print("fresh_seek_ms", bench::median(fresh));
    bench::print("fresh_seek_p95_ms", freshP95);
    bench::print("frames_end_s", reference.framesEnd(), 3);
    bench::print("stated_duration_s", duration, 3);
    bench::print("past_end_fresh_seek_ms", bench::median(pastEnd));
    bench::print("past_end_fresh_seek_p95_ms", bench::percentile(pastEnd, 95));
    bench::print("past_end_ratio_to_fresh", bench::median(fresh) > 0 ? bench::median(pastEnd) / bench::median(fresh) : 0, 3);
    bench::print("sweep_p50_ms", bench::median(sweep));
    bench::print("sweep_p95_ms", bench::percentile(sweep, 95));
    bench::print("coalesced_sweep_p50_ms", bench::median(coalesced));
    bench::print("coalesced_sweep_p95_ms", bench::percentile(coalesced, 95));
    bench::print("random_p50_ms", bench::median(randomSeeks));
    bench::print("random_p95_ms", randomP95);
    bench::print("random_ratio_to_fresh_p95", freshP95 > 0 ? randomP95 / freshP95 : 0, 3);
    bench::print("reentry_p50_ms", bench::median(reentry));
    bench::print("reentry_p95_ms", bench::percentile(reentry, 95));
    bench::print("reentry_ratio_to_fresh_p95", freshP95 > 0 ? bench::percentile(reentry, 95) / freshP95 : 0, 3);

    // 24 pooled players of 1080p clips (links to the file, one per card).
    pool.purgePlayers();
    bench::runFor(300);
    std::vector<std::shared_ptr<VideoPlayer>> players;
    const double before = bench::residentMb();
    double peak = before;
    for (int i = 0; i < 24; ++i) {
        const QString link = links.filePath(QStringLiteral("pooled%1.%2").arg(i).arg(QFileInfo(path).suffix()));
        QFile::link(path, link);
        auto p = pool.player(link);
        p->setTargetSize(size);
        bool done = false;
        pool.seek(p, random.bounded(end), [&] { done = true; });
        waitFor([&] { return done; });
        players.push_back(p);
        peak = std::max(peak, bench::residentMb());
    }
    bench::runFor(300);
    peak = std::max(peak, bench::residentMb());
    bench::print("pool24_open_decoders", PooledDecoderBudget::instance().openCount(), 0);
    bench::print("pool24_rss_mb", peak, 1);
    bench::print("pool24_growth_mb", peak - before, 1);
    bench::print("load_average_end", loadAverage());
    players.clear();
    pool.purgePlayers();
    return pointer.misses == 0 ? 0 : 1;
}

const BenchCommand command("scrub", "FILE [WIDTHxHEIGHT]", scrub);

} // namespace
