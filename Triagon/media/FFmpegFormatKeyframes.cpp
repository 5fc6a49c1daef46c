#include "media/FFmpegFormat.h"

#include "media/FFmpegError.h"
#include "media/MatroskaClusters.h"

extern "C" {
#include <libavcodec/codec_desc.h>
}

#include <algorithm>
#include <cmath>
#include <cstring>

// Keyframes of an FFmpegFormat's video stream and the seeks made by them.
//
// QuickTime, MP4 and Matroska carry an index of their keyframes; FFmpeg's
// seeks go by it. MPEG-TS carries none: FFmpeg seeks there by a search on
// the packets' timestamps that may land anywhere in a group of pictures, and
// that search fills the stream's index with packets it marks as keyframes
// whatever they are. So for MPEG-TS that index is never used: the keyframes
// are learnt from the packets read (KeyframeIndex), and a seek goes to the
// byte position of the right keyframe's packet.

namespace {

// How far before a time the packets are read at first to find the keyframe
// that holds it; the distance doubles while none is found.
constexpr double firstLearningSpanSeconds = 1.0;
constexpr int maxLearningAttempts = 8;

bool isMpegTs(const AVFormatContext *context)
{
    return context->iformat && context->iformat->name && std::strcmp(context->iformat->name, "mpegts") == 0;
}

} // namespace

bool FFmpegFormat::setUpKeyframes(bool readCues)
{
    m_keyframes.reset();
    m_keyframeOffset = 0;
    m_intraOnly.reset();
    m_indexedKeyframes.clear();
    m_indexedNonKeyframes.clear();
    restartRun(true);
    AVStream *video = videoStream();
    m_checksIndex = video && MatroskaClusters::isMatroska(m_context.get());
    if (!video || (m_checksIndex && refusalKnown()))
        return true;
    if (isMpegTs(m_context.get()) && avformat_index_get_entries_count(video) == 0) {
        m_keyframes = m_path.isEmpty() ? std::make_shared<KeyframeIndex>() : KeyframeIndex::forFile(m_path);
        return true;
    }
    // Matroska reads its cues (its keyframe index, written after the
    // clusters) only when it first seeks; until then the index holds the
    // keyframes read so far, and the first one would pass for the keyframe of
    // any time. A seek to the start reads them; reading the pictures starts
    // there anyway. Not for reading the sound: Matroska drops every packet
    // before the keyframe a seek goes to, and with it the sound that starts
    // before the first picture. Where that seek fails (no cues, and blocks
    // without times the demuxer can use) the read position is lost: the
    // file is to be opened again.
    if (readCues && MatroskaClusters::isMatroska(m_context.get()) && avformat_index_get_entries_count(video) < 2 && !m_read
        && !m_seeksRefused) {
        const qint64 start = video->start_time != AV_NOPTS_VALUE ? video->start_time : 0;
        if (av_seek_frame(m_context.get(), m_videoStream, start, AVSEEK_FLAG_BACKWARD) < 0)
            return false;
        m_seeksChecked = true;
    }
    // The index holds decoding times; with B-frames a keyframe is shown a
    // little after it is decoded (the first one at the stream's start).
    if (video->start_time != AV_NOPTS_VALUE && avformat_index_get_entries_count(video) > 0) {
        const qint64 offset = video->start_time - avformat_index_get_entry(video, 0)->timestamp;
        if (offset > 0 && double(offset) * av_q2d(video->time_base) < 1.0)
            m_keyframeOffset = offset;
    }
    return true;
}

void FFmpegFormat::restartRun(bool fromFileStart)
{
    m_runStart.reset();
    m_runFromFileStart = fromFileStart;
    m_runFirstPacket.reset();
}

void FFmpegFormat::observePacket(const AVPacket &packet)
{
    if (packet.stream_index != m_videoStream)
        return;
    if (m_checksIndex && !m_seekless)
        noteIndexedPacket(packet);
    if (!m_keyframes)
        return;
    const qint64 decoded = packet.dts != AV_NOPTS_VALUE ? packet.dts : packet.pts;
    if (decoded == AV_NOPTS_VALUE)
        return;
    if (!m_runStart)
        m_runStart = m_runFromFileStart ? KeyframeIndex::fileStart : decoded;
    const qint64 shown = packet.pts != AV_NOPTS_VALUE ? packet.pts : decoded;
    const bool keyframe = (packet.flags & AV_PKT_FLAG_KEY) && !(packet.flags & AV_PKT_FLAG_CORRUPT) && packet.pos >= 0;
    m_keyframes->record(*m_runStart, decoded, shown, packet.pos, keyframe);
}

