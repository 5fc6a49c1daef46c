#include "media/FFmpegAudioDecoder.h"

#include "media/FFmpegError.h"
#include "media/FFmpegFormat.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

#include <vector>

namespace {

constexpr int maxConsecutiveDecodeErrors = 500;

// One resampler set up for the input format of the frames it receives; set
// up anew when a stream changes its format midway.
class Resampler
{
public:
    Resampler(const FFmpegAudioFormat &format, const FFmpegAudioDecoder::Sink &sink)
        : m_format(format)
        , m_sink(sink)
    {
    }
    ~Resampler() { av_channel_layout_uninit(&m_inputLayout); }

    // False with *error on a failure, or when the sink asked to stop (*stopped).
    bool push(const AVFrame *frame, QString *error, bool *stopped)
    {
        AVChannelLayout layout{};
        if (frame->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || frame->ch_layout.nb_channels <= 0)
            av_channel_layout_default(&layout, std::max(1, frame->ch_layout.nb_channels));
        else if (av_channel_layout_copy(&layout, &frame->ch_layout) < 0)
            av_channel_layout_default(&layout, 2);
        const bool same = m_context && frame->sample_rate == m_inputRate && frame->format == m_inputFormat
                          && av_channel_layout_compare(&layout, &m_inputLayout) == 0;
        if (!same) {
            if (m_context && !flush(error, stopped)) {
                av_channel_layout_uninit(&layout);
                return false;
            }
            if (!setUp(layout, frame->sample_rate, AVSampleFormat(frame->format), error)) {
                av_channel_layout_uninit(&layout);
                return false;
            }
        }
        av_channel_layout_uninit(&layout);
        return convert(const_cast<const uint8_t **>(frame->extended_data), frame->nb_samples, error, stopped);
    }

    bool flush(QString *error, bool *stopped)
    {
        if (!m_context)
            return true;
        return convert(nullptr, 0, error, stopped);
    }

private:
    bool setUp(AVChannelLayout &input, int inputRate, AVSampleFormat inputFormat, QString *error)
    {
        m_context.reset();
        av_channel_layout_uninit(&m_inputLayout);
        if (inputRate <= 0) {
            if (error)
                *error = QStringLiteral("The audio has no sample rate");
            return false;
        }
        AVChannelLayout output{};
        av_channel_layout_default(&output, m_format.channels);
        SwrContext *raw = nullptr;
        const AVSampleFormat outputFormat = m_format.sampleType == FFmpegAudioFormat::SampleType::Float ? AV_SAMPLE_FMT_FLT : AV_SAMPLE_FMT_S16;
        // FFmpeg 5.1 takes the layouts as non-const pointers but only reads them.
        int result = swr_alloc_set_opts2(&raw, &output, outputFormat, m_format.sampleRate, &input, inputFormat, inputRate, 0, nullptr);
        av_channel_layout_uninit(&output);
        FFmpegSwrContextPtr context(raw);
        if (result >= 0 && m_format.mapping != FFmpegAudioFormat::ChannelMapping::Resampler) {
            const int in = input.nb_channels;
            const int out = m_format.channels;
            std::vector<double> matrix(size_t(in) * size_t(out), 0.0);
            for (int o = 0; o < out; ++o) {
                if (out == 1 && m_format.mapping == FFmpegAudioFormat::ChannelMapping::MeanToMono) {
                    for (int i = 0; i < in; ++i)
                        matrix[size_t(i)] = 1.0 / in;
                } else {
                    matrix[size_t(o) * size_t(in) + size_t(o < in ? o : 0)] = 1.0;
                }
            }
            result = swr_set_matrix(context.get(), matrix.data(), in);
        }
        if (result >= 0)
            result = swr_init(context.get());
        if (result < 0) {
            if (error)
                *error = ffmpegErrorText(QStringLiteral("Cannot set up the audio conversion"), result);
            return false;
        }
        m_context = std::move(context);
        av_channel_layout_copy(&m_inputLayout, &input);
        m_inputRate = inputRate;
        m_inputFormat = inputFormat;
        return true;
    }

    bool convert(const uint8_t **input, int inputFrames, QString *error, bool *stopped)
    {
        do {
            const int capacity = swr_get_out_samples(m_context.get(), inputFrames);
            if (capacity < 0) {
                if (error)
                    *error = ffmpegErrorText(QStringLiteral("Audio conversion failed"), capacity);
                return false;
            }
            if (capacity == 0)
                return true;
            m_buffer.resize(size_t(capacity) * size_t(m_format.bytesPerFrame()));
            uint8_t *output[1] = {m_buffer.data()};
            // Only the count that swr_convert returns is valid output.
            const int frames = swr_convert(m_context.get(), output, capacity, input, inputFrames);
            if (frames < 0) {
                if (error)
                    *error = ffmpegErrorText(QStringLiteral("Audio conversion failed"), frames);
                return false;
            }
            if (frames > 0 && !m_sink(m_buffer.data(), frames)) {
                *stopped = true;
                return false;
            }
            if (input)
                return true; // swresample buffers what did not fit
            if (frames == 0)
                return true; // flushed
        } while (true);
    }

