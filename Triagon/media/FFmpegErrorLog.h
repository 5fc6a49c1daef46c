#pragma once

#include <atomic>

// FFmpeg's log as a source of facts: the errors a decoder reports only
// there. A decoder conceals what it cannot read and says so in its log,
// from whichever of its threads decodes the picture; the flags it puts on
// the frame (decode_error_flags) are copied before the picture is finished
// when frame threads decode ahead, so that they come and go. Not thread-safe
// to install; the counting is.
class FFmpegErrorLog
{
public:
    // The errors logged by the decoder contexts whose `opaque` is this
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
