// The grid's cards: made for the live cells, given the store's current clip
// and the grid's decisions, and their actions turned into store edits.
#include "grid/ClipGridView.h"

#include "app/AppSettings.h"
#include "grid/ClipThumbnailView.h"
#include "library/ClipStore.h"
#include "media/ShuttleController.h"
#include "markers/MarkerDetector.h"

#include <algorithm>
#include <climits>

// ---- cards -----------------------------------------------------------------

QList<ClipThumbnailView *> ClipGridView::liveCards() const
{
    return m_cards.values();
}

ClipThumbnailView *ClipGridView::cardFor(const QUuid &clipID) const
{
    ClipThumbnailView *best = nullptr;
    int bestIndex = INT_MAX;
    for (auto it = m_cards.constBegin(); it != m_cards.constEnd(); ++it) {
        if (it.key().second != clipID)
            continue;
        // The card of the first section that shows the clip.
        int index = 0;
        for (const GridLayoutModel::Section &section : m_model.sections()) {
            if (section.title == it.key().first)
                break;
            ++index;
        }
        if (index < bestIndex) {
            bestIndex = index;
            best = it.value();
        }
    }
    return best;
}

QSet<QUuid> ClipGridView::editTargets(const QUuid &clipID) const
{
    const QSet<QUuid> &selection = m_store->selectedClipIDs();
    if (selection.contains(clipID) && selection.size() >= 2)
        return selection;
    return QSet<QUuid>{clipID};
}

ClipThumbnailView *ClipGridView::createCard(const Clip &clip)
{
    auto *card = new ClipThumbnailView(m_media, m_settings, viewport());
    // It asks for its poster once it rests on screen (updatePosterWants).
    card->setPosterWanted(false);
    const QUuid id = clip.id;
    connect(card, &ClipThumbnailView::rateRequested, this, [this, id](int rating) { m_store->rateSelection(rating, editTargets(id)); });
    connect(card, &ClipThumbnailView::toggleTagRequested, this,
            [this, id](const QString &tag) { m_store->toggleTag(tag, editTargets(id)); });
    connect(card, &ClipThumbnailView::removeTagRequested, this, [this, id](const QString &tag) {
        m_store->removeTag(tag, editTargets(id), QStringLiteral("Remove '") + tag + QLatin1Char('\''));
    });
    connect(card, &ClipThumbnailView::addTagRequested, this, [this](const QString &tag) { m_store->addCatalogTag(tag); });
    connect(card, &ClipThumbnailView::hoverChanged, this, [this, id](bool hovering) {
        if (hovering) {
            m_store->setHoveredClipID(id);
            if (m_gridScrubClipID)
                m_gridShuttle->shuttleStop();
        } else if (m_store->hoveredClipID() == id) {
            // Only this card's own hover ends here: the pointer may already
            // have entered the next card, which named its clip first.
            m_store->setHoveredClipID(std::nullopt);
        }
    });
    connect(card, &ClipThumbnailView::removeRequested, this, [this, id] { m_store->removeClip(id); });
    connect(card, &ClipThumbnailView::openRequested, this, [this, id] {
        const std::optional<Clip> clip = currentClip(id);
        if (!clip || clip->isMissing)
            return;
        stopGridScrub();
        expandClip(*clip);
    });
    connect(card, &ClipThumbnailView::renameRequested, this, [this, id](const QString &name) { renameFromCard(id, name); });
    connect(card, &ClipThumbnailView::renameStateChanged, this, [this, id](bool renaming) {
        if (renaming)
            renameStarted(id);
        else
            renameEnded(id);
    });
    connect(card, &ClipThumbnailView::selectRequested, this, [this, id](Qt::KeyboardModifiers modifiers) {
        setFocus(Qt::MouseFocusReason);
        selectByPointer(id, modifiers);
    });
    connect(card, &ClipThumbnailView::markerFlagRequested, this, [this, id](const std::optional<MarkerFlag> &flag) {
        if (m_markerFlagHandler)
            m_markerFlagHandler(id, flag);
    });
    connect(card, &ClipThumbnailView::reviewNumberingResetRequested, this, [this, id] {
        if (!m_numberingResetHandler)
            return;
        for (const MarkerDetector::NumberingReset &reset : m_store->numberingResets()) {
            if (reset.firstClipID == id) {
                m_numberingResetHandler(reset);
                return;
            }
        }
    });
    connect(card, &ClipThumbnailView::tagPickerClosed, this, [this, id] {
        if (m_store->showTagPickerForClipID() == id)
            m_store->setShowTagPickerForClipID(std::nullopt);
        if (isVisible())
            setFocus(Qt::OtherFocusReason);
    });
    applyInputs(card, clip, true);
    return card;
}

