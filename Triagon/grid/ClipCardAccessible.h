#pragma once

#include <QAccessibleWidget>
#include <QStringList>

class ClipThumbnailView;

// What assistive technologies (through AT-SPI, screen readers such as Orca)
// see of a clip card: one button whose name is the card's one-line summary
// of the clip, with the hint "Selects the clip", the selected state while the
// clip is in the selection, and the actions "Open", "Rate 1 star" …
// "Rate 5 stars" and "Remove from Triage". The card's own parts (poster,
// badges, stars, chips) are not presented one by one; only the rename field
// shows, as the card's one child, while it is open.
//
// The actions go through the card's signals, so a rating follows the grid's
// rule like any other: the whole selection when the card belongs to it.
class ClipCardAccessible : public QAccessibleWidget
{
public:
    explicit ClipCardAccessible(ClipThumbnailView *card);

    static const QStringList &cardActionNames();

    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;
    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;

    QStringList actionNames() const override;
    QString localizedActionName(const QString &name) const override;
    QString localizedActionDescription(const QString &name) const override;
    void doAction(const QString &name) override;
    QStringList keyBindingsForAction(const QString &name) const override;

private:
    ClipThumbnailView *card() const;
};
