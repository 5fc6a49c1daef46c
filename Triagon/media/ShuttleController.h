#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <array>
#include <memory>
#include <optional>

class VideoPlayer;

// The J/K/L shuttle of one player, like an editing deck: L plays forward and,
// pressed again, doubles the speed up to 8×; J plays backward the same way
// (by stepping the paused player back 30 times a second, never by a negative
// rate); K stops. Owned by the full player and by the grid's keyboard shuttle.
// GUI thread only.
class ShuttleController : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool isPlaying READ isPlaying NOTIFY isPlayingChanged)
    Q_PROPERTY(int playbackDirection READ playbackDirection NOTIFY playbackDirectionChanged)
    Q_PROPERTY(int speedIndex READ speedIndex NOTIFY speedIndexChanged)
    Q_PROPERTY(double currentTime READ currentTime WRITE setCurrentTime NOTIFY currentTimeChanged)

public:
    static constexpr std::array<float, 4> speedLevels{1.0f, 2.0f, 4.0f, 8.0f};
    // The forward speed step carried from one clip to the next: written by the
    // caller when the user moves on while shuttling forward, consumed once by
    // `resumeCarriedSpeed()` of the shuttle attached to the next clip.
    static inline std::optional<int> carriedSpeedIndex;

    explicit ShuttleController(QObject *parent = nullptr);
    ~ShuttleController() override;

    bool isPlaying() const { return m_isPlaying; }
    int playbackDirection() const { return m_playbackDirection; } // 1 forward, -1 backward, 0 stopped
    int speedIndex() const { return m_speedIndex; }
    double currentTime() const { return m_currentTime; }
    void setCurrentTime(double seconds);

    VideoPlayer *player() const { return m_player.get(); }
    std::shared_ptr<VideoPlayer> sharedPlayer() const { return m_player; }
    double duration() const { return m_duration; }
    double frameRate() const { return m_frameRate; }
    float currentSpeed() const { return speedLevels[static_cast<size_t>(m_speedIndex)]; }

    // Connects a player with the clip's duration and frame rate (a rate of 0
    // or less counts as 30). Neither starts nor pauses the player.
    void attach(std::shared_ptr<VideoPlayer> player, double duration, double frameRate);
    void detach();

    void shuttleForward(); // L
    void shuttleReverse(); // J
    void shuttleStop();    // K; safe in any state
    void resumeCarriedSpeed();

Q_SIGNALS:
    void isPlayingChanged(bool playing);
    void playbackDirectionChanged(int direction);
    void speedIndexChanged(int index);
    void currentTimeChanged(double seconds);

private:
    void setPlaying(bool playing);
    void setDirection(int direction);
    void setSpeedIndex(int index);
    void startReverseTimer();
    void stopReverseTimer();
    void reverseTick();

    bool m_isPlaying = false;
    int m_playbackDirection = 0;
    int m_speedIndex = 0;
    double m_currentTime = 0;
    std::shared_ptr<VideoPlayer> m_player;
    double m_duration = 0;
    double m_frameRate = 30.0;
    QMetaObject::Connection m_timeConnection;
    QTimer m_reverseTimer;
    double m_reverseStep = 0;
};
