#include "media/PooledDecoderBudget.h"

#include "media/VideoPlayer.h"
#include "media/VideoPlayerWorker.h"

#include <QThread>

#include <algorithm>

PooledDecoderBudget &PooledDecoderBudget::instance()
{
    static PooledDecoderBudget budget;
    return budget;
}

PooledDecoderBudget::PooledDecoderBudget()
    : m_limit(VideoPlayer::Options::pooledDecoderLimit()), m_threadLimit(VideoPlayer::Options::pooledThreadLimit()),
      m_seekThreads(QThread::idealThreadCount())
{
}

int PooledDecoderBudget::beginSeek(int wanted)
{
    const int contenders = m_seeking.fetch_add(1) + 1;
    return m_seekThreads.takeAtOnce(wanted, contenders);
}

void PooledDecoderBudget::endSeek(int threads)
{
    m_seekThreads.give(threads);
    m_seeking.fetch_sub(1);
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

int PooledDecoderBudget::threadLimit() const
{
    std::lock_guard lock(m_mutex);
    return m_threadLimit;
}

void PooledDecoderBudget::setThreadLimit(int threads)
{
    std::lock_guard lock(m_mutex);
    m_threadLimit = std::max(1, threads);
}

void PooledDecoderBudget::touch(VideoPlayerWorker *worker, int threads)
{
    std::lock_guard lock(m_mutex);
    m_open.remove_if([worker](const Open &open) { return open.worker == worker; });
    m_open.push_back(Open{worker, std::max(1, threads)});
    int decoders = 0;
    int allThreads = 0;
    for (const Open &open : m_open) {
        ++decoders;
        allThreads += open.threads;
    }
    for (auto it = m_open.begin(); it != m_open.end() && (decoders > m_limit || allThreads > m_threadLimit); ++it) {
        if (it->worker == worker)
            continue;
        // Only asks: a worker closes its decoder when it is idle, and then
        // removes itself from the list.
        it->worker->requestRelease();
        --decoders;
        allThreads -= it->threads;
    }
}

void PooledDecoderBudget::remove(VideoPlayerWorker *worker)
{
    std::lock_guard lock(m_mutex);
    m_open.remove_if([worker](const Open &open) { return open.worker == worker; });
}

int PooledDecoderBudget::openCount() const
{
    std::lock_guard lock(m_mutex);
    return static_cast<int>(m_open.size());
}
