#include "app/ui/VisibleChildrenAccessible.h"

#include <QAccessible>
#include <QDialog>
#include <QFocusFrame>
#include <QFrame>
#include <QMenu>
#include <QStackedWidget>
#include <QString>
#include <QWidget>

namespace {

// Asked with each class name from the most derived one up; by the time a Qt
// base class's name comes, every factory has passed over the derived names,
// so widgets with an interface of their own never get here.
QAccessibleInterface *visibleChildrenFactory(const QString &className, QObject *object)
{
    auto *widget = qobject_cast<QWidget *>(object);
    if (!widget)
        return nullptr;
    if (className == QLatin1String("QWidget"))
        return new VisibleChildrenAccessible(widget, QAccessible::Client);
    if (className == QLatin1String("QFrame"))
        return new VisibleChildrenAccessible(widget, QAccessible::Border);
    if (className == QLatin1String("QDialog"))
        return new VisibleChildrenAccessible(widget, QAccessible::Dialog);
    if (className == QLatin1String("QStackedWidget"))
        return new VisibleChildrenAccessible(widget, QAccessible::LayeredPane);
    return nullptr;
}

} // namespace

VisibleChildrenAccessible::VisibleChildrenAccessible(QWidget *widget, QAccessible::Role role) : QAccessibleWidget(widget, role)
{
}

QList<QWidget *> VisibleChildrenAccessible::shownChildren() const
{
    QList<QWidget *> shown;
    for (QObject *object : widget()->children()) {
        auto *child = qobject_cast<QWidget *>(object);
        // The same exclusions as Qt's own list, and the hidden widgets.
        if (!child || child->isWindow() || child->isHidden() || qobject_cast<QFocusFrame *>(child) || qobject_cast<QMenu *>(child))
            continue;
        const QString name = child->objectName();
        if (name == QLatin1String("qt_rubberband") || name == QLatin1String("qt_qmainwindow_extended_splitter")
            || name == QLatin1String("qt_spinbox_lineedit"))
            continue;
        shown.append(child);
    }
    return shown;
}

int VisibleChildrenAccessible::childCount() const
{
    return static_cast<int>(shownChildren().size());
}

QAccessibleInterface *VisibleChildrenAccessible::child(int index) const
{
    const QList<QWidget *> shown = shownChildren();
    if (index < 0 || index >= shown.size())
        return nullptr;
    return QAccessible::queryAccessibleInterface(shown.at(index));
}

int VisibleChildrenAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    if (!child)
        return -1;
    auto *childWidget = qobject_cast<QWidget *>(child->object());
    return childWidget ? static_cast<int>(shownChildren().indexOf(childWidget)) : -1;
}

void VisibleChildrenAccessible::install()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    QAccessible::installFactory(visibleChildrenFactory);
}
