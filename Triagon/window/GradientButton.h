#pragma once

#include "app/SymbolPainting.h"

#include <QAbstractButton>
#include <QColor>

#include <functional>

// A call-to-action button without system chrome: a symbol and a text in white
// on a rounded left-to-right gradient of the accent colour (opaque to 85 %),
// optionally with a soft accent shadow below. The accent is asked for at every
// paint, so a changed theme colour shows at once.
class GradientButton : public QAbstractButton
{
    Q_OBJECT
public:
    using ColorSource = std::function<QColor()>;
    using Drawer = SymbolDrawer;

    struct Style
    {
        int iconSize = 16;
        int spacing = 8;
        int paddingH = 32;
        int paddingV = 14;
        qreal radius = 12;
        qreal fontPixels = 16;
        // A shadow in the accent at 30 %, about 8 points soft, 4 points down.
        bool shadow = false;
    };

    GradientButton(const QString &text, Drawer icon, const Style &style, ColorSource accent, QWidget *parent = nullptr);

    QColor accent() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;
    bool hitButton(const QPoint &pos) const override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    QFont labelFont() const;
    int shadowRoom() const { return m_style.shadow ? 12 : 0; }

    Drawer m_icon;
    Style m_style;
    ColorSource m_accent;
    bool m_hovered = false;
};
