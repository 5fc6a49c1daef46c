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
// A keyframe seek that lands on a frame shown after its target goes back one
// keyframe further, at most this often (B-frames are shown after the
// keyframe they follow in the file, so the seek can land one keyframe late).
constexpr int maxSeekRetries = 4;
// Frames in flight when skipping stops are the frame threads' and the
// reordering delay's, and a few more for safety.
constexpr int uncertainOutputsAfterSkipping = 3;

qint64 packetDuration(const AVFrame *frame)
{
#if LIBAVUTIL_VERSION_MAJOR >= 58
    return frame->duration;
#else
    return frame->pkt_duration;
#endif
}

// The index holds decoding times; with B-frames a keyframe is shown a little
// after it is decoded (the first one at the stream's start), and seeks go by
// the time it is shown.
qint64 keyframeDisplayOffset(AVStream *stream)
{
    if (stream->start_time == AV_NOPTS_VALUE || avformat_index_get_entries_count(stream) <= 0)
        return 0;
    const qint64 offset = stream->start_time - avformat_index_get_entry(stream, 0)->timestamp;
    return offset > 0 && double(offset) * av_q2d(stream->time_base) < 1.0 ? offset : 0;
}

// The index entry of the keyframe shown at or before `timestamp` (-1 when none).
int keyframeEntryAtOrBefore(AVStream *stream, qint64 timestamp)
{
    return av_index_search_timestamp(stream, timestamp - keyframeDisplayOffset(stream), AVSEEK_FLAG_BACKWARD);
}

// When the keyframe of an index entry is shown.
qint64 shownAt(AVStream *stream, const AVIndexEntry *entry)
{
    return entry->timestamp + keyframeDisplayOffset(stream);
}

// The index entry of the first keyframe after entry `index` (-1 when none).
int nextKeyframeEntry(AVStream *stream, int index)
{
    const int count = avformat_index_get_entries_count(stream);
    for (int i = std::max(0, index + 1); i < count; ++i) {
        const AVIndexEntry *entry = avformat_index_get_entry(stream, i);
        if (entry && (entry->flags & AVINDEX_KEYFRAME))
            return i;
    }
    return -1;
}

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
    , m_previous(makeFFmpegFrame())
    , m_pending(makeFFmpegFrame())
{
}

FFmpegVideoDecoder::~FFmpegVideoDecoder() = default;

void FFmpegVideoDecoder::resetPosition()
{
    for (AVFrame *frame : {m_frame.get(), m_previous.get(), m_pending.get()}) {
        if (frame)
            av_frame_unref(frame);
    }
    m_hasFrame = false;
    m_atEnd = false;
    m_draining = false;
    m_frameTimestamp = AV_NOPTS_VALUE;
    m_frameEnd = AV_NOPTS_VALUE;
    m_hasPrevious = false;
    m_previousTimestamp = AV_NOPTS_VALUE;
    m_previousEnd = AV_NOPTS_VALUE;
    m_hasPending = false;
    m_isFirst = false;
    m_uncertainOutputs = 0;
    m_position = AV_NOPTS_VALUE;
}

void FFmpegVideoDecoder::close()
{
    m_codec.reset();
    m_format.close();
    resetPosition();
    m_rotation = 0;
    m_threadCount = 0;
    m_skipping = false;
}

void FFmpegVideoDecoder::releaseCodec()
{
    m_codec.reset();
    resetPosition();
    m_skipping = false;
}

FFmpegFormat FFmpegVideoDecoder::takeFormat()
{
    releaseCodec();
    FFmpegFormat format = std::move(m_format);
    m_format = FFmpegFormat();
    m_rotation = 0;
    return format;
}

bool FFmpegVideoDecoder::open(const QString &path, int threadCount, QString *error)
{
    close();
    FFmpegFormat format;
    if (!format.openForDecoding(path, error))
        return false;
    return open(std::move(format), threadCount, error);
}

bool FFmpegVideoDecoder::open(FFmpegFormat format, int threadCount, QString *error)
{
    close();
    if (!m_packet || !m_frame || !m_received || !m_previous || !m_pending) {
        if (error)
            *error = QStringLiteral("Out of memory");
        return false;
    }
    if (!format.isOpen()) {
        if (error)
            *error = QStringLiteral("The file is not open");
        return false;
    }
    if (!format.videoStream()) {
        if (error)
            *error = QStringLiteral("The file has no video stream");
        return false;
    }
    // A file that was read before stands somewhere unknown.
    const bool fresh = !format.hasBeenRead();
    m_format = std::move(format);
    if (!openCodec(threadCount, error)) {
        m_format.close();
        return false;
    }
    m_rotation = m_format.rotationDegrees();
    if (fresh) {
        AVStream *video = stream();
        m_position = video->start_time != AV_NOPTS_VALUE ? video->start_time : m_format.toStreamTimestamp(0, video);
    }
    return true;
}

