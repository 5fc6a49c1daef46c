#include "media/FFmpegResampler.h"

#include "media/FFmpegError.h"

extern "C" {
#include <libavutil/channel_layout.h>
}

#include <algorithm>

namespace {

// The frame's own layout, or the default one for its channel count when the
// frame does not name one.
void frameLayout(const AVFrame *frame, AVChannelLayout *layout)
{
    if (frame->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || frame->ch_layout.nb_channels <= 0)
        av_channel_layout_default(layout, std::max(1, frame->ch_layout.nb_channels));
    else if (av_channel_layout_copy(layout, &frame->ch_layout) < 0)
        av_channel_layout_default(layout, 2);
}

} // namespace

FFmpegResampler::FFmpegResampler(const FFmpegAudioFormat &format) : m_format(format)
{
}

FFmpegResampler::~FFmpegResampler()
{
    av_channel_layout_uninit(&m_inputLayout);
}

void FFmpegResampler::setFormat(const FFmpegAudioFormat &format)
{
    reset();
    m_format = format;
}

void FFmpegResampler::reset()
{
    m_context.reset();
    av_channel_layout_uninit(&m_inputLayout);
    m_inputRate = 0;
    m_inputFormat = -1;
}

bool FFmpegResampler::matches(const AVFrame *frame) const
{
    if (!m_context || frame->sample_rate != m_inputRate || frame->format != m_inputFormat)
        return false;
    AVChannelLayout layout{};
    frameLayout(frame, &layout);
    const bool same = av_channel_layout_compare(&layout, &m_inputLayout) == 0;
    av_channel_layout_uninit(&layout);
    return same;
}

bool FFmpegResampler::setUp(const AVFrame *frame, QString *error)
{
    reset();
    if (frame->sample_rate <= 0) {
        if (error)
            *error = QStringLiteral("The audio has no sample rate");
        return false;
    }
    AVChannelLayout input{};
    frameLayout(frame, &input);
    AVChannelLayout output{};
    av_channel_layout_default(&output, m_format.channels);
    const AVSampleFormat outputFormat = m_format.sampleType == FFmpegAudioFormat::SampleType::Float ? AV_SAMPLE_FMT_FLT : AV_SAMPLE_FMT_S16;
    SwrContext *raw = nullptr;
    // FFmpeg 5.1 takes the layouts as non-const pointers but only reads them.
    int result = swr_alloc_set_opts2(&raw, &output, outputFormat, m_format.sampleRate, &input, AVSampleFormat(frame->format),
                                     frame->sample_rate, 0, nullptr);
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
        av_channel_layout_uninit(&input);
        if (error)
            *error = ffmpegErrorText(QStringLiteral("Cannot set up the audio conversion"), result);
        return false;
    }
    m_context = std::move(context);
    av_channel_layout_copy(&m_inputLayout, &input);
    av_channel_layout_uninit(&input);
    m_inputRate = frame->sample_rate;
    m_inputFormat = frame->format;
    return true;
}

bool FFmpegResampler::push(const AVFrame *frame, const Output &out, QString *error)
{
    if (!matches(frame) && (!flush(out, error) || !setUp(frame, error)))
        return false;
    return convert(const_cast<const uint8_t **>(frame->extended_data), frame->nb_samples, out, error);
}

bool FFmpegResampler::flush(const Output &out, QString *error)
{
    return !m_context || convert(nullptr, 0, out, error);
}

bool FFmpegResampler::convert(const uint8_t **input, int inputFrames, const Output &out, QString *error)
{
    while (true) {
        int frames = swr_get_out_samples(m_context.get(), inputFrames);
        if (frames > 0) {
            m_buffer.resize(size_t(frames) * size_t(m_format.bytesPerFrame()));
            uint8_t *output[1] = {m_buffer.data()};
            // Only the count that swr_convert returns is valid output.
            frames = swr_convert(m_context.get(), output, frames, input, inputFrames);
        }
        if (frames < 0) {
            if (error)
                *error = ffmpegErrorText(QStringLiteral("Audio conversion failed"), frames);
            return false;
        }
        if (frames > 0 && !out(m_buffer.data(), frames))
            return false;
        if (input || frames == 0)
            return true; // swresample buffers what did not fit, or is flushed
    }
}
