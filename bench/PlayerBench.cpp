// triagon-bench player FILE: the full player's engine (our VideoPlayer as the
// full player opens it, driven by its J/K/L shuttle) on one file: how soon
// the first frame shows, frames dropped over ten seconds of playback at 1x
// (the video follows the sound's clock, or the wall clock without an audio
// device), frames shown per second at 8x, reverse steps per second at 1x,
// 2x, 4x and 8x against what a bare FFmpeg decoder allows at each, and the
// latency of single frame steps against an exact seek to a new place.
#include "Bench.h"

#include "media/FFmpegVideoDecoder.h"
#include "media/ShuttleController.h"
#include "media/VideoPlayer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QAudioDevice>
#include <QMediaDevices>
#include <QRandomGenerator>
#include <QSet>
#include <QThread>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <memory>

namespace {

// The video area of the full player at its widest (1000 points, 16:9);
// another size may be given.
QSize shownSize(1000, 562);

bool waitFor(const std::function<bool()> &condition, int ms = 60000)
{
    return bench::pollFor(condition, ms);
}

std::shared_ptr<VideoPlayer> openPlayer(const QString &path)
{
    auto player = std::make_shared<VideoPlayer>(path, VideoPlayer::Options::fullPlayer());
    player->setTargetSize(shownSize);
    player->pause();
    return player;
}

bool seekAndWait(VideoPlayer &player, double seconds, double tolerance = 0)
{
    bool done = false;
    player.seek(
        seconds, [&](bool) { done = true; }, tolerance, tolerance);
    return waitFor([&] { return done; });
}

// Counts the distinct frames shown while it lives.
struct FrameCounter
{
    QSet<qint64> times; // frame times in microseconds
    // Each new frame's time and when it came (ms after the counter started).
    QList<QPair<double, qint64>> arrivals;
    QElapsedTimer since;
    QMetaObject::Connection connection;
    explicit FrameCounter(VideoPlayer *player)
    {
        since.start();
        connection = QObject::connect(player, &VideoPlayer::frameReady, player, [this, player] {
            if (player->currentFrame().isNull())
                return;
            const qint64 time = std::llround(player->currentFrameTime() * 1e6);
            if (!times.contains(time))
                arrivals.append({since.nsecsElapsed() / 1e6, time});
            times.insert(time);
        });
    }
    ~FrameCounter() { QObject::disconnect(connection); }
    int count() const { return static_cast<int>(times.size()); }
};

// Frames per second that a bare FFmpeg decoder (every processor, its own
// choice of threads) gives decoding the clip in order from 1 s on: what one
// decode allows going backwards, where every frame of a stretch must be
// decoded (an all-intra stream decodes only the frames shown).
double bareDecodeFps(const QString &path)
{
    AVFormatContext *format = nullptr;
    if (avformat_open_input(&format, path.toUtf8().constData(), nullptr, nullptr) < 0)
        return 0;
    double fps = 0;
    AVCodecContext *codec = nullptr;
    AVPacket *packet = av_packet_alloc();
    AVFrame *frame = av_frame_alloc();
    do {
        if (avformat_find_stream_info(format, nullptr) < 0)
            break;
        const int index = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
        if (index < 0)
            break;
        AVStream *stream = format->streams[index];
        const AVCodec *decoder = avcodec_find_decoder(stream->codecpar->codec_id);
        codec = avcodec_alloc_context3(decoder);
        avcodec_parameters_to_context(codec, stream->codecpar);
        codec->thread_count = std::max(1, QThread::idealThreadCount());
        if (avcodec_open2(codec, decoder, nullptr) < 0)
            break;
        for (unsigned i = 0; i < format->nb_streams; ++i)
            format->streams[i]->discard = int(i) == index ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
        // Timed from the first frame on, so that opening the decoder does not count.
        constexpr int frames = 90;
        int decoded = 0;
        QElapsedTimer timer;
        const auto receive = [&] {
            while (avcodec_receive_frame(codec, frame) >= 0) {
                if (decoded++ == 0)
                    timer.start();
            }
        };
        bool more = true;
        while (decoded <= frames && (more = av_read_frame(format, packet) >= 0)) {
            if (packet->stream_index == index && avcodec_send_packet(codec, packet) >= 0)
                receive();
            av_packet_unref(packet);
        }
        // A clip shorter than the decoder's threads gives its frames only when drained.
        if (!more && avcodec_send_packet(codec, nullptr) >= 0)
            receive();
        if (decoded > 1)
            fps = (decoded - 1) / (timer.nsecsElapsed() / 1e9);
    } while (false);
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&codec);
    avformat_close_input(&format);
    return fps;
}

