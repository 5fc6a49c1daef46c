// The keyboard scrub: one player of the selected clip, driven by the grid's
// shuttle and drawn on that clip's card.
#include "grid/ClipGridView.h"

#include "grid/CardMedia.h"
#include "grid/HoverScrub.h"
#include "media/ShuttleController.h"
#include "media/VideoPlayer.h"

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
