#pragma once

#include <atomic>

// FFmpeg's log as a source of facts: the damage a decoder conceals. Its
// error concealment (H.264, MPEG-4 Part 2, MPEG-2 and their kin) says in
// the log which picture it mended ("concealing N DC, N AC, N MV errors"),
// from whichever thread decodes it; the flag it puts on the frame
// (decode_error_flags) is copied before the picture is finished when frame
// threads decode ahead, so that it comes and goes. Other errors in the log
// are not counted: many are of frames never shown (the B-frames before an
// open group's keyframe after a seek). Installing is not thread-safe; the
// counting is.
class FFmpegErrorLog
{
public:
    // The concealments logged by the decoder contexts whose `opaque` is this
    // counter (set before avcodec_open2, so that its frame threads' copies
    // have it too), while the counter lives. It must outlive the contexts.
    class Counter
    {
    public:
        Counter();
        ~Counter();
        Counter(const Counter &) = delete;
        Counter &operator=(const Counter &) = delete;
        int count() const { return m_count.load(std::memory_order_relaxed); }

    private:
        friend class FFmpegErrorLog;
        std::atomic_int m_count{0};
    };

    // Puts the counting in front of FFmpeg's own log callback; idempotent.
    static void install();
};
