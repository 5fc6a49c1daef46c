#pragma once

#include <QColor>
#include <QPen>
#include <QPixmap>
#include <QRectF>

#include <functional>

class QPainter;

// A drawing of a symbol: paints the picture into `box` in `color`. The
// drawings live in SymbolCatalog, which hands out their drawers by name (to
// icons, to SymbolView, to pixmaps).
using SymbolDrawer = std::function<void(QPainter &painter, const QRectF &box, const QColor &color)>;

// The building blocks that the symbol drawings share.
namespace SymbolPainting {

// The square of the box's smaller side, centred in the box, then inset on
// every side by `inset` times its side.
QRectF squareIn(const QRectF &box, qreal inset = 0.0);
// A solid pen with round caps and joins.
QPen roundPen(const QColor &color, qreal width);
// A round pen never thinner than one pixel.
QPen strokePen(const QColor &color, qreal width);
// Paints on a transparent layer of the box's size (at the painter's device
// pixel ratio; `local` is the box moved to the layer's origin) and draws the
// layer into the box. A shape with a mark cut out of it is drawn this way, so
// that the cut never punches through what lies below.
void paintOnLayer(QPainter &painter, const QRectF &box, const std::function<void(QPainter &layer, const QRectF &local)> &paint);
// The drawing `pixels` logical pixels square, for a device pixel ratio.
QPixmap pixmap(const SymbolDrawer &drawer, int pixels, const QColor &color, qreal devicePixelRatio = 1.0);

} // namespace SymbolPainting
