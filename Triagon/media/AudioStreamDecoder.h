#pragma once

#include "media/FFmpegAudioDecoder.h"
#include "media/FFmpegFormat.h"
#include "media/FFmpegPointers.h"
#include "media/FFmpegResampler.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <functional>

// Reads the first sound track of a file as interleaved PCM in a chosen
// format, from any time on: the snippet engine cuts windows out of long clips
// with it, the player feeds its sound from it and the peak cache streams a
// whole track through it. Not thread-safe; one instance per thread.
class AudioStreamDecoder
{
public:
    enum class OpenResult {
        Opened,
        NoAudio, // the file opened but has no sound track
        Failed,  // the file or its sound could not be read (errorText says why)
    };

    AudioStreamDecoder();
    ~AudioStreamDecoder();
    AudioStreamDecoder(const AudioStreamDecoder &) = delete;
    AudioStreamDecoder &operator=(const AudioStreamDecoder &) = delete;

    // Channel mapping: Direct (missing channels repeat channel 0) or MeanToMono.
    OpenResult open(const QString &path, const FFmpegAudioFormat &format);
    OpenResult open(const QString &path, int sampleRate, int channels);
    bool isOpen() const { return bool(m_codec); }
    void close();

    const FFmpegAudioFormat &format() const { return m_format; }
    QString errorText() const { return m_error; }
    // Where the sound track ends on the clip's clock (else the clip's
    // duration); 0 when unknown.
    double durationSeconds() const;
    // The clip's duration (of its video, where it has one).
    double clipDurationSeconds() const { return m_file.durationSeconds(); }

    // The next read starts at `seconds` on the clip's clock (FFmpegFormat),
    // to the sample: sound before the first picture is left out, and a track
    // that starts later than that time begins with silence up to its start.
    bool seek(double seconds);
    // Appends up to `maxFrames` frames to `out`; returns the frames appended,
    // 0 at the end of the track or on a failure (failed() tells which).
    qint64 read(QByteArray &out, qint64 maxFrames, const std::atomic_bool *cancel = nullptr);
    // Streams the rest of the track through `sink` (interleaved samples,
    // frame count); the sink returns false to stop. True when the track was
    // read to its end.
    bool readAll(const std::function<bool(const void *samples, qint64 frames)> &sink, const std::atomic_bool *cancel = nullptr);

    bool atEnd() const { return m_atEnd && m_pending.isEmpty() && m_silentFrames == 0; }
    bool failed() const { return m_failed; }

private:
    bool decodeMore(const std::atomic_bool *cancel);
    // Converts a decoded frame into m_pending, first noting what a seek cuts
    // off or puts before it. False with m_error.
    bool pushFrame(const AVFrame *frame);
    // The resampler's output: drops what a seek skips, keeps the rest.
    bool appendConverted(const uint8_t *samples, int frames);

    FFmpegFormat m_file;
    FFmpegCodecContextPtr m_codec;
    FFmpegPacketPtr m_packet;
    FFmpegFramePtr m_frame;
    FFmpegResampler m_resampler;
    FFmpegAudioFormat m_format;
    QString m_error;
    QByteArray m_pending;      // converted frames not yet read
    qint64 m_skipFrames = 0;   // output frames still to drop after a seek
    qint64 m_silentFrames = 0; // frames of silence due before m_pending after a seek
    double m_seekTarget = -1;  // waiting for the first frame after a seek
    bool m_atEnd = false;
    bool m_draining = false;
    bool m_failed = false;
};
