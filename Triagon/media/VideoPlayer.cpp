#include "media/VideoPlayer.h"

#include "app/Loggers.h"
#include "media/VideoPlayerWorker.h"

#include <QFileInfo>
#include <QMetaObject>
#include <QThread>

#include <algorithm>
#include <cmath>

namespace {
int processorCount()
{
    return std::max(1, QThread::idealThreadCount());
}
} // namespace

VideoPlayer::Options VideoPlayer::Options::pooledScrub()
{
    Options options;
    // A decoder kept open for a card holds the frames of its threads: one
    // thread while it only shows a first frame. A seek of the card in use
    // starts at a keyframe and decodes up to two seconds of frames while the
    // pointer waits: it reopens with as many threads as a one-off decode
    // gets (FFmpegVideoDecoder::oneOffThreadCount).
    options.decoderThreads = 1;
    options.seekDecoderThreads = std::clamp(processorCount(), 1, 8);
    options.releaseDecoderAfterMs = 8000;
    options.pooled = true;
    // 480 × 270 frames are half a megabyte: two seconds of them while in
    // use, eight kept while the decoder is released.
    options.frameCacheBytes = 32LL * 1024 * 1024;
    options.keptFrameCacheBytes = 4LL * 1024 * 1024;
    options.muted = true;
    return options;
}

VideoPlayer::Options VideoPlayer::Options::fullPlayer()
{
    Options options;
    options.decoderThreads = 0;
    // Stepping and shuttling backwards show frames from here: those still
    // to be shown and the stretch read behind them, which may reach a
    // keyframe interval further (about 72 frames of 1000 x 562). After a
    // jump the first steps back need no decoding.
    options.frameCacheBytes = 160LL * 1024 * 1024;
    options.keptFrameCacheBytes = options.frameCacheBytes;
    options.framesKeptBeforeSeek = 24;
    options.readyForReverse = true;
    return options;
}

int VideoPlayer::Options::pooledDecoderLimit()
{
    // The last dozen cards, as far as their threads allow.
    return 12;
}

int VideoPlayer::Options::pooledThreadLimit()
{
    // Decoders of the three cards used last at their seek threads (a 1080p
    // decoder with eight frame threads holds about 75 MB), or more of them
    // with fewer threads.
    return 3 * pooledScrub().seekDecoderThreads;
}

VideoPlayer::VideoPlayer(const QString &path, QObject *parent) : VideoPlayer(path, Options{}, parent)
{
}

VideoPlayer::VideoPlayer(const QString &path, const Options &options, QObject *parent)
    : QObject(parent), m_path(path), m_options(options), m_muted(options.muted)
{
    m_timeTimer.setInterval(1000 / 30);
    connect(&m_timeTimer, &QTimer::timeout, this, [this] {
        if (m_rate > 0)
            Q_EMIT timeChanged(currentTime());
    });
    m_worker = std::make_unique<VideoPlayerWorker>(this, m_path, m_options, m_targetSize, m_muted);
}

VideoPlayer::~VideoPlayer()
{
    // Joins the decoding thread; what it still queued for us is dropped with us.
    m_worker.reset();
}

void VideoPlayer::close()
{
    if (m_closed)
        return;
    m_closed = true;
    m_worker.reset();
    m_timeTimer.stop();
    m_rate = 0;
    m_frame = QImage();
    // Outstanding seeks did not finish; tell their callers later, as a seek would.
    std::vector<SeekCompletion> unfinished;
    if (m_seekInFlight && m_inFlight.done)
        unfinished.push_back(std::move(m_inFlight.done));
    if (m_pendingSeek && m_pendingSeek->done)
        unfinished.push_back(std::move(m_pendingSeek->done));
    m_seekInFlight = false;
    m_pendingSeek.reset();
    for (auto &done : unfinished)
        QMetaObject::invokeMethod(
            this, [done = std::move(done)] { done(false); }, Qt::QueuedConnection);
    if (m_readyForDisplay) {
        m_readyForDisplay = false;
        Q_EMIT readyForDisplayChanged(false);
    }
    Q_EMIT frameReady();
}

bool VideoPlayer::isDecoderOpen() const
{
    return m_worker && m_worker->isDecoderOpen();
}

bool VideoPlayer::isReadingAhead() const
{
    return m_worker && m_worker->isReadingAhead();
}

void VideoPlayer::setMuted(bool muted)
{
    if (m_muted == muted)
        return;
    m_muted = muted;
    if (m_worker) {
        VideoPlayerWorker::Command command;
        command.kind = VideoPlayerWorker::Command::Kind::SetMuted;
        command.muted = muted;
        m_worker->post(command);
    }
}

void VideoPlayer::setRate(double rate)
{
    if (!std::isfinite(rate) || rate < 0)
        rate = 0;
    rate = std::min(rate, 16.0);
    if (m_closed || rate == m_rate)
        return;
    const double wasTime = currentTime();
    m_rate = rate;
    if (rate > 0) {
        m_playbackTime = wasTime;
        m_timeTimer.start();
    } else {
        m_timeTimer.stop();
        m_time = wasTime;
    }
    VideoPlayerWorker::Command command;
    command.kind = VideoPlayerWorker::Command::Kind::SetRate;
    command.rate = rate;
    m_worker->post(command);
    Q_EMIT rateChanged(rate);
    if (rate == 0)
        Q_EMIT timeChanged(m_time);
}

double VideoPlayer::currentTime() const
{
    if (m_pendingSeek)
        return m_pendingSeek->seconds;
    if (m_seekInFlight)
        return m_inFlight.seconds;
    if (m_rate > 0)
        return m_playbackTime;
    return m_time;
}