void ClipGridView::discardCard(ClipThumbnailView *card)
{
    // A card that goes (scrolled far away, or its clip left) ends what it
    // had open, so that no rename or picker state outlives it.
    if (card->isRenaming())
        card->cancelRename();
    if (card->isTagPickerShown()) {
        // A clip that only moved to another section (a tag toggled in its
        // own picker) keeps the request: its first card there opens the
        // picker again. Otherwise the request ends with the picker.
        const QUuid id = card->clip().id;
        if (m_store->showTagPickerForClipID() == id && m_model.firstCellOf(id) >= 0)
            card->disconnect(this);
        card->closeTagPicker();
    }
    if (card->isCardHovered() && m_store->hoveredClipID() == card->clip().id)
        m_store->setHoveredClipID(std::nullopt);
    // Its poster request goes now, before its slot could start it.
    card->setPosterWanted(false);
    card->disconnect(this);
    retire(card);
}

void ClipGridView::retire(QWidget *widget)
{
    // Out of the viewport at once: deleted there later (it may be in the
    // middle of sending a signal), it would have every card of the grid
    // painted once more.
    widget->hide();
    widget->setParent(m_retired);
    widget->deleteLater();
}

void ClipGridView::applyInputs(ClipThumbnailView *card, const Clip &clip, bool pickerOwner)
{
    ClipThumbnailView::Inputs in;
    in.clip = clip;
    in.tileAspectRatio = m_aspect;
    in.availableTags = m_store->allTags();
    in.audioEnabled = m_audioEnabled;
    in.isSelected = m_store->selectedClipIDs().contains(clip.id);
    in.isKeyboardCurrent = in.isSelected && m_store->selectedClipIDs().size() == 1 && hasFocus();
    in.showTagPickerRequested = pickerOwner && m_store->showTagPickerForClipID() == clip.id;
    if (in.showTagPickerRequested || card->isTagPickerShown()) {
        auto [selected, mixed] = m_store->tagPickerTags(clip.id);
        in.selectedTagsForPicker = selected;
        in.mixedTagsForPicker = mixed;
    }
    if (m_gridScrubClipID == clip.id) {
        in.keyboardPlayer = m_gridScrubPlayer;
        in.keyboardShuttle = m_gridShuttle;
    }
    in.canSetMarkerFlag = static_cast<bool>(m_markerFlagHandler);
    if (m_numberingResetHandler) {
        for (const MarkerDetector::NumberingReset &reset : m_store->numberingResets()) {
            if (reset.firstClipID == clip.id) {
                in.canReviewNumberingReset = true;
                break;
            }
        }
    }
    card->setInputs(in);
}

void ClipGridView::refreshCards()
{
    // A picker request that no card can show (its clip is filtered out or
    // far away) would leave the grid's keys off with nothing on screen.
    if (const std::optional<QUuid> request = m_store->showTagPickerForClipID()) {
        if (!cardFor(*request)) {
            m_store->setShowTagPickerForClipID(std::nullopt);
            return; // the change notification refreshes the cards
        }
    }
    // Each clip's tag picker belongs to its first card (a clip can have one
    // card per tag section).
    QSet<QUuid> ownerSeen;
    QList<std::pair<int, ClipThumbnailView *>> ordered;
    for (auto it = m_cards.constBegin(); it != m_cards.constEnd(); ++it) {
        int index = 0;
        for (const GridLayoutModel::Section &section : m_model.sections()) {
            if (section.title == it.key().first)
                break;
            ++index;
        }
        ordered.append({index, it.value()});
    }
    std::sort(ordered.begin(), ordered.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    for (const auto &[index, card] : ordered) {
        const std::optional<Clip> clip = currentClip(card->clip().id);
        if (!clip)
            continue; // it goes with the next layout pass
        const bool owner = !ownerSeen.contains(clip->id);
        ownerSeen.insert(clip->id);
        applyInputs(card, *clip, owner);
    }
}
