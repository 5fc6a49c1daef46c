#include "media/FrameCache.h"

#include <cstdlib>
#include <iterator>

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

void FrameCache::insert(qint64 timestamp, qint64 previous, qint64 end, const QImage &image)
{
    if (image.isNull() || m_budget <= 0)
        return;
    if (end <= timestamp)
        end = unknown; // AV_NOPTS_VALUE included
    auto it = m_entries.find(timestamp);
    if (it != m_entries.end()) {
        m_bytes -= it->second.image.sizeInBytes();
        if (previous == unknown)
            previous = it->second.previous;
        if (end == unknown)
            end = it->second.end;
        it->second.image = image;
        it->second.previous = previous;
        it->second.end = end;
    } else {
        it = m_entries.emplace(timestamp, Entry{timestamp, previous, end, false, image, 0}).first;
    }
    m_bytes += image.sizeInBytes();
    it->second.used = ++m_clock;
    // The frame before ends where this one starts: kept for when this one is gone.
    if (previous != unknown && previous != streamStart && previous < timestamp) {
        if (auto before = m_entries.find(previous); before != m_entries.end())
            before->second.end = timestamp;
    }
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

const FrameCache::Entry *FrameCache::findShownAt(qint64 target)
{
    auto after = m_entries.upper_bound(target);
    if (after == m_entries.begin()) {
        // Before every cached frame: only the stream's first frame is on show there.
        if (after != m_entries.end() && after->second.previous == streamStart)
            return touch(after->second);
        return nullptr;
    }
    Entry &entry = std::prev(after)->second;
    const bool successorKnown = after != m_entries.end() && after->second.previous == entry.timestamp;
    if (entry.timestamp == target || entry.last || successorKnown || (entry.end != unknown && target < entry.end))
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

bool FrameCache::holdsWithin(qint64 from, qint64 to) const
{
    const auto it = m_entries.lower_bound(from);
    return it != m_entries.end() && it->first <= to;
}

void FrameCache::dropAfterFor(qint64 timestamp, qint64 bytes)
{
    while (!m_entries.empty() && m_budget - m_bytes < bytes) {
        const auto furthest = std::prev(m_entries.end());
        if (furthest->first <= timestamp)
            return;
        m_bytes -= furthest->second.image.sizeInBytes();
        m_entries.erase(furthest);
    }
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
