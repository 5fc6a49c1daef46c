// The grid's keyboard: rating, tagging, removing, opening, selecting and
// moving through the clips with single keys while the grid has the focus.
// Every key but Escape is left alone while the player is open, a tag picker
// is shown or a name is being edited, so that those get their keys.
#include "grid/ClipGridView.h"

#include "app/ModifierKey.h"
#include "app/widgets/RenameTextField.h"
#include "grid/ClipSection.h"
#include "library/ClipStore.h"
#include "library/model/StrictInteger.h"
#include "media/ui/PlayerView.h"

#include <QKeyEvent>
#include <QTimer>

#include <algorithm>

void ClipGridView::keyPressEvent(QKeyEvent *event)
{
    if (handleKey(event)) {
        event->accept();
        return;
    }
    // Page Up, Page Down, Home and End scroll as in any scroll area unless
    // the player lies over the grid; the grid's own keys, when it leaves
    // them, and every other key go on to the window.
    switch (event->key()) {
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
        if (!m_expandedClip) {
            QAbstractScrollArea::keyPressEvent(event);
            return;
        }
        break;
    default:
        break;
    }
    event->ignore();
}

void ClipGridView::focusInEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusInEvent(event);
    refreshCards(); // the card of the current clip stands for the focus
}

void ClipGridView::focusOutEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusOutEvent(event);
    refreshCards();
}

void ClipGridView::takeKeyboardFocus()
{
    PlayerView *player = playerView();
    if (!player) {
        setFocus(Qt::OtherFocusReason);
        return;
    }
    // A name being edited in the player keeps its field.
    if (player->isRenaming() && player->renameField())
        player->renameField()->setFocus(Qt::OtherFocusReason);
    else
        player->setFocus(Qt::OtherFocusReason);
}

bool ClipGridView::handleKey(QKeyEvent *event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    // Shortcut chords (Ctrl, Alt, Meta) belong to the window, except Ctrl+A.
    const bool chord = modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    switch (event->key()) {
    case Qt::Key_Escape:
        return handleEscapeKey();
    case Qt::Key_Delete:
    case Qt::Key_Backspace:
        return keysAllowed() && handleDeleteKey();
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return keysAllowed() && handleReturnKey();
    case Qt::Key_Left:
        return keysAllowed() && moveSelectionHorizontally(-1);
    case Qt::Key_Right:
        return keysAllowed() && moveSelectionHorizontally(1);
    case Qt::Key_Up:
        return keysAllowed() && moveSelectionVertically(true);
    case Qt::Key_Down:
        return keysAllowed() && moveSelectionVertically(false);
    case Qt::Key_A:
        // Ctrl+A, also with Shift; a plain "a" is no command.
        if (isModifierKeyHeld(ModifierKey::command, modifiers))
            return keysAllowed() && handleSelectAllKey();
        return false;
    default:
        break;
    }
    if (chord)
        return false;
    const QString text = event->text();
    if (text.size() == 1 && text.at(0) >= QLatin1Char('1') && text.at(0) <= QLatin1Char('5'))
        return keysAllowed() && handleRatingKey(text, event->isAutoRepeat());
    if (text == QLatin1String("t"))
        return keysAllowed() && handleTagKey();
    return handleScrubKey(event);
}

bool ClipGridView::keysAllowed() const
{
    return !m_expandedClip && !m_store->showTagPickerForClipID() && !m_store->renamingClipID();
}

QSet<QUuid> ClipGridView::keyTargetClipIDs() const
{
    const QSet<QUuid> &selection = m_store->selectedClipIDs();
    if (!selection.isEmpty())
        return selection;
    if (const std::optional<QUuid> &hovered = m_store->hoveredClipID())
        return QSet<QUuid>{*hovered};
    return {};
}

std::optional<QUuid> ClipGridView::currentClipForMovement() const
{
    const QSet<QUuid> &selection = m_store->selectedClipIDs();
    if (selection.size() == 1)
        return *selection.constBegin();
    return m_store->hoveredClipID();
}

