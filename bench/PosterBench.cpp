// triagon-bench poster FILE|FOLDER...: posters at a quarter of each file's
// duration, 480x270, against a bare FFmpeg decode of the same frames (the
// frame the generator picks within its time tolerance):
//   - per file: a cold poster (a new generator, nothing kept) against one
//     bare decode of that frame with as many threads as the machine has
//     processors (median over rounds and files), and against the process of
//     a thumbnailer (ffmpegthumbnailer, when installed: a black box timed
//     from start to end, making a 480-pixel JPEG at 25 %);
//   - throughput: all files through the generator's four slots at once,
//     against four threads doing the bare decodes of the same frames, each
//     with a quarter of the processors.
#include "Bench.h"

#include "media/FFmpegVideoDecoder.h"
#include "media/MediaProbe.h"
#include "media/ThumbnailGenerator.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QFuture>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QThreadPool>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <vector>

namespace {

constexpr int rounds = 5;
const QSize posterSize(480, 270);

struct Target
{
    QString path;
    double seconds = 0;
    qint64 frame = 0; // the timestamp of the frame the generator shows
    // The time lies past the clip's last frame (a truncated file whose header
    // promises more): the generator answers with no poster, as the cards
    // show none there, after the same work.
    bool beyondClip = false;
};

QString loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("?");
    return QString::fromLatin1(file.readAll().split(' ').mid(0, 3).join(' '));
}

// The shortest honest way to one known frame with FFmpeg alone: open and
// read the file, seek to the keyframe before the frame, decode up to it,
// scale it. A container without an index (MPEG-TS) may land after the
// keyframe that holds the frame: then the seek goes a second further back,
// twice as far each time, and at last to the start.
bool bareDecode(const Target &target, int threads)
{
    AVFormatContext *format = nullptr;
    if (avformat_open_input(&format, target.path.toUtf8().constData(), nullptr, nullptr) < 0)
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
        codec->thread_count = threads;
        if (avcodec_open2(codec, decoder, nullptr) < 0)
            break;
        for (unsigned i = 0; i < format->nb_streams; ++i)
            format->streams[i]->discard = int(i) == index ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
        const qint64 second = av_rescale_q(1, AVRational{1, 1}, stream->time_base);
        const qint64 start = stream->start_time != AV_NOPTS_VALUE ? stream->start_time : 0;
        bool found = false;
        for (qint64 back = 0; !found; back = back == 0 ? second : back * 2) {
            const qint64 seekTo = std::max(start, target.frame - back);
            // The timestamp search of MPEG-TS and -PS (no index) can land
            // past their start: that is their first byte. A container that
            // cannot seek even there (Matroska without cues lands at its
            // end) is opened again, which starts it at its first packet.
            const bool searched = format->iformat->flags & AVFMT_TS_DISCONT;
            if (seekTo > start) {
                av_seek_frame(format, index, seekTo, AVSEEK_FLAG_BACKWARD);
            } else if (!(searched && av_seek_frame(format, -1, 0, AVSEEK_FLAG_BYTE) >= 0)
                       && av_seek_frame(format, index, seekTo, AVSEEK_FLAG_BACKWARD) < 0) {
                avformat_close_input(&format);
                if (avformat_open_input(&format, target.path.toUtf8().constData(), nullptr, nullptr) < 0
                    || avformat_find_stream_info(format, nullptr) < 0 || int(format->nb_streams) <= index)
                    break;
                for (unsigned i = 0; i < format->nb_streams; ++i)
                    format->streams[i]->discard = int(i) == index ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
            }
            avcodec_flush_buffers(codec);
            bool first = true;
            bool late = false;
            const auto receive = [&] {
                while (avcodec_receive_frame(codec, frame) >= 0) {
                    const qint64 shown = frame->best_effort_timestamp;
                    late = first && shown > target.frame && seekTo > start;
                    first = false;
                    if (late)
                        break;
                    if (shown >= target.frame) {
                        found = true;
                        break;
                    }
                }
            };
            bool more = true;
            while (!found && !late && (more = av_read_frame(format, packet) >= 0)) {
                if (packet->stream_index == index && avcodec_send_packet(codec, packet) >= 0)
                    receive();
                av_packet_unref(packet);
            }
            // At the end of the file the decoder still holds the frames its
            // threads work on (all of a clip shorter than their number).
            if (!more && !found && !late && avcodec_send_packet(codec, nullptr) >= 0)
                receive();
            // Found; or the end of the file read from its start. Else the
            // seek landed past the frame, or after the keyframe that holds it
            // (nothing decodable came): further back.
            if (found || seekTo <= start)
                break;
        }
        if (!found)
            break;
        const QSize fitted = FFmpegFrameConverter::fitSize(QSize(frame->width, frame->height), posterSize);
        scaler = sws_getContext(frame->width, frame->height, AVPixelFormat(frame->format), fitted.width(), fitted.height(), AV_PIX_FMT_BGRA,
                                SWS_AREA, nullptr, nullptr, nullptr);
        // Rows padded as swscale needs them: it writes whole blocks of pixels.
        std::vector<uint8_t> pixels(size_t(FFmpegFrameConverter::imageBytes(fitted)));
        uint8_t *planes[4] = {pixels.data(), nullptr, nullptr, nullptr};
        int strides[4] = {FFmpegFrameConverter::paddedStride(fitted.width()), 0, 0, 0};
        ok = sws_scale(scaler, frame->data, frame->linesize, 0, frame->height, planes, strides) > 0;
    } while (false);
    sws_freeContext(scaler);
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&codec);
    avformat_close_input(&format);
    return ok;
}

