#pragma once

#include "media/FFmpegAudioDecoder.h"
#include "media/FFmpegPointers.h"

#include <QString>

#include <cstdint>
#include <vector>

// A swresample context that turns decoded frames into the requested PCM,
// with the channel mapping built by hand (swresample's own matrices
// attenuate). It is set up for the input of the frames it is given and set
// up anew when a stream changes its rate, sample type or channel layout
// midway. Not thread-safe.
class FFmpegResampler
{
public:
    explicit FFmpegResampler(const FFmpegAudioFormat &format = {});
    ~FFmpegResampler();
    FFmpegResampler(const FFmpegResampler &) = delete;
    FFmpegResampler &operator=(const FFmpegResampler &) = delete;

    // The output format; setting it drops the current set-up.
    void setFormat(const FFmpegAudioFormat &format);
    // Drops the set-up with whatever it still buffers.
    void reset();

    bool isSetUp() const { return bool(m_context); }
    // True when the current set-up converts frames like this one.
    bool matches(const AVFrame *frame) const;
    // Sets up for the input of this frame (a layout the frame does not name
    // is taken as the default one for its channel count). False with *error.
    bool setUp(const AVFrame *frame, QString *error);

    // Converts input frames (none flushes what swresample still holds) into
    // output(); returns the output frame count, 0 when there is none, or a
    // negative FFmpeg error. swresample keeps what did not fit, so a flush
    // is repeated until it returns 0.
    int convert(const uint8_t **input, int inputFrames);
    const uint8_t *output() const { return m_buffer.data(); }

private:
    FFmpegAudioFormat m_format;
    FFmpegSwrContextPtr m_context;
    AVChannelLayout m_inputLayout{};
    int m_inputRate = 0;
    int m_inputFormat = -1;
    std::vector<uint8_t> m_buffer;
};