bool FFmpegVideoDecoder::openCodec(int threadCount, QString *error)
{
    FFmpegCodecContextPtr context = m_format.openDecoder(stream(), threadCount, error);
    if (!context)
        return false;
    m_codec = std::move(context);
    m_threadCount = threadCount;
    m_skipping = false;
    return true;
}

bool FFmpegVideoDecoder::reopenCodec(int threadCount, QString *error)
{
    if (!m_format.isOpen() || !stream()) {
        if (error)
            *error = QStringLiteral("The file is not open");
        return false;
    }
    m_codec.reset();
    resetPosition();
    return openCodec(threadCount, error);
}

double FFmpegVideoDecoder::frameDuration() const
{
    const double rate = frameRate();
    return rate > 0 ? 1.0 / rate : 1.0 / 30.0;
}

qint64 FFmpegVideoDecoder::frameDurationTicks() const
{
    const AVStream *video = stream();
    if (!video)
        return 1;
    const double ticks = frameDuration() / av_q2d(video->time_base);
    return std::isfinite(ticks) ? std::max<qint64>(1, std::llround(ticks)) : 1;
}

qint64 FFmpegVideoDecoder::durationOf(const AVFrame *frame) const
{
    const qint64 duration = packetDuration(frame);
    return duration > 0 ? duration : frameDurationTicks();
}

double FFmpegVideoDecoder::frameTime() const
{
    return m_hasFrame ? m_format.toSeconds(m_frameTimestamp, stream()) : 0;
}

qint64 FFmpegVideoDecoder::toTimestamp(double seconds) const
{
    return m_format.toStreamTimestamp(seconds, stream());
}

double FFmpegVideoDecoder::toSeconds(qint64 timestamp) const
{
    return m_format.toSeconds(timestamp, stream());
}

bool FFmpegVideoDecoder::checkOpen(QString *error) const
{
    if (m_codec)
        return true;
    if (error)
        *error = QStringLiteral("The decoder is not open");
    return false;
}

std::optional<qint64> FFmpegVideoDecoder::previousTimestamp() const
{
    if (!m_hasFrame || !m_hasPrevious)
        return std::nullopt;
    return m_previousTimestamp;
}

bool FFmpegVideoDecoder::covers(qint64 timestamp) const
{
    if (!m_hasFrame || timestamp == AV_NOPTS_VALUE)
        return false;
    if (timestamp < m_frameTimestamp)
        return m_isFirst;
    return timestamp < m_frameEnd;
}

void FFmpegVideoDecoder::setSkipNonReference(bool skip)
{
    if (!m_codec || skip == m_skipping)
        return;
    m_skipping = skip;
    m_codec->skip_frame = skip ? AVDISCARD_NONREF : AVDISCARD_DEFAULT;
    if (skip)
        m_hasPrevious = false;
    else
        m_uncertainOutputs = uncertainOutputsAfterSkipping + pipelineDelayFrames();
}

int FFmpegVideoDecoder::pipelineDelayFrames() const
{
    if (!m_codec)
        return 0;
    return std::max(1, m_codec->thread_count) + std::max(0, m_codec->has_b_frames);
}

bool FFmpegVideoDecoder::isFirstFrameOfStream(const AVFrame *frame) const
{
    AVStream *video = stream();
    const qint64 timestamp = frame->best_effort_timestamp != AV_NOPTS_VALUE ? frame->best_effort_timestamp : frame->pts;
    if (video->start_time != AV_NOPTS_VALUE && timestamp != AV_NOPTS_VALUE)
        return timestamp <= video->start_time;
    if (frame->pkt_dts != AV_NOPTS_VALUE && avformat_index_get_entries_count(video) > 0)
        return frame->pkt_dts <= avformat_index_get_entry(video, 0)->timestamp;
    return false;
}

bool FFmpegVideoDecoder::backUp()
{
    if (!m_hasFrame || !m_hasPrevious || m_hasPending)
        return false;
    av_frame_unref(m_pending.get());
    av_frame_move_ref(m_pending.get(), m_frame.get());
    av_frame_move_ref(m_frame.get(), m_previous.get());
    m_pendingTimestamp = m_frameTimestamp;
    m_pendingEnd = m_frameEnd;
    m_pendingIsFirst = m_isFirst;
    m_frameTimestamp = m_previousTimestamp;
    m_frameEnd = m_previousEnd;
    m_isFirst = m_previousIsFirst;
    m_position = m_frameTimestamp;
    m_hasPrevious = false;
    m_hasPending = true;
    return true;
}

