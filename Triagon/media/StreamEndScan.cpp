#include "media/StreamEndScan.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

constexpr std::array<uint8_t, 4> clusterId{0x1F, 0x43, 0xB6, 0x75};
constexpr uint8_t timestampId = 0xE7;
constexpr uint8_t crcId = 0xBF;
// The last stretch read first, and how far it may grow (four times at each
// try): muxers close a cluster after a few seconds or megabytes.
constexpr int64_t firstSpan = int64_t(1) << 20;
constexpr int64_t maxSpan = int64_t(64) << 20;
// Bytes searched for a cluster's start at a time; the next read overlaps
// the last bytes, so that a start across the two is found.
constexpr int searchChunk = 64 * 1024;
constexpr int searchOverlap = 32;
// A bound on the packets of one stretch, against a demuxer that loops.
constexpr int maxPackets = 1 << 20;

// The length of an EBML number from its first byte; 0 when invalid.
int numberLength(uint8_t first)
{
    for (int length = 1; length <= 8; ++length) {
        if (first & (0x80 >> (length - 1)))
            return length;
    }
    return 0;
}

// Whether a cluster starts at `bytes`: its ID, a valid size, then its
// timestamp (after the CRC-32 some muxers write first).
bool clusterStartsAt(const uint8_t *bytes, int available)
{
    if (available < 4 || std::memcmp(bytes, clusterId.data(), clusterId.size()) != 0)
        return false;
    const int sizeLength = available > 4 ? numberLength(bytes[4]) : 0;
    const int child = 4 + sizeLength;
    if (sizeLength == 0 || child >= available)
        return false;
    if (bytes[child] == timestampId)
        return true;
    // A CRC-32: its size (one byte, 4) and its four bytes.
    return bytes[child] == crcId && child + 6 < available && bytes[child + 1] == 0x84 && bytes[child + 6] == timestampId;
}

// The first cluster that starts from `from` on: its position, -1 when none.
int64_t findCluster(AVIOContext *io, int64_t from)
{
    std::vector<uint8_t> buffer(searchChunk + searchOverlap);
    for (int64_t at = from;; at += searchChunk) {
        if (avio_seek(io, at, SEEK_SET) != at)
            return -1;
        const int read = avio_read(io, buffer.data(), int(buffer.size()));
        if (read <= 0)
            return -1;
        for (int i = 0; i < std::min(read, searchChunk); ++i) {
            if (buffer[size_t(i)] == clusterId[0] && clusterStartsAt(buffer.data() + i, read - i))
                return at + i;
        }
        if (read <= searchChunk)
            return -1;
    }
}

// Has the demuxer read on from the first cluster that starts from `from`
// on; its position, -1 when that cannot be done.
int64_t readFromCluster(AVFormatContext *context, int64_t from)
{
    // Its header read and nothing else, Matroska's demuxer stands right
    // after the first cluster's ID, with that ID taken: handed the bytes
    // after another cluster's ID, it reads on from that cluster.
    AVIOContext *io = context->pb;
    const int64_t opened = avio_tell(io);
    std::array<uint8_t, 4> id{};
    if (opened < 4 || avio_seek(io, opened - 4, SEEK_SET) != opened - 4 || avio_read(io, id.data(), 4) != 4 || id != clusterId)
        return -1;
    const int64_t cluster = from <= opened - 4 ? opened - 4 : findCluster(io, from);
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
    return context && context->iformat && context->iformat->name && std::strstr(context->iformat->name, "matroska");
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
