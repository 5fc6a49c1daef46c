#pragma once

#include "media/FFmpegFormat.h"
#include "media/FFmpegFrameConverter.h"

#include <QImage>
#include <QSize>
#include <QString>

// Decodes the video stream of one file: frames in presentation order, exact
// seeks and conversion of the current frame to a QImage. Errors come back
// as text; nothing throws. Not thread-safe: one decoder per thread at a time
// (it may move between threads between calls).
class FFmpegVideoDecoder
{
public:
    // Decoder threads. Frame threads hold frames of their own, so decoders
    // kept open in large numbers (scrub players) use one thread each, while
    // a one-off decode (a poster, a frame analysis) may use several cores.
    static int pooledThreadCount();
    static int oneOffThreadCount();

    FFmpegVideoDecoder();
    ~FFmpegVideoDecoder();
    FFmpegVideoDecoder(const FFmpegVideoDecoder &) = delete;
    FFmpegVideoDecoder &operator=(const FFmpegVideoDecoder &) = delete;

    // Opens the file and the decoder of its first video stream. threadCount
    // 0 lets FFmpeg choose; see pooledThreadCount() and oneOffThreadCount().
    bool open(const QString &path, int threadCount, QString *error = nullptr);
    bool isOpen() const { return bool(m_codec); }
    void close();

    const FFmpegFormat &format() const { return m_format; }
    AVStream *stream() const { return m_format.videoStream(); }
    AVCodecContext *codecContext() const { return m_codec.get(); }

    double durationSeconds() const { return m_format.durationSeconds(); }
    double frameRate() const { return m_format.frameRate(); }
    // Length of one frame in seconds (1/30 when the rate is unknown).
    double frameDuration() const;
    int rotationDegrees() const { return m_rotation; }
    QSize displaySize() const { return m_format.displaySize(); }

    // Decodes the next frame in presentation order into frame(). False at
    // the end of the stream (atEnd()) or on a failure (*error says which).
    // Damaged packets are skipped, not reported.
    bool decodeNextFrame(QString *error = nullptr);

    // Lands on the frame shown at `seconds` (from the file's start): seeks to
    // the keyframe at or before it and decodes forward to the first frame
    // whose time is not before the target, where a frame starting less than
    // half a frame before the target counts as at it (times computed from
    // frame numbers then never skip a frame). A target a little ahead of the
    // current frame is reached by decoding on without a seek. Past the last
    // frame it keeps the last frame. False when no frame could be decoded.
    bool seekExact(double seconds, QString *error = nullptr);
    // Faster and coarse: the first frame decoded from the keyframe at or before `seconds`.
    bool seekKeyframe(double seconds, QString *error = nullptr);

    bool hasFrame() const { return m_hasFrame; }
    bool atEnd() const { return m_atEnd; }
    // The current frame (owned by the decoder, valid until the next decode or seek).
    const AVFrame *frame() const { return m_hasFrame ? m_frame.get() : nullptr; }
    // The current frame's time in seconds from the file's start.
    double frameTime() const;
    // Its timestamp in the stream's time base.
    qint64 frameTimestamp() const { return m_frameTimestamp; }

    // The current frame as an upright image fitted into maxSize (see FFmpegFrameConverter).
    QImage frameImage(QSize maxSize = {}, QString *error = nullptr);

private:
    // False with *error when no file is open.
    bool checkOpen(QString *error) const;
    bool seekTo(qint64 timestamp, QString *error);
    qint64 halfFrame() const;

    FFmpegFormat m_format;
    FFmpegCodecContextPtr m_codec;
    FFmpegPacketPtr m_packet;
    FFmpegFramePtr m_frame;
    FFmpegFramePtr m_received;
    FFmpegFrameConverter m_converter;
    int m_rotation = 0;
    bool m_hasFrame = false;
    bool m_atEnd = false;
    bool m_draining = false;
    qint64 m_frameTimestamp = AV_NOPTS_VALUE;
    // Where decoding stands without a current frame: right after opening it
    // is the start of the stream; after a seek it is unknown (AV_NOPTS_VALUE).
    qint64 m_position = AV_NOPTS_VALUE;
};
