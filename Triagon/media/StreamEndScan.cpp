#include "media/StreamEndScan.h"

#include "media/MatroskaClusters.h"

#include <algorithm>
#include <cmath>

namespace {

// The last stretch read first, and how far it may grow (four times at each
// try): muxers close a cluster after a few seconds or megabytes.
constexpr int64_t firstSpan = int64_t(1) << 20;
constexpr int64_t maxSpan = int64_t(64) << 20;
// A bound on the packets of one stretch, against a demuxer that loops.
constexpr int maxPackets = 1 << 20;

// Has the demuxer read on from the first cluster that starts from `from`
// on; its position, -1 when that cannot be done.
int64_t readFromCluster(AVFormatContext *context, int64_t from)
{
    // Its header read and nothing else, Matroska's demuxer stands right
    // after the first cluster's ID, with that ID taken: handed the bytes
    // after another cluster's ID, it reads on from that cluster.
    AVIOContext *io = context->pb;
    const int64_t opened = avio_tell(io);
    if (opened < 4 || MatroskaClusters::firstFrom(io, opened - 4) != opened - 4)
        return -1;
    const int64_t cluster = from <= opened - 4 ? opened - 4 : MatroskaClusters::firstFrom(io, from);
    if (cluster < 0 || av_seek_frame(context, -1, cluster + 4, AVSEEK_FLAG_BYTE) < 0)
        return -1;
    return cluster;
}

// The end of the last packet of the stream from the read position to the
// end of the file; none when there is none. Packets from before `from` (the
// demuxer went back to find its way in damaged data) end the read.
std::optional<qint64> lastPacketEnd(AVFormatContext *context, int streamIndex, int64_t from, qint64 frameTicks)
{
    FFmpegPacketPtr packet = makeFFmpegPacket();
    std::optional<qint64> end;
    for (int count = 0; packet && count < maxPackets; ++count) {
        const int result = av_read_frame(context, packet.get());
        if (result == AVERROR(EAGAIN))
            continue;
        if (result < 0)
            break;
        const bool before = packet->pos >= 0 && packet->pos < from;
        const qint64 time = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
        if (!before && packet->stream_index == streamIndex && time != AV_NOPTS_VALUE)
            end = std::max(end.value_or(time), time + (packet->duration > 0 ? packet->duration : frameTicks));
        av_packet_unref(packet.get());
        if (before)
            break;
    }
    return end;
}

} // namespace

bool StreamEndScan::reads(const AVFormatContext *context)
{
    return MatroskaClusters::isMatroska(context);
}

std::optional<qint64> StreamEndScan::find(const Opener &open, const AVStream *stream, double frameSeconds)
{
    if (!stream)
        return std::nullopt;
    for (int64_t span = firstSpan; span <= maxSpan; span *= 4) {
        // The demuxer is left somewhere in the file by each read: a fresh copy for each stretch.
        FFmpegFormat copy = open();
        AVFormatContext *context = copy.context();
        if (!reads(context) || !context->pb || stream->index >= int(context->nb_streams))
            return std::nullopt;
        AVStream *own = context->streams[stream->index];
        if (own->id != stream->id || own->codecpar->codec_type != stream->codecpar->codec_type || !(av_q2d(own->time_base) > 0))
            return std::nullopt;
        for (unsigned i = 0; i < context->nb_streams; ++i)
            context->streams[i]->discard = int(i) == stream->index ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
        const int64_t size = avio_size(context->pb);
        if (size <= 0)
            return std::nullopt;
        const int64_t from = std::max<int64_t>(0, size - span);
        const int64_t cluster = readFromCluster(context, from);
        const double ticks = std::isfinite(frameSeconds) && frameSeconds > 0 ? frameSeconds / av_q2d(own->time_base) : 1;
        const qint64 frameTicks = std::max<qint64>(1, qint64(std::min(ticks, 1e12)));
        if (cluster >= 0) {
            if (const std::optional<qint64> end = lastPacketEnd(context, stream->index, cluster, frameTicks))
                return av_rescale_q(*end, own->time_base, stream->time_base);
        }
        if (from == 0)
            break;
    }
    return std::nullopt;
}
