#include "media/VideoPlayerWorker.h"

#include "media/PooledDecoderBudget.h"

#include <QScopeGuard>

#include <algorithm>
#include <cmath>
#include <optional>

// Seeks and frame steps of a VideoPlayerWorker. A seek to t shows the frame
// on show at t: the last frame whose presentation time is at or before t.
// The cache of scaled frames answers first, without the decoder (which may
// have been released meanwhile); else the decoder decodes on from where it
// stands or starts at the keyframe before the target.

namespace {
// How many frames before an exact seek's target are kept (scaled): when the
// decoder reaches it by decoding on, all it passes (a pointer moving to and
// fro over a short stretch comes back to them; scaling a frame costs a
// fraction of decoding it); after a keyframe seek a few
// (Options::framesKeptBeforeSeek), for a pointer that moves back a little.
constexpr int decodeOnCacheFrames = 60;
// Frames that nobody will see and no other frame refers to are skipped while
// the target is more than this many frames ahead, besides the frames the
// decoder holds back (its frame threads and reordering).
constexpr int skipNonReferenceBeyondFrames = 4;
// Targets at most this many frames ahead are reached by decoding on.
constexpr int decodeOnAcrossKeyframeFrames = 15;
// Without a keyframe index, decode on instead of seeking when the target is
// at most this far ahead.
constexpr double decodeOnWithoutIndexSeconds = 1.0;
// A landing whose frame comes out damaged decodes it again from further
// back at most this often, whatever brought the decoder back to the
// keyframe meanwhile (the frame before the target being unknown).
constexpr int maxRetriesOfDamagedFrame = 2;
} // namespace

QImage VideoPlayerWorker::imageOfCurrent()
{
    return m_decoder.frameImage(m_converter, effectiveTarget());
}

qint64 VideoPlayerWorker::previousOfCurrent() const
{
    if (const std::optional<qint64> previous = m_decoder.previousTimestamp())
        return *previous;
    return m_decoder.isFirstFrame() ? FrameCache::streamStart : FrameCache::unknown;
}

void VideoPlayerWorker::cacheCurrent(const QImage &image)
{
    // A damaged frame is kept only where it is the best there is (else the
    // next landing on it tries again, from further back).
    if (m_decoder.hasFrame() && m_decoder.frameIsFinal())
        m_cache.insert(m_decoder.frameTimestamp(), previousOfCurrent(), m_decoder.frameEndTimestamp(), image);
}

bool VideoPlayerWorker::decodeNext(QString *error)
{
    if (!m_decoder.decodeNextFrame(error)) {
        if (m_decoder.atEnd() && m_decoder.hasFrame())
            m_cache.markLast(m_decoder.frameTimestamp());
        return false;
    }
    return true;
}

std::optional<qint64> VideoPlayerWorker::keyframeAtOrBefore(qint64 timestamp) const
{
    return m_decoder.format().keyframeAtOrBefore(timestamp);
}

void VideoPlayerWorker::setSkipping(bool skipping)
{
    m_decoder.setSkipNonReference(skipping);
}

void VideoPlayerWorker::present(qint64 timestamp, const QImage &image)
{
    m_hasShown = true;
    m_shownTimestamp = timestamp;
    m_shownSeconds = toSeconds(timestamp);
    const FrameCache::Entry *entry = m_cache.find(timestamp);
    m_shownIsLast = (entry && entry->last) || (m_decoder.atEnd() && m_decoder.hasFrame() && m_decoder.frameTimestamp() == timestamp);
    m_lastPresentMs = m_wallClock.elapsed();
    const double seconds = m_shownSeconds;
    report([image, seconds](VideoPlayer *player) { player->onFrame(image, seconds); });
}

void VideoPlayerWorker::reportDisplaySize()
{
    const QSize size = m_decoder.displaySize();
    if (size.isEmpty() || size == m_displaySize)
        return;
    m_displaySize = size;
    report([size](VideoPlayer *player) { player->onDisplaySize(size); });
}

void VideoPlayerWorker::showDecoderFrame()
{
    if (!m_decoder.hasFrame())
        return;
    reportDisplaySize();
    const qint64 timestamp = m_decoder.frameTimestamp();
    if (const FrameCache::Entry *entry = m_cache.find(timestamp)) {
        // Kept on the way before the frame after it told where it ends.
        const QImage image = entry->image;
        cacheCurrent(image);
        present(timestamp, image);
        return;
    }
    const QImage image = imageOfCurrent();
    cacheCurrent(image);
    present(timestamp, image);
}

