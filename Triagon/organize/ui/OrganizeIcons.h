#pragma once

#include <QColor>
#include <QPainter>
#include <QPixmap>
#include <QRectF>

// The pictures of the Organize Clips sheet. Pictures whose colour carries
// meaning (the accent folder, the green check, the orange warning, the red
// stop sign) are always our own drawings in that colour; the neutral ones come
// from the desktop's icon theme when it has them.
class OrganizeIcons
{
public:
    enum class Symbol {
        folderFill,             // a filled folder
        folderBadgePlus,        // a folder with a plus
        film,                   // a film strip
        docText,                // a page with lines
        infoCircle,             // an "i" in a circle
        arrowRight,             // an arrow to the right
        checkmarkCircleFill,    // a check in a filled circle
        xmarkCircleFill,        // a cross in a filled circle
        xmarkOctagonFill,       // a cross in a filled octagon
        exclamationTriangleFill // an exclamation mark in a filled triangle
    };

    // The picture at `pixels` (logical) for the given device pixel ratio.
    // With `themed`, a neutral symbol comes from the icon theme when it has one.
    static QPixmap pixmap(Symbol symbol, int pixels, const QColor &color, qreal devicePixelRatio, bool themed = false);
    // The drawing itself, fitted into the box.
    static void draw(Symbol symbol, QPainter &painter, const QRectF &box, const QColor &color);
};
