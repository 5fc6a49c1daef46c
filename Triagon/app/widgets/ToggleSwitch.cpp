#include "app/widgets/ToggleSwitch.h"

#include <QPainter>

ToggleSwitch::ToggleSwitch(const QString &accessibleName, QWidget *parent) : QAbstractButton(parent)
{
    setCheckable(true);
    setAccessibleName(accessibleName);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void ToggleSwitch::setOnColor(ColorSource color)
{
    m_onColor = std::move(color);
    update();
}

QColor ToggleSwitch::onColor() const
{
    return m_onColor ? m_onColor() : palette().color(QPalette::Highlight);
}

void ToggleSwitch::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QRectF track = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal radius = track.height() / 2;
    QColor fill = palette().color(QPalette::WindowText);
    fill.setAlphaF(0.18);
    if (isChecked())
        fill = onColor();
    if (!isEnabled())
        fill.setAlphaF(fill.alphaF() * 0.4);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(track, radius, radius);
    const qreal knob = track.height() - 3;
    const qreal x = isChecked() ? track.right() - 1.5 - knob : track.left() + 1.5;
    painter.setBrush(Qt::white);
    painter.drawEllipse(QRectF(x, track.top() + 1.5, knob, knob));
    if (hasFocus()) {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(palette().color(QPalette::Highlight), 1));
        painter.drawRoundedRect(track, radius, radius);
    }
}
