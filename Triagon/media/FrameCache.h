#pragma once

#include <QImage>
#include <QtGlobal>

#include <limits>
#include <map>

// Recently decoded frames of one player, already scaled to the size shown,
// keyed by their stream timestamps. Each entry remembers the timestamp of the
// frame decoded just before it and where it ends, so that a lookup can tell
// "the frame on show at this time" from a frame that merely happens to be
// cached. Bounded by bytes; the least recently used frames go first. Not
// thread-safe.
class FrameCache
{
public:
    static constexpr qint64 unknown = std::numeric_limits<qint64>::max();     // predecessor not known
    static constexpr qint64 streamStart = std::numeric_limits<qint64>::min(); // first frame of the stream

    struct Entry
    {
        qint64 timestamp = 0;
        qint64 previous = unknown;
        qint64 end = unknown; // where the next frame starts, as far as known
        bool last = false;    // no frame follows it in the stream
        QImage image;
        quint64 used = 0;
    };

    explicit FrameCache(qint64 budgetBytes = 0) : m_budget(budgetBytes) {}

    void setBudget(qint64 bytes);
    qint64 budget() const { return m_budget; }
    qint64 bytes() const { return m_bytes; }
    int count() const { return static_cast<int>(m_entries.size()); }
    void clear();

    // Adds a frame (replacing one of the same timestamp); `previous` is the
    // timestamp of the frame decoded right before it, or one of the markers,
    // and `end` the timestamp at which it stops being on show (unknown, or
    // one not after the frame's own, when that is not known).
    void insert(qint64 timestamp, qint64 previous, qint64 end, const QImage &image);
    // Marks the cached frame as the stream's last one.
    void markLast(qint64 timestamp);

    // The frame on show at `target` (the last frame whose timestamp is not
    // after it), when the cache can tell: it starts at target, its successor
    // is cached, its end lies after target, or it is the last frame; before
    // the first frame of the stream, the first frame.
    const Entry *findShownAt(qint64 target);
    // Any cached frame between `from` and `to` (inclusive), the one nearest `preferred`.
    const Entry *findWithin(qint64 from, qint64 to, qint64 preferred);
    const Entry *find(qint64 timestamp);
    // The cached frame that follows `timestamp` directly in the stream.
    const Entry *successor(qint64 timestamp);
    // Whether a frame between `from` and `to` (inclusive) is cached; uses nothing.
    bool holdsWithin(qint64 from, qint64 to) const;
    // Makes room for `bytes` more within the budget by dropping the frames
    // after `timestamp`, the furthest first (a player going backwards has
    // passed them), and no others.
    void dropAfterFor(qint64 timestamp, qint64 bytes);

private:
    const Entry *touch(Entry &entry);
    void trim();

    std::map<qint64, Entry> m_entries;
    qint64 m_budget = 0;
    qint64 m_bytes = 0;
    quint64 m_clock = 0;
};