bool FFmpegVideoDecoder::decodeNextFrame(QString *error)
{
    if (!checkOpen(error))
        return false;
    if (m_hasPending) {
        // The frame that backUp() put aside follows the current one.
        av_frame_unref(m_previous.get());
        av_frame_move_ref(m_previous.get(), m_frame.get());
        av_frame_move_ref(m_frame.get(), m_pending.get());
        m_previousTimestamp = m_frameTimestamp;
        m_previousEnd = m_frameEnd;
        m_previousIsFirst = m_isFirst;
        m_hasPrevious = true;
        m_frameTimestamp = m_pendingTimestamp;
        m_frameEnd = m_pendingEnd;
        m_isFirst = m_pendingIsFirst;
        m_position = m_frameTimestamp;
        m_hasPending = false;
        return true;
    }
    const int videoIndex = m_format.videoStreamIndex();
    int decodeErrors = 0;
    while (!m_atEnd) {
        if (m_interrupt && m_interrupt->load()) {
            if (error)
                *error = QStringLiteral("Interrupted");
            return false;
        }
        const int result = avcodec_receive_frame(m_codec.get(), m_received.get());
        if (result == 0) {
            qint64 timestamp = m_received->best_effort_timestamp;
            if (timestamp == AV_NOPTS_VALUE)
                timestamp = m_received->pts;
            if (timestamp == AV_NOPTS_VALUE) {
                // No time at all: continue from the previous frame.
                const qint64 previous = m_hasFrame ? m_frameEnd : m_position;
                timestamp = previous == AV_NOPTS_VALUE ? 0 : previous;
            }
            const bool freshStart = !m_hasFrame && m_position != AV_NOPTS_VALUE;
            const bool follows = m_hasFrame && !m_skipping && m_uncertainOutputs == 0;
            if (m_uncertainOutputs > 0)
                --m_uncertainOutputs;
            if (m_hasFrame) {
                av_frame_unref(m_previous.get());
                av_frame_move_ref(m_previous.get(), m_frame.get());
                m_previousTimestamp = m_frameTimestamp;
                m_previousEnd = m_frameEnd;
                m_previousIsFirst = m_isFirst;
            }
            m_hasPrevious = follows;
            av_frame_unref(m_frame.get());
            av_frame_move_ref(m_frame.get(), m_received.get());
            m_frameTimestamp = timestamp;
            m_frameEnd = timestamp + durationOf(m_frame.get());
            m_isFirst = freshStart || isFirstFrameOfStream(m_frame.get());
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
    m_format.markRead();
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
    resetPosition();
    return true;
}

bool FFmpegVideoDecoder::decodeOnlyNextPacket(QString *error)
{
    // The first packet after a seek to a keyframe is that keyframe: the
    // decoder is drained right after it, so that it gives the frame out at
    // once instead of after the frames it would wait for to reorder them.
    const int videoIndex = m_format.videoStreamIndex();
    for (int packets = 0; packets < maxConsecutiveDecodeErrors; ++packets) {
        bool draining = false;
        const std::optional<int> sent = m_format.sendNextPacket(m_codec.get(), m_packet.get(), videoIndex, &draining);
        if (draining) {
            m_draining = true;
            break;
        }
        if (sent && *sent >= 0) {
            avcodec_send_packet(m_codec.get(), nullptr);
            m_draining = true;
            break;
        }
    }
    return decodeNextFrame(error);
}

bool FFmpegVideoDecoder::seekToKeyframeBefore(qint64 target, QString *error)
{
    if (!checkOpen(error))
        return false;
    qint64 seekTarget = target;
    for (int attempt = 0;; ++attempt) {
        if (!seekTo(seekTarget, error) || !decodeNextFrame(error))
            return false;
        if (m_frameTimestamp <= target || m_isFirst || attempt >= maxSeekRetries)
            return true;
        // Shown after the target: the keyframe before this one holds it.
        const qint64 decoded = m_frame->pkt_dts != AV_NOPTS_VALUE ? m_frame->pkt_dts : target;
        const qint64 earlier = std::min(seekTarget, decoded) - 1;
        seekTarget = earlier < seekTarget - frameDurationTicks() ? earlier : seekTarget - frameDurationTicks();
    }
}

bool FFmpegVideoDecoder::seekExact(double seconds, QString *error)
{
    if (!checkOpen(error))
        return false;
    if (!std::isfinite(seconds))
        seconds = 0;
    const qint64 target = toTimestamp(seconds);
    if (covers(target))
        return true; // already there

    const qint64 from = m_hasFrame ? m_frameTimestamp : m_position;
    const double ahead = from == AV_NOPTS_VALUE ? -1 : double(target - from) * av_q2d(stream()->time_base);
    const bool decodeOn = !atEnd() && from != AV_NOPTS_VALUE && ahead >= 0 && ahead <= decodeOnLimitSeconds;
    if (!decodeOn) {
        if (!seekToKeyframeBefore(target, error))
            return false;
        if (covers(target) || m_frameTimestamp > target)
            return true;
    }
    QString decodeError;
    while (decodeNextFrame(&decodeError)) {
        if (m_frameEnd > target) {
            // A frame that starts after the target (its predecessor ended
            // early): the predecessor is the one on show.
            if (m_frameTimestamp > target && m_hasPrevious && m_previousTimestamp <= target)
                backUp();
            return true;
        }
    }
    if (m_hasFrame && !interrupted())
        return true; // the target lies past the last frame: stay on the last one
    if (error)
        *error = m_atEnd ? QStringLiteral("No frame at %1 s").arg(seconds) : decodeError;
    return false;
}

int FFmpegVideoDecoder::estimatedFramesNear(const FFmpegFormat &format, double seconds, double before, double after)
{
    AVStream *video = format.videoStream();
    if (!video || avformat_index_get_entries_count(video) <= 0)
        return -1;
    const qint64 target = format.toStreamTimestamp(seconds, video);
    const qint64 low = format.toStreamTimestamp(seconds - std::max(0.0, before), video);
    const qint64 high = format.toStreamTimestamp(seconds + std::max(0.0, after), video);
    const int index = keyframeEntryAtOrBefore(video, target);
    const AVIndexEntry *keyframe = index >= 0 ? avformat_index_get_entry(video, index) : nullptr;
    if (keyframe && shownAt(video, keyframe) >= low)
        return 1;
    const int nextIndex = nextKeyframeEntry(video, index);
    const AVIndexEntry *next = nextIndex >= 0 ? avformat_index_get_entry(video, nextIndex) : nullptr;
    if (next && shownAt(video, next) <= high)
        return 1;
    if (!keyframe)
        return -1;
    const double rate = FFmpegFormat::frameRate(video);
    const double span = double(low - shownAt(video, keyframe)) * av_q2d(video->time_base);
    return std::max(1, int(std::ceil(span * (rate > 0 ? rate : 30.0))) + 1);
}

bool FFmpegVideoDecoder::seekNear(double seconds, double before, double after, QString *error)
{
    if (!checkOpen(error))
        return false;
    if (!std::isfinite(seconds))
        seconds = 0;
    AVStream *video = stream();
    const qint64 target = toTimestamp(seconds);
    const qint64 low = toTimestamp(seconds - std::max(0.0, before));
    const qint64 high = toTimestamp(seconds + std::max(0.0, after));
    const auto within = [&] { return m_hasFrame && m_frameTimestamp >= low && m_frameTimestamp <= high; };
    if (within())
        return true;

    // A keyframe in the span, the one before the target or else the one
    // after it: that one frame is all there is to decode.
    if (avformat_index_get_entries_count(video) > 0) {
        const int index = keyframeEntryAtOrBefore(video, target);
        const AVIndexEntry *keyframe = index >= 0 ? avformat_index_get_entry(video, index) : nullptr;
        const int nextIndex = nextKeyframeEntry(video, index);
        const AVIndexEntry *next = nextIndex >= 0 ? avformat_index_get_entry(video, nextIndex) : nullptr;
        // A seek lands on the last keyframe shown at or before its time.
        std::optional<qint64> seekTime;
        if (keyframe && shownAt(video, keyframe) >= low)
            seekTime = target;
        else if (next && shownAt(video, next) <= high)
            seekTime = high;
        if (seekTime && seekTo(*seekTime, error) && decodeOnlyNextPacket(error) && within())
            return true;
    }
    if (!seekToKeyframeBefore(target, error))
        return false;
    if (within() || m_frameTimestamp > high)
        return true;
    // Decode on to the span, skipping what nobody sees on the way.
    const qint64 skipUntil = low - (uncertainOutputsAfterSkipping + 2LL * pipelineDelayFrames()) * frameDurationTicks();
    QString decodeError;
    while (true) {
        setSkipNonReference(m_frameTimestamp < skipUntil);
        if (!decodeNextFrame(&decodeError))
            break;
        if (m_frameTimestamp >= low) {
            setSkipNonReference(false);
            return true;
        }
    }
    setSkipNonReference(false);
    if (m_hasFrame && !interrupted())
        return true; // past the last frame: the last one
    if (error)
        *error = decodeError;
    return false;
}

bool FFmpegVideoDecoder::seekKeyframe(double seconds, QString *error)
{
    if (!checkOpen(error))
        return false;
    if (!std::isfinite(seconds))
        seconds = 0;
    if (!seekTo(toTimestamp(seconds), error))
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

QImage FFmpegVideoDecoder::frameImage(FFmpegFrameConverter &converter, QSize maxSize, QString *error)
{
    if (!m_hasFrame) {
        if (error)
            *error = QStringLiteral("No frame decoded");
        return {};
    }
    return converter.convert(m_frame.get(), maxSize, m_rotation, error);
}
