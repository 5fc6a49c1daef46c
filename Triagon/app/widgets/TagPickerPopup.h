#pragma once

#include <QFrame>
#include <QSet>
#include <QStringList>

class TagPickerView;

// The popup window that holds a tag picker, as the cards and the full player
// show it: below the row it belongs to, centred on a point of that row, and
// above the row when the screen ends below it. It says when it hides, however
// it was closed (the picker's dismiss, a click outside it, the window system).
class TagPickerPopup : public QFrame
{
    Q_OBJECT
public:
    TagPickerPopup(const QStringList &availableTags, const QStringList &selectedTags, const QSet<QString> &mixedTags, bool startInAddMode,
                   const QColor &accent, QWidget *owner);

    TagPickerView *picker() const { return m_picker; }

    // Places the popup for a row (in global coordinates): its top `gap`
    // points below the row, centred on `centreX`, within the screen.
    void placeNear(const QRect &row, int centreX, int gap);
    // Lets go of the popup that `owner` showed: it stops talking to `owner`
    // and is deleted once control returns to the event loop (it may be the
    // sender of the signal being handled). Clears `popup`; nothing when empty.
    static void release(TagPickerPopup *&popup, QObject *owner);

Q_SIGNALS:
    void hidden();

protected:
    void hideEvent(QHideEvent *event) override;

private:
    TagPickerView *m_picker = nullptr;
};
