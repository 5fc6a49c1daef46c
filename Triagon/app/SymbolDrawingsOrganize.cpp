// The drawings of the Organize Clips sheet: a square inset by 6 %, lines of
// 9 % of its side; marks are cleared out of their filled shapes, so these are
// drawn into pixmaps of their own.
#include "app/SymbolDrawings.h"

#include <QPainterPath>
#include <QtMath>

namespace {

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

using SymbolPainting::strokePen;

QPainterPath folderPath(const QRectF &r)
{
    const qreal s = r.width();
    QPainterPath path;
    path.moveTo(r.left(), r.bottom() - s * 0.12);
    path.lineTo(r.left(), r.top() + s * 0.18);
    path.lineTo(r.left() + s * 0.38, r.top() + s * 0.18);
    path.lineTo(r.left() + s * 0.48, r.top() + s * 0.3);
    path.lineTo(r.right(), r.top() + s * 0.3);
    path.lineTo(r.right(), r.bottom() - s * 0.12);
    path.closeSubpath();
    return path;
}

// A mark cut out of a filled shape: drawn in the background's absence as a
// clear stroke, so it reads on any surface.
void drawCutStroke(QPainter &p, const QPainterPath &mark, qreal width)
{
    p.save();
    p.setCompositionMode(QPainter::CompositionMode_Clear);
    p.setPen(strokePen(Qt::black, width));
    p.setBrush(Qt::NoBrush);
    p.drawPath(mark);
    p.restore();
}

// An upright cross about `c`, `d` from the centre to each end.
QPainterPath crossPath(const QPointF &c, qreal d)
{
    QPainterPath cross;
    cross.moveTo(c + QPointF(-d, -d));
    cross.lineTo(c + QPointF(d, d));
    cross.moveTo(c + QPointF(d, -d));
    cross.lineTo(c + QPointF(-d, d));
    return cross;
}

void draw(Symbol symbol, QPainter &p, const QRectF &box, const QColor &color)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = SymbolPainting::squareIn(box, 0.06);
    const qreal s = r.width();
    const QPointF c = r.center();
    const qreal line = s * 0.09;
    switch (symbol) {
    case Symbol::folderFill:
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.drawPath(folderPath(r));
        break;
    case Symbol::folderBadgePlus: {
        p.setPen(strokePen(color, line));
        p.setBrush(Qt::NoBrush);
        p.drawPath(folderPath(r.adjusted(0, 0, -s * 0.18, -s * 0.1)));
        const QPointF plus(r.right() - s * 0.16, r.bottom() - s * 0.2);
        p.drawLine(plus + QPointF(-s * 0.16, 0), plus + QPointF(s * 0.16, 0));
        p.drawLine(plus + QPointF(0, -s * 0.16), plus + QPointF(0, s * 0.16));
        break;
    }
    case Symbol::film: {
        p.setPen(strokePen(color, line));
        p.setBrush(Qt::NoBrush);
        const QRectF strip(r.left() + s * 0.12, r.top(), s * 0.76, s);
        p.drawRoundedRect(strip, s * 0.08, s * 0.08);
        p.drawLine(QPointF(strip.left() + s * 0.2, strip.top()), QPointF(strip.left() + s * 0.2, strip.bottom()));
        p.drawLine(QPointF(strip.right() - s * 0.2, strip.top()), QPointF(strip.right() - s * 0.2, strip.bottom()));
        p.drawLine(QPointF(strip.left() + s * 0.2, c.y()), QPointF(strip.right() - s * 0.2, c.y()));
        break;
    }
    case Symbol::docText: {
        p.setPen(strokePen(color, line));
        p.setBrush(Qt::NoBrush);
        QPainterPath page;
        page.moveTo(r.left() + s * 0.18, r.top());
        page.lineTo(r.right() - s * 0.38, r.top());
        page.lineTo(r.right() - s * 0.14, r.top() + s * 0.24);
        page.lineTo(r.right() - s * 0.14, r.bottom());
        page.lineTo(r.left() + s * 0.18, r.bottom());
        page.closeSubpath();
        p.drawPath(page);
        for (int i = 0; i < 3; ++i) {
            const qreal y = r.top() + s * (0.45 + 0.17 * i);
            p.drawLine(QPointF(r.left() + s * 0.34, y), QPointF(r.right() - s * 0.3, y));
        }
        break;
    }
    case Symbol::infoCircle:
        p.setPen(strokePen(color, line));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(r.adjusted(line / 2, line / 2, -line / 2, -line / 2));
        p.drawLine(QPointF(c.x(), c.y() - s * 0.02), QPointF(c.x(), c.y() + s * 0.24));
        p.setPen(strokePen(color, line * 1.4));
        p.drawPoint(QPointF(c.x(), c.y() - s * 0.22));
        break;
    case Symbol::arrowRight:
        p.setPen(strokePen(color, line * 1.2));
        p.drawLine(QPointF(r.left() + s * 0.12, c.y()), QPointF(r.right() - s * 0.12, c.y()));
        p.drawLine(QPointF(r.right() - s * 0.12, c.y()), QPointF(r.right() - s * 0.42, c.y() - s * 0.3));
        p.drawLine(QPointF(r.right() - s * 0.12, c.y()), QPointF(r.right() - s * 0.42, c.y() + s * 0.3));
        break;
    case Symbol::checkmarkCircleFill: {
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.drawEllipse(r);
        QPainterPath check;
        check.moveTo(c + QPointF(-s * 0.22, s * 0.02));
        check.lineTo(c + QPointF(-s * 0.06, s * 0.18));
        check.lineTo(c + QPointF(s * 0.24, -s * 0.16));
        drawCutStroke(p, check, s * 0.11);
        break;
    }
    case Symbol::xmarkCircleFill: {
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.drawEllipse(r);
        drawCutStroke(p, crossPath(c, s * 0.17), s * 0.1);
        break;
    }
    case Symbol::xmarkOctagonFill: {
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        QPolygonF octagon;
        for (int i = 0; i < 8; ++i) {
            const qreal angle = qDegreesToRadians(22.5 + 45.0 * i);
            octagon << c + QPointF(std::cos(angle) * s / 2, std::sin(angle) * s / 2);
        }
        p.drawPolygon(octagon);
        drawCutStroke(p, crossPath(c, s * 0.17), s * 0.1);
        break;
    }
    case Symbol::exclamationTriangleFill: {
        p.setPen(strokePen(color, s * 0.08));
        p.setBrush(color);
        QPolygonF triangle;
        triangle << QPointF(c.x(), r.top() + s * 0.06) << QPointF(r.right(), r.bottom() - s * 0.06)
                 << QPointF(r.left(), r.bottom() - s * 0.06);
        p.drawPolygon(triangle);
        QPainterPath mark;
        mark.moveTo(c.x(), r.top() + s * 0.36);
        mark.lineTo(c.x(), r.top() + s * 0.62);
        mark.moveTo(c.x(), r.top() + s * 0.78);
        mark.lineTo(c.x(), r.top() + s * 0.79);
        drawCutStroke(p, mark, s * 0.1);
        break;
    }
    }
    p.restore();
}

SymbolDrawer sheet(Symbol symbol)
{
    return [symbol](QPainter &painter, const QRectF &box, const QColor &color) { draw(symbol, painter, box, color); };
}

} // namespace

QList<SymbolDrawings::Entry> SymbolDrawings::organize()
{
    return {
        {"folder.fill", sheet(Symbol::folderFill)},
        {"folder.badge.plus", sheet(Symbol::folderBadgePlus)},
        {"film/organize", sheet(Symbol::film)},
        {"doc.text", sheet(Symbol::docText)},
        {"info.circle", sheet(Symbol::infoCircle)},
        {"arrow.right", sheet(Symbol::arrowRight)},
        {"checkmark.circle.fill/organize", sheet(Symbol::checkmarkCircleFill)},
        {"xmark.circle.fill/organize", sheet(Symbol::xmarkCircleFill)},
        {"xmark.octagon.fill", sheet(Symbol::xmarkOctagonFill)},
        {"exclamationmark.triangle.fill", sheet(Symbol::exclamationTriangleFill)},
    };
}
