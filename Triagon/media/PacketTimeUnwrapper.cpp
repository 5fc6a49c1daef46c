#include "media/PacketTimeUnwrapper.h"

namespace {

// a + b, held at the largest time where it would overflow.
qint64 saturatedSum(qint64 a, qint64 b)
{
    qint64 sum = 0;
    return __builtin_add_overflow(a, b, &sum) ? (b > 0 ? std::numeric_limits<qint64>::max() : std::numeric_limits<qint64>::min() + 1) : sum;
}

} // namespace

PacketTimeUnwrapper::Times PacketTimeUnwrapper::next(qint64 pts, qint64 dts, qint64 duration)
{
    const qint64 own = dts != none ? dts : pts;
    qint64 moved = 0;
    const bool movedOn = m_started && own != none && m_lastOwn != none && own >= m_lastOwn
                         && !__builtin_sub_overflow(own, m_lastOwn, &moved);
    if (movedOn && moved > 0 && (m_step == 0 || moved < m_step))
        m_step = moved;
    Times times;
    if (!m_started)
        times.decoded = own != none ? own : 0;
    else if (movedOn)
        times.decoded = saturatedSum(m_last, moved);
    else
        times.decoded = saturatedSum(m_last, duration > 0 ? duration : m_step > 0 ? m_step : 1);
    // Shown as far after it is decoded as the container says.
    qint64 reorder = 0;
    if (own == none)
        times.shown = times.decoded;
    else if (pts != none)
        times.shown = __builtin_sub_overflow(pts, own, &reorder) ? times.decoded : saturatedSum(times.decoded, reorder);
    follow(pts, dts, times);
    return times;
}

void PacketTimeUnwrapper::follow(qint64 pts, qint64 dts, Times placed)
{
    m_started = true;
    m_lastOwn = dts != none ? dts : pts;
    m_last = placed.decoded;
}
