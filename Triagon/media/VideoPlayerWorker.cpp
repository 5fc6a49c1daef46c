#include "media/VideoPlayerWorker.h"

#include "app/Loggers.h"
#include "media/AudioDeviceSink.h"
#include "media/PooledDecoderBudget.h"

#include <QMetaObject>

#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <optional>

namespace {
// How many frames before an exact seek's target are kept (scaled) when the
// decoder reaches it by decoding on: enough to sweep back over what a slow
// pointer just crossed, without scaling every frame of a fast sweep. After a
// keyframe seek only the target is kept.
constexpr int exactCacheLeadFrames = 4;
// Frames that nobody will see and no other frame refers to are skipped while
// the target is more than this many frames ahead.
constexpr int skipNonReferenceBeyondFrames = 12;
// Frames that leave the decoder this many outputs after skipping stopped are
// known to follow each other (frame threads and reordering delay the output).
constexpr int outputsUntilContiguous = 10;
// Seeks with a tolerance come from stepping backwards: keep the whole run,
// the next steps land on it.
constexpr double tolerantCacheLeadSeconds = 3.0;
// Targets at most this many frames ahead are reached by decoding on.
constexpr int decodeOnAcrossKeyframeFrames = 15;
// Without a keyframe index, decode on instead of seeking when the target is
// at most this far ahead.
constexpr double decodeOnWithoutIndexSeconds = 1.0;
// While playing late, show a frame at least this often even if it is late.
constexpr qint64 latePresentIntervalMs = 150;
// Sound is played at this format; the device converts if it must.
constexpr int playbackSampleRate = 48000;
constexpr int playbackChannels = 2;
constexpr double audioQueueSeconds = 0.25;

} // namespace

VideoPlayerWorker::VideoPlayerWorker(VideoPlayer *owner, const QString &path, const VideoPlayer::Options &options, QSize targetSize,
                                     bool muted)
    : m_owner(owner)
    , m_path(path)
    , m_options(options)
    , m_cache(options.frameCacheBytes)
    , m_target(targetSize)
    , m_muted(muted)
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

void VideoPlayerWorker::requestRelease()
{
    {
        std::lock_guard lock(m_mutex);
        m_releaseRequested.store(true);
    }
    m_wake.notify_all();
}

template<typename Call>
void VideoPlayerWorker::report(Call &&call)
{
    if (m_abort.load())
        return;
    // Queued on the player's thread; dropped by Qt if the player is gone.
    QMetaObject::invokeMethod(
        m_owner, [owner = m_owner, call = std::forward<Call>(call)]() mutable { call(owner); }, Qt::QueuedConnection);
}

