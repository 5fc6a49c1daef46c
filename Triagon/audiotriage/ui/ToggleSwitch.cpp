#include "audiotriage/ui/ToggleSwitch.h"

#include <QPainter>

ToggleSwitch::ToggleSwitch(std::function<QColor()> onColor, QWidget *parent)
    : QCheckBox(parent), m_onColor(std::move(onColor))
{
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void ToggleSwitch::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF track = QRectF(rect()).adjusted(1, 1, -1, -1);
    const qreal radius = track.height() / 2;
    QColor off = palette().color(QPalette::Mid);
    QColor fill = isChecked() ? m_onColor() : off;
    if (!isEnabled())
        fill.setAlphaF(0.4);
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawRoundedRect(track, radius, radius);
    const qreal knob = track.height() - 3;
    const qreal x = isChecked() ? track.right() - knob - 1.5 : track.left() + 1.5;
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(x, track.top() + 1.5, knob, knob));
    if (hasFocus()) {
        QPen ring(palette().color(QPalette::Highlight), 1.5);
        p.setPen(ring);
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(track.adjusted(-0.5, -0.5, 0.5, 0.5), radius, radius);
    }
}