// Processor time used by the whole process so far (every thread).
double processCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

int player(const QStringList &arguments)
{
    if (arguments.isEmpty()) {
        std::fprintf(stderr, "usage: triagon-bench player FILE [WIDTHxHEIGHT]\n");
        return 2;
    }
    if (arguments.size() > 1) {
        const QStringList parts = arguments[1].split(QLatin1Char('x'));
        if (parts.size() == 2 && parts[0].toInt() > 0 && parts[1].toInt() > 0)
            shownSize = QSize(parts[0].toInt(), parts[1].toInt());
    }
    const QString path = QFileInfo(arguments.first()).absoluteFilePath();
    if (!QFileInfo::exists(path)) {
        std::fprintf(stderr, "no such file: %s\n", qUtf8Printable(path));
        return 1;
    }

    const bool reverseOnly = qEnvironmentVariableIsSet("TRIAGON_BENCH_REVERSE_ONLY");
    // Opening: from the player's creation to its first frame, five times.
    QList<double> opens;
    for (int i = 0; i < (reverseOnly ? 1 : 5); ++i) {
        QElapsedTimer timer;
        timer.start();
        auto p = openPlayer(path);
        if (!waitFor([&] { return p->isReadyForDisplay() || !p->errorText().isEmpty(); }) || !p->isReadyForDisplay()) {
            const QString why = p->errorText().isEmpty() ? QStringLiteral("no picture within a minute") : p->errorText();
            std::fprintf(stderr, "cannot play %s: %s\n", qUtf8Printable(path), qUtf8Printable(why));
            return 1;
        }
        opens << timer.nsecsElapsed() / 1e6;
    }

    auto p = openPlayer(path);
    waitFor([&] { return p->isReadyForDisplay() && p->duration() > 0; });
    const double duration = p->duration();
    const double fps = p->frameRate() > 0 ? p->frameRate() : 30.0;
    ShuttleController shuttle;
    shuttle.attach(p, duration, fps);

    // 1x: ten seconds (or what the clip has) of playback from the start.
    const double playSeconds = std::min(10.0, std::max(0.0, duration - 0.5));
    int shown1x = 0;
    double mediaStart = 0;
    double mediaEnd = 0;
    if (!reverseOnly) {
        FrameCounter counter(p.get());
        mediaStart = p->currentFrameTime();
        shuttle.shuttleForward();
        bench::runFor(static_cast<int>(playSeconds * 1000));
        shuttle.shuttleStop();
        mediaEnd = p->currentFrameTime();
        shown1x = counter.count();
    }
    // Frames whose time lies after the first one and up to the last one shown.
    const int expected1x = static_cast<int>(std::lround((mediaEnd - mediaStart) * fps));
    const int dropped1x = std::max(0, expected1x - shown1x);

    // 8x: forward from the start, four presses of L.
    seekAndWait(*p, 0);
    double shown8xFps = 0;
    if (!reverseOnly) {
        FrameCounter counter(p.get());
        for (int i = 0; i < 4; ++i)
            shuttle.shuttleForward();
        const int ms = static_cast<int>(std::min(2000.0, std::max(250.0, (duration - 0.5) / 8 * 1000)));
        QElapsedTimer timer;
        timer.start();
        bench::runFor(ms);
        shown8xFps = counter.count() / (timer.nsecsElapsed() / 1e9);
        shuttle.shuttleStop();
    }

    // Reverse (J, pressed once to four times for 1x to 8x): steps shown per
    // second over three seconds (less where the clip runs out first),
    // started right after an exact seek; at the higher speeds from further on.
    double reverseStepsPerSecond[4] = {0, 0, 0, 0};
    double reverseCpuMsPerStep[4] = {0, 0, 0, 0};
    for (int speed = 0; speed < 4; ++speed) {
        double reverseFrom = speed == 0 ? std::min(duration - 0.2, std::max(3.5, duration * 0.6))
                                        : std::min(duration - 0.2, 3.0 * (1 << speed) + 0.5);
        // TRIAGON_BENCH_REVERSE_FROM=SECONDS: the 1x reverse from there
        // (through a stretch of damaged keyframes, say).
        if (const double from = qEnvironmentVariable("TRIAGON_BENCH_REVERSE_FROM").toDouble(); speed == 0 && from > 0)
            reverseFrom = std::min(duration - 0.2, from);
        // Three seconds, or as long as the clip lasts at that speed.
        const int ms = static_cast<int>(std::min(3000.0, (reverseFrom - 0.5) / (1 << speed) * 1000));
        if (ms < 1000)
            break; // too short a clip for this speed
        seekAndWait(*p, reverseFrom);
        FrameCounter counter(p.get());
        for (int press = 0; press <= speed; ++press)
            shuttle.shuttleReverse();
        QElapsedTimer timer;
        timer.start();
        const double cpuBefore = processCpuMs();
        bench::runFor(ms);
        reverseStepsPerSecond[speed] = counter.count() / (timer.nsecsElapsed() / 1e9);
        reverseCpuMsPerStep[speed] = (processCpuMs() - cpuBefore) / std::max(1, counter.count());
        shuttle.shuttleStop();
        if (qEnvironmentVariableIsSet("TRIAGON_BENCH_TRACE")) {
            // Each frame as it came: milliseconds after the first press, then its time.
            std::fprintf(stderr, "reverse %dx:", 1 << speed);
            for (const auto &[ms, time] : std::as_const(counter.arrivals))
                std::fprintf(stderr, " %.0f:%.3f", ms, time / 1e6);
            std::fprintf(stderr, "\n");
        }
    }

    // Frame steps: one at a time from places spread over the clip, each timed
    // until its frame is on show.
    QRandomGenerator random(20240501);
    auto stepTimes = [&](int direction) {
        QList<double> times;
        for (int place = 0; place < 8; ++place) {
            seekAndWait(*p, 1.0 + random.bounded(std::max(0.1, duration - 2.0)));
            for (int i = 0; i < 6; ++i) {
                const double before = p->currentFrameTime();
                QElapsedTimer timer;
                timer.start();
                p->stepByFrames(direction);
                if (!waitFor([&] { return p->currentFrameTime() != before; }, 10000))
                    break;
                times << timer.nsecsElapsed() / 1e6;
            }
        }
        return times;
    };
    if (reverseOnly) {
        for (int speed = 0; speed < 4; ++speed)
            std::printf("reverse_%dx=%.1f cpu_ms_per_step=%.1f\n", 1 << speed, reverseStepsPerSecond[speed], reverseCpuMsPerStep[speed]);
        std::printf("bare_decode_fps=%.1f\n", bareDecodeFps(path));
        return 0;
    }
    const QList<double> stepsBack = stepTimes(-1);
    const QList<double> stepsForward = stepTimes(1);

    // An exact seek to a new place in the same player, and one made by a
    // freshly opened decoder, for comparison.
    QList<double> exactSeeks;
    for (int i = 0; i < 24; ++i) {
        const double t = random.bounded(std::max(0.1, duration - 0.1));
        QElapsedTimer timer;
        timer.start();
        seekAndWait(*p, t);
        exactSeeks << timer.nsecsElapsed() / 1e6;
    }
    QList<double> freshSeeks;
    for (int i = 0; i < 12; ++i) {
        FFmpegVideoDecoder decoder;
        QElapsedTimer timer;
        timer.start();
        decoder.open(path, FFmpegVideoDecoder::oneOffThreadCount());
        decoder.seekExact(random.bounded(std::max(0.1, duration - 0.1)));
        decoder.frameImage(shownSize);
        freshSeeks << timer.nsecsElapsed() / 1e6;
    }
    const double bareFps = bareDecodeFps(path);
    bool intraOnly = false;
    {
        FFmpegVideoDecoder probe;
        intraOnly = probe.open(path, 1) && probe.isIntraOnly();
    }
    // The player as it stands after all that: its frames, its decoder and
    // the reader that read ahead of it.
    const double playerRss = bench::residentMb();
    shuttle.detach();

    bench::print("file", QFileInfo(path).fileName());
    bench::print("frame_size", QStringLiteral("%1x%2").arg(shownSize.width()).arg(shownSize.height()));
    bench::print("video", QStringLiteral("%1x%2 %3fps %4s")
                              .arg(p->displaySize().width())
                              .arg(p->displaySize().height())
                              .arg(fps, 0, 'f', 2)
                              .arg(duration, 0, 'f', 1));
    bench::print("audio_output",
                 QMediaDevices::audioOutputs().isEmpty() ? QStringLiteral("none (wall clock)") : QStringLiteral("device (sound clock)"));
    bench::print("open_to_first_frame_ms", bench::median(opens));
    bench::print("play_1x_seconds", mediaEnd - mediaStart);
    bench::print("play_1x_shown_frames", shown1x, 0);
    bench::print("play_1x_dropped_frames", dropped1x, 0);
    bench::print("forward_8x_shown_fps", shown8xFps, 1);
    bench::print("reverse_steps_per_s", reverseStepsPerSecond[0], 1);
    for (int speed = 1; speed < 4; ++speed) {
        if (reverseStepsPerSecond[speed] > 0)
            bench::print(qPrintable(QStringLiteral("reverse_%1x_steps_per_s").arg(1 << speed)), reverseStepsPerSecond[speed], 1);
    }
    // What a bare decoder allows going backwards at each speed: 30 steps a
    // second at most, and no more than the clip has frames for (a 25 fps
    // clip at 1x shows 25 a second); a long-GOP stream decodes every frame
    // it passes (the speed's worth per step), an all-intra one one frame per step.
    bench::print("bare_decode_fps", bareFps, 1);
    bench::print("intra_only", intraOnly ? 1 : 0, 0);
    for (int speed = 0; speed < 4; ++speed) {
        const double allowed = std::min({30.0, fps * (1 << speed), bareFps / (intraOnly ? 1 : (1 << speed))});
        const QString suffix = speed == 0 ? QString() : QStringLiteral("_%1x").arg(1 << speed);
        bench::print(qPrintable(QStringLiteral("bare_reverse%1_steps_per_s_allowed").arg(suffix)), allowed, 1);
        if (reverseStepsPerSecond[speed] > 0)
            bench::print(qPrintable(QStringLiteral("reverse%1_ratio_to_allowed").arg(suffix)),
                         allowed > 0 ? reverseStepsPerSecond[speed] / allowed : 0, 3);
    }
    bench::print("frame_step_forward_p95_ms", bench::percentile(stepsForward, 95));
    bench::print("frame_step_back_p50_ms", bench::median(stepsBack));
    bench::print("exact_seek_p95_ms", bench::percentile(exactSeeks, 95));
    bench::print("fresh_decoder_seek_p95_ms", bench::percentile(freshSeeks, 95));
    bench::print("frame_step_p95_ms", bench::percentile(stepsBack, 95));
    bench::print("rss_with_player_mb", playerRss, 1);
    p->close();
    return 0;
}

const BenchCommand command("player", "FILE [WIDTHxHEIGHT]", player);

} // namespace
