#pragma once

// Owners of FFmpeg objects: each releases its object with the matching FFmpeg
// free function, so that every early return in the media code cleans up.

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <memory>

struct FFmpegFormatContextDeleter
{
    void operator()(AVFormatContext *context) const { avformat_close_input(&context); }
};
struct FFmpegCodecContextDeleter
{
    void operator()(AVCodecContext *context) const { avcodec_free_context(&context); }
};
struct FFmpegPacketDeleter
{
    void operator()(AVPacket *packet) const { av_packet_free(&packet); }
};
struct FFmpegFrameDeleter
{
    void operator()(AVFrame *frame) const { av_frame_free(&frame); }
};
struct FFmpegSwsContextDeleter
{
    void operator()(SwsContext *context) const { sws_freeContext(context); }
};
struct FFmpegSwrContextDeleter
{
    void operator()(SwrContext *context) const { swr_free(&context); }
};

using FFmpegFormatContextPtr = std::unique_ptr<AVFormatContext, FFmpegFormatContextDeleter>;
using FFmpegCodecContextPtr = std::unique_ptr<AVCodecContext, FFmpegCodecContextDeleter>;
using FFmpegPacketPtr = std::unique_ptr<AVPacket, FFmpegPacketDeleter>;
using FFmpegFramePtr = std::unique_ptr<AVFrame, FFmpegFrameDeleter>;
using FFmpegSwsContextPtr = std::unique_ptr<SwsContext, FFmpegSwsContextDeleter>;
using FFmpegSwrContextPtr = std::unique_ptr<SwrContext, FFmpegSwrContextDeleter>;

inline FFmpegPacketPtr makeFFmpegPacket()
{
    return FFmpegPacketPtr(av_packet_alloc());
}
inline FFmpegFramePtr makeFFmpegFrame()
{
    return FFmpegFramePtr(av_frame_alloc());
}
