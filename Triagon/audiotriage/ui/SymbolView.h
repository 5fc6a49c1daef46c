#pragma once

#include "audiotriage/ui/AudioTriageSymbols.h"

#include <QWidget>

#include <functional>

class QVariantAnimation;

// One symbol of the sheet at a fixed size, in a colour asked for at each
// paint (so that it follows the theme colour and the rules' on/off state).
// Optionally pulses: fades between full and faint for as long as it is shown.
class SymbolView : public QWidget
{
    Q_OBJECT
public:
    using ColorProvider = std::function<QColor()>;

    SymbolView(AudioTriageSymbols::Symbol symbol, int size, ColorProvider color, QWidget *parent = nullptr);

    AudioTriageSymbols::Symbol symbol() const { return m_symbol; }
    QColor color() const { return m_color(); }
    void setColorProvider(ColorProvider color);
    // Width of the frame the symbol is centred in (the size by default).
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

    AudioTriageSymbols::Symbol m_symbol;
    int m_size;
    int m_frameWidth;
    ColorProvider m_color;
    bool m_pulsing = false;
    qreal m_opacity = 1.0;
    QVariantAnimation *m_animation = nullptr;
};
