#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>

// The frame threads of concurrent decodes, shared out so that the decodes
// running together never use more threads than `total` (the processors):
// each decode gets at least one, waiting until one is free, and at most its
// fair share among the decodes running and waiting. A decode alone may use
// all of them. Thread-safe.
class DecodeThreadAllotment
{
public:
    explicit DecodeThreadAllotment(int total);

    // Threads for one decode that would like `wanted`, with `contenders`
    // decodes running or waiting (this one included). Waits while none is
    // free; 0 once cancel() was called or `stop` is set.
    int take(int wanted, int contenders, const std::atomic_bool *stop = nullptr);
    // The same without waiting: while every thread is taken, one beyond
    // `total` (a decode that must not wait for others to end).
    int takeAtOnce(int wanted, int contenders);
    void give(int threads);
    // Wakes every waiting take() with 0, now and from now on.
    void cancel();

    int total() const { return m_total; }
    int peak() const; // the most threads ever in use at once

private:
    // Takes the threads once the lock is held.
    int takeLocked(int wanted, int contenders);

    const int m_total;
    mutable std::mutex m_mutex;
    std::condition_variable m_freed;
    int m_inUse = 0;
    int m_peak = 0;
    bool m_cancelled = false;
};
