// How a reader takes its next piece from the sweep: the steps of planning
// one piece, each under the planning lock the reader holds while it plans.
#include "media/BackwardReader.h"

#include <algorithm>

namespace {
// Stretches passed over that are remembered (the player is in the latest).
constexpr size_t maxPassedOver = 8;
} // namespace

bool BackwardReader::takePiece(Reader &reader, quint64 serial, Piece *piece)
{
    std::lock_guard planning(m_planning);
    Plan plan;
    if (!planFromSweep(serial, &plan))
        return false;
    FFmpegVideoDecoder &decoder = reader.decoder;
    const qint64 frame = decoder.frameDurationTicks();
    // The first frame is shown at the start; an all-intra stream takes the
    // frame nearest a time, which may be half a frame after it.
    const qint64 start = decoder.toTimestamp(0) - (decoder.isIntraOnly() ? frame / 2 : 0);
    if (plan.leaveFirst && !leaveFirstInterval(decoder, serial, start, &plan))
        return false;
    if (plan.top < start) {
        stopSweep(serial);
        return false;
    }
    if (!keepAheadOfPlayer(decoder, serial, &plan))
        return false;
    qint64 next = 0;
    *piece = cutPiece(decoder, plan, frame, &next);
    return markTaken(reader, serial, *piece, next, start);
}

bool BackwardReader::planFromSweep(quint64 serial, Plan *plan) const
{
    std::lock_guard lock(m_mutex);
    // Another reader may have taken the last piece within reach meanwhile.
    if (m_serial != serial || !hasWorkLocked(0) || m_stop)
        return false;
    plan->top = m_nextTop;
    plan->course = *m_course;
    plan->grid = m_gridAnchor;
    plan->leaveFirst = m_leaveFirst;
    plan->playerKeepsFrom = m_playerKeepsFrom;
    plan->playerThen = anchorInLocked(m_pieceSeconds);
    // Readers side by side that together keep up with the player read
    // every piece in time (those in the way of it start a little late).
    plan->keepsUp = plan->course.ticksPerSecond <= m_readers * m_ticksPerReaderSecond;
    return true;
}

bool BackwardReader::leaveFirstInterval(FFmpegVideoDecoder &decoder, quint64 serial, qint64 start, Plan *plan)
{
    qint64 &top = plan->top;
    // Below the keyframe of the interval the player reads (all of it
    // when that keyframe is not known: a piece read twice, none missed).
    if (!decoder.isIntraOnly()) {
        if (const std::optional<qint64> keyframe = decoder.readKeyframeFor(top); keyframe && *keyframe <= top)
            top = std::min(top, std::max(*keyframe, plan->playerKeepsFrom) - 1);
    }
    {
        std::lock_guard lock(m_mutex);
        if (m_serial != serial)
            return false;
        m_leaveFirst = false;
        m_nextTop = top;
        if (top < start)
            m_swept = true;
    }
    m_changed.notify_all();
    if (top < plan->course.anchor - plan->course.ahead)
        return false; // out of reach for now
    return true;
}

bool BackwardReader::keepAheadOfPlayer(FFmpegVideoDecoder &decoder, quint64 serial, Plan *plan)
{
    const Course &course = plan->course;
    qint64 &top = plan->top;
    if (!decoder.isIntraOnly() && course.ticksPerSecond > 0 && !plan->keepsUp && plan->playerThen < top) {
        // A player that moves on faster than pieces are read would pass
        // this one before its frames are ready, and every one after it:
        // the sweep goes on from where it will be then (what lies between
        // is passed unread), within reach.
        const qint64 reach = std::max(plan->playerThen + course.stride / 2, course.anchor - course.ahead);
        // Within the interval of the top, the piece is read from the same
        // keyframe anyway: the sweep goes past whole intervals only.
        const std::optional<qint64> keyframe = reach < top ? decoder.readKeyframeFor(top) : std::nullopt;
        if (reach < top && (!keyframe || *keyframe > top || reach < *keyframe)) {
            std::lock_guard lock(m_mutex);
            if (m_serial != serial)
                return false;
            if (m_passedOver.size() >= maxPassedOver)
                m_passedOver.erase(m_passedOver.begin());
            m_passedOver.push_back(Piece{reach + 1, top});
            top = reach;
        }
    }
    return true;
}

BackwardReader::Piece BackwardReader::cutPiece(FFmpegVideoDecoder &decoder, const Plan &plan, qint64 frame, qint64 *next)
{
    const Course &course = plan.course;
    qint64 top = plan.top;
    Piece piece;
    if (decoder.isIntraOnly()) {
        // One frame: the one nearest a time asked for (every frame, or one a stride apart).
        const bool everyFrame = course.stride <= frame + frame / 2;
        if (!everyFrame) {
            // The highest time asked for at or below the top.
            qint64 offset = (top - plan.grid) % course.stride;
            if (offset < 0)
                offset += course.stride;
            top -= offset;
        }
        const qint64 wanted = everyFrame ? top : top + frame / 2;
        const std::optional<qint64> shown = decoder.format().keyframeAtOrBefore(wanted);
        piece = Piece{shown ? *shown : top, wanted};
        *next = everyFrame ? piece.from - 1 : top - course.stride;
    } else {
        // One keyframe interval: from the keyframe that holds the top up to
        // it, known exactly (an index's guess may be a few frames off, and a
        // piece that starts too early decodes the interval before too).
        const std::optional<qint64> keyframe = decoder.readKeyframeFor(top);
        if (keyframe && *keyframe <= top) {
            piece = Piece{*keyframe, top};
            *next = *keyframe - 1;
        } else {
            // Where the keyframes are is not known: what lies within reach.
            piece = Piece{std::min(top, course.anchor - course.ahead), top};
            *next = piece.from - 1;
        }
    }
    return piece;
}

bool BackwardReader::markTaken(Reader &reader, quint64 serial, const Piece &piece, qint64 next, qint64 start)
{
    std::lock_guard lock(m_mutex);
    if (m_serial != serial)
        return false;
    m_nextTop = next;
    if (next < start)
        m_swept = true;
    reader.reading = piece;
    reader.readingSerial = serial;
    return true;
}
