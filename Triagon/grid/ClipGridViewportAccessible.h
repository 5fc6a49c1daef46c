#pragma once

#include <QAccessibleWidget>
#include <QList>

class QWidget;

// The grid's visible part for assistive technologies: a panel named "Clips"
// whose children are the live section headers and clip cards in the order
// they stand on screen (row by row), followed by the grid's other visible
// controls (the back-to-top button, the message when filters hide every
// clip). Its focus child is the card of the clip the keyboard is on.
class ClipGridViewportAccessible : public QAccessibleWidget
{
public:
    explicit ClipGridViewportAccessible(QWidget *viewport);

    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *focusChild() const override;

private:
    QList<QWidget *> orderedChildren() const;
};
