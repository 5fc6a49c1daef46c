#pragma once

#include "media/AudioPeak.h"

#include <QColor>
#include <QList>
#include <QRectF>
#include <QWidget>

// A thin strip along a clip card that draws the clip's loud stretches as
// small capsules, so the user sees where the sound peaks and can scrub there.
// Passive: the pointer goes through it to the card.
class AudioPeakMarkers : public QWidget
{
    Q_OBJECT

public:
    static constexpr qreal minimumBarWidth = 6;

    explicit AudioPeakMarkers(QWidget *parent = nullptr);

    void setPeaks(const QList<AudioPeak> &peaks);
    QList<AudioPeak> peaks() const { return m_peaks; }
    // Width that fraction 1 maps to; the widget's own width when not set (<= 0).
    void setStripWidth(qreal width);
    qreal stripWidth() const;
    void setHovering(bool hovering);
    bool isHovering() const { return m_hovering; }
    void setMarkerHeight(qreal height);
    qreal markerHeight() const { return m_markerHeight; }
    void setMarkerColor(const QColor &color);
    QColor markerColor() const { return m_markerColor; }

    // Where one bar lies: from start × width, (end − start) × width wide but
    // at least 6, full height. Bars may reach past the strip's right edge.
    static QRectF barRect(const AudioPeak &peak, qreal width, qreal height);
    qreal barOpacity() const { return m_hovering ? 0.9 : 0.6; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QList<AudioPeak> m_peaks;
    qreal m_stripWidth = 0;
    bool m_hovering = true;
    qreal m_markerHeight = 4;
    QColor m_markerColor; // the shared orange
};

// The name the cards use for it.
using PeakMarkerStrip = AudioPeakMarkers;
