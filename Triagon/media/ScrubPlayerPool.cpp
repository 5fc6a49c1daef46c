#include "media/ScrubPlayerPool.h"

#include "media/VideoPlayer.h"

#include <QPointer>

#include <algorithm>
#include <cmath>

ScrubPlayerPool::ScrubPlayerPool(int maxPoolSize, QObject *parent) : QObject(parent), m_maxPoolSize(std::max(1, maxPoolSize))
{
}

ScrubPlayerPool::~ScrubPlayerPool()
{
    purgePlayers();
}

std::shared_ptr<VideoPlayer> ScrubPlayerPool::player(const QString &path)
{
    if (const auto it = m_pool.constFind(path); it != m_pool.constEnd()) {
        m_accessOrder.removeOne(path);
        m_accessOrder.append(path);
        return it.value();
    }
    auto created = std::make_shared<VideoPlayer>(path, VideoPlayer::Options::pooledScrub());
    m_pool.insert(path, created);
    m_accessOrder.append(path);
    m_isSeeking.insert(path, false);
    m_playerURLs.insert(created.get(), path);

    while (m_pool.size() > m_maxPoolSize && !m_accessOrder.isEmpty()) {
        const QString oldest = m_accessOrder.takeFirst();
        if (const auto it = m_pool.constFind(oldest); it != m_pool.constEnd())
            release(it.value());
        m_pool.remove(oldest);
        m_isSeeking.remove(oldest);
        m_pendingSeekTime.remove(oldest);
        m_completions.remove(oldest);
    }
    return created;
}

void ScrubPlayerPool::release(const std::shared_ptr<VideoPlayer> &player)
{
    m_playerURLs.remove(player.get());
    player->pause();
    player->close();
}

void ScrubPlayerPool::seek(const std::shared_ptr<VideoPlayer> &player, double seconds, std::function<void()> completion)
{
    seek(player.get(), seconds, std::move(completion));
}

void ScrubPlayerPool::seek(VideoPlayer *player, double seconds, std::function<void()> completion)
{
    const auto found = m_playerURLs.constFind(player);
    if (!player || found == m_playerURLs.constEnd())
        return;
    const QString path = found.value();
    if (completion)
        m_completions[path].append(std::move(completion));
    if (m_isSeeking.value(path, false)) {
        m_pendingSeekTime.insert(path, seconds);
        return;
    }
    m_isSeeking.insert(path, true);
    m_pendingSeekTime.remove(path);

    const double target = std::isfinite(seconds) ? std::max(0.01, seconds) : 0.01;
    // Only the completions already waiting belong to this seek; later ones
    // wait for the seek that carries their time.
    const int satisfied = static_cast<int>(m_completions.value(path).size());
    QPointer<ScrubPlayerPool> self(this);
    player->seek(target, [self, player, path, satisfied](bool) {
        if (!self)
            return;
        // The player may have been evicted and the path pooled anew meanwhile.
        const auto current = self->m_playerURLs.constFind(player);
        if (current == self->m_playerURLs.constEnd())
            return;
        self->m_isSeeking.insert(path, false);
        auto &waiting = self->m_completions[path];
        QList<std::function<void()>> done = waiting.mid(0, satisfied);
        waiting.remove(0, std::min<qsizetype>(satisfied, waiting.size()));
        if (waiting.isEmpty())
            self->m_completions.remove(path);
        if (const auto pending = self->m_pendingSeekTime.constFind(path); pending != self->m_pendingSeekTime.constEnd()) {
            const double next = pending.value();
            self->m_pendingSeekTime.remove(path);
            self->seek(player, next);
        }
        for (const auto &callback : done)
            callback();
    });
}

void ScrubPlayerPool::purgePlayers()
{
    for (const auto &player : std::as_const(m_pool))
        release(player);
    m_pool.clear();
    m_accessOrder.clear();
    m_isSeeking.clear();
    m_pendingSeekTime.clear();
    m_playerURLs.clear();
    m_completions.clear();
}
