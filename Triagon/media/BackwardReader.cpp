#include "media/BackwardReader.h"

#include "media/FrameCache.h"

#include <QScopeGuard>

#include <malloc.h>

#include <chrono>
#include <cstdlib>

namespace {
// Frames that no other frame refers to are skipped while the stretch is
// more than this many frames ahead (besides those the decoder holds back).
constexpr int skipBeyondFrames = 4;
} // namespace

BackwardReader::BackwardReader(const QString &path, int threads, int keepOpenMs, std::function<void()> wake)
    : m_path(path)
    , m_threads(threads)
    , m_keepOpenMs(keepOpenMs)
    , m_wake(std::move(wake))
{
    m_decoder.setInterruptFlag(&m_stopping);
    m_thread = std::thread([this] { run(); });
}

BackwardReader::~BackwardReader()
{
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
        m_stopping.store(true);
    }
    m_changed.notify_all();
    m_thread.join();
}

void BackwardReader::warmUp()
{
    {
        std::lock_guard lock(m_mutex);
        m_warmUp = true;
    }
    m_changed.notify_all();
}

void BackwardReader::start(const Job &job)
{
    {
        std::lock_guard lock(m_mutex);
        m_job = job;
        ++m_serial;
        m_frames.clear();
    }
    m_changed.notify_all();
}

void BackwardReader::cancel()
{
    {
        std::lock_guard lock(m_mutex);
        m_job.reset();
        ++m_serial;
        m_frames.clear();
    }
    m_changed.notify_all();
}

std::vector<BackwardReader::Frame> BackwardReader::takeFrames()
{
    std::lock_guard lock(m_mutex);
    std::vector<Frame> frames;
    frames.swap(m_frames);
    return frames;
}

void BackwardReader::waitForFrames(int ms)
{
    std::unique_lock lock(m_mutex);
    m_changed.wait_for(lock, std::chrono::milliseconds(ms), [this] { return !m_frames.empty() || !m_job || m_stop; });
}

std::optional<BackwardReader::Job> BackwardReader::job() const
{
    std::lock_guard lock(m_mutex);
    return m_job;
}

bool BackwardReader::failed() const
{
    std::lock_guard lock(m_mutex);
    return m_failed;
}

bool BackwardReader::keeps(const Job &job, qint64 timestamp, qint64 frameTicks)
{
    return timestamp >= job.from && timestamp <= job.to && nearStride(job.anchor, job.stride, timestamp, frameTicks);
}

bool BackwardReader::nearStride(qint64 anchor, qint64 stride, qint64 timestamp, qint64 frameTicks)
{
    if (stride <= frameTicks + frameTicks / 2)
        return true;
    qint64 offset = (anchor - timestamp) % stride;
    if (offset < 0)
        offset += stride;
    const qint64 near = frameTicks / 2 + 1;
    return offset <= near || stride - offset <= near;
}

bool BackwardReader::reachesWithoutKeyframe(qint64 timestamp) const
{
    if (!m_decoder.hasFrame())
        return false;
    const std::optional<qint64> keyframe = m_decoder.format().keyframeAtOrBefore(timestamp);
    return keyframe && *keyframe <= m_decoder.frameTimestamp();
}

bool BackwardReader::current(quint64 serial)
{
    std::lock_guard lock(m_mutex);
    return !m_stop && m_serial == serial;
}

void BackwardReader::hand(quint64 serial, Frame frame)
{
    {
        std::lock_guard lock(m_mutex);
        if (m_serial != serial)
            return;
        m_frames.push_back(std::move(frame));
    }
    m_changed.notify_all();
    m_wake();
}

void BackwardReader::run()
{
    std::unique_lock lock(m_mutex);
    while (!m_stop) {
        if (m_warmUp && !m_job) {
            m_warmUp = false;
            lock.unlock();
            if (open() && !m_decoder.hasFrame())
                m_decoder.decodeNextFrame();
            lock.lock();
            continue;
        }
        if (!m_job || m_failed) {
            const bool idle = !m_changed.wait_for(lock, std::chrono::milliseconds(m_keepOpenMs),
                                                  [this] { return m_stop || m_warmUp || (m_job && !m_failed); });
            if (idle && m_decoder.isOpen()) {
                // Not going backwards for a while: the decoder's frames go back to the system.
                lock.unlock();
                m_decoder.close();
                malloc_trim(0);
                lock.lock();
            }
            continue;
        }
        const Job job = *m_job;
        const quint64 serial = m_serial;
        lock.unlock();
        const bool done = runJob(job, serial);
        lock.lock();
        if (done && m_serial == serial) {
            m_job.reset();
            lock.unlock();
            m_changed.notify_all();
            m_wake();
            lock.lock();
        }
    }
    lock.unlock();
    m_decoder.close();
}