bool ClipGridView::handleEscapeKey()
{
    if (m_expandedClip) {
        closeExpandedClip();
        setFocus(Qt::OtherFocusReason);
        return true;
    }
    if (!m_store->selectedClipIDs().isEmpty()) {
        setSelection({});
        stopGridScrub();
        return true;
    }
    return false;
}

bool ClipGridView::handleRatingKey(const QString &text, bool autoRepeat)
{
    const std::optional<qint64> rating = parseStrictInt64(text);
    if (!rating || *rating < 1 || *rating > 5)
        return false;
    const QSet<QUuid> targets = keyTargetClipIDs();
    if (targets.isEmpty())
        return false;
    // A held digit rates again with the same value: only a new press clears
    // the rating of a single clip that has it, or holding the key would flip
    // the clip between rated and unrated.
    if (autoRepeat && targets.size() == 1) {
        const std::optional<Clip> clip = currentClip(*targets.constBegin());
        if (clip && clip->rating == *rating)
            return true;
    }
    m_store->rateSelection(*rating, targets);
    return true;
}

bool ClipGridView::handleTagKey()
{
    // The hovered clip first, then the selection's first clip on screen.
    std::optional<QUuid> target = m_store->hoveredClipID();
    if (!target) {
        const QSet<QUuid> &selection = m_store->selectedClipIDs();
        for (const Clip &clip : orderedVisibleClips()) {
            if (selection.contains(clip.id)) {
                target = clip.id;
                break;
            }
        }
        if (!target && !selection.isEmpty())
            target = *selection.constBegin();
    }
    if (!target)
        return false;
    m_store->setShowTagPickerForClipID(target);
    return true;
}

bool ClipGridView::handleDeleteKey()
{
    const QSet<QUuid> targets = keyTargetClipIDs();
    if (targets.isEmpty())
        return false;
    // In store order, one undo record per clip: undoing them newest first
    // puts every clip back where it was.
    QList<QUuid> ordered;
    for (const Clip &clip : m_store->clips()) {
        if (targets.contains(clip.id))
            ordered.append(clip.id);
    }
    for (const QUuid &id : std::as_const(ordered))
        m_store->removeClip(id);
    setSelection({});
    return true;
}

bool ClipGridView::handleReturnKey()
{
    if (m_renameDismissedRecently || m_tagPickerDismissedRecently)
        return false;
    const QList<Clip> &displayed = m_store->sortedAndFilteredClips();
    auto find = [&displayed](const QUuid &id) -> std::optional<Clip> {
        for (const Clip &clip : displayed) {
            if (clip.id == id)
                return clip;
        }
        return std::nullopt;
    };
    std::optional<Clip> clip;
    if (const std::optional<QUuid> &hovered = m_store->hoveredClipID())
        clip = find(*hovered);
    if (!clip) {
        const QSet<QUuid> &selection = m_store->selectedClipIDs();
        if (selection.size() != 1)
            return false;
        clip = find(*selection.constBegin());
        if (!clip)
            return false;
    }
    if (!clip->isMissing)
        expandClip(*clip);
    return true;
}

bool ClipGridView::handleSelectAllKey()
{
    QSet<QUuid> all;
    for (const Clip &clip : m_store->sortedAndFilteredClips())
        all.insert(clip.id);
    setSelection(all);
    return true;
}

void ClipGridView::renameStarted(const QUuid &clipID)
{
    m_renameFollowID.reset();
    m_store->setRenamingClipID(clipID);
}

