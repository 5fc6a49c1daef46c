#include "media/PooledDecoderBudget.h"

#include "media/VideoPlayerWorker.h"

#include <algorithm>
#include <vector>

PooledDecoderBudget &PooledDecoderBudget::instance()
{
    static PooledDecoderBudget budget;
    return budget;
}

int PooledDecoderBudget::limit() const
{
    std::lock_guard lock(m_mutex);
    return m_limit;
}

void PooledDecoderBudget::setLimit(int decoders)
{
    std::lock_guard lock(m_mutex);
    m_limit = std::max(1, decoders);
}

void PooledDecoderBudget::touch(VideoPlayerWorker *worker)
{
    std::lock_guard lock(m_mutex);
    m_open.remove(worker);
    m_open.push_back(worker);
    int excess = static_cast<int>(m_open.size()) - m_limit;
    for (auto it = m_open.begin(); excess > 0 && it != m_open.end(); ++it) {
        if (*it == worker)
            continue;
        // Only asks: a worker closes its decoder when it is idle, and then
        // removes itself from the list.
        (*it)->requestRelease();
        --excess;
    }
}

void PooledDecoderBudget::remove(VideoPlayerWorker *worker)
{
    std::lock_guard lock(m_mutex);
    m_open.remove(worker);
}

int PooledDecoderBudget::openCount() const
{
    std::lock_guard lock(m_mutex);
    return static_cast<int>(m_open.size());
}
