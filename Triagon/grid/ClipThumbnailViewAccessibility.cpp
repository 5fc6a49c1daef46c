// The card for assistive technologies: its spoken summary, and the events
// that tell a screen reader when the summary, the selection or the keyboard's
// current clip changed.
#include "grid/ClipThumbnailView.h"

#include "grid/ClipCardAccessible.h"
#include "grid/ClipGridViewAccessible.h"
#include "grid/ClipGridViewportAccessible.h"

#include <QAccessible>

#include <algorithm>
#include <mutex>

QString ClipThumbnailView::accessibilitySummary(const Clip &c)
{
    QStringList parts{c.filename, c.durationText()};
    if (!c.resolutionLabel().isEmpty())
        parts << c.resolutionLabel();
    parts << (c.rating < 1 ? QStringLiteral("unrated") : QString::number(c.rating) + QStringLiteral(" of 5 stars"));
    if (!c.tags.isEmpty()) {
        QStringList tags = c.tags;
        std::sort(tags.begin(), tags.end());
        parts << QStringLiteral("tagged ") + tags.join(QStringLiteral(", "));
    }
    if (c.markerFlag && c.markerFlag->isMarker())
        parts << QStringLiteral("hand marker");
    return parts.join(QStringLiteral(", "));
}

namespace {

QAccessibleInterface *gridAccessibilityFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String("ClipThumbnailView"))
        return new ClipCardAccessible(static_cast<ClipThumbnailView *>(object));
    if (className == QLatin1String("ClipGridViewport"))
        return new ClipGridViewportAccessible(static_cast<QWidget *>(object));
    if (className == QLatin1String("ClipGridView"))
        return new ClipGridViewAccessible(static_cast<QWidget *>(object));
    return nullptr;
}

} // namespace

void ClipThumbnailView::installAccessibility()
{
    static std::once_flag installed;
    std::call_once(installed, [] { QAccessible::installFactory(gridAccessibilityFactory); });
}

void ClipThumbnailView::announceAccessibilityChanges(const Inputs &old, bool first)
{
    if (!QAccessible::isActive() || first)
        return;
    if (accessibilitySummary(old.clip) != accessibilitySummary(m_in.clip)) {
        QAccessibleEvent event(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&event);
    }
    if (old.isSelected != m_in.isSelected) {
        QAccessible::State changed;
        changed.selected = true;
        QAccessibleStateChangeEvent event(this, changed);
        QAccessible::updateAccessibility(&event);
    }
    if (!old.isKeyboardCurrent && m_in.isKeyboardCurrent) {
        QAccessibleEvent event(this, QAccessible::Focus);
        QAccessible::updateAccessibility(&event);
    }
}
