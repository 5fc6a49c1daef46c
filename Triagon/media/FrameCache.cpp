#include "media/FrameCache.h"

#include <cstdlib>

void FrameCache::setBudget(qint64 bytes)
{
    m_budget = bytes;
    trim();
}

void FrameCache::clear()
{
    m_entries.clear();
    m_bytes = 0;
}

void FrameCache::insert(qint64 timestamp, qint64 previous, const QImage &image)
{
    if (image.isNull() || m_budget <= 0)
        return;
    auto it = m_entries.find(timestamp);
    if (it != m_entries.end()) {
        m_bytes -= it->second.image.sizeInBytes();
        if (previous == unknown)
            previous = it->second.previous;
        it->second.image = image;
        it->second.previous = previous;
    } else {
        it = m_entries.emplace(timestamp, Entry{timestamp, previous, false, image, 0}).first;
    }
    m_bytes += image.sizeInBytes();
    it->second.used = ++m_clock;
    trim();
}

void FrameCache::markLast(qint64 timestamp)
{
    if (auto it = m_entries.find(timestamp); it != m_entries.end())
        it->second.last = true;
}

const FrameCache::Entry *FrameCache::touch(Entry &entry)
{
    entry.used = ++m_clock;
    return &entry;
}

const FrameCache::Entry *FrameCache::findFirstAtOrAfter(qint64 accept)
{
    auto it = m_entries.lower_bound(accept);
    if (it == m_entries.end()) {
        // Past the last frame an exact seek stays on the last frame.
        if (!m_entries.empty() && m_entries.rbegin()->second.last)
            return touch(m_entries.rbegin()->second);
        return nullptr;
    }
    Entry &entry = it->second;
    if (entry.previous == unknown)
        return nullptr;
    if (entry.previous == streamStart || entry.previous < accept)
        return touch(entry);
    return nullptr;
}

const FrameCache::Entry *FrameCache::findWithin(qint64 from, qint64 to, qint64 preferred)
{
    Entry *best = nullptr;
    for (auto it = m_entries.lower_bound(from); it != m_entries.end() && it->first <= to; ++it) {
        if (!best || std::llabs(it->first - preferred) < std::llabs(best->timestamp - preferred))
            best = &it->second;
    }
    return best ? touch(*best) : nullptr;
}

const FrameCache::Entry *FrameCache::find(qint64 timestamp)
{
    auto it = m_entries.find(timestamp);
    return it == m_entries.end() ? nullptr : touch(it->second);
}

const FrameCache::Entry *FrameCache::successor(qint64 timestamp)
{
    auto it = m_entries.upper_bound(timestamp);
    if (it == m_entries.end() || it->second.previous != timestamp)
        return nullptr;
    return touch(it->second);
}

void FrameCache::trim()
{
    while (m_bytes > m_budget && !m_entries.empty()) {
        auto oldest = m_entries.begin();
        for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
            if (it->second.used < oldest->second.used)
                oldest = it;
        }
        m_bytes -= oldest->second.image.sizeInBytes();
        m_entries.erase(oldest);
    }
}
