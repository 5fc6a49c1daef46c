#include "grid/ClipCardAccessible.h"

#include "app/widgets/RenameTextField.h"
#include "grid/ClipThumbnailView.h"

ClipCardAccessible::ClipCardAccessible(ClipThumbnailView *card) : QAccessibleWidget(card, QAccessible::Button)
{
}

ClipThumbnailView *ClipCardAccessible::card() const
{
    return static_cast<ClipThumbnailView *>(widget());
}

const QStringList &ClipCardAccessible::cardActionNames()
{
    static const QStringList names{
        QStringLiteral("Open"),         QStringLiteral("Rate 1 star"),  QStringLiteral("Rate 2 stars"),      QStringLiteral("Rate 3 stars"),
        QStringLiteral("Rate 4 stars"), QStringLiteral("Rate 5 stars"), QStringLiteral("Remove from Triage")};
    return names;
}

QString ClipCardAccessible::text(QAccessible::Text t) const
{
    switch (t) {
    case QAccessible::Name:
        return card()->accessibilitySummary();
    case QAccessible::Description:
        return QStringLiteral("Selects the clip");
    default:
        return QAccessibleWidget::text(t);
    }
}

QAccessible::State ClipCardAccessible::state() const
{
    QAccessible::State s = QAccessibleWidget::state();
    s.selectable = true;
    s.selected = card()->inputs().isSelected;
    // The grid holds the keyboard; the card of its current clip stands for it.
    s.focusable = true;
    s.focused = card()->isKeyboardCurrent();
    return s;
}

int ClipCardAccessible::childCount() const
{
    RenameTextField *field = card()->renameField();
    return field && field->isVisible() ? 1 : 0;
}

QAccessibleInterface *ClipCardAccessible::child(int index) const
{
    if (index != 0 || childCount() == 0)
        return nullptr;
    return QAccessible::queryAccessibleInterface(card()->renameField());
}

int ClipCardAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    if (child && childCount() == 1 && child->object() == card()->renameField())
        return 0;
    return -1;
}

QStringList ClipCardAccessible::actionNames() const
{
    return cardActionNames();
}

QString ClipCardAccessible::localizedActionName(const QString &name) const
{
    return name;
}

QString ClipCardAccessible::localizedActionDescription(const QString &name) const
{
    if (name == QLatin1String("Open"))
        return QStringLiteral("Opens the clip in the player");
    if (name == QLatin1String("Remove from Triage"))
        return QStringLiteral("Takes the clip out of the session; the file stays");
    return name;
}

void ClipCardAccessible::doAction(const QString &name)
{
    ClipThumbnailView *c = card();
    const qsizetype index = cardActionNames().indexOf(name);
    if (index == 0)
        Q_EMIT c->openRequested();
    else if (index >= 1 && index <= 5)
        Q_EMIT c->rateRequested(static_cast<int>(index));
    else if (index == 6)
        Q_EMIT c->removeRequested();
}

QStringList ClipCardAccessible::keyBindingsForAction(const QString &) const
{
    return {};
}
