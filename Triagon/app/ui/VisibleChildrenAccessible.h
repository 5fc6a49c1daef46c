#pragma once

#include <QAccessibleWidget>
#include <QList>

class QObject;
class QString;
class QWidget;

// The accessibility interface of plain containers (QWidget, QFrame, QDialog,
// QStackedWidget and our widgets built on them) whose children are only the
// child widgets that are not hidden. Qt lists every child widget to screen
// readers, hidden or not, so a status bar hidden while nothing is offline
// would still be read out as "0 files offline". Widgets with an interface of
// their own (labels, buttons, cards, ...) keep it; only the containers' lists
// of children change.
class VisibleChildrenAccessible : public QAccessibleWidget
{
public:
    VisibleChildrenAccessible(QWidget *widget, QAccessible::Role role);

    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;

    // Installs the factory once per process; later calls do nothing.
    static void install();

private:
    QList<QWidget *> shownChildren() const;
};
