#include "media/ui/PlayerTimeline.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

PlayerTimeline::PlayerTimeline(QWidget *parent) : QWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setAccessibleName(QStringLiteral("Timeline"));
}

void PlayerTimeline::setFraction(double fraction)
{
    if (!std::isfinite(fraction))
        fraction = 0;
    fraction = std::clamp(fraction, 0.0, 1.0);
    if (fraction == m_fraction)
        return;
    m_fraction = fraction;
    update();
}

void PlayerTimeline::setAccent(const QColor &accent)
{
    m_accent = accent;
    update();
}

void PlayerTimeline::setValueText(const QString &text)
{
    if (text == m_valueText)
        return;
    m_valueText = text;
    setAccessibleDescription(text);
}

void PlayerTimeline::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF bar(0, topPadding, width(), barHeight);
    QPainterPath clip;
    clip.addRoundedRect(bar, barHeight / 2.0, barHeight / 2.0);
    p.setClipPath(clip);
    QColor track(128, 128, 128);
    track.setAlphaF(0.2f);
    p.fillRect(bar, track);
    p.fillRect(QRectF(bar.left(), bar.top(), bar.width() * m_fraction, bar.height()), m_accent);
}

void PlayerTimeline::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_dragging = true;
    Q_EMIT dragged(width() > 0 ? event->position().x() / width() : 0.0);
    event->accept();
}

void PlayerTimeline::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_dragging) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    Q_EMIT dragged(width() > 0 ? event->position().x() / width() : 0.0);
    event->accept();
}

void PlayerTimeline::mouseReleaseEvent(QMouseEvent *event)
{
    m_dragging = false;
    event->accept();
}
