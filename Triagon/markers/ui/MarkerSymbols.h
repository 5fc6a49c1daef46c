#pragma once

#include "app/SymbolPainting.h"

#include <QColor>
#include <QIcon>
#include <QRectF>

class QPainter;

// The small pictures of the hand-marker and numbering-reset sheets, drawn by
// code so that they take any colour (the accent, green, orange, the
// secondary text colour).
namespace MarkerSymbols {

enum class Symbol {
    handRaised,      // a raised hand, filled
    handRaisedSlash, // the hand crossed out
    closeCircle,     // a filled circle with a cross cut out
    close,           // a cross
    magnifyingGlass,
    tag,             // a tag outline
    tagFilled,
    sparkles,
    number,          // "#"
    undoArrow,       // an arrow turning back
    arrowRight,
    warning,         // a triangle with an exclamation mark
    play,            // a filled triangle
    chevronRight,
    chevronDown,
};

void draw(QPainter &painter, const QRectF &box, const QColor &color, Symbol symbol);
// The drawing of `symbol`, for a SymbolView or an icon.
SymbolDrawer drawer(Symbol symbol);
// The desktop theme's picture of `themeName` when the theme has one, else
// the drawing (in the palette's text colour).
QIcon icon(Symbol symbol, const QString &themeName = QString());
// The drawing in a fixed colour, `pixels` wide and high.
QIcon coloredIcon(Symbol symbol, const QColor &color, int pixels);

} // namespace MarkerSymbols
