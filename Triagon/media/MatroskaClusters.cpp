#include "media/MatroskaClusters.h"

extern "C" {
#include <libavformat/avformat.h>
}

#include <QByteArray>

#include <algorithm>
#include <cstring>
#include <limits>
#include <optional>

namespace {

constexpr quint32 clusterId = 0x1F43B675;
constexpr quint32 timestampId = 0xE7;
constexpr quint32 crcId = 0xBF;
// The elements a cluster holds: Timecode, CRC-32, Void, Position, PrevSize,
// SimpleBlock, BlockGroup, EncryptedBlock, SilentTracks.
constexpr quint32 clusterChildren[] = {0xE7, 0xBF, 0xEC, 0xA7, 0xAB, 0xA3, 0xA0, 0xAF, 0x5854};
// Bytes read backwards at first, then twice as many each time, up to the most.
constexpr qint64 firstReach = 64 * 1024;
constexpr qint64 maxReach = 32 * 1024 * 1024;
// An element's ID and size take at most this many bytes.
constexpr int maxHeaderBytes = 12;
// Bytes searched forwards at a time; each read holds the start of the next
// too, so that a cluster's header across the two is read whole.
constexpr int searchChunk = 64 * 1024;
constexpr int searchOverlap = 4 * maxHeaderBytes;

struct Element
{
    quint32 id = 0;
    qint64 dataStart = 0;
    std::optional<qint64> end; // none for an unknown size
};

// The element header at `at` of `bytes` (which begin at byte `base` of the file).
std::optional<Element> readHeader(const QByteArray &bytes, qint64 base, qint64 at)
{
    const auto byteAt = [&](qint64 offset) -> std::optional<uchar> {
        const qint64 index = offset - base;
        if (index < 0 || index >= bytes.size())
            return std::nullopt;
        return uchar(bytes[qsizetype(index)]);
    };
    const auto length = [](uchar first) {
        int bytes = 1;
        while (bytes <= 8 && !(first & (0x80 >> (bytes - 1))))
            ++bytes;
        return bytes;
    };
    const std::optional<uchar> firstId = byteAt(at);
    if (!firstId || length(*firstId) > 4)
        return std::nullopt;
    Element element;
    const int idLength = length(*firstId);
    for (int i = 0; i < idLength; ++i) {
        const std::optional<uchar> byte = byteAt(at + i);
        if (!byte)
            return std::nullopt;
        element.id = (element.id << 8) | *byte;
    }
    const std::optional<uchar> firstSize = byteAt(at + idLength);
    if (!firstSize || length(*firstSize) > 8)
        return std::nullopt;
    const int sizeLength = length(*firstSize);
    quint64 size = *firstSize & (0xFF >> sizeLength);
    bool unknown = size == quint64(0xFF >> sizeLength);
    for (int i = 1; i < sizeLength; ++i) {
        const std::optional<uchar> byte = byteAt(at + idLength + i);
        if (!byte)
            return std::nullopt;
        size = (size << 8) | *byte;
        unknown = unknown && *byte == 0xFF;
    }
    element.dataStart = at + idLength + sizeLength;
    if (!unknown) {
        if (size > quint64(std::numeric_limits<qint64>::max() - element.dataStart))
            return std::nullopt;
        element.end = element.dataStart + qint64(size);
    }
    return element;
}

// Whether a cluster starts at `at` and holds `position` in one of its
// elements: its children, read one after the other, reach it. (A cluster's
// ID found by chance inside a block's data passes for one almost never.)
bool holds(const QByteArray &bytes, qint64 base, qint64 at, qint64 position)
{
    const std::optional<Element> cluster = readHeader(bytes, base, at);
    if (!cluster || cluster->id != clusterId || (cluster->end && *cluster->end <= position))
        return false;
    for (qint64 child = cluster->dataStart; child <= position;) {
        const std::optional<Element> element = readHeader(bytes, base, child);
        if (!element || !element->end
            || std::find(std::begin(clusterChildren), std::end(clusterChildren), element->id) == std::end(clusterChildren))
            return false;
        if (position < *element->end)
            return position >= element->dataStart;
        child = *element->end;
    }
    return false;
}

// Whether a cluster starts at `at`: its header, then its timestamp (after
// the CRC-32 some muxers write first), which every cluster begins with and
// a cluster's ID found by chance in a block's data is not followed by.
bool startsCluster(const QByteArray &bytes, qint64 base, qint64 at)
{
    const std::optional<Element> cluster = readHeader(bytes, base, at);
    if (!cluster || cluster->id != clusterId)
        return false;
    std::optional<Element> child = readHeader(bytes, base, cluster->dataStart);
    if (child && child->id == crcId && child->end)
        child = readHeader(bytes, base, *child->end);
    return child && child->id == timestampId;
}

} // namespace

bool MatroskaClusters::isMatroska(const AVFormatContext *context)
{
    return context && context->iformat && context->iformat->name && std::strstr(context->iformat->name, "matroska");
}

qint64 MatroskaClusters::firstFrom(AVIOContext *io, qint64 from)
{
    const QByteArray id = QByteArray::fromHex("1F43B675");
    for (qint64 at = std::max<qint64>(0, from); io; at += searchChunk) {
        if (avio_seek(io, at, SEEK_SET) != at)
            return -1;
        QByteArray bytes(searchChunk + searchOverlap, Qt::Uninitialized);
        const int read = avio_read(io, reinterpret_cast<unsigned char *>(bytes.data()), int(bytes.size()));
        if (read <= 0)
            return -1;
        bytes.truncate(read);
        for (qsizetype i = bytes.indexOf(id); i >= 0 && i < searchChunk; i = bytes.indexOf(id, i + 1)) {
            if (startsCluster(bytes, at, at + i))
                return at + i;
        }
        if (read <= searchChunk)
            return -1; // the end of the file
    }
    return -1;
}

qint64 MatroskaClusters::startOf(AVIOContext *io, qint64 position)
{
    if (!io || position <= 0)
        return -1;
    QByteArray bytes;
    qint64 base = position + maxHeaderBytes;
    for (qint64 reach = firstReach; base > 0; reach *= 2) {
        if (position - base >= maxReach)
            return -1;
        // The bytes before those read so far, and the header of the block at the position.
        const qint64 from = std::max<qint64>(0, position - std::min(reach, maxReach));
        QByteArray more(qsizetype(base - from), Qt::Uninitialized);
        if (avio_seek(io, from, SEEK_SET) < 0)
            return -1;
        qint64 got = 0;
        while (got < more.size()) {
            const int read = avio_read(io, reinterpret_cast<unsigned char *>(more.data() + got), int(more.size() - got));
            if (read <= 0)
                break;
            got += read;
        }
        if (got < more.size() && bytes.isEmpty())
            more.truncate(qsizetype(got)); // the end of the file
        else if (got < more.size())
            return -1;
        const qsizetype searchedFrom = more.size();
        bytes.prepend(more);
        base = from;
        // Cluster IDs that start in the new bytes, the nearest first.
        const QByteArray id = QByteArray::fromHex("1F43B675");
        for (qsizetype at = bytes.lastIndexOf(id, std::min<qsizetype>(searchedFrom, position - base)); at >= 0;
             at = at > 0 ? bytes.lastIndexOf(id, at - 1) : -1) {
            if (holds(bytes, base, base + at, position))
                return base + at;
        }
    }
    return -1;
}
