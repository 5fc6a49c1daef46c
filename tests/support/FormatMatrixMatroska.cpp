#include "support/FormatMatrix.h"

#include <QFile>

#include <optional>

// Matroska as older muxers wrote it (GStreamer 0.10, libavformat of 2015):
// frames that refer to others stored in BlockGroups without a
// ReferenceBlock, which a Matroska reader must take for keyframes.
// libavformat now writes the ReferenceBlock and has no option to leave it
// out, so each one is turned into a Void element of the same size: the file
// keeps its layout, cues and cluster sizes.

namespace {

constexpr quint32 segmentId = 0x18538067;
constexpr quint32 clusterId = 0x1F43B675;
constexpr quint32 blockGroupId = 0xA0;
constexpr quint32 referenceBlockId = 0xFB;
constexpr char voidId = char(0xEC);

struct Element
{
    quint32 id = 0;
    qsizetype dataStart = 0;
    qsizetype end = 0; // the parent's end for an element of unknown size
};

// The length of an EBML variable-size integer from its first byte (0 when invalid).
int vintLength(uchar first)
{
    for (int length = 1; length <= 8; ++length) {
        if (first & (0x80 >> (length - 1)))
            return length;
    }
    return 0;
}

std::optional<Element> readElement(const QByteArray &data, qsizetype at, qsizetype parentEnd)
{
    if (at >= parentEnd)
        return std::nullopt;
    const int idLength = vintLength(uchar(data[at]));
    if (idLength == 0 || idLength > 4 || at + idLength >= parentEnd)
        return std::nullopt;
    Element element;
    for (int i = 0; i < idLength; ++i)
        element.id = (element.id << 8) | uchar(data[at + i]);
    const qsizetype sizeAt = at + idLength;
    const int sizeLength = vintLength(uchar(data[sizeAt]));
    if (sizeLength == 0 || sizeAt + sizeLength > parentEnd)
        return std::nullopt;
    quint64 size = uchar(data[sizeAt]) & (0xFF >> sizeLength);
    bool unknown = size == quint64(0xFF >> sizeLength);
    for (int i = 1; i < sizeLength; ++i) {
        size = (size << 8) | uchar(data[sizeAt + i]);
        unknown = unknown && uchar(data[sizeAt + i]) == 0xFF;
    }
    element.dataStart = sizeAt + sizeLength;
    element.end = unknown ? parentEnd : element.dataStart + qsizetype(size);
    if (element.end > parentEnd)
        return std::nullopt;
    return element;
}

// Voids the ReferenceBlocks of the BlockGroups between `from` and `to`,
// inside the masters that hold them; the number voided.
int voidReferences(QByteArray &data, qsizetype from, qsizetype to, quint32 parent)
{
    int voided = 0;
    for (qsizetype at = from; at < to;) {
        const std::optional<Element> element = readElement(data, at, to);
        if (!element)
            break;
        if (element->id == segmentId || element->id == clusterId || element->id == blockGroupId)
            voided += voidReferences(data, element->dataStart, element->end, element->id);
        else if (element->id == referenceBlockId && parent == blockGroupId) {
            data[at] = voidId;
            ++voided;
        }
        at = element->end;
    }
    return voided;
}

} // namespace

bool FormatMatrix::dropBlockReferences(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    QByteArray data = file.readAll();
    if (voidReferences(data, 0, data.size(), 0) == 0)
        return false; // not a file of BlockGroups: the recipe did not make what it should
    file.seek(0);
    return file.write(data) == data.size();
}
