#include "media/PosterCache.h"

#include <QMutexLocker>

PosterCache::PosterCache(int countLimit, qint64 byteLimit) : m_countLimit(countLimit), m_byteLimit(byteLimit)
{
}

QImage PosterCache::object(const QString &key)
{
    QMutexLocker lock(&m_mutex);
    const auto entry = m_entries.find(key);
    if (entry == m_entries.end())
        return {};
    m_order.splice(m_order.end(), m_order, entry->position);
    return entry->image;
}

bool PosterCache::contains(const QString &key) const
{
    QMutexLocker lock(&m_mutex);
    return m_entries.contains(key);
}

void PosterCache::insert(const QString &key, const QImage &image)
{
    const qint64 bytes = image.sizeInBytes();
    QMutexLocker lock(&m_mutex);
    if (const auto existing = m_entries.find(key); existing != m_entries.end())
        removeLocked(existing);
    if (image.isNull() || bytes > m_byteLimit || m_countLimit <= 0)
        return;
    m_order.push_back(key);
    m_entries.insert(key, Entry{image, bytes, std::prev(m_order.end())});
    m_bytes += bytes;
    trimLocked();
}

void PosterCache::remove(const QString &key)
{
    QMutexLocker lock(&m_mutex);
    if (const auto entry = m_entries.find(key); entry != m_entries.end())
        removeLocked(entry);
}

void PosterCache::clear()
{
    QMutexLocker lock(&m_mutex);
    m_entries.clear();
    m_order.clear();
    m_bytes = 0;
}

int PosterCache::count() const
{
    QMutexLocker lock(&m_mutex);
    return int(m_entries.size());
}

qint64 PosterCache::totalBytes() const
{
    QMutexLocker lock(&m_mutex);
    return m_bytes;
}

int PosterCache::countLimit() const
{
    QMutexLocker lock(&m_mutex);
    return m_countLimit;
}

qint64 PosterCache::byteLimit() const
{
    QMutexLocker lock(&m_mutex);
    return m_byteLimit;
}

void PosterCache::setLimits(int countLimit, qint64 byteLimit)
{
    QMutexLocker lock(&m_mutex);
    m_countLimit = countLimit;
    m_byteLimit = byteLimit;
    trimLocked();
}

void PosterCache::removeLocked(QHash<QString, Entry>::iterator entry)
{
    m_bytes -= entry->bytes;
    m_order.erase(entry->position);
    m_entries.erase(entry);
}

void PosterCache::trimLocked()
{
    while (!m_order.empty() && (qsizetype(m_entries.size()) > m_countLimit || m_bytes > m_byteLimit)) {
        const auto oldest = m_entries.find(m_order.front());
        if (oldest == m_entries.end()) {
            m_order.pop_front();
            continue;
        }
        removeLocked(oldest);
    }
}
