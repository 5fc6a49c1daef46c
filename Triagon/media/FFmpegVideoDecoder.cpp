#include "media/FFmpegVideoDecoder.h"

#include "media/FFmpegError.h"

#include <QThread>

#include <algorithm>
#include <cmath>

namespace {
// A seek is skipped in favour of decoding on when the target lies at most
// this far ahead of the current frame: cheaper than a keyframe seek for
// frame steps and forward scrubbing.
constexpr double decodeOnLimitSeconds = 1.0;
// Consecutive packets the decoder may reject before a file counts as unreadable.
constexpr int maxConsecutiveDecodeErrors = 500;
} // namespace

int FFmpegVideoDecoder::pooledThreadCount()
{
    return 1;
}

int FFmpegVideoDecoder::oneOffThreadCount()
{
    return std::clamp(QThread::idealThreadCount(), 1, 8);
}

FFmpegVideoDecoder::FFmpegVideoDecoder()
    : m_packet(makeFFmpegPacket())
    , m_frame(makeFFmpegFrame())
    , m_received(makeFFmpegFrame())
{
}

FFmpegVideoDecoder::~FFmpegVideoDecoder() = default;

void FFmpegVideoDecoder::close()
{
    m_codec.reset();
    m_format.close();
    if (m_frame)
        av_frame_unref(m_frame.get());
    m_hasFrame = false;
    m_atEnd = false;
    m_draining = false;
    m_frameTimestamp = AV_NOPTS_VALUE;
    m_position = AV_NOPTS_VALUE;
    m_rotation = 0;
}

bool FFmpegVideoDecoder::open(const QString &path, int threadCount, QString *error)
{
    close();
    if (!m_packet || !m_frame || !m_received) {
        if (error)
            *error = QStringLiteral("Out of memory");
        return false;
    }
    if (!m_format.open(path, error))
        return false;
    AVStream *video = m_format.videoStream();
    if (!video) {
        if (error)
            *error = QStringLiteral("The file has no video stream");
        m_format.close();
        return false;
    }
    FFmpegCodecContextPtr context = m_format.openDecoder(video, threadCount, error);
    if (!context) {
        m_format.close();
        return false;
    }
    m_codec = std::move(context);
    m_rotation = m_format.rotationDegrees();
    m_position = video->start_time != AV_NOPTS_VALUE ? video->start_time : m_format.toStreamTimestamp(0, video);
    return true;
}

double FFmpegVideoDecoder::frameDuration() const
{
    const double rate = frameRate();
    return rate > 0 ? 1.0 / rate : 1.0 / 30.0;
}

qint64 FFmpegVideoDecoder::halfFrame() const
{
    const AVStream *video = stream();
    if (!video)
        return 0;
    const double ticks = frameDuration() / 2 / av_q2d(video->time_base);
    return std::isfinite(ticks) ? std::max<qint64>(0, qint64(ticks)) : 0;
}

double FFmpegVideoDecoder::frameTime() const
{
    return m_hasFrame ? m_format.toSeconds(m_frameTimestamp, stream()) : 0;
}

bool FFmpegVideoDecoder::checkOpen(QString *error) const
{
    if (m_codec)
        return true;
    if (error)
        *error = QStringLiteral("The decoder is not open");
    return false;
}

