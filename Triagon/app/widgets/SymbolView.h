#pragma once

#include "app/SymbolPainting.h"

#include <QColor>
#include <QWidget>

#include <functional>

class QVariantAnimation;

// One symbol, drawn by the drawer it is given (usually a SymbolCatalog
// drawer) at a fixed size, centred in the widget, in a
// colour looked up at each paint, so that it follows the accent colour, the
// palette or a state of its owner. Optionally it pulses (fades between full
// and faint for as long as it is shown), and its frame can be wider than the
// symbol. It only paints: it takes no input and has no name for screen
// readers (the text beside it says what it means).
class SymbolView : public QWidget
{
    Q_OBJECT
public:
    using ColorSource = std::function<QColor()>;

    SymbolView(SymbolDrawer drawer, qreal pixels, ColorSource color, QWidget *parent = nullptr);
    SymbolView(SymbolDrawer drawer, qreal pixels, const QColor &color, QWidget *parent = nullptr);

    void setDrawer(SymbolDrawer drawer);
    // The colour the next paint uses.
    QColor color() const;
    void setColor(const QColor &color);
    void setColorSource(ColorSource color);
    // Width of the frame the symbol is centred in (the symbol's size by default).
    void setFrameWidth(int width);
    void setPulsing(bool pulsing);
    bool isPulsing() const { return m_pulsing; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void updateAnimation();

    SymbolDrawer m_drawer;
    qreal m_pixels;
    int m_frameWidth = 0;
    ColorSource m_color;
    bool m_pulsing = false;
    qreal m_opacity = 1.0;
    QVariantAnimation *m_animation = nullptr;
};
