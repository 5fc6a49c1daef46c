#include "media/FFmpegFormat.h"

// Matroska's keyframe index, checked against the packets.
//
// The demuxer's index holds the cues and, as it reads, the cluster of every
// block it takes for a keyframe: a SimpleBlock flagged so, and any
// BlockGroup without a ReferenceBlock. Older muxers (GStreamer 0.10,
// libavformat of 2015) wrote frames that refer to others in such
// BlockGroups, so the index fills with entries of frames that do not decode
// alone. A seek to one starts there, the decoder drops every frame up to the
// next keyframe, and the frame shown lies seconds after the time asked
// for. The codec's parser flags the packets truly: each packet read at the
// time of an entry tells whether that entry is a keyframe, and a seek goes
// only to entries a packet showed to be one.

namespace {

// Packets read from the start of a cluster at most to reach an entry.
constexpr int maxPacketsChecked = 20000;
// Entries checked at most for one seek (each costs a seek and a read).
constexpr int maxEntriesChecked = 16;

} // namespace

bool FFmpegFormat::listsKeyframe(const AVIndexEntry *entry) const
{
    return entry && (entry->flags & AVINDEX_KEYFRAME) && !m_indexedNonKeyframes.count(entry->timestamp);
}

void FFmpegFormat::noteIndexedPacket(const AVPacket &packet)
{
    AVStream *video = videoStream();
    if (!video || packet.pts == AV_NOPTS_VALUE)
        return;
    const int index = av_index_search_timestamp(video, packet.pts, AVSEEK_FLAG_BACKWARD | AVSEEK_FLAG_ANY);
    const AVIndexEntry *entry = index >= 0 ? avformat_index_get_entry(video, index) : nullptr;
    if (!entry || entry->timestamp != packet.pts)
        return;
    if (packet.flags & AV_PKT_FLAG_KEY) {
        m_indexedKeyframes.insert(packet.pts);
        m_indexedNonKeyframes.erase(packet.pts);
    } else {
        m_indexedNonKeyframes.insert(packet.pts);
        m_indexedKeyframes.erase(packet.pts);
    }
}

bool FFmpegFormat::checkClusterOf(qint64 entryTime)
{
    AVStream *video = videoStream();
    int index = av_index_search_timestamp(video, entryTime, AVSEEK_FLAG_BACKWARD | AVSEEK_FLAG_ANY);
    const AVIndexEntry *entry = index >= 0 ? avformat_index_get_entry(video, index) : nullptr;
    FFmpegPacketPtr packet = makeFFmpegPacket();
    if (!entry || !packet)
        return false;
    const int64_t cluster = entry->pos;
    while (index > 0 && avformat_index_get_entry(video, index - 1)->pos == cluster)
        --index;
    const qint64 clusterStart = avformat_index_get_entry(video, index)->timestamp;

    // Seeks to `from` and notes the packets up to the entry's time; whether
    // the first packet at or after it (where a seek to it starts decoding)
    // is a keyframe.
    const auto readOn = [&](qint64 from) -> std::optional<bool> {
        if (av_seek_frame(m_context.get(), m_videoStream, from, AVSEEK_FLAG_BACKWARD) < 0)
            return std::nullopt;
        restartRun(false);
        for (int read = 0; read < maxPacketsChecked; ++read) {
            const int result = av_read_frame(m_context.get(), packet.get());
            if (result == AVERROR(EAGAIN))
                continue;
            if (result < 0)
                return std::nullopt;
            std::optional<bool> keyframe;
            if (packet->stream_index == m_videoStream && packet->pts != AV_NOPTS_VALUE) {
                noteIndexedPacket(*packet);
                if (packet->pts >= entryTime)
                    keyframe = (packet->flags & AV_PKT_FLAG_KEY) != 0;
            }
            av_packet_unref(packet.get());
            if (keyframe)
                return keyframe;
        }
        return std::nullopt;
    };
    // The entry alone first: a keyframe is what a seek to it meets first.
    const std::optional<bool> keyframe = readOn(entryTime);
    if (!keyframe)
        return false;
    (*keyframe ? m_indexedKeyframes : m_indexedNonKeyframes).insert(entryTime);
    if (*keyframe || clusterStart == entryTime)
        return true;
    // Not one: every entry of its cluster up to it at once, from the first.
    return readOn(clusterStart).has_value();
}

bool FFmpegFormat::seekToCheckedKeyframe(qint64 timestamp, QString *error)
{
    AVStream *video = videoStream();
    const qint64 wanted = timestamp - m_keyframeOffset;
    // Without cues the index holds only the clusters read so far: the
    // demuxer's own seek reads on to the time first, listing what it passes.
    const int count = avformat_index_get_entries_count(video);
    const AVIndexEntry *last = count > 0 ? avformat_index_get_entry(video, count - 1) : nullptr;
    if (!last || last->timestamp < wanted)
        av_seek_frame(m_context.get(), m_videoStream, wanted, AVSEEK_FLAG_BACKWARD);
    for (int checked = 0; checked <= maxEntriesChecked; ++checked) {
        const std::optional<qint64> keyframe = keyframeAtOrBefore(timestamp);
        if (!keyframe)
            return seekToStart(error);
        const qint64 entryTime = *keyframe - m_keyframeOffset;
        if (m_indexedKeyframes.count(entryTime)) {
            if (av_seek_frame(m_context.get(), m_videoStream, entryTime, AVSEEK_FLAG_BACKWARD) < 0)
                return seekToStart(error);
            restartRun(false);
            return true;
        }
        if (checked == maxEntriesChecked || !checkClusterOf(entryTime))
            break;
    }
    // The packets do not tell (a damaged file): the demuxer's own seek.
    if (av_seek_frame(m_context.get(), m_videoStream, wanted, AVSEEK_FLAG_BACKWARD) < 0)
        return seekToStart(error);
    restartRun(false);
    return true;
}
