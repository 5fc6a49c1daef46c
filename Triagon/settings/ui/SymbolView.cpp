#include "settings/ui/SymbolView.h"

#include "settings/ui/SettingsSymbols.h"

#include <QPainter>

#include <cmath>

SymbolView::SymbolView(const QString &name, double pixelSize, const QColor &color, QWidget *parent)
    : QWidget(parent), m_name(name), m_pixelSize(pixelSize), m_color(color)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
}

void SymbolView::setName(const QString &name)
{
    if (m_name == name)
        return;
    m_name = name;
    update();
}

void SymbolView::setColor(const QColor &color)
{
    if (m_color == color)
        return;
    m_color = color;
    update();
}

QSize SymbolView::sizeHint() const
{
    const int side = static_cast<int>(std::ceil(m_pixelSize));
    return QSize(side, side);
}

void SymbolView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRectF box(QPointF((width() - m_pixelSize) / 2.0, (height() - m_pixelSize) / 2.0),
                     QSizeF(m_pixelSize, m_pixelSize));
    SettingsSymbols::draw(painter, box, m_name, m_color);
}
