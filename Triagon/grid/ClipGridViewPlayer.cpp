// The expanded clip: the full player over the dimmed grid. The player edits
// only the clip it shows, never the selection.
#include "grid/ClipGridView.h"

#include "app/AppSettings.h"
#include "grid/ExpandedClipOverlay.h"
#include "library/ClipStore.h"
#include "media/ShuttleController.h"
#include "media/ui/PlayerView.h"

PlayerView *ClipGridView::playerView() const
{
    return m_expandedOverlay ? qobject_cast<PlayerView *>(m_expandedOverlay->panel()) : nullptr;
}

void ClipGridView::expandClip(const Clip &clip)
{
    // The keyboard scrub stays on its clip but stops playing: two clips
    // playing at once, with sound, would drown each other.
    if (m_gridScrubClipID)
        m_gridShuttle->shuttleStop();
    m_expandedClip = clip;
    if (!m_expandedOverlay) {
        m_expandedOverlay = new ExpandedClipOverlay(this);
        connect(m_expandedOverlay, &ExpandedClipOverlay::pressedOutsidePanel, this, [this] {
            closeExpandedClip();
            setFocus(Qt::MouseFocusReason);
        });
        m_expandedOverlay->setGeometry(rect());
        m_expandedOverlay->show();
    }
    m_expandedOverlay->raise();
    // A step to another clip builds a new player; the old one lets its file
    // go at once (it may be the caller, so it is deleted later).
    if (PlayerView *old = playerView())
        old->closeClip();
    m_expandedOverlay->setPanel(makePlayer(clip));
    Q_EMIT expandedClipChanged();
}

void ClipGridView::closeExpandedClip()
{
    if (!m_expandedClip)
        return;
    m_expandedClip.reset();
    if (m_expandedOverlay) {
        if (PlayerView *player = playerView())
            player->closeClip();
        m_expandedOverlay->hide();
        m_expandedOverlay->deleteLater();
        m_expandedOverlay = nullptr;
    }
    Q_EMIT expandedClipChanged();
}

PlayerView *ClipGridView::makePlayer(const Clip &clip)
{
    const QUuid id = clip.id;
    PlayerView::Actions actions;
    actions.onRate = [this, id](int rating) { m_store->setRating(rating, id); };
    actions.onToggleTag = [this, id](const QString &tag) { m_store->toggleTag(tag, QSet<QUuid>{id}); };
    actions.onRemoveTag = [this, id](const QString &tag) {
        m_store->removeTag(tag, QSet<QUuid>{id}, QStringLiteral("Remove '") + tag + QLatin1Char('\''));
    };
    actions.onAddTag = [this](const QString &tag) { m_store->addCatalogTag(tag); };
    actions.onRename = [this, id](const QString &name) { m_store->renameClip(id, name); };
    actions.onClose = [this] {
        closeExpandedClip();
        setFocus(Qt::OtherFocusReason);
    };
    // The neighbours in the displayed list as it is now.
    const QList<Clip> &displayed = m_store->sortedAndFilteredClips();
    for (qsizetype i = 0; i < displayed.size(); ++i) {
        if (displayed.at(i).id != id)
            continue;
        if (i + 1 < displayed.size())
            actions.onNext = [this, next = displayed.at(i + 1).id] { stepExpandedClip(next); };
        if (i > 0)
            actions.onPrevious = [this, previous = displayed.at(i - 1).id] { stepExpandedClip(previous); };
        break;
    }
    const QColor accent = m_settings ? m_settings->accentColor() : QColor(249, 115, 22);
    return new PlayerView(clip, m_store->allTags(), std::move(actions), accent, m_expandedOverlay);
}

void ClipGridView::stepExpandedClip(const QUuid &clipID)
{
    const std::optional<Clip> clip = currentClip(clipID);
    if (!clip || clip->isMissing) {
        // The step does not happen: the speed carried for it must not start
        // whichever clip the user opens next.
        ShuttleController::carriedSpeedIndex.reset();
        return;
    }
    expandClip(*clip);
}

void ClipGridView::refreshExpandedClip()
{
    if (!m_expandedClip)
        return;
    const std::optional<Clip> current = currentClip(m_expandedClip->id);
    if (!current) {
        const bool hadFocus = playerView() && playerView()->hasFocus();
        closeExpandedClip();
        if (hadFocus)
            setFocus(Qt::OtherFocusReason);
        return;
    }
    const bool otherFile = current->url != m_expandedClip->url;
    m_expandedClip = *current;
    PlayerView *player = playerView();
    if (!player)
        return;
    if (otherFile) {
        // Relinked to a file elsewhere: the player opens that one.
        expandClip(*current);
        return;
    }
    player->setClip(*current);
    player->setAvailableTags(m_store->allTags());
}