void VideoPlayer::seek(double seconds, SeekCompletion done, double toleranceBefore, double toleranceAfter)
{
    ++m_stats.seeksRequested;
    if (m_closed) {
        if (done)
            QMetaObject::invokeMethod(
                this, [done = std::move(done)] { done(false); }, Qt::QueuedConnection);
        return;
    }
    if (!std::isfinite(seconds) || seconds < 0)
        seconds = 0;
    if (m_duration > 0)
        seconds = std::min(seconds, m_duration);
    PendingSeek request{seconds, std::max(0.0, toleranceBefore), std::max(0.0, toleranceAfter), std::move(done)};
    if (m_seekInFlight) {
        if (m_pendingSeek) {
            ++m_stats.seeksDropped;
            if (m_pendingSeek->done)
                QMetaObject::invokeMethod(
                    this, [dropped = std::move(m_pendingSeek->done)] { dropped(false); }, Qt::QueuedConnection);
        }
        m_pendingSeek = std::move(request);
        m_worker->noteSeekWaiting(
            VideoPlayerWorker::WaitingSeek{m_pendingSeek->seconds, m_pendingSeek->toleranceBefore, m_pendingSeek->toleranceAfter});
        return;
    }
    startSeek(std::move(request));
}

void VideoPlayer::startSeek(PendingSeek seek)
{
    ++m_stats.seeksPerformed;
    m_seekInFlight = true;
    m_inFlight = std::move(seek);
    m_worker->noteSeekWaiting(std::nullopt);
    VideoPlayerWorker::Command command;
    command.kind = VideoPlayerWorker::Command::Kind::Seek;
    command.seconds = m_inFlight.seconds;
    command.toleranceBefore = m_inFlight.toleranceBefore;
    command.toleranceAfter = m_inFlight.toleranceAfter;
    m_worker->post(command);
}

void VideoPlayer::stepByFrames(int count)
{
    if (m_closed || count == 0)
        return;
    pause();
    VideoPlayerWorker::Command command;
    command.kind = VideoPlayerWorker::Command::Kind::Step;
    command.count = count;
    m_worker->post(command);
}

void VideoPlayer::setBackwardStep(double seconds, double stepsPerSecond)
{
    if (m_closed || !m_worker)
        return;
    VideoPlayerWorker::Command command;
    command.kind = VideoPlayerWorker::Command::Kind::SetBackwardStep;
    command.seconds = std::isfinite(seconds) ? std::max(0.0, seconds) : 0.0;
    command.rate = std::isfinite(stepsPerSecond) ? std::max(0.0, stepsPerSecond) : 0.0;
    m_worker->post(command);
}

void VideoPlayer::setTargetSize(const QSize &size)
{
    if (m_targetSize == size)
        return;
    m_targetSize = size;
    if (m_worker) {
        VideoPlayerWorker::Command command;
        command.kind = VideoPlayerWorker::Command::Kind::SetTargetSize;
        command.size = size;
        m_worker->post(command);
    }
}

void VideoPlayer::setTimeInterval(int milliseconds)
{
    m_timeTimer.setInterval(std::max(1, milliseconds));
}

void VideoPlayer::onOpened(double duration, double frameRate, QSize displaySize, bool hasAudio)
{
    m_duration = std::isfinite(duration) ? std::max(0.0, duration) : 0.0;
    m_frameRate = frameRate;
    m_displaySize = displaySize;
    m_hasAudio = hasAudio;
    Q_EMIT opened();
}

void VideoPlayer::onFailed(const QString &message)
{
    m_errorText = message;
    // The views leave the picture empty and say nothing; the log is where a
    // user or a report finds why (an encrypted file, a codec we lack).
    qCWarning(sessionLogger).noquote() << QStringLiteral("Cannot show %1: %2").arg(QFileInfo(m_path).fileName(), message);
    Q_EMIT failed(message);
}

void VideoPlayer::onFrame(const QImage &image, double time)
{
    if (m_closed)
        return;
    m_frame = image;
    m_frameTime = time;
    if (!m_readyForDisplay && !image.isNull()) {
        m_readyForDisplay = true;
        Q_EMIT readyForDisplayChanged(true);
    }
    Q_EMIT frameReady();
}

void VideoPlayer::onSeekDone(double time, bool finished, bool fromCache)
{
    if (m_closed || !m_seekInFlight)
        return;
    if (fromCache)
        ++m_stats.framesFromCache;
    SeekCompletion done = std::move(m_inFlight.done);
    m_seekInFlight = false;
    if (m_pendingSeek) {
        PendingSeek next = std::move(*m_pendingSeek);
        m_pendingSeek.reset();
        startSeek(std::move(next));
    } else {
        m_time = time;
        m_playbackTime = time;
    }
    if (done)
        done(finished);
    Q_EMIT timeChanged(currentTime());
}

void VideoPlayer::onStepDone(double time, int fromCache)
{
    if (m_closed)
        return;
    m_stats.framesFromCache += fromCache;
    m_time = time;
    Q_EMIT timeChanged(currentTime());
}

void VideoPlayer::onPlaybackTime(double time)
{
    m_playbackTime = time;
    if (m_rate == 0 && !m_seekInFlight)
        m_time = time;
}

void VideoPlayer::onReachedEnd(double time)
{
    m_time = time;
    m_playbackTime = time;
    if (m_rate != 0) {
        m_rate = 0;
        m_timeTimer.stop();
        Q_EMIT rateChanged(0);
    }
    Q_EMIT timeChanged(currentTime());
    Q_EMIT reachedEnd();
}

void VideoPlayer::onDecoderOpened()
{
    ++m_stats.decoderOpens;
}
