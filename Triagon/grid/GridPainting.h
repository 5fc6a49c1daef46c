#pragma once

#include <QColor>
#include <QFont>
#include <QPainter>
#include <QRectF>
#include <QSizeF>

// What the grid and its cards draw with besides the shared widget style and
// the card symbols: a monospaced font sized in pixels, translucent colours,
// rounded fills and fitting a picture into an area.
namespace GridPainting {
QFont monoFont(const QFont &base, int pixels, QFont::Weight weight = QFont::Normal);
QColor withAlpha(QColor c, qreal alpha);
void fillRounded(QPainter &p, const QRectF &r, qreal radius, const QColor &color);
// The image's size scaled to fit the area, centred; an image within a point
// and a half of filling the area fills it.
QRectF fitted(const QSizeF &image, const QRectF &area);

} // namespace GridPainting
