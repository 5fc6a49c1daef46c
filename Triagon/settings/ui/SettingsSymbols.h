#pragma once

#include "app/SymbolPainting.h"

#include <QColor>
#include <QIcon>
#include <QRectF>
#include <QString>

class QPainter;

// The pictures of the settings window and the tour cards, named as the
// settings and tour texts name them ("gear", "tag", "hand.draw", "sparkles",
// ...). Each is a small line drawing of our own in one colour; icon() asks the
// desktop's icon theme first where it has a picture of the same meaning.
namespace SettingsSymbols {

// Draws `name` centred in `box` in `color`; an unknown name draws nothing.
void draw(QPainter &painter, const QRectF &box, const QString &name, const QColor &color);
// The drawing of `name`, for a SymbolView or a pixmap.
SymbolDrawer drawer(const QString &name);
// Whether draw() knows `name`.
bool isKnown(const QString &name);

// An icon for `name`: the theme's picture of `themeName` when there is one,
// else our drawing in the palette's text colour.
QIcon icon(const QString &name, const QString &themeName = QString());

} // namespace SettingsSymbols