    FFmpegAudioFormat m_format;
    const FFmpegAudioDecoder::Sink &m_sink;
    FFmpegSwrContextPtr m_context;
    AVChannelLayout m_inputLayout{};
    int m_inputRate = 0;
    int m_inputFormat = -1;
    std::vector<uint8_t> m_buffer;
};

} // namespace

bool FFmpegAudioDecoder::decode(const QString &path, const FFmpegAudioFormat &format, const Sink &sink, QString *error,
                                const std::atomic_bool *cancel)
{
    if (format.sampleRate <= 0 || format.channels <= 0 || format.channels > 64) {
        if (error)
            *error = QStringLiteral("Unsupported audio format requested");
        return false;
    }
    FFmpegFormat file;
    if (!file.open(path, error))
        return false;
    AVStream *audio = file.audioStream();
    if (!audio) {
        if (error)
            *error = QStringLiteral("The file has no audio stream");
        return false;
    }
    const AVCodec *codec = avcodec_find_decoder(audio->codecpar->codec_id);
    if (!codec) {
        if (error)
            *error = QStringLiteral("No decoder for the codec %1").arg(QString::fromUtf8(avcodec_get_name(audio->codecpar->codec_id)));
        return false;
    }
    FFmpegCodecContextPtr context(avcodec_alloc_context3(codec));
    int result = context ? avcodec_parameters_to_context(context.get(), audio->codecpar) : AVERROR(ENOMEM);
    if (result >= 0) {
        context->pkt_timebase = audio->time_base;
        result = avcodec_open2(context.get(), codec, nullptr);
    }
    if (result < 0) {
        if (error)
            *error = ffmpegErrorText(QStringLiteral("Cannot open the audio decoder"), result);
        return false;
    }
    for (unsigned i = 0; i < file.context()->nb_streams; ++i) {
        if (int(i) != file.audioStreamIndex())
            file.context()->streams[i]->discard = AVDISCARD_ALL;
    }

    FFmpegPacketPtr packet = makeFFmpegPacket();
    FFmpegFramePtr frame = makeFFmpegFrame();
    if (!packet || !frame) {
        if (error)
            *error = QStringLiteral("Out of memory");
        return false;
    }
    Resampler resampler(format, sink);
    bool stopped = false;
    bool draining = false;
    int decodeErrors = 0;
    auto cancelled = [&] {
        if (cancel && cancel->load(std::memory_order_relaxed)) {
            if (error)
                *error = QStringLiteral("Cancelled");
            return true;
        }
        return false;
    };
    while (true) {
        result = avcodec_receive_frame(context.get(), frame.get());
        if (result == 0) {
            const bool pushed = resampler.push(frame.get(), error, &stopped);
            av_frame_unref(frame.get());
            if (!pushed) {
                if (stopped && error)
                    *error = QStringLiteral("Stopped");
                return false;
            }
            continue;
        }
        if (result == AVERROR_EOF)
            break;
        if (result != AVERROR(EAGAIN)) {
            if (++decodeErrors > maxConsecutiveDecodeErrors) {
                if (error)
                    *error = ffmpegErrorText(QStringLiteral("Cannot decode the audio"), result);
                return false;
            }
            continue;
        }
        if (draining)
            break;
        if (cancelled())
            return false;
        result = av_read_frame(file.context(), packet.get());
        if (result == AVERROR(EAGAIN))
            continue;
        if (result < 0) {
            draining = true;
            avcodec_send_packet(context.get(), nullptr);
            continue;
        }
        if (packet->stream_index == file.audioStreamIndex()) {
            result = avcodec_send_packet(context.get(), packet.get());
            if (result < 0 && result != AVERROR(EAGAIN) && ++decodeErrors > maxConsecutiveDecodeErrors) {
                av_packet_unref(packet.get());
                if (error)
                    *error = ffmpegErrorText(QStringLiteral("Cannot decode the audio"), result);
                return false;
            }
            if (result >= 0)
                decodeErrors = 0;
        }
        av_packet_unref(packet.get());
    }
    if (!resampler.flush(error, &stopped)) {
        if (stopped && error)
            *error = QStringLiteral("Stopped");
        return false;
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
