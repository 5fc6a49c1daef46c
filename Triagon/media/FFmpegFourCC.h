#pragma once

#include <QtGlobal>

struct AVCodecParameters;
struct AVFormatContext;

// Four-character codes as the clip model reads them: the first character in
// the most significant byte ('avc1' is 0x61766331).

// A FourCC from its four characters.
constexpr quint32 fourCC(char a, char b, char c, char d)
{
    return quint32(quint8(a)) << 24 | quint32(quint8(b)) << 16 | quint32(quint8(c)) << 8 | quint32(quint8(d));
}

// FFmpeg's codec_tag keeps the first character in the lowest byte.
constexpr quint32 fourCCFromCodecTag(quint32 codecTag)
{
    return (codecTag & 0xFFu) << 24 | (codecTag & 0xFF00u) << 8 | (codecTag & 0xFF0000u) >> 8 | (codecTag & 0xFF000000u) >> 24;
}

// The QuickTime sample-description code of an FFmpeg codec (and, for
// ProRes, its profile); 0 when there is none.
quint32 fourCCForCodec(int codecId, int profile);

// The FourCC of a video stream. QuickTime and MP4 files carry it as the
// codec tag; other containers (Matroska, WebM, MPEG-TS, AVI) carry none or
// their own, so it is derived from the codec, keeping the container's tag
// only for codecs that have no QuickTime code.
quint32 videoFourCC(const AVFormatContext *format, const AVCodecParameters *parameters);