bool FFmpegVideoDecoder::decodeNextFrame(QString *error)
{
    if (!checkOpen(error))
        return false;
    const int videoIndex = m_format.videoStreamIndex();
    int decodeErrors = 0;
    while (!m_atEnd) {
        const int result = avcodec_receive_frame(m_codec.get(), m_received.get());
        if (result == 0) {
            qint64 timestamp = m_received->best_effort_timestamp;
            if (timestamp == AV_NOPTS_VALUE)
                timestamp = m_received->pts;
            if (timestamp == AV_NOPTS_VALUE) {
                // No time at all: continue from the previous frame.
                const qint64 previous = m_hasFrame ? m_frameTimestamp : m_position;
                timestamp = previous == AV_NOPTS_VALUE ? 0 : previous + 2 * halfFrame();
            }
            av_frame_unref(m_frame.get());
            av_frame_move_ref(m_frame.get(), m_received.get());
            m_frameTimestamp = timestamp;
            m_position = timestamp;
            m_hasFrame = true;
            return true;
        }
        if (result == AVERROR_EOF) {
            m_atEnd = true;
            break;
        }
        if (result != AVERROR(EAGAIN)) {
            // A damaged frame: keep going until the decoder gives up for good.
            if (++decodeErrors > maxConsecutiveDecodeErrors) {
                if (error)
                    *error = ffmpegErrorText(QStringLiteral("Cannot decode the video"), result);
                return false;
            }
            continue;
        }
        if (m_draining) {
            m_atEnd = true;
            break;
        }
        const std::optional<int> sent = m_format.sendNextPacket(m_codec.get(), m_packet.get(), videoIndex, &m_draining);
        if (!sent)
            continue;
        if (*sent >= 0) {
            decodeErrors = 0;
        } else if (*sent != AVERROR(EAGAIN) && ++decodeErrors > maxConsecutiveDecodeErrors) {
            if (error)
                *error = ffmpegErrorText(QStringLiteral("Cannot decode the video"), *sent);
            return false;
        }
    }
    if (error)
        *error = QStringLiteral("End of the video");
    return false;
}

bool FFmpegVideoDecoder::seekTo(qint64 timestamp, QString *error)
{
    AVFormatContext *format = m_format.context();
    const int videoIndex = m_format.videoStreamIndex();
    int result = avformat_seek_file(format, videoIndex, INT64_MIN, timestamp, timestamp, 0);
    if (result < 0)
        result = av_seek_frame(format, videoIndex, timestamp, AVSEEK_FLAG_BACKWARD);
    if (result < 0) {
        // Before the first keyframe, or a file without an index: start over.
        result = avformat_seek_file(format, -1, INT64_MIN, format->start_time == AV_NOPTS_VALUE ? 0 : format->start_time, INT64_MAX, 0);
    }
    if (result < 0) {
        if (error)
            *error = ffmpegErrorText(QStringLiteral("Cannot seek"), result);
        return false;
    }
    avcodec_flush_buffers(m_codec.get());
    av_frame_unref(m_frame.get());
    m_hasFrame = false;
    m_atEnd = false;
    m_draining = false;
    m_frameTimestamp = AV_NOPTS_VALUE;
    m_position = AV_NOPTS_VALUE;
    return true;
}

bool FFmpegVideoDecoder::seekExact(double seconds, QString *error)
{
    if (!checkOpen(error))
        return false;
    if (!std::isfinite(seconds))
        seconds = 0;
    const AVStream *video = stream();
    const qint64 target = m_format.toStreamTimestamp(seconds, video);
    const qint64 accept = target - halfFrame();

    if (m_hasFrame && m_frameTimestamp >= accept && m_frameTimestamp <= target + halfFrame())
        return true; // already there
    const qint64 from = m_hasFrame ? m_frameTimestamp : m_position;
    const double ahead = from == AV_NOPTS_VALUE ? -1 : double(target - from) * av_q2d(video->time_base);
    const bool decodeOn = !m_atEnd && from != AV_NOPTS_VALUE && ahead >= 0 && ahead <= decodeOnLimitSeconds;
    if (!decodeOn && !seekTo(target, error))
        return false;

    bool decodedAny = false;
    QString decodeError;
    while (decodeNextFrame(&decodeError)) {
        decodedAny = true;
        if (m_frameTimestamp >= accept)
            return true;
    }
    if (m_hasFrame)
        return true; // the target lies past the last frame: stay on the last one
    if (error)
        *error = decodedAny || m_atEnd ? QStringLiteral("No frame at %1 s").arg(seconds) : decodeError;
    return false;
}

bool FFmpegVideoDecoder::seekKeyframe(double seconds, QString *error)
{
    if (!checkOpen(error))
        return false;
    if (!std::isfinite(seconds))
        seconds = 0;
    if (!seekTo(m_format.toStreamTimestamp(seconds, stream()), error))
        return false;
    return decodeNextFrame(error);
}

QImage FFmpegVideoDecoder::frameImage(QSize maxSize, QString *error)
{
    if (!m_hasFrame) {
        if (error)
            *error = QStringLiteral("No frame decoded");
        return {};
    }
    return m_converter.convert(m_frame.get(), maxSize, m_rotation, error);
}
