// The keyboard scrub: one player of the selected clip, driven by the grid's
// shuttle and drawn on that clip's card.
#include "grid/ClipGridView.h"

#include "app/HoverScrub.h"
#include "grid/CardMedia.h"
#include "media/ShuttleController.h"
#include "media/VideoPlayer.h"

#include <QKeyEvent>

void ClipGridView::updateGridScrub(const Clip &clip, bool keepPlaying)
{
    if (clip.isMissing || m_gridScrubClipID == clip.id)
        return;
    const int oldDirection = m_gridShuttle->playbackDirection();
    const int oldSpeed = m_gridShuttle->speedIndex();
    m_gridShuttle->detach();
    m_gridScrubPlayer.reset();
    std::shared_ptr<VideoPlayer> player = m_media ? m_media->scrubPlayer(clip.url) : nullptr;
    if (!player) {
        m_gridScrubClipID.reset();
        refreshCards();
        return;
    }
    player->setMuted(!m_audioEnabled);
    m_gridScrubPlayer = player;
    m_gridScrubClipID = clip.id;
    m_media->seek(player, 0.01);
    m_gridShuttle->attach(player, finiteDuration(clip.duration), clip.frameRate);
    if (keepPlaying) {
        if (oldDirection == 1 && oldSpeed > 0) {
            ShuttleController::carriedSpeedIndex = oldSpeed;
            m_gridShuttle->resumeCarriedSpeed();
        } else {
            m_gridShuttle->shuttleForward();
        }
    }
    refreshCards();
}

void ClipGridView::stopGridScrub()
{
    const bool had = m_gridScrubClipID.has_value();
    m_gridShuttle->detach();
    if (m_gridScrubPlayer)
        m_gridScrubPlayer->setMuted(true); // back to the pool's muted scrubbing
    m_gridScrubPlayer.reset();
    m_gridScrubClipID.reset();
    if (had)
        refreshCards();
}

bool ClipGridView::handleScrubKey(QKeyEvent *event)
{
    const QString text = event->text();
    const bool space = event->key() == Qt::Key_Space;
    static const QString scrubCharacters = QStringLiteral("ljk,.[]");
    if (!space && (text.size() != 1 || !scrubCharacters.contains(text.at(0))))
        return false;
    if (!keysAllowed() || !m_gridScrubClipID)
        return false;
    if (space) {
        if (m_gridShuttle->isPlaying())
            m_gridShuttle->shuttleStop();
        else
            m_gridShuttle->shuttleForward();
        return true;
    }
    switch (text.at(0).unicode()) {
    case 'l':
        m_gridShuttle->shuttleForward();
        break;
    case 'j':
        m_gridShuttle->shuttleReverse();
        break;
    case 'k':
        m_gridShuttle->shuttleStop();
        break;
    case ',':
        stepGridScrubFrames(-1);
        break;
    case '.':
        stepGridScrubFrames(1);
        break;
    case '[':
        jumpGridScrub(-5);
        break;
    case ']':
        jumpGridScrub(5);
        break;
    default:
        return false;
    }
    return true;
}

void ClipGridView::stepGridScrubFrames(int delta)
{
    VideoPlayer *player = m_gridShuttle->player();
    if (!player)
        return;
    m_gridShuttle->shuttleStop();
    player->stepByFrames(delta);
}

void ClipGridView::jumpGridScrub(double seconds)
{
    VideoPlayer *player = m_gridShuttle->player();
    if (!player)
        return;
    // A jump keeps the shuttle's direction and speed: playback goes on from there.
    const double t = clampedTime(player->currentTime() + seconds, m_gridShuttle->duration());
    m_gridShuttle->setCurrentTime(t);
    // Straight to the player, not through the pool: the player's time then
    // includes this target at once, so that a second jump adds to it.
    player->seek(t, {}, 0, 0);
}
