#pragma once

#include <QColor>
#include <QRectF>

class QPainter;

// The small pictures a clip card paints over its poster and in its rows,
// drawn with strokes at the card's fixed sizes.
namespace CardSymbols {

// Two arrows pointing apart (the poster's expand button).
void drawExpand(QPainter &p, const QRectF &r, const QColor &color);
// A filled circle with a dark cross (the poster's remove button).
void drawRemove(QPainter &p, const QRectF &r, const QColor &color);
// A tag outline with its hole (the tags row).
void drawTag(QPainter &p, const QRectF &r, const QColor &color);
// An arrow going up, turning and coming down (the numbering-reset button).
void drawUTurn(QPainter &p, const QRectF &r, const QColor &color);
// A raised hand (the hand-marker badge).
void drawHand(QPainter &p, const QRectF &r, const QColor &color);
// A drive (the offline placeholder).
void drawDrive(QPainter &p, const QRectF &r, const QColor &color);

} // namespace CardSymbols
