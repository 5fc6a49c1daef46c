#pragma once

#include "app/SymbolPainting.h"

#include <QColor>
#include <QIcon>
#include <QPainter>
#include <QRectF>

// The pictures of the audio triage sheet, drawn in a colour of the caller's
// choice: the desktop icon theme's symbolic picture of a freedesktop name
// where the theme has one that shows the same thing (symbolic pictures are
// one colour, so they take the tint), else a drawing of our own.
class AudioTriageSymbols
{
public:
    enum class Symbol {
        waveform,
        closeCircleFill,   // the sheet's close button
        speakerWaves,      // loudness levels
        speakerWavesFill,  // the loud rule
        speakerFill,       // the quiet rule
        tag,
        tagFill,
        sliders,
        undoArrow,
        warningTriangle,
        checkmarkCircleFill,
        minusCircle,
    };

    static void draw(QPainter &painter, Symbol symbol, const QRectF &box, const QColor &color);
    // The drawing of `symbol`, for a SymbolView.
    static SymbolDrawer drawer(Symbol symbol);
    // An icon of the symbol in one colour, for buttons.
    static QIcon icon(Symbol symbol, const QColor &color);
};
