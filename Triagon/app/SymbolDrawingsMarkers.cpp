// The drawings of the hand-marker and numbering-reset sheets, on a grid of
// 16 steps across the box's centred square, so that they take any colour
// (the accent, green, orange, the secondary text colour).
#include "app/SymbolDrawings.h"

#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace {

enum class Symbol {
    handRaised,      // a raised hand, filled
    handRaisedSlash, // the hand crossed out
    closeCircle,     // a filled circle with a cross cut out
    close,           // a cross
    magnifyingGlass,
    tag, // a tag outline
    tagFilled,
    sparkles,
    number,    // "#"
    undoArrow, // an arrow turning back
    arrowRight,
    warning, // a triangle with an exclamation mark
    play,    // a filled triangle
    chevronRight,
    chevronDown,
};

using SymbolPainting::roundPen;

QPainterPath handPath(const QRectF &r)
{
    // Four fingers above a palm, the thumb to the left.
    const qreal u = r.width() / 16.0;
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    const qreal fingerWidth = 2.4 * u;
    const qreal xs[4] = {4.4, 7.0, 9.6, 12.2};
    const qreal tops[4] = {3.2, 1.2, 1.8, 3.8};
    for (int i = 0; i < 4; ++i)
        path.addRoundedRect(QRectF(r.left() + xs[i] * u - fingerWidth / 2, r.top() + tops[i] * u, fingerWidth, 9.0 * u), fingerWidth / 2,
                            fingerWidth / 2);
    path.addRoundedRect(QRectF(r.left() + 3.2 * u, r.top() + 7.5 * u, 10.2 * u, 7.6 * u), 3.2 * u, 3.2 * u);
    QPainterPath thumb;
    thumb.addRoundedRect(QRectF(-1.2 * u, -4.0 * u, 2.4 * u, 6.5 * u), 1.2 * u, 1.2 * u);
    QTransform turn;
    turn.translate(r.left() + 2.9 * u, r.top() + 10.6 * u);
    turn.rotate(-38);
    path.addPath(turn.map(thumb));
    return path.simplified();
}

QPainterPath tagPath(const QRectF &r)
{
    const qreal u = r.width() / 16.0;
    QPainterPath path;
    path.moveTo(r.left() + 2 * u, r.top() + 2.5 * u);
    path.lineTo(r.left() + 8.5 * u, r.top() + 2.5 * u);
    path.lineTo(r.left() + 14.5 * u, r.top() + 8.5 * u);
    path.lineTo(r.left() + 8.5 * u, r.top() + 14.5 * u);
    path.lineTo(r.left() + 2 * u, r.top() + 8 * u);
    path.closeSubpath();
    return path;
}

QPainterPath starPath(const QPointF &c, qreal radius)
{
    QPainterPath path;
    const qreal inner = radius * 0.28;
    path.moveTo(c.x(), c.y() - radius);
    path.quadTo(c.x() + inner, c.y() - inner, c.x() + radius, c.y());
    path.quadTo(c.x() + inner, c.y() + inner, c.x(), c.y() + radius);
    path.quadTo(c.x() - inner, c.y() + inner, c.x() - radius, c.y());
    path.quadTo(c.x() - inner, c.y() - inner, c.x(), c.y() - radius);
    return path;
}

