#include "window/ToolRow.h"

#include "app/widgets/WidgetStyle.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

namespace {
constexpr int kSymbolFrame = 16;
constexpr int kSpacing = 8;
} // namespace

ToolRow::ToolRow(Drawer symbol, const QString &text, const Look &look, QWidget *parent)
    : QAbstractButton(parent), m_symbol(std::move(symbol)), m_look(look)
{
    setText(text);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setAttribute(Qt::WA_Hover);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void ToolRow::setTrailing(const QString &text, ColorSource color)
{
    m_trailing = text;
    m_trailingColor = std::move(color);
    updateGeometry();
    update();
}

QColor ToolRow::color() const
{
    return m_look.color ? m_look.color() : palette().color(QPalette::WindowText);
}

QFont ToolRow::textFont() const
{
    return WidgetStyle::sizedFont(this, m_look.fontPixels);
}

QSize ToolRow::sizeHint() const
{
    const QFontMetrics metrics(textFont());
    int width = kSymbolFrame + kSpacing + metrics.horizontalAdvance(text());
    if (!m_trailing.isEmpty())
        width += kSpacing + metrics.horizontalAdvance(m_trailing);
    return QSize(width, qMax(metrics.height(), int(m_look.fontPixels) + 2) + 2 * m_look.paddingV);
}

QSize ToolRow::minimumSizeHint() const
{
    return QSize(60, sizeHint().height());
}

void ToolRow::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    if (underMouse() || isDown()) {
        QColor wash = palette().color(QPalette::WindowText);
        wash.setAlphaF(isDown() ? 0.1 : 0.05);
        QPainterPath shape;
        shape.addRoundedRect(QRectF(rect()).adjusted(-4, 0, 4, 0), 5, 5);
        painter.fillPath(shape, wash);
    }
    if (hasFocus()) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), 1));
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 5, 5);
    }
    const QColor ink = color();
    const qreal side = m_look.fontPixels;
    m_symbol(painter, QRectF((kSymbolFrame - side) / 2, (height() - side) / 2, side, side), ink);

    const QFont font = textFont();
    const QFontMetrics metrics(font);
    painter.setFont(font);
    const int trailingWidth = m_trailing.isEmpty() ? 0 : metrics.horizontalAdvance(m_trailing) + kSpacing;
    const QRect textBox(kSymbolFrame + kSpacing, 0, width() - kSymbolFrame - kSpacing - trailingWidth, height());
    painter.setPen(ink);
    painter.drawText(textBox, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     metrics.elidedText(text(), Qt::ElideRight, textBox.width()));
    if (!m_trailing.isEmpty()) {
        painter.setPen(m_trailingColor ? m_trailingColor() : palette().color(QPalette::Highlight));
        painter.drawText(QRect(0, 0, width(), height()), Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, m_trailing);
    }
}
