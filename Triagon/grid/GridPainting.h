#pragma once

#include <QColor>
#include <QFont>
#include <QPainter>
#include <QRectF>
#include <QSizeF>

// What the grid and its cards draw with: fonts sized in pixels, translucent
// colours, rounded fills, fitting a picture into an area, and the small
// symbols the cards show, drawn with strokes.
namespace GridPainting {
QFont pixelFont(const QFont &base, int pixels, QFont::Weight weight = QFont::Normal);
QFont monoFont(const QFont &base, int pixels, QFont::Weight weight = QFont::Normal);
QColor withAlpha(QColor c, qreal alpha);
void fillRounded(QPainter &p, const QRectF &r, qreal radius, const QColor &color);
// The image's size scaled to fit the area, centred; an image within a point
// and a half of filling the area fills it.
QRectF fitted(const QSizeF &image, const QRectF &area);

void drawExpandSymbol(QPainter &p, const QRectF &r, const QColor &color);
void drawRemoveSymbol(QPainter &p, const QRectF &r, const QColor &color);
void drawTagSymbol(QPainter &p, const QRectF &r, const QColor &color);
void drawUTurnSymbol(QPainter &p, const QRectF &r, const QColor &color);
void drawHandSymbol(QPainter &p, const QRectF &r, const QColor &color);
void drawDriveSymbol(QPainter &p, const QRectF &r, const QColor &color);
} // namespace GridPainting
