#include "window/SymbolView.h"

#include <QPainter>

SymbolView::SymbolView(Drawer drawer, int symbolSize, int frameWidth, QWidget *parent)
    : QWidget(parent), m_drawer(std::move(drawer)), m_symbolSize(symbolSize), m_frameWidth(qMax(symbolSize, frameWidth))
{
    setFixedSize(sizeHint());
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void SymbolView::setDrawer(Drawer drawer)
{
    m_drawer = std::move(drawer);
    update();
}

void SymbolView::setColorSource(ColorSource color)
{
    m_color = std::move(color);
    update();
}

QColor SymbolView::color() const
{
    return m_color ? m_color() : palette().color(QPalette::PlaceholderText);
}

QSize SymbolView::sizeHint() const
{
    return QSize(m_frameWidth, m_symbolSize);
}

void SymbolView::paintEvent(QPaintEvent *)
{
    if (!m_drawer)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    QRectF box(0, 0, m_symbolSize, m_symbolSize);
    box.moveCenter(QRectF(rect()).center());
    m_drawer(painter, box, color());
}