void draw(QPainter &p, const QRectF &box, const QColor &color, Symbol symbol)
{
    const QRectF r = SymbolPainting::squareIn(box);
    const qreal u = r.width() / 16.0;
    const qreal line = std::max(1.0, 1.5 * u);
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(Qt::NoBrush);
    p.setPen(roundPen(color, line));
    switch (symbol) {
    case Symbol::handRaised:
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.drawPath(handPath(r));
        break;
    case Symbol::handRaisedSlash: {
        p.drawPath(handPath(r.adjusted(u, u, -u, -u)));
        p.setPen(roundPen(color, line * 1.2));
        p.drawLine(QPointF(r.left() + 1.5 * u, r.top() + 1.5 * u), QPointF(r.right() - 1.5 * u, r.bottom() - 1.5 * u));
        break;
    }
    case Symbol::closeCircle: {
        QPainterPath disc;
        disc.addEllipse(r.adjusted(0.5 * u, 0.5 * u, -0.5 * u, -0.5 * u));
        QPainterPathStroker cross;
        cross.setWidth(1.8 * u);
        cross.setCapStyle(Qt::RoundCap);
        QPainterPath lines;
        lines.moveTo(r.left() + 5.3 * u, r.top() + 5.3 * u);
        lines.lineTo(r.left() + 10.7 * u, r.top() + 10.7 * u);
        lines.moveTo(r.left() + 10.7 * u, r.top() + 5.3 * u);
        lines.lineTo(r.left() + 5.3 * u, r.top() + 10.7 * u);
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.drawPath(disc.subtracted(cross.createStroke(lines)));
        break;
    }
    case Symbol::close:
        p.drawLine(QPointF(r.left() + 3.5 * u, r.top() + 3.5 * u), QPointF(r.right() - 3.5 * u, r.bottom() - 3.5 * u));
        p.drawLine(QPointF(r.right() - 3.5 * u, r.top() + 3.5 * u), QPointF(r.left() + 3.5 * u, r.bottom() - 3.5 * u));
        break;
    case Symbol::magnifyingGlass:
        p.drawEllipse(QRectF(r.left() + 2 * u, r.top() + 2 * u, 8.5 * u, 8.5 * u));
        p.drawLine(QPointF(r.left() + 9.3 * u, r.top() + 9.3 * u), QPointF(r.left() + 14 * u, r.top() + 14 * u));
        break;
    case Symbol::tag:
    case Symbol::tagFilled: {
        QPainterPath path = tagPath(r);
        QPainterPath hole;
        hole.addEllipse(QPointF(r.left() + 5.2 * u, r.top() + 5.7 * u), 1.1 * u, 1.1 * u);
        if (symbol == Symbol::tagFilled) {
            p.setPen(Qt::NoPen);
            p.setBrush(color);
            p.drawPath(path.subtracted(hole));
        } else {
            p.drawPath(path);
            p.drawPath(hole);
        }
        break;
    }
    case Symbol::sparkles:
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.drawPath(starPath(QPointF(r.left() + 7 * u, r.top() + 9 * u), 6 * u));
        p.drawPath(starPath(QPointF(r.left() + 13 * u, r.top() + 3.5 * u), 2.8 * u));
        break;
    case Symbol::number:
        p.drawLine(QPointF(r.left() + 6 * u, r.top() + 2 * u), QPointF(r.left() + 4.5 * u, r.bottom() - 2 * u));
        p.drawLine(QPointF(r.left() + 11.5 * u, r.top() + 2 * u), QPointF(r.left() + 10 * u, r.bottom() - 2 * u));
        p.drawLine(QPointF(r.left() + 2.5 * u, r.top() + 6 * u), QPointF(r.right() - 1.5 * u, r.top() + 6 * u));
        p.drawLine(QPointF(r.left() + 1.5 * u, r.top() + 10.5 * u), QPointF(r.right() - 2.5 * u, r.top() + 10.5 * u));
        break;
    case Symbol::undoArrow: {
        QPainterPath path;
        path.moveTo(r.left() + 3 * u, r.top() + 6 * u);
        path.lineTo(r.left() + 10 * u, r.top() + 6 * u);
        path.arcTo(QRectF(r.left() + 6.5 * u, r.top() + 6 * u, 7 * u, 7 * u), 90, -180);
        path.lineTo(r.left() + 6 * u, r.top() + 13 * u);
        p.drawPath(path);
        p.drawLine(QPointF(r.left() + 3 * u, r.top() + 6 * u), QPointF(r.left() + 6 * u, r.top() + 3 * u));
        p.drawLine(QPointF(r.left() + 3 * u, r.top() + 6 * u), QPointF(r.left() + 6 * u, r.top() + 9 * u));
        break;
    }
    case Symbol::arrowRight:
        p.drawLine(QPointF(r.left() + 2 * u, r.center().y()), QPointF(r.right() - 2.5 * u, r.center().y()));
        p.drawLine(QPointF(r.right() - 2.5 * u, r.center().y()), QPointF(r.right() - 7 * u, r.center().y() - 4.5 * u));
        p.drawLine(QPointF(r.right() - 2.5 * u, r.center().y()), QPointF(r.right() - 7 * u, r.center().y() + 4.5 * u));
        break;
    case Symbol::warning: {
        QPainterPath triangle;
        triangle.moveTo(r.center().x(), r.top() + 1.5 * u);
        triangle.lineTo(r.right() - 1 * u, r.bottom() - 2 * u);
        triangle.lineTo(r.left() + 1 * u, r.bottom() - 2 * u);
        triangle.closeSubpath();
        p.drawPath(triangle);
        p.drawLine(QPointF(r.center().x(), r.top() + 6 * u), QPointF(r.center().x(), r.top() + 10 * u));
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.drawEllipse(QPointF(r.center().x(), r.top() + 12 * u), 0.9 * u, 0.9 * u);
        break;
    }
    case Symbol::play: {
        QPainterPath triangle;
        triangle.moveTo(r.left() + 4 * u, r.top() + 2.5 * u);
        triangle.lineTo(r.right() - 2.5 * u, r.center().y());
        triangle.lineTo(r.left() + 4 * u, r.bottom() - 2.5 * u);
        triangle.closeSubpath();
        p.setPen(roundPen(color, 1.0 * u));
        p.setBrush(color);
        p.drawPath(triangle);
        break;
    }
    case Symbol::chevronRight:
        p.drawLine(QPointF(r.left() + 6 * u, r.top() + 3.5 * u), QPointF(r.left() + 10.5 * u, r.center().y()));
        p.drawLine(QPointF(r.left() + 10.5 * u, r.center().y()), QPointF(r.left() + 6 * u, r.bottom() - 3.5 * u));
        break;
    case Symbol::chevronDown:
        p.drawLine(QPointF(r.left() + 3.5 * u, r.top() + 6 * u), QPointF(r.center().x(), r.top() + 10.5 * u));
        p.drawLine(QPointF(r.center().x(), r.top() + 10.5 * u), QPointF(r.right() - 3.5 * u, r.top() + 6 * u));
        break;
    }
    p.restore();
}

