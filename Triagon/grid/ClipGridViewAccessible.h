#pragma once

#include <QAccessibleWidget>
#include <QList>

// The grid as a whole for assistive technologies: its visible parts, the
// open player first (it lies over everything else), then the clips (the
// viewport, see ClipGridViewportAccessible), the scroll bar and the message
// shown when filters hide every clip. A scroll area would list only its
// viewport and scroll bars, leaving the player out of reach.
class ClipGridViewAccessible : public QAccessibleWidget
{
public:
    explicit ClipGridViewAccessible(QWidget *grid);

    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;

private:
    QList<QWidget *> shownChildren() const;
};
