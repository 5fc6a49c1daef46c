// triagon-bench poster FILE...: a cold poster (nothing cached) at a quarter
// of each file's duration, 480x270, against a bare FFmpeg exact-frame decode
// and scale of the same frame.
#include "Bench.h"

#include "media/FFmpegVideoDecoder.h"
#include "media/MediaProbe.h"
#include "media/ThumbnailGenerator.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

#include <QElapsedTimer>
#include <QFuture>

#include <cstdio>
#include <vector>

namespace {

constexpr int rounds = 9;
const QSize posterSize(480, 270);

// The shortest honest way to the frame at `seconds` with FFmpeg alone.
bool bareExactFrame(const QString &path, double seconds)
{
    AVFormatContext *format = nullptr;
    if (avformat_open_input(&format, path.toUtf8().constData(), nullptr, nullptr) < 0)
        return false;
    bool ok = false;
    AVCodecContext *codec = nullptr;
    AVPacket *packet = av_packet_alloc();
    AVFrame *frame = av_frame_alloc();
    SwsContext *scaler = nullptr;
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
        codec->thread_count = FFmpegVideoDecoder::oneOffThreadCount();
        if (avcodec_open2(codec, decoder, nullptr) < 0)
            break;
        const int64_t target = av_rescale_q(int64_t(seconds * AV_TIME_BASE), AV_TIME_BASE_Q, stream->time_base);
        av_seek_frame(format, index, target, AVSEEK_FLAG_BACKWARD);
        bool found = false;
        while (!found && av_read_frame(format, packet) >= 0) {
            if (packet->stream_index == index && avcodec_send_packet(codec, packet) >= 0) {
                while (avcodec_receive_frame(codec, frame) >= 0) {
                    if (frame->best_effort_timestamp >= target) {
                        found = true;
                        break;
                    }
                }
            }
            av_packet_unref(packet);
        }
        if (!found)
            break;
        scaler = sws_getContext(frame->width, frame->height, AVPixelFormat(frame->format), posterSize.width(), posterSize.height(),
                                AV_PIX_FMT_BGRA, SWS_AREA, nullptr, nullptr, nullptr);
        std::vector<uint8_t> pixels(size_t(posterSize.width()) * posterSize.height() * 4);
        uint8_t *planes[4] = {pixels.data(), nullptr, nullptr, nullptr};
        int strides[4] = {posterSize.width() * 4, 0, 0, 0};
        ok = sws_scale(scaler, frame->data, frame->linesize, 0, frame->height, planes, strides) > 0;
    } while (false);
    sws_freeContext(scaler);
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&codec);
    avformat_close_input(&format);
    return ok;
}

bool generatorPoster(const QString &path, double seconds)
{
    ThumbnailGenerator generator; // new each time: nothing cached
    QFuture<QImage> future = generator.thumbnail(path, seconds, posterSize);
    future.waitForFinished();
    return !future.result().isNull();
}

// Bare and generator decodes alternate file by file, so that both meet the
// same machine load; each figure is the median over all rounds and files.
void measure(const QStringList &files, const QList<double> &times, double *bare, double *poster, int *failures)
{
    for (qsizetype i = 0; i < files.size(); ++i) { // warm-up
        bareExactFrame(files[i], times[i]);
        generatorPoster(files[i], times[i]);
    }
    QList<double> bareTimes;
    QList<double> posterTimes;
    QElapsedTimer timer;
    for (int round = 0; round < rounds; ++round) {
        for (qsizetype i = 0; i < files.size(); ++i) {
            timer.start();
            if (!bareExactFrame(files[i], times[i]))
                ++*failures;
            bareTimes.append(timer.nsecsElapsed() / 1e6);
            timer.start();
            if (!generatorPoster(files[i], times[i]))
                ++*failures;
            posterTimes.append(timer.nsecsElapsed() / 1e6);
        }
    }
    *bare = bench::median(bareTimes);
    *poster = bench::median(posterTimes);
}

int run(const QStringList &files)
{
    if (files.isEmpty()) {
        std::fprintf(stderr, "usage: triagon-bench poster FILE...\n");
        return 2;
    }
    av_log_set_level(AV_LOG_FATAL);
    QList<double> times;
    for (const QString &file : files)
        times.append(0.25 * MediaProbe::probeClip(file).duration);
    int failures = 0;
    double bare = 0;
    double poster = 0;
    measure(files, times, &bare, &poster, &failures);
    bench::print("files", files.size(), 0);
    bench::print("failures", failures, 0);
    bench::print("bare_poster_ms_per_file", bare, 3);
    bench::print("poster_ratio_to_bare", bare > 0 ? poster / bare : 0, 3);
    bench::print("poster_ms_per_file", poster, 3);
    return failures == 0 ? 0 : 1;
}

const BenchCommand command("poster", "FILE...   cold 480x270 poster at 25 % per file (median), with the bare FFmpeg figure", run);

} // namespace
