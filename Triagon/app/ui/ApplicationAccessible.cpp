#include "app/ui/ApplicationAccessible.h"

#include <QApplication>
#include <QMenu>

namespace {

QAccessibleInterface *applicationFactory(const QString &className, QObject *object)
{
    if (object == qApp && className == QLatin1String("QApplication"))
        return new ApplicationAccessible;
    return nullptr;
}

// A menu without a menu above it: one of the application's own children.
bool isTopMenu(QObject *object)
{
    auto *menu = qobject_cast<QMenu *>(object);
    if (!menu || !menu->isWindow())
        return false;
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(menu);
    QAccessibleInterface *parent = accessible ? accessible->parent() : nullptr;
    return parent && parent->object() == qApp;
}

// Tells screen readers, which keep their own copy of the tree, that a menu
// joined the application's children or left them.
class OpenMenuWatcher : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const QEvent::Type type = event->type();
        if ((type == QEvent::Show || type == QEvent::Hide) && QAccessible::isActive() && isTopMenu(watched)) {
            QAccessibleEvent change(watched, type == QEvent::Show ? QAccessible::ObjectCreated : QAccessible::ObjectDestroyed);
            QAccessible::updateAccessibility(&change);
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

QList<QAccessibleInterface *> ApplicationAccessible::openMenus() const
{
    QList<QAccessibleInterface *> menus;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        auto *menu = qobject_cast<QMenu *>(widget);
        if (!menu || !menu->isVisible())
            continue;
        // A submenu's parent is the item that opened it.
        if (isTopMenu(menu))
            menus.append(QAccessible::queryAccessibleInterface(menu));
    }
    return menus;
}

int ApplicationAccessible::childCount() const
{
    return QAccessibleApplication::childCount() + static_cast<int>(openMenus().size());
}

QAccessibleInterface *ApplicationAccessible::child(int index) const
{
    const int windows = QAccessibleApplication::childCount();
    if (index < windows)
        return QAccessibleApplication::child(index);
    return openMenus().value(index - windows);
}

int ApplicationAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    const int window = QAccessibleApplication::indexOfChild(child);
    if (window >= 0)
        return window;
    const qsizetype menu = openMenus().indexOf(const_cast<QAccessibleInterface *>(child));
    return menu >= 0 ? QAccessibleApplication::childCount() + static_cast<int>(menu) : -1;
}

void ApplicationAccessible::install()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    QAccessible::installFactory(applicationFactory);
    qApp->installEventFilter(new OpenMenuWatcher(qApp));
    // The node Qt made for the application before, if anything asked for
    // it, would stay in use.
    QAccessibleInterface *made = QAccessible::queryAccessibleInterface(qApp);
    if (made && !dynamic_cast<ApplicationAccessible *>(made))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
}
