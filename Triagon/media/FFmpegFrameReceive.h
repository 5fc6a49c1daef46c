#pragma once

#include <functional>

class FFmpegFormat;
struct AVCodecContext;
struct AVFrame;
struct AVPacket;

// How a receive ended.
enum class FFmpegReceiveResult { Frame, End, Failed, Stopped };

// More damaged frames or packets in a row than this and a decode gives up.
inline constexpr int ffmpegMaxConsecutiveDecodeErrors = 500;

// How a decode wants its receive loop run.
struct FFmpegReceiveOptions
{
    // Asked before each receive from the decoder (stopBeforeEachReceive) or
    // only before a packet is read; true ends the receive with Stopped.
    std::function<bool()> stop;
    bool stopBeforeEachReceive = false;
    // Whether a packet the decoder takes forgives the errors counted so far.
    bool goodPacketForgives = true;
    // Sees each packet of the stream just before the decoder does; false
    // ends the stream there (FFmpegFormat::sendNextPacket).
    std::function<bool(const AVPacket &)> beforeSend;
    // When set, counts every error the decoder returned, forgiven or not.
    int *errorsSeen = nullptr;
};

// The decoders' one receive loop: the decoder's next frame into `frame`,
// feeding it the packets of `streamIndex` (FFmpegFormat::sendNextPacket,
// which sets *draining at the end of the file) while it asks for more
// (EAGAIN). A damaged frame or packet is skipped and counted in
// *decodeErrors (the caller's, so that a count can span several frames);
// past ffmpegMaxConsecutiveDecodeErrors the result is Failed with the FFmpeg
// code in *ffmpegError. End once the decoder has handed out its last frame
// (EOF), or asks for more while draining.
FFmpegReceiveResult receiveFrame(FFmpegFormat &file, AVCodecContext *codec, AVPacket *packet, int streamIndex, AVFrame *frame,
                                 bool *draining, int *decodeErrors, int *ffmpegError, const FFmpegReceiveOptions &options = {});
