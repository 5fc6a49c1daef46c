#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRectF>
#include <QSizeF>

// What the grid, its cards and the player draw with besides the shared widget
// style and the card symbols: a monospaced font sized in pixels, translucent
// colours, rounded fills and fitting a picture into an area.
namespace GridPainting {
QFont monoFont(const QFont &base, int pixels, QFont::Weight weight = QFont::Normal);
QColor withAlpha(QColor c, qreal alpha);
void fillRounded(QPainter &p, const QRectF &r, qreal radius, const QColor &color);
// The image's size scaled to fit the area, centred; an image within a point
// and a half of filling the area fills it.
QRectF fitted(const QSizeF &image, const QRectF &area);

// The opaque images cards draw themselves into. A card that goes hands its
// image back, and the next card of that size takes it: every change of the
// grid brings new cards, and their large images, freed and asked for anew,
// would make the system fault in fresh memory while they are first drawn.
// The content of a taken image is undefined.
QImage takeCardImage(const QSize &pixels);
void returnCardImage(QImage image);

} // namespace GridPainting