void FFmpegFormat::observeEndOfFile()
{
    if (m_keyframes && m_runStart)
        m_keyframes->recordEndOfFile(*m_runStart);
}

std::optional<qint64> FFmpegFormat::keyframeAtOrBefore(qint64 timestamp) const
{
    AVStream *video = videoStream();
    if (!video || timestamp == AV_NOPTS_VALUE)
        return std::nullopt;
    if (m_seekless) {
        const KeyframeIndex *keyframes = m_seekless->index()->keyframes(m_videoStream);
        KeyframeIndex::Keyframe keyframe;
        if (keyframes && keyframes->keyframeAtOrBefore(timestamp, &keyframe) == KeyframeIndex::Lookup::Found)
            return keyframe.shown;
        return std::nullopt;
    }
    if (m_keyframes) {
        KeyframeIndex::Keyframe keyframe;
        if (m_keyframes->keyframeAtOrBefore(timestamp, &keyframe) == KeyframeIndex::Lookup::Found)
            return keyframe.shown;
        return std::nullopt;
    }
    if (avformat_index_get_entries_count(video) <= 0)
        return std::nullopt;
    for (int index = av_index_search_timestamp(video, timestamp - m_keyframeOffset, AVSEEK_FLAG_BACKWARD); index >= 0; --index) {
        const AVIndexEntry *entry = avformat_index_get_entry(video, index);
        if (listsKeyframe(entry))
            return entry->timestamp + m_keyframeOffset;
    }
    return std::nullopt;
}

std::optional<qint64> FFmpegFormat::keyframeAfter(qint64 timestamp) const
{
    AVStream *video = videoStream();
    if (video && timestamp != AV_NOPTS_VALUE && m_seekless) {
        const KeyframeIndex *keyframes = m_seekless->index()->keyframes(m_videoStream);
        const std::optional<KeyframeIndex::Keyframe> keyframe = keyframes ? keyframes->keyframeAfter(timestamp) : std::nullopt;
        return keyframe ? std::optional<qint64>(keyframe->shown) : std::nullopt;
    }
    if (!video || timestamp == AV_NOPTS_VALUE || m_keyframes || avformat_index_get_entries_count(video) <= 0)
        return std::nullopt;
    const int count = avformat_index_get_entries_count(video);
    const int index = av_index_search_timestamp(video, timestamp - m_keyframeOffset, AVSEEK_FLAG_BACKWARD);
    for (int next = std::max(0, index + 1); next < count; ++next) {
        const AVIndexEntry *entry = avformat_index_get_entry(video, next);
        if (listsKeyframe(entry))
            return entry->timestamp + m_keyframeOffset;
    }
    return std::nullopt;
}

bool FFmpegFormat::learnKeyframeFor(qint64 timestamp)
{
    AVStream *video = videoStream();
    if (!m_keyframes || !video || timestamp == AV_NOPTS_VALUE)
        return false;
    const auto known = [&] { return m_keyframes->keyframeAtOrBefore(timestamp, nullptr) != KeyframeIndex::Lookup::Unknown; };
    if (known())
        return true;
    FFmpegPacketPtr packet = makeFFmpegPacket();
    if (!packet)
        return false;
    m_read = true;
    const qint64 second = av_rescale_q(1, AVRational{1, 1}, video->time_base);
    qint64 span = std::max<qint64>(qint64(firstLearningSpanSeconds * second), m_keyframes->typicalKeyframeDistance() * 3 / 2);
    const qint64 first = video->start_time != AV_NOPTS_VALUE ? video->start_time : KeyframeIndex::fileStart;
    for (int attempt = 0; attempt < maxLearningAttempts; ++attempt) {
        const bool fromStart = first == KeyframeIndex::fileStart || timestamp - span <= first || attempt == maxLearningAttempts - 1;
        if (fromStart || av_seek_frame(m_context.get(), m_videoStream, timestamp - span, AVSEEK_FLAG_BACKWARD) < 0) {
            if (av_seek_frame(m_context.get(), -1, 0, AVSEEK_FLAG_BYTE) < 0)
                return false;
            restartRun(true);
        } else {
            restartRun(false);
        }
        // Packets only, up to the first one decoded after the time: every
        // keyframe shown at or before it lies among them.
        while (true) {
            m_atStart = false;
            const int result = av_read_frame(m_context.get(), packet.get());
            if (result == AVERROR(EAGAIN))
                continue;
            if (result < 0) {
                if (result == AVERROR_EOF)
                    observeEndOfFile();
                break;
            }
            observePacket(*packet);
            const bool past = packet->stream_index == m_videoStream && packet->dts != AV_NOPTS_VALUE && packet->dts > timestamp;
            av_packet_unref(packet.get());
            if (past)
                break;
        }
        if (known())
            return true;
        if (fromStart)
            return false;
        span *= 2;
    }
    return false;
}

