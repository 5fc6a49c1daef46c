#pragma once

#include <QByteArray>
#include <QString>

#include <atomic>
#include <functional>
#include <optional>

// The PCM that a caller wants: rate, channel count, sample type and how the
// file's channels map onto the requested ones.
struct FFmpegAudioFormat
{
    enum class SampleType { Float, Int16 };
    enum class ChannelMapping {
        // Output channel c is input channel c, or input channel 0 when the
        // input has fewer channels (mono plays at full level on both sides).
        Direct,
        // A mono output is the mean of all input channels; outputs of two or
        // more channels map as Direct.
        MeanToMono,
        // swresample's own matrix (it attenuates: mono to stereo is -3 dB).
        Resampler,
    };

    int sampleRate = 44100;
    int channels = 2;
    SampleType sampleType = SampleType::Float;
    ChannelMapping mapping = ChannelMapping::Direct;

    int bytesPerSample() const { return sampleType == SampleType::Float ? 4 : 2; }
    int bytesPerFrame() const { return bytesPerSample() * channels; }
    // What the decoders can produce; asking for anything else is refused
    // with "Unsupported audio format requested".
    bool isSupported() const { return sampleRate > 0 && channels > 0 && channels <= 64; }
};

// Decoded audio: interleaved samples in `format`.
struct FFmpegAudioBuffer
{
    FFmpegAudioFormat format;
    QByteArray data;

    qint64 frameCount() const { return format.bytesPerFrame() > 0 ? data.size() / format.bytesPerFrame() : 0; }
    double durationSeconds() const { return format.sampleRate > 0 ? double(frameCount()) / format.sampleRate : 0; }
    const float *floatSamples() const { return reinterpret_cast<const float *>(data.constData()); }
    const qint16 *int16Samples() const { return reinterpret_cast<const qint16 *>(data.constData()); }
};

// Decodes the first audio stream of a file with swresample into the
// requested format. Safe to use from any thread (each call has its own
// FFmpeg state); nothing throws.
class FFmpegAudioDecoder
{
public:
    // Called with interleaved samples as they are decoded; return false to stop.
    using Sink = std::function<bool(const void *samples, int frames)>;

    // What a caller that tells the endings of a decode apart learns besides
    // its result.
    struct Report
    {
        bool noAudioStream = false; // the file was read but has no audio stream
        qint64 deliveredFrames = 0; // frames handed to the sink
        // Set when the audio ended early: the packets ended on a read error,
        // or well before the end that the stream's header declares (a
        // truncated or damaged file). The frames before it were delivered
        // and decode() still returns true.
        QString readError;
    };

    // Streams the whole audio track through sink. False when the file has no
    // audio stream, cannot be read, or `cancel` was set (*error tells which);
    // a damaged packet is skipped.
    static bool decode(const QString &path, const FFmpegAudioFormat &format, const Sink &sink, QString *error = nullptr,
                       const std::atomic_bool *cancel = nullptr, Report *report = nullptr);

    // The whole audio track in one buffer; none when decode() fails or no
    // sample was decoded.
    static std::optional<FFmpegAudioBuffer> decodeAll(const QString &path, const FFmpegAudioFormat &format, QString *error = nullptr,
                                                      const std::atomic_bool *cancel = nullptr);
};
