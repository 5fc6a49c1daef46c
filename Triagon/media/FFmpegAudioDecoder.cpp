#include "media/FFmpegAudioDecoder.h"

#include "media/FFmpegError.h"
#include "media/FFmpegFormat.h"
#include "media/FFmpegFrameReceive.h"
#include "media/FFmpegResampler.h"

bool FFmpegAudioDecoder::decode(const QString &path, const FFmpegAudioFormat &format, const Sink &sink, QString *error,
                                const std::atomic_bool *cancel, Report *report)
{
    Report ownReport;
    if (!report)
        report = &ownReport;
    *report = Report();
    if (!format.isSupported()) {
        if (error)
            *error = QStringLiteral("Unsupported audio format requested");
        return false;
    }
    FFmpegFormat file;
    if (!file.open(path, error))
        return false;
    AVStream *audio = file.audioStream();
    if (!audio) {
        report->noAudioStream = true;
        if (error)
            *error = QStringLiteral("The file has no audio stream");
        return false;
    }
    FFmpegCodecContextPtr context = file.openDecoder(audio, 1, error);
    if (!context)
        return false;

    FFmpegPacketPtr packet = makeFFmpegPacket();
    FFmpegFramePtr frame = makeFFmpegFrame();
    if (!packet || !frame) {
        if (error)
            *error = QStringLiteral("Out of memory");
        return false;
    }
    FFmpegResampler resampler(format);
    bool stopped = false;
    // Hands the converted samples to the sink; stopped when it asks to stop.
    const FFmpegResampler::Output deliver = [&](const uint8_t *samples, int frames) {
        report->deliveredFrames += frames;
        stopped = !sink(samples, frames);
        return !stopped;
    };
    bool draining = false;
    int decodeErrors = 0;
    // Where the decoded audio reached, in the stream's time base: a file cut
    // short ends its packets "normally" before the end its header declares.
    qint64 reachedEnd = AV_NOPTS_VALUE;
    // One count of errors for the whole decode; a packet the decoder takes forgives them.
    FFmpegReceiveOptions options;
    options.stop = [cancel] { return cancel && cancel->load(std::memory_order_relaxed); };
    while (true) {
        int ffmpegError = 0;
        const FFmpegReceiveResult received = receiveFrame(file, context.get(), packet.get(), file.audioStreamIndex(), frame.get(),
                                                          &draining, &decodeErrors, &ffmpegError, options);
        if (received == FFmpegReceiveResult::End)
            break;
        if (received == FFmpegReceiveResult::Stopped) {
            if (error)
                *error = QStringLiteral("Cancelled");
            return false;
        }
        if (received == FFmpegReceiveResult::Failed) {
            if (error)
                *error = ffmpegErrorText(QStringLiteral("Cannot decode the audio"), ffmpegError);
            return false;
        }
        const qint64 start = frame->best_effort_timestamp != AV_NOPTS_VALUE ? frame->best_effort_timestamp : frame->pts;
        if (start != AV_NOPTS_VALUE && frame->sample_rate > 0)
            reachedEnd = start + av_rescale_q(frame->nb_samples, AVRational{1, frame->sample_rate}, audio->time_base);
        const bool pushed = resampler.push(frame.get(), deliver, error);
        av_frame_unref(frame.get());
        if (!pushed) {
            if (stopped && error)
                *error = QStringLiteral("Stopped");
            return false;
        }
    }
    if (!resampler.flush(deliver, error)) {
        if (stopped && error)
            *error = QStringLiteral("Stopped");
        return false;
    }
    if (file.readError() != 0) {
        report->readError = ffmpegErrorText(QStringLiteral("Cannot read the file to its end"), file.readError());
    } else if (audio->duration > 0 && reachedEnd != AV_NOPTS_VALUE) {
        const qint64 declaredEnd = (audio->start_time != AV_NOPTS_VALUE ? audio->start_time : 0) + audio->duration;
        const qint64 slack = av_rescale_q(1, AVRational{1, 2}, audio->time_base); // half a second
        if (reachedEnd < declaredEnd - slack) {
            report->readError = QStringLiteral("the audio ends at %1 s of the %2 s the file declares")
                                    .arg(reachedEnd * av_q2d(audio->time_base), 0, 'f', 1)
                                    .arg(declaredEnd * av_q2d(audio->time_base), 0, 'f', 1);
        }
    }
    return true;
}

std::optional<FFmpegAudioBuffer> FFmpegAudioDecoder::decodeAll(const QString &path, const FFmpegAudioFormat &format, QString *error,
                                                               const std::atomic_bool *cancel)
{
    FFmpegAudioBuffer buffer;
    buffer.format = format;
    const int frameBytes = format.bytesPerFrame();
    const bool ok = decode(
        path, format,
        [&](const void *samples, int frames) {
            buffer.data.append(static_cast<const char *>(samples), qsizetype(frames) * frameBytes);
            return true;
        },
        error, cancel);
    if (!ok)
        return std::nullopt;
    if (buffer.data.isEmpty()) {
        if (error)
            *error = QStringLiteral("The audio track holds no samples");
        return std::nullopt;
    }
    return buffer;
}