// The thumbnailer process (ffmpegthumbnailer, when installed) making a
// 480-pixel poster of the file at 25 % into a JPEG file: the wall time of
// the whole process. Negative when it is not installed or fails.
double thumbnailerMs(const QString &path, const QString &output)
{
    static const QString program = QStandardPaths::findExecutable(QStringLiteral("ffmpegthumbnailer"));
    if (program.isEmpty())
        return -1;
    QElapsedTimer timer;
    timer.start();
    QProcess process;
    process.start(program,
                  {QStringLiteral("-i"), path, QStringLiteral("-o"), output, QStringLiteral("-s"), QString::number(posterSize.width()),
                   QStringLiteral("-t"), QStringLiteral("25%"), QStringLiteral("-c"), QStringLiteral("jpeg")});
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return -1;
    return timer.nsecsElapsed() / 1e6;
}

QStringList expandFiles(const QStringList &arguments)
{
    QStringList files;
    for (const QString &argument : arguments) {
        const QFileInfo info(argument);
        if (info.isDir()) {
            const QDir dir(argument);
            for (const QString &name : dir.entryList(QDir::Files, QDir::Name))
                files << dir.absoluteFilePath(name);
        } else {
            files << info.absoluteFilePath();
        }
    }
    return files;
}

int run(const QStringList &arguments)
{
    const QStringList files = expandFiles(arguments);
    if (files.isEmpty()) {
        std::fprintf(stderr, "usage: triagon-bench poster FILE|FOLDER...\n");
        return 2;
    }
    av_log_set_level(AV_LOG_FATAL);
    bench::print("load_average_start", loadAverage());
    const int cores = std::max(1, QThread::idealThreadCount());

    // The frames the generator's tolerance picks.
    QList<Target> targets;
    for (const QString &file : files) {
        Target target{file, 0.25 * MediaProbe::probeClip(file).duration, 0};
        FFmpegVideoDecoder decoder;
        if (!decoder.open(file, 1)
            || !decoder.seekNear(target.seconds, ThumbnailGenerator::timeTolerance, ThumbnailGenerator::timeTolerance))
            continue;
        target.frame = decoder.frameTimestamp();
        target.beyondClip = decoder.frameTime() + decoder.frameDuration() + ThumbnailGenerator::timeTolerance < target.seconds;
        targets << target;
    }
    int failures = int(files.size() - targets.size());

    // Per file: cold posters and bare decodes alternate, so that both meet
    // the same machine load.
    QList<double> bareTimes;
    QList<double> posterTimes;
    QList<double> thumbnailerTimes;
    QTemporaryDir scratch;
    QElapsedTimer timer;
    for (int round = 0; round <= rounds; ++round) {
        for (const Target &target : std::as_const(targets)) {
            timer.start();
            if (!bareDecode(target, cores))
                ++failures;
            const double bare = timer.nsecsElapsed() / 1e6;
            timer.start();
            ThumbnailGenerator generator; // nothing kept
            QFuture<QImage> future = generator.thumbnail(target.path, target.seconds, posterSize);
            future.waitForFinished();
            if (future.result().isNull() != target.beyondClip)
                ++failures;
            const double poster = timer.nsecsElapsed() / 1e6;
            const double thumbnailer = thumbnailerMs(target.path, scratch.filePath(QStringLiteral("poster.jpg")));
            if (round > 0) { // round 0 warms the file cache
                bareTimes << bare;
                posterTimes << poster;
                if (thumbnailer >= 0)
                    thumbnailerTimes << thumbnailer;
            }
        }
    }

    // Throughput: every file at once through the four slots, against four
    // bare decoders in parallel; alternating, three times each.
    QList<double> generatorRates;
    QList<double> bareRates;
    for (int round = 0; round < 3; ++round) {
        timer.start();
        {
            ThumbnailGenerator generator;
            QList<QFuture<QImage>> futures;
            for (const Target &target : std::as_const(targets))
                futures << generator.thumbnail(target.path, target.seconds, posterSize);
            for (qsizetype i = 0; i < futures.size(); ++i) {
                futures[i].waitForFinished();
                if (futures[i].result().isNull() != targets[i].beyondClip)
                    ++failures;
            }
        }
        generatorRates << targets.size() / (timer.nsecsElapsed() / 1e9);
        timer.start();
        {
            QThreadPool pool;
            pool.setMaxThreadCount(ThumbnailGenerator::decodeSlots);
            std::atomic<int> bareFailures{0};
            const int threads = std::max(1, cores / ThumbnailGenerator::decodeSlots);
            for (const Target &target : std::as_const(targets)) {
                pool.start([target, threads, &bareFailures] {
                    if (!bareDecode(target, threads))
                        ++bareFailures;
                });
            }
            pool.waitForDone();
            failures += bareFailures.load();
        }
        bareRates << targets.size() / (timer.nsecsElapsed() / 1e9);
    }

    const double bare = bench::median(bareTimes);
    const double poster = bench::median(posterTimes);
    bench::print("files", files.size(), 0);
    bench::print("failures", failures, 0);
    bench::print("posters_beyond_clip",
                 int(std::count_if(targets.begin(), targets.end(), [](const Target &target) { return target.beyondClip; })), 0);
    bench::print("bare_poster_ms_per_file", bare, 3);
    bench::print("poster_ms_per_file", poster, 3);
    bench::print("poster_ratio_to_bare", bare > 0 ? poster / bare : 0, 3);
    if (thumbnailerTimes.isEmpty()) {
        bench::print("thumbnailer", QStringLiteral("absent (ffmpegthumbnailer is not installed)"));
    } else {
        const double thumbnailer = bench::median(thumbnailerTimes);
        bench::print("thumbnailer_process_ms_per_file", thumbnailer, 3);
        bench::print("poster_ratio_to_thumbnailer", thumbnailer > 0 ? poster / thumbnailer : 0, 3);
    }
    bench::print("bare_posters_per_s", bench::median(bareRates), 2);
    bench::print("posters_per_s", bench::median(generatorRates), 2);
    bench::print("posters_per_s_ratio_to_bare", bench::median(bareRates) > 0 ? bench::median(generatorRates) / bench::median(bareRates) : 0,
                 3);
    bench::print("load_average_end", loadAverage());
    return failures == 0 ? 0 : 1;
}

const BenchCommand command("poster",
                           "FILE|FOLDER...   480x270 posters at 25 %: per file and through the four slots, with the bare FFmpeg figures",
                           run);

} // namespace