bool VideoPlayerWorker::land(double seconds, double toleranceBefore, double toleranceAfter, bool useCache)
{
    // Times become stream ticks once the file was opened.
    if (!m_openedOnce && !ensureOpen(OpenFor::Seek))
        return false;
    if (!std::isfinite(seconds) || seconds < 0)
        seconds = 0;
    if (m_duration > 0)
        seconds = std::min(seconds, m_duration);
    Landing landing = landingFor(seconds, toleranceBefore, toleranceAfter);
    landing.useCache = useCache;
    if (useCache) {
        // Tolerant seeks to earlier frames come from the reverse shuttle;
        // its stride is the distance between the times it asks for (the
        // frames shown lie up to half a frame off them).
        if (landing.tolerant && m_hasShown && landing.target < m_shownTimestamp)
            noteBackwards(landing.target, (m_backStride > 0 ? m_backAnchor : m_lastSeekTarget.value_or(m_shownTimestamp)) - landing.target);
        else
            noteNotBackwards();
        m_lastSeekTarget = landing.target;
        m_readBehindDue = m_backStride == 0 && m_options.readyForReverse;
    }
    if (landing.tolerant) {
        if (m_backStride > 0) {
            landing.cacheStride = m_backStride;
            landing.cacheAnchor = landing.target;
            landing.cacheFrom = std::max(toTicks(seconds - backwardsCacheLeadSeconds), landing.target - readAheadSteps() * m_backStride);
        }
    }
    return landAt(landing);
}

VideoPlayerWorker::Landing VideoPlayerWorker::landingFor(double seconds, double toleranceBefore, double toleranceAfter) const
{
    Landing landing;
    landing.target = toTicks(seconds);
    landing.tolerant = toleranceBefore > 0 || toleranceAfter > 0;
    if (landing.tolerant) {
        // At least half a frame either way.
        const qint64 half = frameTicks() / 2;
        landing.low = std::min(landing.target - half, toTicks(seconds - std::max(0.0, toleranceBefore)));
        landing.high = std::max(landing.target + half, toTicks(seconds + std::max(0.0, toleranceAfter)));
    }
    return landing;
}

bool VideoPlayerWorker::landAt(const Landing &landing)
{
    if (landing.useCache) {
        if (const std::optional<bool> settled = landWithoutDecoder(landing))
            return *settled;
    }
    if (!ensureOpen(OpenFor::Seek))
        return false;
    if (decoderThereAlready(landing)) {
        if (landing.useCache)
            showDecoderFrame();
        return true;
    }
    const Approach approach = approachTo(landing);
    // The processors shared for a seek from a keyframe are held until the
    // landing is done.
    int sharedThreads = 0;
    const auto endSharing = qScopeGuard([&] {
        if (sharedThreads > 0)
            PooledDecoderBudget::instance().endSeek(sharedThreads);
    });
    if (!approach.decodeOn) {
        if (!seekFromKeyframe(approach, &sharedThreads))
            return false;
    } else {
        setSkipping(m_decoder.hasFrame() && m_decoder.frameTimestamp() < approach.skipBefore);
    }
    if (!decodeUntilArrived(approach) || !backToFrameOnShow(landing))
        return false;
    // A damaged frame: the same from further back, where it may come out clean.
    for (int starts = 0; starts < maxRetriesOfDamagedFrame && m_decoder.frameIsDamaged() && m_decoder.canStartEarlier(); ++starts) {
        // Frames kept on the way may be damaged too (frame threads tell of
        // errors a few frames late).
        m_cache.clear();
        if (m_abort.load() || !m_decoder.startEarlier())
            return false;
        cacheOnTheWay(approach.kept);
        if (!decodeUntilArrived(approach) || !backToFrameOnShow(landing))
            return false;
    }
    if (landing.useCache)
        showDecoderFrame();
    return true;
}

std::optional<bool> VideoPlayerWorker::landWithoutDecoder(const Landing &landing)
{
    const qint64 target = landing.target;
    const bool tolerant = landing.tolerant;
    // The cache answers without the decoder, which stays closed if it was released.
    const FrameCache::Entry *entry = tolerant ? m_cache.findWithin(landing.low, landing.high, target) : nullptr;
    if (!entry)
        entry = m_cache.findShownAt(target);
    if (entry)
        return presentCached(*entry);
    // The frame may be on its way from the reader.
    const ReadAheadWait readAhead = awaitReadAhead(landing);
    if (readAhead == ReadAheadWait::Superseded)
        return false;
    if (readAhead == ReadAheadWait::Arrived) {
        if (const FrameCache::Entry *arrived = tolerant ? m_cache.findWithin(landing.low, landing.high, target)
                                                        : m_cache.findShownAt(target))
            return presentCached(*arrived);
    }
    if (tolerant && landing.cacheStride > 0 && givesWay(landing))
        return false;
    return std::nullopt;
}

