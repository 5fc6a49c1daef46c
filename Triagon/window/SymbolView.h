#pragma once

#include <QColor>
#include <QWidget>

#include <functional>

class QPainter;

// A drawn symbol that is only a picture: fixed size, no interaction, hidden
// from assistive technology. Drawer and colour can change.
class SymbolView : public QWidget
{
    Q_OBJECT
public:
    using Drawer = std::function<void(QPainter &painter, const QRectF &box, const QColor &color)>;
    using ColorSource = std::function<QColor()>;

    // `frameWidth` is the width the symbol is centred in (at least its size).
    SymbolView(Drawer drawer, int symbolSize, int frameWidth, QWidget *parent = nullptr);

    void setDrawer(Drawer drawer);
    // The symbol's colour, asked at every paint; the secondary text colour
    // when none is set.
    void setColorSource(ColorSource color);
    QColor color() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Drawer m_drawer;
    ColorSource m_color;
    int m_symbolSize;
    int m_frameWidth;
};