void VideoPlayerWorker::run()
{
    if (ensureOpen()) {
        bool positioned = false;
        {
            std::lock_guard lock(m_mutex);
            for (const Command &command : m_commands)
                positioned = positioned || command.kind == Command::Kind::Seek || command.kind == Command::Kind::Step;
        }
        // Ready for display: the first frame, unless a seek is already waiting.
        if (!positioned && decodeNext(false))
            showDecoderFrame();
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
        const auto woken = [this] { return m_abort.load() || !m_commands.empty() || (m_releaseRequested.load() && m_decoderOpen.load()); };
        if (m_releaseRequested.load() && m_decoderOpen.load()) {
            lock.unlock();
            releaseDecoder();
            lock.lock();
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
}

void VideoPlayerWorker::handle(const Command &command)
{
    switch (command.kind) {
    case Command::Kind::Seek: {
        const bool ok = land(command.seconds, command.toleranceBefore, command.toleranceAfter, true);
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
        report([seconds, ok](VideoPlayer *player) { player->onSeekDone(seconds, ok); });
        break;
    }
    case Command::Kind::Step: {
        step(command.count);
        const double seconds = m_shownSeconds;
        report([seconds](VideoPlayer *player) { player->onStepDone(seconds); });
        break;
    }
    case Command::Kind::SetRate: {
        const double rate = command.rate;
        if (rate <= 0) {
            if (m_playing) {
                stopPlayback();
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
    case Command::Kind::SetTargetSize:
        if (m_target != command.size) {
            m_target = command.size;
            m_cache.clear();
            // Show the frame on show again at the new size, when the decoder still holds it.
            if (m_hasShown && m_decoder.isOpen() && m_decoder.hasFrame() && m_decoder.frameTimestamp() == m_shownTimestamp)
                showDecoderFrame();
        }
        break;
    }
}

bool VideoPlayerWorker::ensureOpen()
{
    if (m_decoder.isOpen()) {
        if (m_options.pooled) {
            m_releaseRequested.store(false);
            PooledDecoderBudget::instance().touch(this);
        }
        return true;
    }
    if (m_failed)
        return false;
    QString error;
    if (!m_decoder.open(m_path, m_options.decoderThreads, &error)) {
        m_failed = true;
        report([error](VideoPlayer *player) { player->onFailed(error); });
        return false;
    }
    m_decoderOpen.store(true);
    m_freshDecoder = true;
    m_skipping = false;
    m_everContiguous = true;
    m_cleanOutputs = 0;
    m_previousTimestamp = FrameCache::streamStart;
    m_playCursor = FrameCache::unknown;
    m_duration = m_decoder.durationSeconds();
    m_frameDuration = m_decoder.frameDuration();
    m_keyframeOffset = 0;
    if (AVStream *stream = m_decoder.stream(); stream->start_time != AV_NOPTS_VALUE && avformat_index_get_entries_count(stream) > 0) {
        const qint64 offset = stream->start_time - avformat_index_get_entry(stream, 0)->timestamp;
        if (offset > 0 && double(offset) * av_q2d(stream->time_base) < 1.0)
            m_keyframeOffset = offset;
    }
    if (!m_openedOnce) {
        m_openedOnce = true;
        const double duration = m_duration;
        const double frameRate = m_decoder.frameRate();
        const QSize size = m_decoder.displaySize();
        const bool hasAudio = m_decoder.format().audioStreamIndex() >= 0;
        report([duration, frameRate, size, hasAudio](VideoPlayer *player) { player->onOpened(duration, frameRate, size, hasAudio); });
    }
    report([](VideoPlayer *player) { player->onDecoderOpened(); });
    if (m_options.pooled) {
        m_releaseRequested.store(false);
        PooledDecoderBudget::instance().touch(this);
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
    m_decoder.close();
    m_cache.clear();
    m_decoderOpen.store(false);
    m_releaseRequested.store(false);
    m_playCursor = FrameCache::unknown;
    PooledDecoderBudget::instance().remove(this);
    // Hand the decoder's frame buffers back to the system: the allocator
    // would otherwise keep them for this thread.
    malloc_trim(0);
    report([](VideoPlayer *player) { player->onDecoderReleased(); });
}

qint64 VideoPlayerWorker::toTicks(double seconds) const
{
    return m_decoder.format().toStreamTimestamp(seconds, m_decoder.stream());
}

double VideoPlayerWorker::toSeconds(qint64 ticks) const
{
    return m_decoder.format().toSeconds(ticks, m_decoder.stream());
}

qint64 VideoPlayerWorker::halfFrameTicks() const
{
    const AVStream *stream = m_decoder.stream();
    if (!stream)
        return 0;
    const double ticks = m_frameDuration / 2 / av_q2d(stream->time_base);
    return std::isfinite(ticks) ? std::max<qint64>(0, qint64(ticks)) : 0;
}

QSize VideoPlayerWorker::effectiveTarget() const
{
    return m_target.isEmpty() ? QSize(640, 360) : m_target;
}

QImage VideoPlayerWorker::imageOfCurrent()
{
    return m_decoder.frameImage(effectiveTarget());
}

void VideoPlayerWorker::cacheCurrent(const QImage &image)
{
    if (m_decoder.hasFrame())
        m_cache.insert(m_decoder.frameTimestamp(), m_previousTimestamp, image);
}

bool VideoPlayerWorker::decodeNext(bool cacheIt)
{
    qint64 previous = FrameCache::unknown;
    if (m_decoder.hasFrame())
        previous = m_decoder.frameTimestamp();
    else if (m_freshDecoder)
        previous = FrameCache::streamStart;
    if (!m_decoder.decodeNextFrame()) {
        if (m_decoder.atEnd() && m_decoder.hasFrame())
            m_cache.markLast(m_decoder.frameTimestamp());
        return false;
    }
    m_freshDecoder = false;
    learnKeyframeOffset();
    // While frames are skipped (and a little after), the frame decoded
    // before this one need not be the one before it in the stream.
    if (m_skipping)
        m_cleanOutputs = 0;
    else
        ++m_cleanOutputs;
    const bool contiguous = !m_skipping && (m_cleanOutputs > outputsUntilContiguous || m_everContiguous);
    m_previousTimestamp = contiguous ? previous : FrameCache::unknown;
    if (cacheIt)
        cacheCurrent(imageOfCurrent());
    return true;
}

std::optional<qint64> VideoPlayerWorker::keyframeAtOrBefore(qint64 timestamp) const
{
    // The index holds decoding times; with B-frames a keyframe is shown a
    // little later than it is decoded, and seeks go by the time it is shown.
    AVStream *stream = m_decoder.stream();
    if (!stream || avformat_index_get_entries_count(stream) <= 0)
        return std::nullopt;
    const int index = av_index_search_timestamp(stream, timestamp - m_keyframeOffset, AVSEEK_FLAG_BACKWARD);
    if (index < 0)
        return std::nullopt;
    const AVIndexEntry *entry = avformat_index_get_entry(stream, index);
    if (!entry)
        return std::nullopt;
    return entry->timestamp + m_keyframeOffset;
}

void VideoPlayerWorker::learnKeyframeOffset()
{
    const AVFrame *frame = m_decoder.frame();
    AVStream *stream = m_decoder.stream();
    if (!frame || !frame->key_frame || !stream || avformat_index_get_entries_count(stream) <= 0)
        return;
    const qint64 shown = m_decoder.frameTimestamp();
    const int index = av_index_search_timestamp(stream, shown, AVSEEK_FLAG_BACKWARD);
    if (index < 0)
        return;
    const AVIndexEntry *entry = avformat_index_get_entry(stream, index);
    const qint64 offset = entry ? shown - entry->timestamp : -1;
    // Only a keyframe's own entry tells the offset: it lies within a second.
    if (offset >= 0 && double(offset) * av_q2d(stream->time_base) < 1.0)
        m_keyframeOffset = offset;
}

void VideoPlayerWorker::setSkipping(bool skipping)
{
    if (AVCodecContext *codec = m_decoder.codecContext()) {
        if (skipping != m_skipping)
            m_everContiguous = false;
        m_skipping = skipping;
        codec->skip_frame = skipping ? AVDISCARD_NONREF : AVDISCARD_DEFAULT;
    }
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

void VideoPlayerWorker::showDecoderFrame()
{
    if (!m_decoder.hasFrame())
        return;
    const qint64 timestamp = m_decoder.frameTimestamp();
    if (const FrameCache::Entry *entry = m_cache.find(timestamp)) {
        present(timestamp, entry->image);
        return;
    }
    const QImage image = imageOfCurrent();
    cacheCurrent(image);
    present(timestamp, image);
}

bool VideoPlayerWorker::land(double seconds, double toleranceBefore, double toleranceAfter, bool useCache)
{
    if (!ensureOpen())
        return false;
    if (!std::isfinite(seconds) || seconds < 0)
        seconds = 0;
    if (m_duration > 0)
        seconds = std::min(seconds, m_duration);
    const bool tolerant = toleranceBefore > 0 || toleranceAfter > 0;
    const qint64 target = toTicks(seconds);
    const qint64 half = halfFrameTicks();
    const qint64 accept = target - half;
    const qint64 low = tolerant ? std::min(accept, toTicks(seconds - std::max(0.0, toleranceBefore))) : accept;
    const qint64 high = tolerant ? std::max(target + half, toTicks(seconds + std::max(0.0, toleranceAfter))) : target + half;

    if (useCache) {
        const FrameCache::Entry *entry = tolerant ? m_cache.findWithin(low, high, target) : nullptr;
        if (!entry)
            entry = m_cache.findFirstAtOrAfter(accept);
        if (entry) {
            present(entry->timestamp, entry->image);
            return true;
        }
    }
    if (m_decoder.hasFrame()) {
        const qint64 current = m_decoder.frameTimestamp();
        // Exactly half way between two frames the earlier one is the frame,
        // as when decoding forward to it.
        const bool there = tolerant ? (current >= low && current <= high)
                                    : (current >= accept
                                       && (m_previousTimestamp != FrameCache::unknown ? m_previousTimestamp == FrameCache::streamStart || m_previousTimestamp < accept
                                                                                       : current < target + half));
        if (there) {
            if (useCache)
                showDecoderFrame();
            return true;
        }
    }

    // Decode on from where the decoder stands when no keyframe lies between
    // it and the target; else start at the keyframe before the target.
    AVStream *stream = m_decoder.stream();
    qint64 from = FrameCache::unknown;
    if (m_decoder.hasFrame())
        from = m_decoder.frameTimestamp();
    else if (m_freshDecoder)
        from = stream->start_time != AV_NOPTS_VALUE ? stream->start_time : 0;
    bool decodeOn = false;
    if (from != FrameCache::unknown && !m_decoder.atEnd() && from < low) {
        // A short way on is cheaper than a seek even across a keyframe: after
        // a seek the frame threads have to fill up again.
        const qint64 frameTicks = 2 * half;
        if (target - from <= decodeOnAcrossKeyframeFrames * frameTicks)
            decodeOn = true;
        else if (const std::optional<qint64> keyframe = keyframeAtOrBefore(target))
            decodeOn = *keyframe <= from;
        else
            decodeOn = double(target - from) * av_q2d(stream->time_base) <= decodeOnWithoutIndexSeconds;
    }
    const qint64 frameTicks = 2 * half;
    // Small steps (a slow pointer, frame by frame) keep what they pass for
    // sweeping back; big jumps keep only the target, since scaling costs
    // about as much as decoding.
    qint64 cacheFrom = low;
    if (tolerant)
        cacheFrom = toTicks(seconds - tolerantCacheLeadSeconds);
    else if (decodeOn && from != FrameCache::unknown && target - from <= (exactCacheLeadFrames + 1) * frameTicks)
        cacheFrom = target - exactCacheLeadFrames * frameTicks;
    const qint64 skipBefore = target - skipNonReferenceBeyondFrames * frameTicks;
    if (decodeOn) {
        setSkipping(m_decoder.hasFrame() && m_decoder.frameTimestamp() < skipBefore);
    } else {
        // Frames in flight right after the keyframe must not be skipped when
        // the target lies among them.
        const std::optional<qint64> keyframe = keyframeAtOrBefore(target);
        setSkipping(keyframe && *keyframe < skipBefore);
    }
    if (!decodeOn) {
        if (!m_decoder.seekKeyframe(seconds))
            return false;
        m_freshDecoder = false;
        const std::optional<qint64> first = avformat_index_get_entries_count(stream) > 0
                                                ? std::optional<qint64>(avformat_index_get_entry(stream, 0)->timestamp)
                                                : std::nullopt;
        m_previousTimestamp = (first && m_decoder.frameTimestamp() <= *first + m_keyframeOffset) ? FrameCache::streamStart : FrameCache::unknown;
        m_cleanOutputs = 0;
        learnKeyframeOffset();
        if (m_decoder.frameTimestamp() >= cacheFrom && m_decoder.frameTimestamp() < low)
            cacheCurrent(imageOfCurrent());
    }
    while (!m_decoder.hasFrame() || m_decoder.frameTimestamp() < low) {
        if (m_abort.load())
            return false;
        setSkipping(m_decoder.hasFrame() && m_decoder.frameTimestamp() < skipBefore);
        if (!decodeNext(false))
            break; // past the last frame: stay on it
        if (m_decoder.frameTimestamp() >= cacheFrom && m_decoder.frameTimestamp() < low)
            cacheCurrent(imageOfCurrent());
    }
    setSkipping(false);
    if (!m_decoder.hasFrame())
        return false;
    if (useCache)
        showDecoderFrame();
    return true;
}

bool VideoPlayerWorker::positionDecoderAtShown()
{
    if (m_decoder.isOpen() && m_decoder.hasFrame() && m_decoder.frameTimestamp() == m_shownTimestamp)
        return true;
    return land(m_shownSeconds, 0, 0, false);
}

void VideoPlayerWorker::step(int count)
{
    if (count == 0 || !ensureOpen())
        return;
    if (!m_hasShown && !land(0, 0, 0, true))
        return;
    for (int i = 0; i < std::abs(count) && !m_abort.load(); ++i) {
        if (count > 0) {
            if (const FrameCache::Entry *next = m_cache.successor(m_shownTimestamp)) {
                present(next->timestamp, next->image);
                continue;
            }
            if (!positionDecoderAtShown() || !decodeNext(false))
                break; // at the last frame
            showDecoderFrame();
            continue;
        }
        // One frame back: the cache knows the predecessor of a frame it holds.
        qint64 previous = FrameCache::unknown;
        if (const FrameCache::Entry *shown = m_cache.find(m_shownTimestamp))
            previous = shown->previous;
        else if (m_decoder.hasFrame() && m_decoder.frameTimestamp() == m_shownTimestamp)
            previous = m_previousTimestamp;
        if (previous == FrameCache::streamStart)
            break; // the first frame
        if (previous != FrameCache::unknown) {
            if (const FrameCache::Entry *entry = m_cache.find(previous)) {
                present(entry->timestamp, entry->image);
                continue;
            }
        }
        // Decode from the keyframe before it up to the frame on show.
        const qint64 shown = m_shownTimestamp;
        const double before = toSeconds(shown) - m_frameDuration / 4;
        if (before < 0 || !m_decoder.seekKeyframe(std::max(0.0, before)))
            break;
        m_freshDecoder = false;
        m_previousTimestamp = FrameCache::unknown;
        QImage lastImage;
        qint64 lastTimestamp = FrameCache::unknown;
        while (m_decoder.hasFrame() && m_decoder.frameTimestamp() < shown && !m_abort.load()) {
            lastImage = imageOfCurrent();
            lastTimestamp = m_decoder.frameTimestamp();
            cacheCurrent(lastImage);
            if (!decodeNext(false))
                break;
        }
        if (lastTimestamp == FrameCache::unknown)
            break;
        present(lastTimestamp, lastImage);
    }
}

void VideoPlayerWorker::startPlayback(double rate)
{
    if (!ensureOpen())
        return;
    if (!m_hasShown && !land(0, 0, 0, true))
        return;
    if (m_shownIsLast) {
        // At the end already: nothing to play.
        const double seconds = m_shownSeconds;
        report([seconds](VideoPlayer *player) { player->onReachedEnd(seconds); });
        return;
    }
    m_rate = rate;
    m_playing = true;
    m_framePending = false;
    m_playCursor = FrameCache::unknown;
    rebase(m_shownSeconds);
    if (rate == 1)
        startAudio(m_shownSeconds);
}

void VideoPlayerWorker::stopPlayback()
{
    m_playing = false;
    m_rate = 0;
    m_framePending = false;
    m_playCursor = FrameCache::unknown;
    stopAudio();
}

void VideoPlayerWorker::rebase(double mediaSeconds)
{
    m_clockBase = mediaSeconds;
    m_clockStart = m_wallClock.nsecsElapsed();
}

double VideoPlayerWorker::clock() const
{
    if (m_audioActive && m_sink)
        return m_audioBase + double(m_sink->playedFrames()) / playbackSampleRate;
    return m_clockBase + double(m_wallClock.nsecsElapsed() - m_clockStart) / 1e9 * m_rate;
}

void VideoPlayerWorker::playbackStep(std::unique_lock<std::mutex> &lock)
{
    lock.unlock();
    if (m_audioActive)
        topUpAudio();
    if (!m_framePending) {
        const bool following = m_playCursor != FrameCache::unknown && m_decoder.isOpen() && m_decoder.hasFrame()
                               && m_decoder.frameTimestamp() == m_playCursor;
        if (!following && !positionDecoderAtShown()) {
            stopPlayback();
            lock.lock();
            return;
        }
        if (!decodeNext(false)) {
            // The end: the player pauses there by itself.
            if (m_decoder.hasFrame() && m_decoder.frameTimestamp() != m_shownTimestamp)
                showDecoderFrame();
            m_shownIsLast = true;
            const double seconds = m_shownSeconds;
            stopPlayback();
            report([seconds](VideoPlayer *player) { player->onReachedEnd(seconds); });
            lock.lock();
            return;
        }
        m_playCursor = m_decoder.frameTimestamp();
        m_framePending = true;
    }
    const double frameTime = toSeconds(m_decoder.frameTimestamp());
    const double now = clock();
    if (frameTime + m_frameDuration < now && m_wallClock.elapsed() - m_lastPresentMs < latePresentIntervalMs) {
        // Late: drop it. Far behind (fast rates on a slow decoder), jump to
        // the keyframe before the clock instead of decoding every frame.
        m_framePending = false;
        if (now - frameTime > 1.0) {
            const std::optional<qint64> keyframe = keyframeAtOrBefore(toTicks(now));
            if (keyframe && *keyframe > m_decoder.frameTimestamp() && m_decoder.seekKeyframe(now)) {
                m_previousTimestamp = FrameCache::unknown;
                m_playCursor = m_decoder.frameTimestamp();
                m_framePending = true;
            }
        }
        lock.lock();
        return;
    }
    if (frameTime > now) {
        const double speed = m_audioActive ? 1.0 : std::max(0.01, m_rate);
        const double wait = std::min(0.05, (frameTime - now) / speed);
        lock.lock();
        m_wake.wait_for(lock, std::chrono::microseconds(qint64(wait * 1e6)), [this] { return m_abort.load() || !m_commands.empty(); });
        return;
    }
    showDecoderFrame();
    m_framePending = false;
    const double seconds = m_shownSeconds;
    report([seconds](VideoPlayer *player) { player->onPlaybackTime(seconds); });
    lock.lock();
}

void VideoPlayerWorker::startAudio(double mediaSeconds)
{
    if (m_audioUnavailable || m_muted || m_decoder.format().audioStreamIndex() < 0)
        return;
    if (!m_audioOpened) {
        if (m_audio.open(m_path, playbackSampleRate, playbackChannels) != AudioStreamDecoder::OpenResult::Opened) {
            m_audioUnavailable = true;
            return;
        }
        m_audioOpened = true;
    }
    if (!m_sink) {
        auto sink = std::make_unique<AudioDeviceSink>(playbackSampleRate, playbackChannels, 1.0);
        QString error;
        if (!sink->start(&error)) {
            m_audioUnavailable = true;
            if (AudioDeviceSink::claimFailureLog())
                qCWarning(audioLogger, "No audio output, playing without sound: %s", qUtf8Printable(error));
            return;
        }
        m_sink = std::move(sink);
    }
    m_sink->clear();
    if (!m_audio.seek(mediaSeconds))
        return;
    m_audioBase = mediaSeconds;
    m_audioActive = true;
    topUpAudio();
}

void VideoPlayerWorker::stopAudio()
{
    if (m_sink)
        m_sink->clear();
    m_audioActive = false;
}

void VideoPlayerWorker::topUpAudio()
{
    if (!m_audioActive || !m_sink)
        return;
    const qint64 wanted = qint64(audioQueueSeconds * playbackSampleRate);
    QByteArray buffer;
    while (m_sink->queuedFrames() < wanted) {
        buffer.clear();
        const qint64 frames = m_audio.read(buffer, 2048);
        if (frames <= 0) {
            if (m_sink->queuedFrames() == 0) {
                // The sound ended before the picture: the wall clock takes over.
                const double now = clock();
                stopAudio();
                rebase(now);
            }
            return;
        }
        m_sink->write(reinterpret_cast<const float *>(buffer.constData()), frames);
    }
}