bool VideoPlayerWorker::presentCached(const FrameCache::Entry &entry)
{
    m_landedFromCache = true;
    present(entry.timestamp, entry.image);
    return true;
}

bool VideoPlayerWorker::decoderThereAlready(const Landing &landing)
{
    const qint64 target = landing.target;
    if (m_decoder.frameIsDamaged() && m_decoder.canStartEarlier())
        return false; // decoded from further back, the frame may come out clean
    if (m_decoder.hasFrame()
        && (landing.tolerant ? m_decoder.frameTimestamp() >= landing.low && m_decoder.frameTimestamp() <= landing.high
                             : m_decoder.covers(target)))
        return true;
    if (!landing.tolerant && m_decoder.hasFrame() && m_decoder.frameTimestamp() > target) {
        // Just past the target: the frame before may be known.
        if (const std::optional<qint64> previous = m_decoder.previousTimestamp(); previous && *previous <= target && m_decoder.backUp())
            return true;
    }
    return false;
}

bool VideoPlayerWorker::decodesOn(const Landing &landing, qint64 frame) const
{
    // Decode on from where the decoder stands when no keyframe lies between
    // it and the target; else start at the keyframe before the target.
    const qint64 target = landing.target;
    AVStream *stream = m_decoder.stream();
    const qint64 from = m_decoder.position();
    const qint64 goal = landing.tolerant ? landing.low : target;
    bool decodeOn = false;
    if (from != AV_NOPTS_VALUE && !m_decoder.atEnd() && from <= goal) {
        // A short way on is cheaper than a seek even across a keyframe: after
        // a seek the frame threads have to fill up again. Where every frame
        // is a keyframe a seek costs one frame.
        const int decodeOnFrames = m_decoder.isIntraOnly() ? 1 : decodeOnAcrossKeyframeFrames;
        if (target - from <= decodeOnFrames * frame)
            decodeOn = true;
        else if (const std::optional<qint64> keyframe = keyframeAtOrBefore(target))
            decodeOn = *keyframe <= from;
        else
            decodeOn = double(target - from) * av_q2d(stream->time_base) <= decodeOnWithoutIndexSeconds;
    }
    return decodeOn;
}

VideoPlayerWorker::Approach VideoPlayerWorker::approachTo(const Landing &landing) const
{
    const qint64 target = landing.target;
    const qint64 frame = frameTicks();
    Approach approach;
    approach.decodeOn = decodesOn(landing, frame);
    approach.kept = landing;
    approach.skipBefore = target - qint64(skipNonReferenceBeyondFrames + m_decoder.pipelineDelayFrames()) * frame;
    if (approach.kept.cacheFrom || !approach.decodeOn) {
        // Every frame of a run that is kept is decoded: going backwards, or
        // the few frames before a keyframe seek's target.
        if (!approach.kept.cacheFrom)
            approach.kept.cacheFrom = target - std::max(0, m_options.framesKeptBeforeSeek) * frame;
        approach.skipBefore = std::min(approach.skipBefore, *approach.kept.cacheFrom);
    } else {
        approach.kept.cacheFrom = target - decodeOnCacheFrames * frame;
    }
    return approach;
}

bool VideoPlayerWorker::arrivedAt(const Landing &landing) const
{
    if (!m_decoder.hasFrame())
        return false;
    const qint64 current = m_decoder.frameTimestamp();
    // An exact landing goes on to the first frame at or after its target
    // (backToFrameOnShow() then steps back to the frame on show).
    return landing.tolerant ? current >= landing.low : current >= landing.target || m_decoder.covers(landing.target);
}

void VideoPlayerWorker::cacheOnTheWay(const Landing &kept)
{
    // Frames passed while others are skipped are far from the target: a
    // pointer rarely comes back to them, so they are not scaled.
    if (m_decoder.hasFrame() && !m_decoder.isSkipping() && worthCaching(kept, m_decoder.frameTimestamp()) && !arrivedAt(kept))
        cacheCurrent(imageOfCurrent());
}

