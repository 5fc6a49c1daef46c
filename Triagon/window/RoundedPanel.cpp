#include "window/RoundedPanel.h"

#include <QPainter>

RoundedPanel::RoundedPanel(qreal radius, const QColor &fill, const QColor &border, QWidget *parent)
    : QWidget(parent), m_radius(radius), m_fill(fill), m_border(border)
{
}

void RoundedPanel::setColors(const QColor &fill, const QColor &border)
{
    m_fill = fill;
    m_border = border;
    update();
}

void RoundedPanel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QPen(m_border, 1.0));
    painter.setBrush(m_fill);
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), m_radius, m_radius);
}
