#include "grid/ClipGridViewportAccessible.h"

#include "grid/ClipGridView.h"
#include "grid/ClipGridViewport.h"
#include "grid/ClipThumbnailView.h"
#include "grid/SectionHeaderView.h"

#include <algorithm>

ClipGridViewportAccessible::ClipGridViewportAccessible(QWidget *viewport) : QAccessibleWidget(viewport, QAccessible::Pane)
{
}

QList<QWidget *> ClipGridViewportAccessible::orderedChildren() const
{
    QList<QWidget *> onScreen;
    QList<QWidget *> others;
    for (QObject *object : widget()->children()) {
        auto *child = qobject_cast<QWidget *>(object);
        if (!child || child->isWindow() || !child->isVisible())
            continue;
        if (qobject_cast<ClipThumbnailView *>(child) || qobject_cast<SectionHeaderView *>(child))
            onScreen.append(child);
        else
            others.append(child);
    }
    // Row by row, left to right; a header comes before the cards below it.
    std::sort(onScreen.begin(), onScreen.end(), [](const QWidget *a, const QWidget *b) {
        const QPoint pa = a->geometry().center();
        const QPoint pb = b->geometry().center();
        const int rowA = a->geometry().top() + ClipThumbnailView::margin;
        const int rowB = b->geometry().top() + ClipThumbnailView::margin;
        if (std::abs(rowA - rowB) > 2)
            return rowA < rowB;
        return pa.x() < pb.x();
    });
    return onScreen + others;
}

int ClipGridViewportAccessible::childCount() const
{
    return static_cast<int>(orderedChildren().size());
}

QAccessibleInterface *ClipGridViewportAccessible::child(int index) const
{
    const QList<QWidget *> children = orderedChildren();
    if (index < 0 || index >= children.size())
        return nullptr;
    return QAccessible::queryAccessibleInterface(children.at(index));
}

int ClipGridViewportAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    if (!child || !child->object())
        return -1;
    return static_cast<int>(orderedChildren().indexOf(qobject_cast<QWidget *>(child->object())));
}

QAccessibleInterface *ClipGridViewportAccessible::focusChild() const
{
    for (QWidget *child : orderedChildren()) {
        if (auto *card = qobject_cast<ClipThumbnailView *>(child); card && card->isKeyboardCurrent())
            return QAccessible::queryAccessibleInterface(card);
    }
    return QAccessibleWidget::focusChild();
}
