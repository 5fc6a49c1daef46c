#include "window/SymbolButton.h"

#include "app/widgets/WidgetStyle.h"

#include <QIcon>
#include <QPainter>
#include <QPainterPath>

namespace {
constexpr int kPadding = 4;
}

SymbolButton::SymbolButton(const QString &themeName, Drawer drawer, int symbolSize, QWidget *parent)
    : QToolButton(parent), m_themeName(themeName), m_drawer(std::move(drawer)), m_symbolSize(symbolSize)
{
    setAutoRaise(true);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setAttribute(Qt::WA_Hover);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void SymbolButton::setHelp(const QString &text)
{
    setToolTip(text);
    setAccessibleName(text);
}

QSize SymbolButton::sizeHint() const
{
    const int side = m_symbolSize + 2 * kPadding;
    // A menu button keeps no room for an arrow: the symbol says it all.
    return QSize(side, side);
}

void SymbolButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    if (isEnabled() && (isDown() || underMouse())) {
        QColor wash = palette().color(QPalette::WindowText);
        wash.setAlphaF(isDown() ? 0.16 : 0.08);
        QPainterPath shape;
        shape.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 5, 5);
        painter.fillPath(shape, wash);
    }
    if (hasFocus()) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), 1.5));
        painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 5, 5);
    }
    painter.setOpacity(symbolOpacity());
    QRectF box(0, 0, m_symbolSize, m_symbolSize);
    box.moveCenter(QRectF(rect()).center());
    const QIcon themed = m_themeName.isEmpty() ? QIcon() : QIcon::fromTheme(m_themeName);
    if (!themed.isNull()) {
        themed.paint(&painter, box.toRect());
        return;
    }
    if (m_drawer)
        m_drawer(painter, box, WidgetStyle::secondary(this));
}
