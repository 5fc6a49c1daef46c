#pragma once

#include "media/FFmpegFormat.h"

#include <QtGlobal>

#include <functional>
#include <optional>

// Where a stream's last frame ends, for files that state no duration (a
// recording written to a pipe, or one whose recorder was killed midway):
// read from the packets at the end of the file, nothing decoded and nothing
// read from its start. Matroska and WebM only: the scan finds the start of a
// cluster in the last stretch of the file, hands it to the demuxer and reads
// the packets from there to the end; a stretch that holds no packet of the
// stream is widened, up to a bound. Other containers Triagon opens state
// their duration (QuickTime and MP4), have it read by FFmpeg from their last
// packets (MPEG-TS), or number their packets from the file's start, so that
// their last packets cannot tell their time (AVI): none.
class StreamEndScan
{
public:
    // Opens a fresh copy of the file: its header read, nothing else.
    using Opener = std::function<FFmpegFormat()>;

    // Whether the scan reads the end of files of this container.
    static bool reads(const AVFormatContext *context);

    // The end of the last packet of `stream` (its time plus its duration,
    // one frame of `frameSeconds` where it has none), in the stream's
    // ticks; none when it cannot be found. `stream` belongs to another
    // opening of the same file; its copy is matched by index and id.
    static std::optional<qint64> find(const Opener &open, const AVStream *stream, double frameSeconds);
};
