#include "media/ui/AudioPeakMarkers.h"

#include "app/SystemColor.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

AudioPeakMarkers::AudioPeakMarkers(QWidget *parent) : QWidget(parent), m_markerColor(systemColor(SystemColor::orange))
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
}

void AudioPeakMarkers::setPeaks(const QList<AudioPeak> &peaks)
{
    if (m_peaks == peaks)
        return;
    m_peaks = peaks;
    update();
}

void AudioPeakMarkers::setHovering(bool hovering)
{
    if (m_hovering == hovering)
        return;
    m_hovering = hovering;
    update();
}

QRectF AudioPeakMarkers::barRect(const AudioPeak &peak, qreal width, qreal height)
{
    const qreal barWidth = std::max(minimumBarWidth, qreal(peak.end - peak.start) * width);
    return QRectF(qreal(peak.start) * width, 0, barWidth, height);
}

QSize AudioPeakMarkers::sizeHint() const
{
    return QSize(100, qRound(markerHeight));
}

void AudioPeakMarkers::paintEvent(QPaintEvent *)
{
    if (m_peaks.isEmpty())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    QColor color = m_markerColor;
    color.setAlphaF(float(color.alphaF() * barOpacity()));
    painter.setBrush(color);
    const qreal width = this->width();
    // Centred in the widget's height when it is taller than the strip.
    const qreal top = (height() - markerHeight) / 2;
    for (const AudioPeak &peak : m_peaks) {
        const QRectF bar = barRect(peak, width, markerHeight).translated(0, top);
        const qreal radius = std::min(bar.height(), bar.width()) / 2;
        painter.drawRoundedRect(bar, radius, radius);
    }
}
