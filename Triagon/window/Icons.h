#pragma once

#include "app/SymbolPainting.h"

#include <QColor>
#include <QIcon>
#include <QPainter>
#include <QPen>
#include <QRectF>

// The window's pictures: the desktop icon theme's picture of a freedesktop
// name when the theme has one, else a small drawing of our own.
class Icons
{
public:
    // A folder with a plus ("Choose Footage", "Add Clips").
    static QIcon folderAdd();
    // A drive with an exclamation mark (offline files).
    static QIcon offlineDrive();
    // The sidebar switch.
    static QIcon sidebar();
    // A circled question mark (the tour).
    static QIcon help();

    // The drawings behind the fallbacks, also used directly where the window
    // needs the picture in a colour of its own.
    static void drawFolderAdd(QPainter &painter, const QRectF &box, const QColor &color);
    static void drawOfflineDrive(QPainter &painter, const QRectF &box, const QColor &color);
    static void drawSidebar(QPainter &painter, const QRectF &box, const QColor &color);
    static void drawHelp(QPainter &painter, const QRectF &box, const QColor &color);
    // A downward arrow in a circle: filled, or with a dotted ring.
    static void drawDropArrow(QPainter &painter, const QRectF &box, const QColor &color, bool filled);

    // ---- Sidebar and tools (IconsSidebar.cpp) ----
    static void drawEye(QPainter &painter, const QRectF &box, const QColor &color);
    static void drawEyeSlash(QPainter &painter, const QRectF &box, const QColor &color);
    static void drawSpeakerWave(QPainter &painter, const QRectF &box, const QColor &color);
    static void drawSpeakerSlash(QPainter &painter, const QRectF &box, const QColor &color);
    // Many small squares (small cards) and one square (large cards).
    static void drawDenseGrid(QPainter &painter, const QRectF &box, const QColor &color);
    static void drawSquare(QPainter &painter, const QRectF &box, const QColor &color);
    static void drawWaveform(QPainter &painter, const QRectF &box, const QColor &color);
    static void drawHand(QPainter &painter, const QRectF &box, const QColor &color);
    static void drawHandSlash(QPainter &painter, const QRectF &box, const QColor &color);
    // An arrow that goes up, turns and comes down (a numbering that restarts).
    static void drawUTurnDown(QPainter &painter, const QRectF &box, const QColor &color);
    static void drawTag(QPainter &painter, const QRectF &box, const QColor &color);
    static void drawStar(QPainter &painter, const QRectF &box, const QColor &color);
    // A check mark in a filled disc (the mark cut out) or in a ring.
    static void drawCheckmarkCircle(QPainter &painter, const QRectF &box, const QColor &color, bool filled);

    // ---- Toolbar and sheets (IconsToolbar.cpp) ----
    static QIcon undo();
    static QIcon redo();
    static void drawUndo(QPainter &painter, const QRectF &box, const QColor &color);
    static void drawRedo(QPainter &painter, const QRectF &box, const QColor &color);
    // A circular arrow turning anticlockwise (the session actions).
    static void drawCounterclockwise(QPainter &painter, const QRectF &box, const QColor &color);
    // A cross cut out of a filled disc.
    static void drawCloseCircle(QPainter &painter, const QRectF &box, const QColor &color);
    static void drawWarning(QPainter &painter, const QRectF &box, const QColor &color);

    // The window's proportions over the shared drawing pieces: the square
    // every drawing fills (the box's smaller side, centred, inset by 8 %) and
    // the line every drawing strokes with, for a symbol of side `side`.
    static QRectF symbolSquare(const QRectF &box);
    static QPen strokePen(const QColor &color, qreal side);
};
