#include "media/FFmpegVideoDecoder.h"

#include "media/FFmpegError.h"

#include <QScopeGuard>

#include <algorithm>
#include <cmath>

// Seeks of an FFmpegVideoDecoder: to the keyframe before a time, to the
// frame on show at a time, and to any frame near one.

namespace {
// A seek is skipped in favour of decoding on when the target lies at most
// this far ahead of the current frame: cheaper than a keyframe seek for
// frame steps and forward scrubbing.
constexpr double decodeOnLimitSeconds = 1.0;
// A keyframe seek that lands on a frame shown after its target goes back one
// keyframe further, at most this often (B-frames are shown after the
// keyframe they follow in the file, so the seek can land one keyframe late).
constexpr int maxSeekRetries = 4;
} // namespace

bool FFmpegVideoDecoder::seekTo(qint64 timestamp, QString *error)
{
    m_damagedRuns = 0;
    if (!m_format.seekToKeyframeFor(timestamp, error))
        return false;
    avcodec_flush_buffers(m_codec.get());
    resetPosition();
    return true;
}

bool FFmpegVideoDecoder::seekToFileStart(QString *error)
{
    const bool sought = m_format.seekToStart(error);
    avcodec_flush_buffers(m_codec.get());
    resetPosition();
    return sought;
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
    return landOnKeyframe(target, target, 0, error);
}

qint64 FFmpegVideoDecoder::beforeRun(qint64 fallback) const
{
    // The packet the seek landed on (the frame that came out may be a later
    // one: decoders drop frames that cannot be made, and frame threads hand
    // out other packets' decoding times).
    if (const std::optional<qint64> first = m_format.firstPacketOfRun())
        return *first - 1;
    return (m_hasFrame && m_frame->pkt_dts != AV_NOPTS_VALUE ? m_frame->pkt_dts : fallback) - 1;
}

bool FFmpegVideoDecoder::landOnKeyframe(qint64 target, qint64 seekTarget, int damagedRuns, QString *error)
{
    bool fromStart = false;
    for (int attempt = 0;; ++attempt) {
        const bool sought = fromStart ? seekToFileStart(error) : seekTo(seekTarget, error);
        m_damagedRuns = damagedRuns;
        if (!sought)
            return false;
        if (!decodeNextFrame(error)) {
            // A seek that left nothing to decode (a container that lands
            // nowhere): from the start, where decoding always begins.
            if (m_runFromStart || fromStart || m_format.runsFromFileStart() || interrupted())
                return false;
            // A truncated file whose index lists keyframes past its end: the
            // last keyframe it holds, whose frames run to its end, instead
            // of every frame from the start.
            if (const std::optional<qint64> held = m_format.keyframeHeldBefore(seekTarget); held && attempt < maxSeekRetries) {
                seekTarget = *held;
                continue;
            }
            fromStart = true;
            continue;
        }
        const bool late = m_frameTimestamp > target && !m_isFirst;
        if ((!late && !m_frameDamaged) || m_runFromStart || attempt >= maxSeekRetries)
            return true;
        if (m_frameDamaged) {
            // The keyframe does not decode alone: from the one before it, once
            // (a damaged keyframe comes out no cleaner from further back, and
            // the start of a long file lies far back); a group known to be
            // damaged not even that.
            if (!canStartEarlier())
                return true; // the best frame there is
            ++damagedRuns;
            seekTarget = std::min(seekTarget, beforeRun(target));
            continue;
        }
        // Shown after the target: the keyframe before this one holds it.
        const qint64 earlier = std::min(seekTarget, beforeRun(target));
        seekTarget = earlier < seekTarget - frameDurationTicks() ? earlier : seekTarget - frameDurationTicks();
    }
}

bool FFmpegVideoDecoder::startEarlier(QString *error)
{
    if (!checkOpen(error))
        return false;
    if (!canStartEarlier()) {
        if (error)
            *error = QStringLiteral("Decoding began at the start of the video already");
        return false;
    }
    const qint64 target = m_frameTimestamp;
    return landOnKeyframe(target, beforeRun(target), m_damagedRuns + 1, error);
}

bool FFmpegVideoDecoder::decodeKeyframeAlone(qint64 timestamp, QString *error)
{
    if (!checkOpen(error))
        return false;
    return seekTo(timestamp, error) && decodeOnlyNextPacket(error);
}

