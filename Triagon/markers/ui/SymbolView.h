#pragma once

#include "markers/ui/MarkerSymbols.h"

#include <QColor>
#include <QWidget>

#include <functional>

class QVariantAnimation;

// One drawn symbol at a fixed size, in a colour that is looked up at each
// paint (so that it follows the accent colour setting), optionally pulsing.
class SymbolView : public QWidget
{
    Q_OBJECT
public:
    using ColorSource = std::function<QColor()>;

    SymbolView(MarkerSymbols::Symbol symbol, int pixels, ColorSource color, QWidget *parent = nullptr);
    SymbolView(MarkerSymbols::Symbol symbol, int pixels, const QColor &color, QWidget *parent = nullptr);

    MarkerSymbols::Symbol symbol() const { return m_symbol; }
    void setSymbol(MarkerSymbols::Symbol symbol);
    void setColor(const QColor &color);
    // Fades between full and faint colour over and over while shown.
    void setPulsing(bool pulsing);
    bool isPulsing() const { return m_pulse != nullptr; }

    QSize sizeHint() const override { return {m_pixels, m_pixels}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    MarkerSymbols::Symbol m_symbol;
    int m_pixels;
    ColorSource m_color;
    QVariantAnimation *m_pulse = nullptr;
    qreal m_opacity = 1.0;
};