bool VideoPlayerWorker::seekFromKeyframe(const Approach &approach, int *sharedThreads)
{
    const qint64 target = approach.kept.target;
    // A pooled player's seek from a keyframe shares the processors with the
    // other cards' seeks; the decoder's position is lost with the seek
    // anyway, so this is when to change its thread count.
    int threads = threadsFor(OpenFor::Seek);
    if (m_options.pooled) {
        *sharedThreads = PooledDecoderBudget::instance().beginSeek(threads);
        threads = *sharedThreads;
    }
    if (m_decoder.threadCount() != threads) {
        QString error;
        if (!m_decoder.reopenCodec(threads, &error))
            return false;
        if (m_options.pooled)
            PooledDecoderBudget::instance().touch(this, threads);
    }
    // Frames in flight right after the keyframe must not be skipped when
    // the target lies among them.
    const std::optional<qint64> keyframe = keyframeAtOrBefore(target);
    setSkipping(keyframe && *keyframe < approach.skipBefore);
    if (!m_decoder.seekToKeyframeBefore(target))
        return false;
    cacheOnTheWay(approach.kept);
    return true;
}

bool VideoPlayerWorker::decodeUntilArrived(const Approach &approach)
{
    while (!arrivedAt(approach.kept)) {
        if (m_abort.load())
            return false;
        setSkipping(m_decoder.hasFrame() && m_decoder.frameTimestamp() < approach.skipBefore);
        if (!decodeNext())
            break; // past the last frame: stay on it
        cacheOnTheWay(approach.kept);
    }
    setSkipping(false);
    return m_decoder.hasFrame();
}

bool VideoPlayerWorker::backToFrameOnShow(const Landing &landing)
{
    const qint64 target = landing.target;
    // A frame that starts after the target while the one before it ended
    // early: that one is on show.
    if (!landing.tolerant && m_decoder.frameTimestamp() > target && !m_decoder.isFirstFrame()) {
        const std::optional<qint64> previous = m_decoder.previousTimestamp();
        if (!(previous && *previous <= target && m_decoder.backUp())) {
            // The frame before is not known (it may have been skipped): once
            // more from the keyframe, decoding every frame.
            if (!m_decoder.seekToKeyframeBefore(target))
                return false;
            while (!arrivedAt(landing) && !m_abort.load() && decodeNext()) {
            }
            if (m_decoder.frameTimestamp() > target && !m_decoder.isFirstFrame()) {
                if (const std::optional<qint64> again = m_decoder.previousTimestamp(); again && *again <= target)
                    m_decoder.backUp();
            }
        }
    }
    return true;
}

bool VideoPlayerWorker::positionDecoderAtShown()
{
    if (m_decoder.isOpen() && m_decoder.hasFrame() && m_decoder.frameTimestamp() == m_shownTimestamp)
        return true;
    Landing landing;
    landing.target = m_shownTimestamp;
    landing.useCache = false;
    return landAt(landing);
}

int VideoPlayerWorker::step(int count)
{
    if (count == 0)
        return 0;
    if (!m_hasShown && !land(0, 0, 0, true))
        return 0;
    int fromCache = 0;
    for (int i = 0; i < std::abs(count) && !m_abort.load(); ++i) {
        if (count > 0) {
            if (const FrameCache::Entry *next = m_cache.successor(m_shownTimestamp)) {
                present(next->timestamp, next->image);
                ++fromCache;
                continue;
            }
            if (!ensureOpen(OpenFor::Seek) || !positionDecoderAtShown() || !decodeNext())
                break; // at the last frame
            showDecoderFrame();
            continue;
        }
        // One frame back: the cache knows the predecessor of a frame it holds.
        qint64 previous = FrameCache::unknown;
        if (const FrameCache::Entry *shown = m_cache.find(m_shownTimestamp))
            previous = shown->previous;
        if (previous == FrameCache::unknown && m_decoder.hasFrame() && m_decoder.frameTimestamp() == m_shownTimestamp)
            previous = previousOfCurrent();
        if (previous == FrameCache::streamStart)
            break; // the first frame
        if (previous != FrameCache::unknown) {
            if (const FrameCache::Entry *entry = m_cache.find(previous)) {
                present(entry->timestamp, entry->image);
                ++fromCache;
                continue;
            }
        }
        // The frame on show just before the one on show: decoded from the
        // keyframe before it, keeping the run for the next steps back.
        const qint64 shown = m_shownTimestamp;
        Landing landing;
        landing.target = shown - 1;
        landing.cacheFrom = std::max(toTicks(toSeconds(shown) - backwardsCacheLeadSeconds), shown - readAheadSteps() * frameTicks());
        m_landedFromCache = false;
        if (!landAt(landing) || m_shownTimestamp == shown)
            break;
        fromCache += m_landedFromCache ? 1 : 0;
    }
    // Further steps back are read ahead.
    if (count < 0) {
        noteBackwards(m_shownTimestamp, frameTicks());
    } else {
        noteNotBackwards();
        m_readBehindDue = m_options.readyForReverse;
    }
    return fromCache;
}
