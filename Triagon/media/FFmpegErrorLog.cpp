#include "media/FFmpegErrorLog.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/log.h>
}

#include <cstring>
#include <mutex>
#include <unordered_set>

namespace {

// How error concealment begins its report of a mended picture (libavcodec/error_resilience.c).
constexpr char concealing[] = "concealing ";

// The counters alive: `opaque` is the caller's, so only a pointer found here is written to.
struct Counters
{
    std::mutex mutex;
    std::unordered_set<const void *> live;
};

Counters &counters()
{
    static Counters *const instance = new Counters; // never destroyed: decoders log until the very end
    return *instance;
}

} // namespace

FFmpegErrorLog::Counter::Counter()
{
    Counters &all = counters();
    std::lock_guard lock(all.mutex);
    all.live.insert(this);
}

FFmpegErrorLog::Counter::~Counter()
{
    Counters &all = counters();
    std::lock_guard lock(all.mutex);
    all.live.erase(this);
}

void FFmpegErrorLog::install()
{
    static std::once_flag once;
    std::call_once(once, [] {
        av_log_set_callback([](void *context, int level, const char *format, va_list arguments) {
            if (context && format && std::strncmp(format, concealing, sizeof concealing - 1) == 0
                && *static_cast<const AVClass **>(context) == avcodec_get_class()) {
                if (void *opaque = static_cast<AVCodecContext *>(context)->opaque) {
                    Counters &all = counters();
                    std::lock_guard lock(all.mutex);
                    if (all.live.count(opaque))
                        static_cast<Counter *>(opaque)->m_count.fetch_add(1, std::memory_order_relaxed);
                }
            }
            av_log_default_callback(context, level, format, arguments);
        });
    });
}
