#pragma once

#include "app/SymbolPainting.h"

#include <QList>
#include <QPainter>

#include <utility>

// The drawings behind SymbolCatalog, in families that share their
// proportions: each family draws on its own grid (the window's inset square,
// the card's fixed pixels, a unit square, a 16-step grid, ...). Each family
// lists its drawings under the names SymbolCatalog hands out; only the
// catalogue reads these lists.
namespace SymbolDrawings {

using Entry = std::pair<const char *, SymbolDrawer>;

// The main window: sidebar, tools, toolbar and its sheets.
QList<Entry> window();
// The clip card's badges and buttons, in fixed pixels, and the player's
// buttons and header facts.
QList<Entry> card();
QList<Entry> player();
// The settings window and the tour cards, drawn in a unit square.
QList<Entry> settings();
// The hand-marker and numbering-reset sheets, drawn on a 16-step grid.
QList<Entry> markers();
// The Organize Clips and audio triage sheets.
QList<Entry> organize();
QList<Entry> audio();
// The what's-new section badges: a filled shape with a white mark.
QList<Entry> whatsNew();

} // namespace SymbolDrawings
