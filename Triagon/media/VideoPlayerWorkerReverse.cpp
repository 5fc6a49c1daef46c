#include "media/VideoPlayerWorker.h"

#include <algorithm>
#include <cstdlib>

// Going backwards with a VideoPlayerWorker (the reverse shuttle, frame steps
// back). A decoder only runs forwards: every frame before the one on show is
// reached from the keyframe before it. So while a player goes backwards a
// BackwardReader, with decoders of its own, reads the stretch behind the
// frames cached, its keyframe intervals side by side, and keeps the frames
// the next requests will ask for; the worker takes them into its cache and
// answers each request from there at once.

namespace {
// The most frames the cache is counted to hold, whatever its budget, and the fewest.
constexpr int maxCachedFrames = 120;
constexpr int minCachedFrames = 8;
// How long a landing waits for the reader at most before decoding itself.
constexpr int awaitReaderMs = 2000;
// How long the reader keeps its decoder without work.
constexpr int readerKeepOpenMs = 30000;
constexpr int readerKeepOpenPooledMs = 3000;
// How long a landing the reader went past waits for the next request.
constexpr int giveWayWaitMs = 200;
} // namespace

void VideoPlayerWorker::noteBackwards(qint64 anchor, qint64 stride)
{
    // The shuttle steps back by a fixed stride; requests it made while the
    // worker was busy were dropped, so a distance may be a multiple of it:
    // the stride is the shortest of the last few distances, unless the
    // caller named its step.
    if (stride > 0) {
        m_strides[m_nextStride] = stride;
        m_nextStride = (m_nextStride + 1) % int(std::size(m_strides));
    }
    qint64 shortest = 0;
    for (const qint64 seen : m_strides) {
        if (seen > 0 && (shortest == 0 || seen < shortest))
            shortest = seen;
    }
    // The caller's step in ticks need not be a whole number of them (a
    // shuttle's step in a time base of milliseconds): the frames read ahead
    // follow it exactly, or after some tens of steps they would lie half a
    // frame off the times asked for.
    double exactStride = 0;
    if (m_backwardStep > 0 && stride > frameTicks()) {
        exactStride = m_backwardStep / av_q2d(m_decoder.stream()->time_base);
        shortest = std::max<qint64>(1, std::llround(exactStride));
    }
    m_backStride = std::max(frameTicks(), shortest);
    if (exactStride < double(m_backStride) - 1)
        exactStride = 0; // a step shorter than a frame: every frame is kept
    m_backAnchor = anchor;
    m_readingAhead.store(true);
    if (m_failed || !m_decoder.stream())
        return;
    // The reader sweeps down ahead of the player, as far as the cache holds.
    BackwardReader::Course course;
    course.anchor = anchor;
    course.stride = m_backStride;
    course.exactStride = exactStride;
    course.ahead = qint64(readAheadSteps()) * m_backStride;
    course.size = effectiveTarget();
    // A new sweep need not read what the cache holds below the anchor
    // (the frames kept from the landing that came before); the anchor's own
    // frame is still to come (its landing follows).
    const qint64 half = frameTicks() / 2;
    for (qint64 t = anchor; t >= anchor - course.ahead; t -= m_backStride) {
        if (!m_cache.holdsWithin(t - half, t + half)) {
            course.from = t;
            break;
        }
    }
    // The anchor's frame is wanted now: this decoder reads its interval
    // sooner than a reader would (it has every thread), while the reader
    // reads on below it.
    course.leaveFirstInterval = course.from == anchor && !m_decoder.isIntraOnly();
    // As far back as its landing keeps frames (VideoPlayerWorker::land).
    course.playerKeepsFrom = std::max(toTicks(toSeconds(anchor) - backwardsCacheLeadSeconds), anchor - course.ahead);
    // A shuttle asks for times that move on at its pace whether or not
    // their frames were shown.
    if (m_backwardStep > 0 && m_backwardStepsPerSecond > 0)
        course.ticksPerSecond = m_backwardStep * m_backwardStepsPerSecond / av_q2d(m_decoder.stream()->time_base);
    reader().follow(course);
}

void VideoPlayerWorker::readBehind()
{
    m_readBehindDue = false;
    if (m_backStride > 0 || m_playing || m_failed || !m_hasShown || !m_decoder.stream())
        return;
    BackwardReader::Course course;
    course.anchor = m_shownTimestamp;
    course.stride = frameTicks();
    course.ahead = qint64(readAheadSteps()) * course.stride;
    course.size = effectiveTarget();
    const qint64 half = frameTicks() / 2;
    for (qint64 t = course.anchor - course.stride; t >= course.anchor - course.ahead; t -= course.stride) {
        if (!m_cache.holdsWithin(t - half, t + half)) {
            course.from = t;
            break;
        }
    }
    if (!course.from)
        return; // the cache holds it all
    reader().follow(course);
    m_readingAhead.store(true);
}