bool FFmpegVideoDecoder::seekExact(double seconds, QString *error)
{
    if (!checkOpen(error))
        return false;
    if (!std::isfinite(seconds))
        seconds = 0;
    const qint64 target = toTimestamp(seconds);
    if (!covers(target)) {
        const qint64 from = m_hasFrame ? m_frameTimestamp : m_position;
        const double ahead = from == AV_NOPTS_VALUE ? -1 : double(target - from) * av_q2d(stream()->time_base);
        const bool decodeOn = !atEnd() && from != AV_NOPTS_VALUE && ahead >= 0 && ahead <= decodeOnLimitSeconds;
        if (!decodeOn && !seekToKeyframeBefore(target, error))
            return false;
        if (!decodeOnTo(target, seconds, error))
            return false;
    }
    // A damaged frame: the same from further back, where it may come out clean.
    while (frameIsDamaged() && canStartEarlier()) {
        if (!startEarlier(error) || !decodeOnTo(target, seconds, error))
            return false;
    }
    return true;
}

bool FFmpegVideoDecoder::decodeOnTo(qint64 target, double seconds, QString *error)
{
    if (covers(target) || (m_hasFrame && m_frameTimestamp > target))
        return true; // there, or the first frame of the stream is
    // On to the frame known to be on show (covers()), else to the first
    // frame that starts at or after the target: when it starts after it,
    // the frame before it is on show.
    QString decodeError;
    while (decodeNextFrame(&decodeError)) {
        if (covers(target))
            return true;
        if (m_frameTimestamp > target) {
            if (m_hasPrevious && m_previousTimestamp <= target)
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
    if (!video)
        return -1;
    const qint64 target = format.toStreamTimestamp(seconds, video);
    const qint64 low = format.toStreamTimestamp(seconds - std::max(0.0, before), video);
    const qint64 high = format.toStreamTimestamp(seconds + std::max(0.0, after), video);
    // The last keyframe up to the span's end lies in the span: that one frame.
    if (const std::optional<qint64> latest = format.keyframeAtOrBefore(high); latest && *latest >= low)
        return 1;
    const std::optional<qint64> keyframe = format.keyframeAtOrBefore(target);
    if (!keyframe)
        return -1;
    const double rate = FFmpegFormat::frameRate(video);
    const double span = double(low - *keyframe) * av_q2d(video->time_base);
    return std::max(1, int(std::ceil(span * (rate > 0 ? rate : 30.0))) + 1);
}

bool FFmpegVideoDecoder::seekNear(double seconds, double before, double after, QString *error)
{
    if (!checkOpen(error))
        return false;
    if (!std::isfinite(seconds))
        seconds = 0;
    const qint64 target = toTimestamp(seconds);
    const qint64 low = toTimestamp(seconds - std::max(0.0, before));
    const qint64 high = toTimestamp(seconds + std::max(0.0, after));
    const auto within = [&] { return m_hasFrame && m_frameTimestamp >= low && m_frameTimestamp <= high; };
    if (within())
        return true;

    // A keyframe in the span, the one before the target or else the one
    // after it: that one frame is all there is to decode. Where the file
    // keeps no index, the packets up to the span's end tell them.
    if (m_format.keepsOwnKeyframeIndex())
        m_format.learnKeyframeFor(high);
    {
        const std::optional<qint64> keyframe = m_format.keyframeAtOrBefore(target);
        const std::optional<qint64> latest = m_format.keyframeAtOrBefore(high);
        // A seek lands on the last keyframe shown at or before its time.
        std::optional<qint64> seekTime;
        if (keyframe && *keyframe >= low)
            seekTime = target;
        else if (latest && *latest > target)
            seekTime = high;
        if (seekTime && seekTo(*seekTime, error) && decodeOnlyNextPacket(error) && within() && frameIsFinal())
            return true;
    }
    // Decode on to the span, skipping what nobody sees on the way: a frame
    // that no other refers to is decoded only when it is shown in the span,
    // judged packet by packet from the keyframe on (a margin for the frames
    // in flight would cover a whole short stretch, and decode every frame
    // of it). Within a second of the end every frame is decoded: past the
    // last frame the last one is taken, whatever it is.
    const qint64 wantedFrom = std::min(low, toTimestamp(durationSeconds() - 1.0));
    setWantedFrames([wantedFrom](qint64 shown) { return shown >= wantedFrom; });
    const auto endSkipping = qScopeGuard([this] { setWantedFrames({}); });
    if (!seekToKeyframeBefore(target, error) || !decodeOnToSpan(low, error))
        return false;
    // A damaged frame: the same from further back, where it may come out clean.
    while (frameIsDamaged() && canStartEarlier()) {
        if (!startEarlier(error) || !decodeOnToSpan(low, error))
            return false;
    }
    return true;
}

bool FFmpegVideoDecoder::decodeOnToSpan(qint64 low, QString *error)
{
    if (m_frameTimestamp >= low)
        return true; // in the span, or past it (the first frame of the stream, or a keyframe)
    QString decodeError;
    while (decodeNextFrame(&decodeError)) {
        if (m_frameTimestamp >= low)
            return true;
    }
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
    return seekToKeyframeBefore(toTimestamp(seconds), error);
}
