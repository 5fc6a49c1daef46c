#include "media/VideoPlayerWorker.h"

#include "media/AudioDeviceSink.h"
#include "media/PooledDecoderBudget.h"

#include <QMetaObject>

#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cmath>

namespace {
// How long the full player rests after landing before it reads the stretch behind.
constexpr int readBehindQuietMs = 150;
// The full player scales a keyframe interval's frames at once going
// backwards, before it shows the one asked for: they are split among
// threads. (Players of the grid's cards run many at a time: one each.)
constexpr int fullPlayerConverterThreads = 4;
} // namespace

VideoPlayerWorker::VideoPlayerWorker(VideoPlayer *owner, const QString &path, const VideoPlayer::Options &options, QSize targetSize,
                                     bool muted)
    : m_owner(owner), m_path(path), m_options(options), m_converter(options.readyForReverse ? fullPlayerConverterThreads : 1),
      m_cache(options.frameCacheBytes), m_target(targetSize), m_muted(muted)
{
    m_wallClock.start();
    m_thread = std::thread([this] { run(); });
}

VideoPlayerWorker::~VideoPlayerWorker()
{
    PooledDecoderBudget::instance().remove(this);
    {
        std::lock_guard lock(m_mutex);
        m_abort.store(true);
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
    // The thread may have touched the budget again while stopping.
    PooledDecoderBudget::instance().remove(this);
}

void VideoPlayerWorker::post(const Command &command)
{
    {
        std::lock_guard lock(m_mutex);
        m_commands.push_back(command);
    }
    m_wake.notify_all();
}

void VideoPlayerWorker::noteSeekWaiting(std::optional<WaitingSeek> seek)
{
    {
        std::lock_guard lock(m_mutex);
        m_waitingSeek = seek;
    }
    m_wake.notify_all();
}

void VideoPlayerWorker::requestRelease()
{
    {
        std::lock_guard lock(m_mutex);
        m_releaseRequested.store(true);
    }
    m_wake.notify_all();
}

void VideoPlayerWorker::run()
{
    bool positioned = false;
    {
        std::lock_guard lock(m_mutex);
        for (const Command &command : m_commands)
            positioned = positioned || command.kind == Command::Kind::Seek || command.kind == Command::Kind::Step;
    }
    // Ready for display: the first frame, unless a seek is already waiting
    // (which opens the decoder for itself).
    if (ensureOpen(positioned ? OpenFor::Seek : OpenFor::FirstFrame) && !positioned) {
        QString error;
        if (decodeNext(&error))
            showDecoderFrame();
        else if (!m_abort.load())
            report([error](VideoPlayer *player) { player->onFailed(QStringLiteral("No picture can be decoded: ") + error); });
    }

    std::unique_lock lock(m_mutex);
    while (!m_abort.load()) {
        if (!m_commands.empty()) {
            const Command command = m_commands.front();
            m_commands.pop_front();
            lock.unlock();
            handle(command);
            lock.lock();
            continue;
        }
        if (m_playing) {
            playbackStep(lock);
            continue;
        }
        const auto woken = [this] {
            return m_abort.load() || !m_commands.empty() || (m_releaseRequested.load() && m_decoderOpen.load()) || m_readerNews;
        };
        if (m_releaseRequested.load() && m_decoderOpen.load()) {
            lock.unlock();
            releaseDecoder();
            lock.lock();
            continue;
        }
        if (m_readBehindDue && !m_readingAhead.load() && !m_readerNews) {
            // The full player at rest: after a short quiet (a timeline drag
            // goes on), the stretch behind the frame on show is read, so that
            // the first steps and shuttling back find it. (The reader's news
            // are taken first: the wait would not wait for them.)
            if (!m_wake.wait_for(lock, std::chrono::milliseconds(readBehindQuietMs), woken)) {
                lock.unlock();
                readBehind();
                lock.lock();
            }
            continue;
        }
        if (m_readingAhead.load() || m_readerNews) {
            // Going backwards: the reader reads the stretch behind the frames
            // cached; its frames are taken as they come.
            m_readerNews = false;
            lock.unlock();
            const bool reading = readAhead();
            lock.lock();
            if (!reading)
                m_readingAhead.store(false);
            else if (!woken())
                m_wake.wait_for(lock, std::chrono::milliseconds(50), woken);
            continue;
        }
        if (m_decoderOpen.load() && m_options.releaseDecoderAfterMs > 0) {
            if (!m_wake.wait_for(lock, std::chrono::milliseconds(m_options.releaseDecoderAfterMs), woken)) {
                lock.unlock();
                releaseDecoder();
                lock.lock();
            }
            continue;
        }
        m_wake.wait(lock, woken);
    }
    lock.unlock();
    stopAudio();
    m_sink.reset();
    stopReader();
}

void VideoPlayerWorker::handle(const Command &command)
{
    // Frames read ahead meanwhile may be the ones asked for.
    takeReadAhead();
    switch (command.kind) {
    case Command::Kind::Seek: {
        m_landedFromCache = false;
        const bool ok = land(command.seconds, command.toleranceBefore, command.toleranceAfter, true);
        const bool fromCache = ok && m_landedFromCache;
        if (m_playing) {
            // Playback goes on from the new place.
            m_playCursor = FrameCache::unknown;
            m_framePending = false;
            stopAudio();
            rebase(m_shownSeconds);
            if (m_rate == 1)
                startAudio(m_shownSeconds);
        }
        const double seconds = command.seconds;
        report([seconds, ok, fromCache](VideoPlayer *player) { player->onSeekDone(seconds, ok, fromCache); });
        break;
    }
    case Command::Kind::Step: {
        const int fromCache = step(command.count);
        const double seconds = m_shownSeconds;
        report([seconds, fromCache](VideoPlayer *player) { player->onStepDone(seconds, fromCache); });
        break;
    }
    case Command::Kind::SetRate: {
        const double rate = command.rate;
        if (rate <= 0) {
            if (m_playing) {
                stopPlayback();
                m_readBehindDue = m_options.readyForReverse;
                const double seconds = m_shownSeconds;
                report([seconds](VideoPlayer *player) { player->onPlaybackTime(seconds); });
            }
        } else if (m_playing) {
            const double now = clock();
            m_rate = rate;
            stopAudio();
            rebase(now);
            if (rate == 1)
                startAudio(now);
        } else {
            startPlayback(rate);
        }
        break;
    }
    case Command::Kind::SetMuted:
        if (m_muted != command.muted) {
            m_muted = command.muted;
            if (m_playing && m_rate == 1) {
                const double now = clock();
                stopAudio();
                rebase(now);
                startAudio(now);
            }
        }
        break;
    case Command::Kind::SetBackwardStep:
        m_backwardStep = command.seconds;
        m_backwardStepsPerSecond = command.seconds > 0 ? command.rate : 0;
        break;
    case Command::Kind::SetTargetSize:
        if (m_target != command.size) {
            m_target = command.size;
            noteNotBackwards(); // what is being read ahead has the old size
            m_cache.clear();
            // Show the frame on show again at the new size, when the decoder still holds it.
            if (m_hasShown && m_decoder.isOpen() && m_decoder.hasFrame() && m_decoder.frameTimestamp() == m_shownTimestamp)
                showDecoderFrame();
        }
        break;
    }
}

int VideoPlayerWorker::threadsFor(OpenFor purpose) const
{
    if (purpose == OpenFor::Seek && m_options.seekDecoderThreads > 0)
        return m_options.seekDecoderThreads;
    return m_options.decoderThreads;
}

bool VideoPlayerWorker::ensureOpen(OpenFor purpose)
{
    const int threads = threadsFor(purpose);
    if (m_decoder.isOpen()) {
        if (m_options.pooled) {
            m_releaseRequested.store(false);
            PooledDecoderBudget::instance().touch(this, m_decoder.threadCount());
        }
        return true;
    }
    if (m_failed)
        return false;
    QString error;
    // A released decoder kept its file: only the decoder itself opens again.
    const bool reopened = m_decoder.hasFile();
    if (!(reopened ? m_decoder.reopenCodec(threads, &error) : m_decoder.open(m_path, threads, &error))) {
        m_failed = true;
        m_decoder.close();
        if (error.isEmpty())
            error = QStringLiteral("Cannot open the video");
        report([error](VideoPlayer *player) { player->onFailed(error); });
        return false;
    }
    m_decoderOpen.store(true);
    m_cache.setBudget(m_options.frameCacheBytes);
    m_playCursor = FrameCache::unknown;
    if (!m_openedOnce) {
        m_openedOnce = true;
        m_duration = m_decoder.durationSeconds();
        m_frameDuration = m_decoder.frameDuration();
        const double duration = m_duration;
        const double frameRate = m_decoder.frameRate();
        const QSize size = m_displaySize = m_decoder.displaySize();
        const bool hasAudio = m_decoder.format().audioStreamIndex() >= 0;
        report([duration, frameRate, size, hasAudio](VideoPlayer *player) { player->onOpened(duration, frameRate, size, hasAudio); });
    }
    report([](VideoPlayer *player) { player->onDecoderOpened(); });
    // The full player's reader gets ready while the user looks at the
    // first frame: its first frame backwards then comes sooner.
    if (m_options.readyForReverse && !m_reader)
        reader().warmUp();
    if (m_options.pooled) {
        m_releaseRequested.store(false);
        PooledDecoderBudget::instance().touch(this, m_decoder.threadCount());
    }
    return true;
}

void VideoPlayerWorker::releaseDecoder()
{
    if (m_playing)
        return;
    stopAudio();
    m_sink.reset();
    m_audio.close();
    m_audioOpened = false;
    // The file stays open (reopening the decoder is then cheap) and the
    // scaled frames stay, down to a smaller budget: coming back to the card
    // shows them at once.
    m_decoder.releaseCodec();
    stopReader();
    m_cache.setBudget(std::min(m_options.frameCacheBytes, m_options.keptFrameCacheBytes));
    m_decoderOpen.store(false);
    m_releaseRequested.store(false);
    m_playCursor = FrameCache::unknown;
    PooledDecoderBudget::instance().remove(this);
    // Hand the decoder's frame buffers back to the system: the allocator
    // would otherwise keep them for this thread.
    malloc_trim(0);
}

qint64 VideoPlayerWorker::toTicks(double seconds) const
{
    return m_decoder.toTimestamp(seconds);
}

double VideoPlayerWorker::toSeconds(qint64 ticks) const
{
    return m_decoder.toSeconds(ticks);
}

qint64 VideoPlayerWorker::frameTicks() const
{
    return m_decoder.frameDurationTicks();
}

QSize VideoPlayerWorker::effectiveTarget() const
{
    return m_target.isEmpty() ? QSize(640, 360) : m_target;
}
