#include "media/DecodeThreadAllotment.h"

#include <algorithm>
#include <chrono>

DecodeThreadAllotment::DecodeThreadAllotment(int total) : m_total(std::max(1, total))
{
}

int DecodeThreadAllotment::take(int wanted, int contenders, const std::atomic_bool *stop)
{
    std::unique_lock lock(m_mutex);
    const auto stopped = [&] { return m_cancelled || (stop && stop->load()); };
    // The stop flag is set without this lock: look at it now and then.
    while (!m_freed.wait_for(lock, std::chrono::milliseconds(20), [&] { return stopped() || m_inUse < m_total; })) {
    }
    if (stopped())
        return 0;
    return takeLocked(wanted, contenders);
}

int DecodeThreadAllotment::takeAtOnce(int wanted, int contenders)
{
    std::lock_guard lock(m_mutex);
    return takeLocked(wanted, contenders);
}

int DecodeThreadAllotment::takeLocked(int wanted, int contenders)
{
    const int fairShare = std::max(1, m_total / std::max(1, contenders));
    const int threads = std::clamp(wanted, 1, std::max(1, std::min(fairShare, m_total - m_inUse)));
    m_inUse += threads;
    m_peak = std::max(m_peak, m_inUse);
    return threads;
}

void DecodeThreadAllotment::give(int threads)
{
    {
        std::lock_guard lock(m_mutex);
        m_inUse = std::max(0, m_inUse - threads);
    }
    m_freed.notify_all();
}

void DecodeThreadAllotment::cancel()
{
    {
        std::lock_guard lock(m_mutex);
        m_cancelled = true;
    }
    m_freed.notify_all();
}

int DecodeThreadAllotment::peak() const
{
    std::lock_guard lock(m_mutex);
    return m_peak;
}