SymbolDrawer grid16(Symbol symbol)
{
    return [symbol](QPainter &painter, const QRectF &box, const QColor &color) { draw(painter, box, color, symbol); };
}

} // namespace

QList<SymbolDrawings::Entry> SymbolDrawings::markers()
{
    return {
        {"hand.raised.fill/marker", grid16(Symbol::handRaised)},
        {"hand.raised.slash/marker", grid16(Symbol::handRaisedSlash)},
        {"xmark.circle.fill/marker", grid16(Symbol::closeCircle)},
        {"xmark/marker", grid16(Symbol::close)},
        {"magnifyingglass", grid16(Symbol::magnifyingGlass)},
        {"tag/marker", grid16(Symbol::tag)},
        {"tag.fill/marker", grid16(Symbol::tagFilled)},
        {"sparkles", grid16(Symbol::sparkles)},
        {"number", grid16(Symbol::number)},
        {"arrow.uturn.backward/marker", grid16(Symbol::undoArrow)},
        {"arrow.right/marker", grid16(Symbol::arrowRight)},
        {"exclamationmark.triangle/marker", grid16(Symbol::warning)},
        {"play.fill/marker", grid16(Symbol::play)},
        {"chevron.right/marker", grid16(Symbol::chevronRight)},
        {"chevron.down", grid16(Symbol::chevronDown)},
    };
}
