#include "media/ShuttleController.h"

#include "media/VideoPlayer.h"

#include <algorithm>
#include <cmath>

ShuttleController::ShuttleController(QObject *parent) : QObject(parent)
{
    m_reverseTimer.setTimerType(Qt::PreciseTimer);
    m_reverseTimer.setInterval(1000 / 30);
    connect(&m_reverseTimer, &QTimer::timeout, this, &ShuttleController::reverseTick);
}

ShuttleController::~ShuttleController()
{
    m_reverseTimer.stop();
    disconnect(m_timeConnection);
}

void ShuttleController::setCurrentTime(double seconds)
{
    if (!std::isfinite(seconds))
        seconds = 0;
    if (m_currentTime == seconds)
        return;
    m_currentTime = seconds;
    Q_EMIT currentTimeChanged(seconds);
}

void ShuttleController::setPlaying(bool playing)
{
    if (m_isPlaying == playing)
        return;
    m_isPlaying = playing;
    Q_EMIT isPlayingChanged(playing);
}

void ShuttleController::setDirection(int direction)
{
    if (m_playbackDirection == direction)
        return;
    m_playbackDirection = direction;
    Q_EMIT playbackDirectionChanged(direction);
}

void ShuttleController::setSpeedIndex(int index)
{
    index = std::clamp(index, 0, static_cast<int>(speedLevels.size()) - 1);
    if (m_speedIndex == index)
        return;
    m_speedIndex = index;
    Q_EMIT speedIndexChanged(index);
}

void ShuttleController::attach(std::shared_ptr<VideoPlayer> player, double duration, double frameRate)
{
    detach();
    m_player = std::move(player);
    m_duration = std::isfinite(duration) ? std::max(0.0, duration) : 0.0;
    m_frameRate = (std::isfinite(frameRate) && frameRate > 0) ? frameRate : 30.0;
    if (m_player) {
        m_player->setTimeInterval(1000 / 30);
        m_timeConnection = connect(m_player.get(), &VideoPlayer::timeChanged, this, &ShuttleController::setCurrentTime);
    }
}

void ShuttleController::detach()
{
    shuttleStop();
    disconnect(m_timeConnection);
    m_timeConnection = {};
    m_player.reset();
    m_duration = 0;
    setCurrentTime(0);
}

void ShuttleController::shuttleForward()
{
    if (!m_player)
        return;
    stopReverseTimer();
    if (m_playbackDirection == 1) {
        setSpeedIndex(m_speedIndex + 1);
    } else {
        setDirection(1);
        setSpeedIndex(0);
    }
    m_player->setRate(currentSpeed());
    setPlaying(true);
}

void ShuttleController::shuttleReverse()
{
    if (!m_player)
        return;
    m_player->pause();
    if (m_playbackDirection == -1) {
        setSpeedIndex(m_speedIndex + 1);
    } else {
        setDirection(-1);
        setSpeedIndex(0);
    }
    setPlaying(true);
    startReverseTimer();
}

void ShuttleController::shuttleStop()
{
    if (m_player)
        m_player->pause();
    stopReverseTimer();
    setDirection(0);
    setSpeedIndex(0);
    setPlaying(false);
}

void ShuttleController::resumeCarriedSpeed()
{
    if (!carriedSpeedIndex || !m_player)
        return;
    const int index = std::clamp(*carriedSpeedIndex, 0, static_cast<int>(speedLevels.size()) - 1);
    carriedSpeedIndex.reset();
    stopReverseTimer();
    setDirection(1);
    setSpeedIndex(index);
    m_player->setRate(currentSpeed());
    setPlaying(true);
}

void ShuttleController::startReverseTimer()
{
    stopReverseTimer();
    // The step is fixed when the timer starts; a change of speed restarts it.
    m_reverseStep = currentSpeed() / 30.0;
    if (m_player)
        m_player->setBackwardStep(m_reverseStep, 1000.0 / m_reverseTimer.interval());
    m_reverseTimer.start();
}

void ShuttleController::stopReverseTimer()
{
    if (m_player && m_reverseTimer.isActive())
        m_player->setBackwardStep(0);
    m_reverseTimer.stop();
}

void ShuttleController::reverseTick()
{
    if (!m_player)
        return;
    // Each tick starts from the player's own time, so that no queue of seeks
    // builds up behind a slow decoder.
    const double t = m_player->currentTime() - m_reverseStep;
    if (!(t > 0)) {
        m_player->seek(0);
        setCurrentTime(0);
        shuttleStop();
        return;
    }
    const double tolerance = (1.0 / m_frameRate) * 0.5;
    m_player->seek(t, {}, tolerance, tolerance);
    setCurrentTime(t);
}
