#include "settings/ui/ThemeSwatch.h"

#include "app/SymbolCatalog.h"

#include <QPainter>

namespace {
// Room for the outline, 2 pixels beyond the circle.
constexpr int kMargin = 4;
} // namespace

ThemeSwatch::ThemeSwatch(ThemeColor theme, QWidget *parent) : QAbstractButton(parent), m_theme(theme)
{
    const QString name = themeColorRawValue(theme);
    setCheckable(true);
    setToolTip(name);
    setAccessibleName(name);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
}

QSize ThemeSwatch::sizeHint() const
{
    return QSize(diameter + 2 * kMargin, diameter + 2 * kMargin);
}

void ThemeSwatch::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QPointF c = QRectF(rect()).center();
    const double r = diameter / 2.0;
    painter.setPen(Qt::NoPen);
    painter.setBrush(themeColorValue(m_theme));
    painter.drawEllipse(c, r, r);
    if (hasFocus()) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), 1.0, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(c, r + 3.5, r + 3.5);
    }
    if (!isChecked())
        return;
    painter.setPen(QPen(palette().color(QPalette::WindowText), 2.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(c, r + 2 - 1.25, r + 2 - 1.25);
    SymbolCatalog::draw(painter, QRectF(c.x() - 5.5, c.y() - 5.5, 11, 11), u"checkmark", Qt::white);
}
