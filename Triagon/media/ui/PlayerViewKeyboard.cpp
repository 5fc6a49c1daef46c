// The full player's keys, like an editing deck: J/K/L shuttle, frame steps,
// five-second jumps, rating digits, the tag picker, closing, and the
// previous or next clip. While the tag picker is open or the name is being
// edited, every key but Escape (and "t", which also closes the picker) is
// left to the grid behind the player, which ignores it too.
#include "media/ui/PlayerView.h"

#include "library/model/StrictInteger.h"
#include "media/ShuttleController.h"

#include <QKeyEvent>

void PlayerView::keyPressEvent(QKeyEvent *event)
{
    if (handleKey(event)) {
        event->accept();
        return;
    }
    event->ignore();
}

bool PlayerView::focusNextPrevChild(bool)
{
    if (!hasFocus() && !m_isRenaming)
        setFocus(Qt::TabFocusReason);
    return true;
}

bool PlayerView::handleKey(QKeyEvent *event)
{
    const bool guarded = m_showTagPicker || m_isRenaming;
    switch (event->key()) {
    case Qt::Key_Escape:
        if (m_showTagPicker)
            setTagPickerShown(false);
        else if (m_actions.onClose)
            m_actions.onClose();
        return true;
    case Qt::Key_Space:
        if (guarded)
            return false;
        togglePlay();
        return true;
    case Qt::Key_Left:
        if (guarded || !m_actions.onPrevious)
            return false;
        m_actions.onPrevious();
        return true;
    case Qt::Key_Right: {
        if (guarded || !m_actions.onNext)
            return false;
        // Moving on while shuttling forward carries the speed to the next clip.
        if (m_shuttle->playbackDirection() == 1)
            ShuttleController::carriedSpeedIndex = m_shuttle->speedIndex();
        // The callback replaces this view: nothing of it is used afterwards.
        const auto next = m_actions.onNext;
        next();
        return true;
    }
    default:
        break;
    }
    // Shortcut chords belong to the window.
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    const QString text = event->text();
    if (text.size() != 1)
        return false;
    const QChar c = text.at(0);
    if (c == QLatin1Char('t')) {
        if (m_isRenaming)
            return false;
        setTagPickerShown(!m_showTagPicker);
        return true;
    }
    if (guarded)
        return false;
    switch (c.unicode()) {
    case 'l':
        m_shuttle->shuttleForward();
        return true;
    case 'j':
        m_shuttle->shuttleReverse();
        return true;
    case 'k':
        m_shuttle->shuttleStop();
        return true;
    case ',':
        stepFrames(-1);
        return true;
    case '.':
        stepFrames(1);
        return true;
    case '[':
        jump(-5);
        return true;
    case ']':
        jump(5);
        return true;
    default:
        break;
    }
    if (c >= QLatin1Char('1') && c <= QLatin1Char('5')) {
        const std::optional<qint64> rating = parseStrictInt64(text);
        if (!rating || *rating < 1 || *rating > 5 || !m_actions.onRate)
            return false;
        // A held digit rates again with the same value; only a new press
        // clears the rating the clip already has.
        if (event->isAutoRepeat() && m_clip.rating == *rating)
            return true;
        m_actions.onRate(static_cast<int>(*rating));
        return true;
    }
    return false;
}