void ClipGridView::renameEnded(const QUuid &clipID)
{
    m_renameFollowID.reset();
    if (m_store->renamingClipID() == clipID)
        m_store->setRenamingClipID(std::nullopt);
    raiseFlag(m_renameDismissedRecently);
    // Focus that the user put elsewhere (another card clicked, Tab) stays there.
    if (!isVisible() || window()->focusWidget())
        return;
    // The selection and its anchor stay as they were: a rename is no click.
    // The keys come back to the grid, and a card the new name moves is
    // followed once the name is in.
    setFocus(Qt::OtherFocusReason);
    m_renameFollowID = clipID;
}

void ClipGridView::renameFromCard(const QUuid &clipID, const QString &name)
{
    m_store->renameClip(clipID, name);
    if (m_renameFollowID == clipID)
        scrollToClip(clipID);
    m_renameFollowID.reset();
}

void ClipGridView::selectAndScroll(const Clip &clip)
{
    setSelection(QSet<QUuid>{clip.id});
    m_store->setHoveredClipID(clip.id);
    m_selectionAnchorID = clip.id;
    updateGridScrub(clip, true);
    scrollToClip(clip.id);
}

bool ClipGridView::moveSelectionHorizontally(int delta)
{
    const QList<Clip> order = orderedVisibleClips();
    if (order.isEmpty())
        return false;
    qsizetype index = -1;
    if (const std::optional<QUuid> current = currentClipForMovement()) {
        for (qsizetype i = 0; i < order.size(); ++i) {
            if (order.at(i).id == *current) {
                index = i;
                break;
            }
        }
    }
    qsizetype next;
    if (index < 0)
        next = delta > 0 ? 0 : order.size() - 1;
    else
        next = std::clamp<qsizetype>(index + delta, 0, order.size() - 1);
    selectAndScroll(order.at(next));
    return true;
}

bool ClipGridView::moveSelectionVertically(bool up)
{
    QList<QList<Clip>> groups;
    if (m_store->groupMode() == GroupMode::none) {
        groups.append(m_store->sortedAndFilteredClips());
    } else {
        for (const ClipSection &section : clipSections())
            groups.append(section.clips);
    }
    const bool anyClip = std::any_of(groups.cbegin(), groups.cend(), [](const QList<Clip> &g) { return !g.isEmpty(); });
    if (!anyClip)
        return false;
    const qsizetype columns = std::max<qint64>(m_store->gridColumns(), 1);

    qsizetype group = -1;
    qsizetype index = -1;
    if (const std::optional<QUuid> current = currentClipForMovement()) {
        for (qsizetype g = 0; g < groups.size() && group < 0; ++g) {
            for (qsizetype i = 0; i < groups.at(g).size(); ++i) {
                if (groups.at(g).at(i).id == *current) {
                    group = g;
                    index = i;
                    break;
                }
            }
        }
    }
    if (group < 0) {
        for (const QList<Clip> &g : std::as_const(groups)) {
            if (!g.isEmpty()) {
                selectAndScroll(g.first());
                return true;
            }
        }
        return false;
    }

    const QList<Clip> &here = groups.at(group);
    const qsizetype row = index / columns;
    const qsizetype column = index % columns;
    std::optional<Clip> target;
    if (up) {
        if (row > 0) {
            target = here.at((row - 1) * columns + column);
        } else {
            for (qsizetype g = group - 1; g >= 0 && !target; --g) {
                const QList<Clip> &earlier = groups.at(g);
                if (earlier.isEmpty())
                    continue;
                const qsizetype last = earlier.size() - 1;
                target = earlier.at(std::min((last / columns) * columns + column, last));
            }
            if (!target)
                target = here.first();
        }
    } else {
        if ((row + 1) * columns < here.size()) {
            target = here.at(std::min((row + 1) * columns + column, here.size() - 1));
        } else {
            for (qsizetype g = group + 1; g < groups.size() && !target; ++g) {
                const QList<Clip> &later = groups.at(g);
                if (!later.isEmpty())
                    target = later.at(std::min(column, later.size() - 1));
            }
            if (!target)
                target = here.last();
        }
    }
    selectAndScroll(*target);
    return true;
}
