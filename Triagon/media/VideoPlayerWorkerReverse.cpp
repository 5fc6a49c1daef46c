#include "media/VideoPlayerWorker.h"

#include <algorithm>
#include <cstdlib>

// Going backwards with a VideoPlayerWorker (the reverse shuttle, frame steps
// back). A decoder only runs forwards: every frame before the one on show is
// reached from the keyframe before it. So while a player goes backwards a
// BackwardReader, with a decoder of its own, reads the stretch behind the
// frames cached, one keyframe interval at a time, and keeps the frames the
// next requests will ask for; the worker takes them into its cache and
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
} // namespace

void VideoPlayerWorker::noteBackwards(qint64 anchor, qint64 stride)
{
    // The shuttle steps back by a fixed stride; requests it made while the
    // worker was busy were dropped, so a distance may be a multiple of it:
    // the stride is the shortest of the last few distances.
    if (stride > 0) {
        m_strides[m_nextStride] = stride;
        m_nextStride = (m_nextStride + 1) % int(std::size(m_strides));
    }
    qint64 shortest = 0;
    for (const qint64 seen : m_strides) {
        if (seen > 0 && (shortest == 0 || seen < shortest))
            shortest = seen;
    }
    m_backStride = std::max(frameTicks(), shortest);
    m_backAnchor = anchor;
    m_readingAhead.store(true);
}

void VideoPlayerWorker::noteNotBackwards()
{
    m_backStride = 0;
    std::fill(std::begin(m_strides), std::end(m_strides), 0);
    m_readAheadGaveUpAt.reset();
    m_readerTarget.reset();
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
        m_reader = std::make_unique<BackwardReader>(m_path, FFmpegVideoDecoder::oneOffThreadCount(), keepOpenMs, [this] {
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
    m_readerTarget.reset();
}

int VideoPlayerWorker::readAheadSteps() const
{
    // Half the frames the cache holds: the stretch read behind the frames
    // still to be shown (at most a third of it) fits beside them.
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

bool VideoPlayerWorker::awaitReadAhead(const Landing &landing)
{
    if (!m_reader)
        return false;
    const qint64 low = landing.tolerant ? landing.low : landing.target;
    const qint64 high = landing.tolerant ? landing.high : landing.target;
    QElapsedTimer waited;
    waited.start();
    while (!m_abort.load() && waited.elapsed() < awaitReaderMs) {
        const std::optional<BackwardReader::Job> job = m_reader->job();
        // Not being read: the frame on show at an exact target may start up
        // to a frame before it.
        if (!job || high < job->from || low - frameTicks() > job->to)
            return false;
        m_reader->waitForFrames(10);
        takeReadAhead();
        if (landing.tolerant ? m_cache.holdsWithin(low, high) : m_cache.findShownAt(landing.target) != nullptr)
            return true;
    }
    return false;
}

bool VideoPlayerWorker::readAhead()
{
    takeReadAhead();
    if (m_backStride <= 0 || m_playing || m_failed || !m_hasShown)
        return false;
    const qint64 frame = frameTicks();
    const qint64 half = frame / 2;
    const qint64 stride = m_backStride;
    const int steps = readAheadSteps();
    const qint64 start = toTicks(0);
    // The first of the next steps back that the cache cannot answer; a
    // stretch is read once fewer than two thirds of a stretch are left, so
    // that it is there before they are shown.
    std::optional<qint64> missing;
    for (int k = 1; k <= steps * 2 / 3 + 1; ++k) {
        const qint64 t = m_backAnchor - k * stride;
        if (t < start - half)
            break; // the start of the clip
        if (!m_cache.holdsWithin(t - half, t + half)) {
            missing = t;
            break;
        }
    }
    if (!missing || m_readAheadGaveUpAt == missing)
        return false;

    if (reader().failed())
        return false;
    const std::optional<BackwardReader::Job> running = m_reader->job();
    if (running && running->from <= *missing && *missing <= running->to)
        return true; // on its way
    if (!running && m_readerTarget == missing) {
        // Read, and still no frame for that step (a gap in the stream): not again.
        m_readAheadGaveUpAt = missing;
        return false;
    }
    // One keyframe interval at a time, the nearest first.
    BackwardReader::Job job;
    job.to = *missing + half;
    job.from = *missing - qint64(steps) * stride;
    if (const std::optional<qint64> keyframe = keyframeAtOrBefore(*missing))
        job.from = std::max(job.from, std::min(*keyframe, *missing - half));
    job.stride = stride;
    job.anchor = m_backAnchor;
    job.size = effectiveTarget();
    m_reader->start(job);
    m_readerTarget = missing;
    return true;
}
