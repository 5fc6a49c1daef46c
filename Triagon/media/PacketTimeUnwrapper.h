#pragma once

#include <QtGlobal>

#include <limits>

// The times of one stream's packets as read in order from the start of a
// file, made to run on where the container's own do not. Matroska that
// refuses seeks (its blocks lie before their cluster's time) gives no time
// to the blocks whose offset is negative, so the demuxer numbers them on
// from the last time it had, and the times of the others are their 16-bit
// offsets alone: the times fall back to near 0 every 65.536 s (2^16 ticks
// of a millisecond), and once where the first blocks with an offset of their
// own begin. A packet's time is the last one's plus the distance the
// container's times moved; where they fall back (or are missing), plus the
// packet's duration. Times are stream ticks; `none` is FFmpeg's
// AV_NOPTS_VALUE. Not thread-safe.
class PacketTimeUnwrapper
{
public:
    static constexpr qint64 none = std::numeric_limits<qint64>::min();

    struct Times
    {
        qint64 shown = none;
        qint64 decoded = none;
    };

    // The next packet read in order, by its own times and duration.
    Times next(qint64 pts, qint64 dts, qint64 duration);
    // A packet placed another way (by its position in the file): the
    // packets read after it go on from it.
    void follow(qint64 pts, qint64 dts, Times placed);
    // Reading starts anew (at the start of the file).
    void reset() { *this = PacketTimeUnwrapper(); }
    // Whether a packet was read or placed since.
    bool hasStarted() const { return m_started; }

private:
    bool m_started = false;
    qint64 m_lastOwn = none; // the container's time of the last packet
    qint64 m_last = 0;       // its time on the timeline
    qint64 m_step = 0;       // the shortest distance between two packets seen
};
