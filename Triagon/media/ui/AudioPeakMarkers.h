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
    // The strip's height; a taller widget centres it.
    static constexpr qreal markerHeight = 4;
    void setHovering(bool hovering);
    bool isHovering() const { return m_hovering; }

    // Where one bar lies: from start × width, (end − start) × width wide but
    // at least 6, full height. Bars may reach past the strip's right edge.
    static QRectF barRect(const AudioPeak &peak, qreal width, qreal height);
    qreal barOpacity() const { return m_hovering ? 0.9 : 0.6; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QList<AudioPeak> m_peaks;
    bool m_hovering = true;
    QColor m_markerColor; // the shared orange
};

// The name the cards use for it.
using PeakMarkerStrip = AudioPeakMarkers;
