// The drawings of the toolbar and of the window's sheets.
#include "window/Icons.h"

#include "app/DrawnIconEngine.h"

#include <QPainterPath>

namespace {

// A curved arrow from the right towards the left, its head at the left end;
// mirrored it points to the right.
void drawTurnArrow(QPainter &painter, const QRectF &box, const QColor &color, bool mirrored)
{
    const QRectF r = Icons::symbolSquare(box);
    const qreal s = r.width();
    painter.save();
    if (mirrored) {
        painter.translate(r.center().x() * 2, 0);
        painter.scale(-1, 1);
    }
    painter.setPen(Icons::strokePen(color, s * 0.8));
    painter.setBrush(Qt::NoBrush);
    QPainterPath path;
    path.moveTo(r.left() + s * 0.12, r.top() + s * 0.38);
    path.lineTo(r.left() + s * 0.62, r.top() + s * 0.38);
    path.arcTo(QRectF(r.left() + s * 0.42, r.top() + s * 0.38, s * 0.44, s * 0.44), 90, -180);
    path.lineTo(r.left() + s * 0.4, r.top() + s * 0.82);
    painter.drawPath(path);
    QPainterPath head;
    head.moveTo(r.left() + s * 0.3, r.top() + s * 0.2);
    head.lineTo(r.left() + s * 0.12, r.top() + s * 0.38);
    head.lineTo(r.left() + s * 0.3, r.top() + s * 0.56);
    painter.drawPath(head);
    painter.restore();
}

} // namespace

QIcon Icons::undo() { return DrawnIconEngine::themedOr(QStringLiteral("edit-undo"), drawUndo); }
QIcon Icons::redo() { return DrawnIconEngine::themedOr(QStringLiteral("edit-redo"), drawRedo); }

void Icons::drawUndo(QPainter &painter, const QRectF &box, const QColor &color)
{
    drawTurnArrow(painter, box, color, false);
}

void Icons::drawRedo(QPainter &painter, const QRectF &box, const QColor &color)
{
    drawTurnArrow(painter, box, color, true);
}

void Icons::drawCounterclockwise(QPainter &painter, const QRectF &box, const QColor &color)
{
    const QRectF r = symbolSquare(box);
    const qreal s = r.width();
    painter.setPen(strokePen(color, s * 0.8));
    painter.setBrush(Qt::NoBrush);
    const QRectF ring = r.adjusted(s * 0.1, s * 0.1, -s * 0.1, -s * 0.1);
    // From the top, anticlockwise round to the right-hand side.
    painter.drawArc(ring, 100 * 16, 290 * 16);
    const QPointF tip(ring.center().x() - ring.width() / 2 * 0.17, ring.top());
    QPainterPath head;
    head.moveTo(tip + QPointF(s * 0.2, -s * 0.14));
    head.lineTo(tip);
    head.lineTo(tip + QPointF(s * 0.2, s * 0.14));
    painter.drawPath(head);
}

void Icons::drawCloseCircle(QPainter &painter, const QRectF &box, const QColor &color)
{
    SymbolPainting::paintOnLayer(painter, box, [&color](QPainter &p, const QRectF &local) {
        const QRectF r = symbolSquare(local);
        const qreal s = r.width();
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.drawEllipse(r);
        p.setCompositionMode(QPainter::CompositionMode_DestinationOut);
        p.setPen(strokePen(Qt::black, s));
        const QPointF c = r.center();
        p.drawLine(c + QPointF(-s * 0.16, -s * 0.16), c + QPointF(s * 0.16, s * 0.16));
        p.drawLine(c + QPointF(-s * 0.16, s * 0.16), c + QPointF(s * 0.16, -s * 0.16));
    });
}

void Icons::drawWarning(QPainter &painter, const QRectF &box, const QColor &color)
{
    const QRectF r = symbolSquare(box);
    const qreal s = r.width();
    painter.setPen(strokePen(color, s * 0.8));
    painter.setBrush(Qt::NoBrush);
    QPainterPath triangle;
    triangle.moveTo(r.center().x(), r.top() + s * 0.06);
    triangle.lineTo(r.right(), r.bottom() - s * 0.08);
    triangle.lineTo(r.left(), r.bottom() - s * 0.08);
    triangle.closeSubpath();
    painter.drawPath(triangle);
    painter.drawLine(QPointF(r.center().x(), r.top() + s * 0.36), QPointF(r.center().x(), r.top() + s * 0.6));
    painter.drawPoint(QPointF(r.center().x(), r.top() + s * 0.75));
}