void VideoPlayerWorker::noteNotBackwards()
{
    m_lastSeekTarget.reset();
    m_readBehindDue = false;
    m_backStride = 0;
    std::fill(std::begin(m_strides), std::end(m_strides), 0);
    m_readingAhead.store(false);
    if (m_reader)
        m_reader->cancel();
}

BackwardReader &VideoPlayerWorker::reader()
{
    if (!m_reader) {
        // A pooled player goes backwards only while the grid's keyboard
        // shuttle holds it; the full player may at any time.
        const int keepOpenMs = m_options.pooled ? readerKeepOpenPooledMs : readerKeepOpenMs;
        m_reader = std::make_unique<BackwardReader>(m_path, keepOpenMs, [this] {
            {
                std::lock_guard lock(m_mutex);
                m_readerNews = true;
            }
            m_wake.notify_all();
        });
    }
    return *m_reader;
}

void VideoPlayerWorker::stopReader()
{
    m_reader.reset();
}

int VideoPlayerWorker::readAheadSteps() const
{
    // Half the frames the cache holds: the frames read ahead beside those
    // still to be shown and a keyframe interval that reaches further.
    const QSize size = effectiveTarget();
    qint64 frameBytes = m_cache.count() > 0 ? m_cache.bytes() / m_cache.count() : qint64(size.width()) * size.height() * 4;
    frameBytes = std::max<qint64>(1, frameBytes);
    return int(std::clamp<qint64>(m_cache.budget() / frameBytes, minCachedFrames, maxCachedFrames) / 2);
}

bool VideoPlayerWorker::worthCaching(const Landing &landing, qint64 timestamp) const
{
    if (!landing.cacheFrom || timestamp < *landing.cacheFrom)
        return false;
    return BackwardReader::nearStride(landing.cacheAnchor, landing.cacheStride, timestamp, frameTicks());
}

void VideoPlayerWorker::takeReadAhead()
{
    if (!m_reader)
        return;
    std::vector<BackwardReader::Frame> frames = m_reader->takeFrames();
    if (frames.empty())
        return;
    // Room for them: the frames a player going backwards has passed go first.
    qint64 bytes = 0;
    for (const BackwardReader::Frame &frame : frames)
        bytes += frame.image.sizeInBytes();
    m_cache.dropAfterFor(std::max(m_shownTimestamp, m_backAnchor), bytes);
    for (const BackwardReader::Frame &frame : frames)
        m_cache.insert(frame.timestamp, frame.previous, frame.end, frame.image);
}

VideoPlayerWorker::ReadAheadWait VideoPlayerWorker::awaitReadAhead(const Landing &landing)
{
    if (!m_reader)
        return ReadAheadWait::NotComing;
    // The frame on show at an exact target may start up to a frame before it.
    const qint64 low = landing.tolerant ? landing.low : landing.target - frameTicks();
    const qint64 high = landing.tolerant ? landing.high : landing.target;
    QElapsedTimer waited;
    waited.start();
    while (!m_abort.load() && waited.elapsed() < awaitReaderMs) {
        if (!m_reader->willRead(low, high))
            return ReadAheadWait::NotComing;
        m_reader->waitForFrames(10);
        takeReadAhead();
        if (landing.tolerant ? m_cache.holdsWithin(landing.low, landing.high) : m_cache.findShownAt(landing.target) != nullptr)
            return ReadAheadWait::Arrived;
        // A reader hands a keyframe interval's frames from its start on,
        // so a shuttle going back that waits for the latest one finds the
        // frames its next requests ask for sooner: it shows those rather
        // than a frame it has passed already.
        if (cacheAnswersWaitingSeek())
            return ReadAheadWait::Superseded;
    }
    return ReadAheadWait::NotComing;
}

bool VideoPlayerWorker::cacheAnswersWaitingSeek()
{
    std::optional<WaitingSeek> waiting;
    {
        std::lock_guard lock(m_mutex);
        waiting = m_waitingSeek;
    }
    if (!waiting)
        return false;
    const Landing next = landingFor(waiting->seconds, waiting->toleranceBefore, waiting->toleranceAfter);
    return next.tolerant ? m_cache.holdsWithin(next.low, next.high) : m_cache.findShownAt(next.target) != nullptr;
}

bool VideoPlayerWorker::givesWay(const Landing &landing)
{
    // Where the reader went past on purpose, the shuttle is faster than the
    // reading: a frame decoded here would be shown for a moment after the
    // shuttle moved on and take the processors from the frames read where it
    // goes. The landing gives way to the shuttle's next request, which comes
    // within a step.
    if (!m_reader || !m_reader->passedOver(landing.low, landing.high))
        return false;
    std::unique_lock lock(m_mutex);
    m_wake.wait_for(lock, std::chrono::milliseconds(giveWayWaitMs), [this] { return m_abort.load() || m_waitingSeek.has_value(); });
    return m_waitingSeek.has_value();
}

bool VideoPlayerWorker::readAhead()
{
    takeReadAhead();
    if (m_playing || m_failed || !m_hasShown || !m_reader)
        return false;
    return m_reader->isReading() && !m_reader->failed();
}
