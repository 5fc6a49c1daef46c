#include "media/FFmpegFrameReceive.h"

#include "media/FFmpegFormat.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

#include <optional>

FFmpegReceiveResult receiveFrame(FFmpegFormat &file, AVCodecContext *codec, AVPacket *packet, int streamIndex, AVFrame *frame,
                                 bool *draining, int *decodeErrors, int *ffmpegError, const FFmpegReceiveOptions &options)
{
    const auto stopped = [&] { return options.stop && options.stop(); };
    while (true) {
        if (options.stopBeforeEachReceive && stopped())
            return FFmpegReceiveResult::Stopped;
        const int result = avcodec_receive_frame(codec, frame);
        if (result == 0)
            return FFmpegReceiveResult::Frame;
        if (result == AVERROR_EOF)
            return FFmpegReceiveResult::End;
        if (result != AVERROR(EAGAIN)) {
            // A damaged frame: keep going until the decoder gives up for good.
            if (options.errorsSeen)
                ++*options.errorsSeen;
            if (++*decodeErrors > ffmpegMaxConsecutiveDecodeErrors) {
                *ffmpegError = result;
                return FFmpegReceiveResult::Failed;
            }
            continue;
        }
        if (*draining)
            return FFmpegReceiveResult::End;
        if (!options.stopBeforeEachReceive && stopped())
            return FFmpegReceiveResult::Stopped;
        const std::optional<int> sent = file.sendNextPacket(codec, packet, streamIndex, draining, options.beforeSend);
        if (!sent)
            continue;
        if (*sent >= 0) {
            if (options.goodPacketForgives)
                *decodeErrors = 0;
        } else if (*sent != AVERROR(EAGAIN)) {
            if (options.errorsSeen)
                ++*options.errorsSeen;
            if (++*decodeErrors > ffmpegMaxConsecutiveDecodeErrors) {
                *ffmpegError = *sent;
                return FFmpegReceiveResult::Failed;
            }
        }
    }
}
