#pragma once

#include <QColor>
#include <QIcon>
#include <QPainter>
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
};
