#include "grid/ClipGridViewAccessible.h"

#include "grid/ExpandedClipOverlay.h"

ClipGridViewAccessible::ClipGridViewAccessible(QWidget *grid) : QAccessibleWidget(grid, QAccessible::Client)
{
}

QList<QWidget *> ClipGridViewAccessible::shownChildren() const
{
    QList<QWidget *> shown;
    for (QObject *object : widget()->children()) {
        auto *child = qobject_cast<QWidget *>(object);
        if (!child || child->isWindow() || !child->isVisible())
            continue;
        if (qobject_cast<ExpandedClipOverlay *>(child))
            shown.prepend(child);
        else
            shown.append(child);
    }
    return shown;
}

int ClipGridViewAccessible::childCount() const
{
    return static_cast<int>(shownChildren().size());
}

QAccessibleInterface *ClipGridViewAccessible::child(int index) const
{
    const QList<QWidget *> children = shownChildren();
    if (index < 0 || index >= children.size())
        return nullptr;
    return QAccessible::queryAccessibleInterface(children.at(index));
}

int ClipGridViewAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    if (!child || !child->object())
        return -1;
    return static_cast<int>(shownChildren().indexOf(qobject_cast<QWidget *>(child->object())));
}
