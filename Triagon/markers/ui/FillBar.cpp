#include "markers/ui/FillBar.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

FillBar::FillBar(QSize size, QWidget *parent) : QWidget(parent)
{
    setFixedSize(size);
}

void FillBar::setFraction(double fraction)
{
    const double clamped = std::isnan(fraction) ? 0.0 : std::clamp(fraction, 0.0, 1.0);
    if (clamped == m_fraction)
        return;
    m_fraction = clamped;
    update();
}

void FillBar::setColors(const QColor &fill, const QColor &track)
{
    m_fill = fill;
    m_track = track;
    update();
}

void FillBar::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const QRectF bounds(rect());
    const qreal radius = bounds.height() / 2;
    painter.setBrush(m_track);
    painter.drawRoundedRect(bounds, radius, radius);
    if (m_fraction > 0) {
        painter.setBrush(m_fill);
        painter.drawRoundedRect(QRectF(bounds.topLeft(), QSizeF(bounds.width() * m_fraction, bounds.height())), radius, radius);
    }
}
