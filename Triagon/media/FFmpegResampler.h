#pragma once

#include "media/FFmpegAudioDecoder.h"
#include "media/FFmpegPointers.h"

#include <QString>

#include <cstdint>
#include <functional>
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

    // Takes converted samples (interleaved, in the output format); returns
    // false to stop.
    using Output = std::function<bool(const uint8_t *samples, int frames)>;
    // Converts a decoded frame into `out`. A frame whose input differs from
    // the current set-up (rate, sample type, layout) first has what the old
    // set-up still holds handed out, then a new set-up made for it. False on
    // a failure (*error) or when `out` asked to stop.
    bool push(const AVFrame *frame, const Output &out, QString *error);
    // Hands out what swresample still holds (nothing before a set-up). False
    // on a failure (*error) or when `out` asked to stop.
    bool flush(const Output &out, QString *error);

private:
    // True when the current set-up converts frames like this one.
    bool matches(const AVFrame *frame) const;
    // Sets up for the input of this frame (a layout the frame does not name
    // is taken as the default one for its channel count). False with *error.
    bool setUp(const AVFrame *frame, QString *error);
    // Converts input frames (none flushes what swresample still holds) into
    // `out`. swresample keeps what did not fit into one call, so a flush is
    // repeated until nothing is left.
    bool convert(const uint8_t **input, int inputFrames, const Output &out, QString *error);

    FFmpegAudioFormat m_format;
    FFmpegSwrContextPtr m_context;
    AVChannelLayout m_inputLayout{};
    int m_inputRate = 0;
    int m_inputFormat = -1;
    std::vector<uint8_t> m_buffer;
};