std::optional<qint64> FFmpegFormat::readKeyframeFor(qint64 timestamp)
{
    AVStream *video = videoStream();
    if (!video || timestamp == AV_NOPTS_VALUE)
        return std::nullopt;
    if (m_keyframes) {
        if (m_keyframes->keyframeAtOrBefore(timestamp, nullptr) == KeyframeIndex::Lookup::Unknown)
            learnKeyframeFor(timestamp);
        return keyframeAtOrBefore(timestamp);
    }
    if (m_seekless && makeSeeklessIndex())
        return keyframeAtOrBefore(timestamp);
    // The keyframe a seek lands on, by its own packet; where it is shown
    // after the time (its B-frames come before it), the one before.
    FFmpegPacketPtr packet = makeFFmpegPacket();
    if (!packet)
        return std::nullopt;
    qint64 seekTime = timestamp;
    for (int attempt = 0; attempt < maxLearningAttempts; ++attempt) {
        if (!seekToKeyframeFor(seekTime))
            return std::nullopt;
        std::optional<qint64> shown;
        qint64 decoded = AV_NOPTS_VALUE;
        while (!shown) {
            m_atStart = false;
            const int result = readPacket(packet.get());
            if (result == AVERROR(EAGAIN))
                continue;
            if (result < 0)
                return std::nullopt;
            if (packet->stream_index == m_videoStream) {
                shown = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
                decoded = packet->dts != AV_NOPTS_VALUE ? packet->dts : packet->pts;
            }
            av_packet_unref(packet.get());
        }
        if (*shown == AV_NOPTS_VALUE)
            return std::nullopt;
        // (The file may have been opened again meanwhile: its stream anew.)
        const qint64 start = videoStream()->start_time;
        if (*shown <= timestamp || (start != AV_NOPTS_VALUE && *shown <= start))
            return shown;
        seekTime = std::min(seekTime, decoded) - 1;
    }
    return std::nullopt;
}

bool FFmpegFormat::seekToStart(QString *error)
{
    if (!m_context) {
        if (error)
            *error = QStringLiteral("The file is not open");
        return false;
    }
    m_read = true;
    if (m_seeksRefused && m_atStart) {
        restartRun(true);
        return true; // opened again and not read since
    }
    int result = -1;
    if (m_keyframes)
        result = av_seek_frame(m_context.get(), -1, 0, AVSEEK_FLAG_BYTE);
    if (result < 0 && !m_seeksRefused)
        result = avformat_seek_file(m_context.get(), -1, INT64_MIN, m_context->start_time == AV_NOPTS_VALUE ? 0 : m_context->start_time,
                                    INT64_MAX, 0);
    // A container that cannot even go back to its start (the demuxer may
    // stand at the end after trying): the file opened again reads from there.
    if (result < 0 && !reopen(error))
        return false;
    restartRun(true);
    return true;
}

bool FFmpegFormat::seekToKeyframeFor(qint64 timestamp, QString *error)
{
    AVStream *video = videoStream();
    if (!m_context || !video) {
        if (error)
            *error = QStringLiteral("The file has no video stream");
        return false;
    }
    m_read = true;
    // A file whose seeks fail has no index worth checking: it seeks by position.
    if (m_checksIndex && !m_seeksRefused) {
        if (!seekToCheckedKeyframe(timestamp, error))
            return false;
        if (!m_seeksRefused)
            return true;
        return seekByPosition(m_videoStream, timestamp, error); // its seeks failed, from the first on
    }
    if (m_keyframes) {
        KeyframeIndex::Keyframe keyframe;
        KeyframeIndex::Lookup found = m_keyframes->keyframeAtOrBefore(timestamp, &keyframe);
        if (found == KeyframeIndex::Lookup::Unknown && learnKeyframeFor(timestamp))
            found = m_keyframes->keyframeAtOrBefore(timestamp, &keyframe);
        if (found == KeyframeIndex::Lookup::BeforeFirst)
            return seekToStart(error);
        if (found == KeyframeIndex::Lookup::Found && keyframe.position >= 0
            && av_seek_frame(m_context.get(), -1, keyframe.position, AVSEEK_FLAG_BYTE) >= 0) {
            restartRun(false);
            return true;
        }
        // Not found (a damaged file): the search by timestamp, as for any container.
    }
    // By the time shown: the QuickTime demuxer knows each keyframe's own
    // presentation offset (and which keyframes open a group whose first
    // frames need the group before); where it lands one keyframe late, the
    // decoder goes back further (FFmpegVideoDecoder::seekToKeyframeBefore).
    return seekByTime(m_videoStream, timestamp, error);
}

