#pragma once

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QPainterPath>
#include <QRectF>
#include <QSizeF>
#include <QString>

class QPainter;

// The application's mark, drawn as vector shapes at any size in one colour
// (the foreground colour of whatever shows it): a lens ring between two
// matching viewfinder brackets. The mark is designed in a box 488 units wide
// and 486 high (y grows downward) and is scaled uniformly and centred in the
// area it is given.
class TriagonLogo
{
public:
    static constexpr double designWidth = 488.0;
    static constexpr double designHeight = 486.0;

    // `size` is the side of the square the mark is drawn in; the logo adds a
    // padding of a tenth of it on every edge.
    explicit TriagonLogo(double size) : m_size(size) {}

    double size() const { return m_size; }
    // The area the logo takes with its padding: 1.2 × size in each direction.
    QSizeF sizeHint() const { return QSizeF(m_size * 1.2, m_size * 1.2); }
    // Draws the logo with its padding, its top-left corner at `topLeft`.
    void paint(QPainter &painter, const QPointF &topLeft, const QColor &color) const;

    // Draws the mark itself (no padding) into `canvas`: scale
    // min(W / 488, H / 486), centred. The painter's state is kept.
    static void drawMark(QPainter &painter, const QRectF &canvas, const QColor &color);

    // The three shapes in design units. The bracket at the upper right (A) and
    // its half-turned twin at the lower left (B) are filled with the winding
    // rule; the ring (C) with even-odd, so that its hole stays empty.
    static QPainterPath upperBracket();
    static QPainterPath lowerBracket();
    static QPainterPath ring();
    // The transform that maps design units into `canvas`.
    static QTransform designTransform(const QRectF &canvas);

    // The application icon: the mark in the brand colour on a dark rounded
    // square, `pixels` square.
    static QImage applicationIconImage(int pixels);
    // The application icon at the sizes a desktop asks for (16 to 512).
    static QIcon applicationIcon();
    // The application icon as an SVG document, drawn from the same shapes; the
    // file installed for the desktop entry is this text.
    static QString applicationIconSvg();

private:
    double m_size = 0.0;
};