bool BackwardReader::open()
{
    if (m_decoder.isOpen())
        return true;
    if (m_decoder.open(m_path, m_threads))
        return true;
    std::lock_guard lock(m_mutex);
    m_failed = true;
    return false;
}

bool BackwardReader::runJobFrameByFrame(const Job &job, quint64 serial)
{
    // Every frame stands alone: each one asked for is sought and decoded by
    // itself, the latest first, and nothing between them is decoded.
    const qint64 frame = m_decoder.frameDurationTicks();
    const bool everyFrame = job.stride <= frame + frame / 2;
    qint64 t = job.to;
    if (!everyFrame && job.anchor > t)
        t = job.anchor - ((job.anchor - t + job.stride - 1) / job.stride) * job.stride;
    while (t >= job.from) {
        if (!current(serial))
            return false;
        if (!m_decoder.decodeKeyframeAlone(t))
            return true; // a frame that cannot be read
        const qint64 timestamp = m_decoder.frameTimestamp();
        if (keeps(job, timestamp, frame)) {
            Frame made;
            made.timestamp = timestamp;
            made.previous = m_decoder.isFirstFrame() ? FrameCache::streamStart : FrameCache::unknown;
            made.end = m_decoder.frameEndTimestamp();
            made.image = m_decoder.frameImage(job.size);
            if (!made.image.isNull())
                hand(serial, std::move(made));
        }
        if (m_decoder.isFirstFrame() || timestamp > t)
            break;
        t = everyFrame ? timestamp - 1 : std::min(t, timestamp) - job.stride;
    }
    return true;
}

bool BackwardReader::runJob(const Job &job, quint64 serial)
{
    if (!open())
        return true;
    if (m_decoder.isIntraOnly())
        return runJobFrameByFrame(job, serial);
    const qint64 frame = m_decoder.frameDurationTicks();
    const qint64 skipBefore = job.from - qint64(skipBeyondFrames + m_decoder.pipelineDelayFrames()) * frame;
    // Going back several frames a step, only the frames asked for are
    // decoded besides those others refer to.
    const bool sparse = job.stride > frame + frame / 2;
    if (sparse)
        m_decoder.setWantedFrames([job, frame](qint64 timestamp) { return keeps(job, timestamp, frame); });
    const auto endSparse = qScopeGuard([this, sparse] {
        if (sparse)
            m_decoder.setWantedFrames({});
        m_decoder.setSkipNonReference(false);
    });
    // One keyframe interval at a time, the latest first: the player asks
    // for its frames first.
    qint64 top = job.to;
    bool first = true;
    while (top >= job.from) {
        // Decoding goes on from where it stands when no keyframe lies
        // between there and the top; else it starts at the keyframe before.
        const bool goingOn = first && m_decoder.hasFrame() && m_decoder.frameTimestamp() <= top && reachesWithoutKeyframe(top);
        if (!goingOn && !m_decoder.seekToKeyframeBefore(top))
            return true;
        first = false;
        const qint64 start = m_decoder.frameTimestamp();
        const bool streamStart = m_decoder.isFirstFrame();
        while (true) {
            if (!current(serial))
                return false;
            const qint64 timestamp = m_decoder.frameTimestamp();
            if (timestamp > top)
                break;
            if (!m_decoder.isSkipping() && keeps(job, timestamp, frame)) {
                Frame made;
                made.timestamp = timestamp;
                const std::optional<qint64> previous = m_decoder.previousTimestamp();
                made.previous = previous ? *previous : m_decoder.isFirstFrame() ? FrameCache::streamStart : FrameCache::unknown;
                made.end = m_decoder.frameEndTimestamp();
                made.image = m_decoder.frameImage(job.size);
                if (!made.image.isNull())
                    hand(serial, std::move(made));
            }
            m_decoder.setSkipNonReference(!sparse && timestamp < skipBefore);
            if (!m_decoder.decodeNextFrame())
                break; // the end of the file, or a frame that cannot be read
        }
        if (streamStart || start <= job.from || start > top)
            break;
        top = start - 1;
    }
    return true;
}