bool FFmpegFormat::seekStream(int streamIndex, qint64 timestamp, QString *error)
{
    if (!m_context || streamIndex < 0 || streamIndex >= int(m_context->nb_streams)) {
        if (error)
            *error = QStringLiteral("No such stream");
        return false;
    }
    m_read = true;
    // Matroska seeks a sound stream by its blocks even in a file that
    // refuses seeks, landing anywhere: the seek of the video to its start
    // tells (opening the file again where it fails).
    if (!m_seeksChecked && m_checksIndex && streamIndex != m_videoStream && !refusalKnown()) {
        m_seeksChecked = true;
        const qint64 start = videoStream()->start_time != AV_NOPTS_VALUE ? videoStream()->start_time : 0;
        if (av_seek_frame(m_context.get(), m_videoStream, start, AVSEEK_FLAG_BACKWARD) < 0 && !reopen(error))
            return false;
    }
    return seekByTime(streamIndex, timestamp, error);
}

bool FFmpegFormat::seekByTime(int streamIndex, qint64 timestamp, QString *error)
{
    if (!m_seeksRefused) {
        int result = avformat_seek_file(m_context.get(), streamIndex, INT64_MIN, timestamp, timestamp, 0);
        if (result < 0)
            result = av_seek_frame(m_context.get(), streamIndex, timestamp, AVSEEK_FLAG_BACKWARD);
        if (result >= 0) {
            restartRun(false);
            return true;
        }
        // Before the first packet, or a file without an index; or one whose
        // seeks fail, which that tells.
        if (!seekToStart(error))
            return false;
        if (!m_seeksRefused)
            return true;
    }
    // A file that refuses seeks: by the position its index gives.
    return seekByPosition(streamIndex, timestamp, error);
}

void FFmpegFormat::noteKeyframe(qint64 shown)
{
    AVStream *video = videoStream();
    if (m_keyframes || m_seekless || !video || shown == AV_NOPTS_VALUE || avformat_index_get_entries_count(video) <= 0)
        return;
    // Only the keyframe's own index entry tells the offset, and it lies
    // within a second before the keyframe is shown (the packet's decoding
    // time is no help: frame threads hand out another packet's). Keyframes
    // differ in it (the depth of the B-frames after them): the largest is
    // kept, so that a keyframe is never taken to show earlier than it does.
    const int index = av_index_search_timestamp(video, shown, AVSEEK_FLAG_BACKWARD);
    const AVIndexEntry *entry = index >= 0 ? avformat_index_get_entry(video, index) : nullptr;
    const qint64 offset = entry ? shown - entry->timestamp : -1;
    if (offset >= 0 && double(offset) * av_q2d(video->time_base) < 1.0)
        m_keyframeOffset = std::max(m_keyframeOffset, offset);
}

bool FFmpegFormat::isIntraOnly() const
{
    if (m_intraOnly)
        return *m_intraOnly;
    bool intra = false;
    if (AVStream *video = videoStream()) {
        const AVCodecDescriptor *descriptor = avcodec_descriptor_get(video->codecpar->codec_id);
        intra = descriptor && (descriptor->props & AV_CODEC_PROP_INTRA_ONLY);
        // A sample index that lists every frame as a keyframe (QuickTime and
        // MP4 list every frame). Not Matroska's: its cues list only
        // keyframes, but the blocks read are listed too, each BlockGroup
        // without a reference as a keyframe whatever it holds.
        const int count = avformat_index_get_entries_count(video);
        const double frames = durationSeconds() * frameRate(video);
        if (!intra && !m_keyframes && !m_checksIndex && count > 1 && count >= 0.9 * frames) {
            intra = true;
            for (int i = 0; i < count && intra; ++i) {
                const AVIndexEntry *entry = avformat_index_get_entry(video, i);
                intra = entry && (entry->flags & AVINDEX_KEYFRAME);
            }
        }
    }
    m_intraOnly = intra;
    return intra;
}
