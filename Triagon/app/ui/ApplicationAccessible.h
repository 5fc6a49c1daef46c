#pragma once

#include <QAccessibleApplication>
#include <QList>

// The application's own node for screen readers: its windows, as Qt lists
// them, and after them the menus open now. Qt leaves pop-ups out of that
// list, so an open context menu was in no tree a screen reader could walk,
// although its items are reported to it one by one; a submenu hangs below
// the item that opened it.
class ApplicationAccessible : public QAccessibleApplication
{
public:
    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;

    // Installs the factory once per process; later calls do nothing.
    static void install();

private:
    QList<QAccessibleInterface *> openMenus() const;
};
