#pragma once

#include "app/SymbolPainting.h"

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <QStringView>

class QPainter;

// Every picture the application draws itself, by the symbol names the views
// use ("tag", "tag.fill", "xmark.circle.fill", "exclamationmark.triangle",
// ...). Each drawing lives once, in app/SymbolDrawings*.cpp; a view asks for
// it by name. Where a sheet draws a name in a look of its own (its own grid
// or stroke), that look is a variant "name/sheet" ("tag/player",
// "xmark.circle.fill/card", "sparkles/settings", ...).
namespace SymbolCatalog {

// Draws `name` into `box` in `color`; the painter's state is restored after.
// An unknown name draws nothing.
void draw(QPainter &painter, const QRectF &box, QStringView name, const QColor &color);
bool contains(QStringView name);
// Every name, variants included.
QStringList names();
// `name` + "/" + `variant` when the catalogue has that variant, else `name`:
// for the views whose names come from data (the tour steps, the what's-new
// sections) and that draw them in their own look.
QString variant(const QString &name, QStringView variant);

// The drawing of `name`, for a SymbolView, a SymbolButton or a pixmap.
SymbolDrawer drawer(const QString &name);
// The desktop theme's picture of `themeName` when the theme has one, else the
// drawing in the palette's text colour (an empty theme name asks for the drawing).
QIcon icon(const QString &name, const QString &themeName = QString());
// The drawing in a fixed colour, `pixels` wide and high, at 1x and 2x.
QIcon coloredIcon(const QString &name, const QColor &color, int pixels);
// The drawing `pixels` (logical) square at `devicePixelRatio`; with a theme
// name, the theme's own (untinted) picture when the theme has one.
QPixmap pixmap(const QString &name, int pixels, const QColor &color, qreal devicePixelRatio, const QString &themeName = QString());
// The theme's one-colour (symbolic) picture of `themeName` tinted in the
// colour asked for when the theme has it, else the drawing of `name`.
SymbolDrawer tintedThemeDrawer(const QString &name, const QString &themeName);

} // namespace SymbolCatalog
