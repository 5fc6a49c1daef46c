#include "media/VideoPlayerWorker.h"

#include "app/Loggers.h"
#include "media/AudioDeviceSink.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <optional>

// Playback of a VideoPlayerWorker: frames paced by the sound's clock (rate 1
// with sound) or by the wall clock, late frames dropped.

namespace {
// While playing late, show a frame at least this often even if it is late.
constexpr qint64 latePresentIntervalMs = 150;
// Sound is played at this format; the device converts if it must.
constexpr int playbackSampleRate = 48000;
constexpr int playbackChannels = 2;
constexpr double audioQueueSeconds = 0.25;
} // namespace

void VideoPlayerWorker::startPlayback(double rate)
{
    noteNotBackwards();
    if (!ensureOpen(OpenFor::Seek))
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
        if (!decodeNext()) {
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
