#include "app/ui/QuitWatchdog.h"

#include "app/Loggers.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

// Written from signal handlers and read by the watching thread: plain
// atomics and a pipe, nothing that allocates or locks.
int g_wake[2] = {-1, -1};
std::atomic<int> g_signal{0};
std::atomic<int> g_status{0};

void wake(char what)
{
    const int saved = errno;
    [[maybe_unused]] const ssize_t written = ::write(g_wake[1], &what, 1);
    errno = saved;
}

int millisecondsUntil(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left <= 0 ? 0 : static_cast<int>(left);
}

[[noreturn]] void endNow(int status, const char *why)
{
    qCCritical(sessionLogger, "%s; ending now", why);
    ::_exit(status);
}

void watch()
{
    std::optional<Clock::time_point> signalDeadline;
    std::optional<Clock::time_point> teardownDeadline;
    bool quitting = false;
    for (;;) {
        std::optional<Clock::time_point> next = teardownDeadline;
        if (!next && signalDeadline && !quitting)
            next = signalDeadline;
        pollfd entry{g_wake[0], POLLIN, 0};
        const int ready = ::poll(&entry, 1, next ? millisecondsUntil(*next) : -1);
        if (ready > 0) {
            char what = 0;
            while (::read(g_wake[0], &what, 1) == 1) {
                if (what == 's' && !signalDeadline)
                    signalDeadline = Clock::now() + std::chrono::milliseconds(QuitWatchdog::signalGraceMs);
                else if (what == 'q')
                    quitting = true;
                else if (what == 't' && !teardownDeadline)
                    teardownDeadline = Clock::now() + std::chrono::milliseconds(QuitWatchdog::teardownMs);
            }
        }
        const Clock::time_point now = Clock::now();
        if (teardownDeadline && now >= *teardownDeadline)
            endNow(g_status.load(), "Work still running did not end within 2 s of quitting");
        if (!teardownDeadline && !quitting && signalDeadline && now >= *signalDeadline)
            endNow(128 + g_signal.load(), "The application did not respond to the request to quit within 2 s");
    }
}

} // namespace

void QuitWatchdog::install()
{
    if (g_wake[0] >= 0)
        return;
    if (::pipe2(g_wake, O_CLOEXEC | O_NONBLOCK) != 0) {
        g_wake[0] = g_wake[1] = -1;
        qCCritical(sessionLogger, "Could not watch the time quitting takes: no pipe");
        return;
    }
    // Never joined: it lives as long as the process and ends with it.
    std::thread(watch).detach();
}

void QuitWatchdog::signalReceived(int signalNumber)
{
    if (g_wake[1] < 0)
        return;
    int none = 0;
    g_signal.compare_exchange_strong(none, signalNumber);
    wake('s');
}

void QuitWatchdog::quitStarted()
{
    if (g_wake[1] >= 0)
        wake('q');
}

void QuitWatchdog::teardownStarted(int status)
{
    if (g_wake[1] < 0)
        return;
    g_status.store(status);
    wake('t');
}
