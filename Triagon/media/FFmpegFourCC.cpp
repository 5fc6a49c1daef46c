#include "media/FFmpegFourCC.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <cstring>

quint32 fourCCForCodec(int codecId, int profile)
{
    switch (AVCodecID(codecId)) {
    case AV_CODEC_ID_H264:
        return fourCC('a', 'v', 'c', '1');
    case AV_CODEC_ID_HEVC:
        return fourCC('h', 'v', 'c', '1');
    case AV_CODEC_ID_MPEG4:
        return fourCC('m', 'p', '4', 'v');
    case AV_CODEC_ID_MJPEG:
        return fourCC('j', 'p', 'e', 'g');
    case AV_CODEC_ID_PRORES:
        switch (profile) {
        case FF_PROFILE_PRORES_PROXY:
            return fourCC('a', 'p', 'c', 'o');
        case FF_PROFILE_PRORES_LT:
            return fourCC('a', 'p', 'c', 's');
        case FF_PROFILE_PRORES_HQ:
            return fourCC('a', 'p', 'c', 'h');
        case FF_PROFILE_PRORES_4444:
            return fourCC('a', 'p', '4', 'h');
        case FF_PROFILE_PRORES_XQ:
            return fourCC('a', 'p', '4', 'x');
        default:
            return fourCC('a', 'p', 'c', 'n');
        }
    case AV_CODEC_ID_VP9:
        return fourCC('v', 'p', '0', '9');
    case AV_CODEC_ID_VP8:
        return fourCC('v', 'p', '0', '8');
    case AV_CODEC_ID_AV1:
        return fourCC('a', 'v', '0', '1');
    case AV_CODEC_ID_MPEG2VIDEO:
        return fourCC('m', 'p', '2', 'v');
    case AV_CODEC_ID_MPEG1VIDEO:
        return fourCC('m', 'p', '1', 'v');
    case AV_CODEC_ID_DNXHD:
        return fourCC('A', 'V', 'd', 'n');
    case AV_CODEC_ID_DVVIDEO:
        return fourCC('d', 'v', 'c', ' ');
    case AV_CODEC_ID_H263:
        return fourCC('s', '2', '6', '3');
    case AV_CODEC_ID_PNG:
        return fourCC('p', 'n', 'g', ' ');
    case AV_CODEC_ID_RAWVIDEO:
        return fourCC('r', 'a', 'w', ' ');
    default:
        return 0;
    }
}

quint32 videoFourCC(const AVFormatContext *format, const AVCodecParameters *parameters)
{
    if (!parameters)
        return 0;
    const bool quickTime = format && format->iformat && format->iformat->name && std::strstr(format->iformat->name, "mov");
    if (quickTime && parameters->codec_tag != 0)
        return fourCCFromCodecTag(parameters->codec_tag);
    if (const quint32 derived = fourCCForCodec(parameters->codec_id, parameters->profile))
        return derived;
    return fourCCFromCodecTag(parameters->codec_tag);
}
