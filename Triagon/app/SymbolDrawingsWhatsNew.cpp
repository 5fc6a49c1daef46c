// The badges before the section titles of the what's-new sheet: a filled
// circle (a triangle for warnings) in the section's colour with a white mark
// painted into it.
#include "app/SymbolDrawings.h"

#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

// The marks inside the filled shapes are white.
QPen markPen(double width)
{
    return SymbolPainting::roundPen(Qt::white, width);
}

// An arc of the circle about `c` with radius `r` from `startDeg` over
// `spanDeg` (counter-clockwise, Qt's convention), with an arrow head at its end.
void arcArrow(QPainter &p, const QPointF &c, double r, double startDeg, double spanDeg, double stroke)
{
    QPainterPath arc;
    const QRectF ring(c.x() - r, c.y() - r, 2 * r, 2 * r);
    arc.arcMoveTo(ring, startDeg);
    arc.arcTo(ring, startDeg, spanDeg);
    p.setPen(markPen(stroke));
    p.setBrush(Qt::NoBrush);
    p.drawPath(arc);

    const double endRad = (startDeg + spanDeg) * std::numbers::pi / 180.0;
    const QPointF tip(c.x() + r * std::cos(endRad), c.y() - r * std::sin(endRad));
    // Tangent direction of travel (counter-clockwise for a positive span).
    const double dir = spanDeg >= 0 ? 1.0 : -1.0;
    const QPointF tangent(-std::sin(endRad) * dir, -std::cos(endRad) * dir);
    const QPointF normal(tangent.y(), -tangent.x());
    const double head = stroke * 2.2;
    QPolygonF triangle{tip + tangent * head, tip + normal * head, tip - normal * head};
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawPolygon(triangle);
}

void draw(QPainter &p, const QRectF &box, const QString &name, const QColor &color)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    const double side = std::min(box.width(), box.height());
    const QRectF square = SymbolPainting::squareIn(box);
    const QPointF c = square.center();
    const double r = side / 2;
    const double stroke = std::max(1.2, side * 0.11);

    if (name == QLatin1String("exclamationmark.triangle.fill")) {
        QPainterPath triangle;
        triangle.moveTo(c.x(), square.top() + side * 0.06);
        triangle.lineTo(square.right() - side * 0.02, square.bottom() - side * 0.08);
        triangle.lineTo(square.left() + side * 0.02, square.bottom() - side * 0.08);
        triangle.closeSubpath();
        p.setPen(SymbolPainting::roundPen(color, side * 0.08));
        p.setBrush(color);
        p.drawPath(triangle);
        p.setPen(markPen(stroke));
        p.drawLine(QPointF(c.x(), c.y() - side * 0.14), QPointF(c.x(), c.y() + side * 0.12));
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(c.x(), c.y() + side * 0.28), stroke * 0.6, stroke * 0.6);
        p.restore();
        return;
    }

    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawEllipse(c, r, r);

    const double m = side * 0.27; // half the size of the mark inside
    p.setPen(markPen(stroke));
    p.setBrush(Qt::NoBrush);
    if (name == QLatin1String("plus.circle.fill")) {
        p.drawLine(QPointF(c.x() - m, c.y()), QPointF(c.x() + m, c.y()));
        p.drawLine(QPointF(c.x(), c.y() - m), QPointF(c.x(), c.y() + m));
    } else if (name == QLatin1String("minus.circle.fill")) {
        p.drawLine(QPointF(c.x() - m, c.y()), QPointF(c.x() + m, c.y()));
    } else if (name == QLatin1String("checkmark.circle.fill")) {
        QPainterPath check;
        check.moveTo(c.x() - m, c.y() + m * 0.05);
        check.lineTo(c.x() - m * 0.25, c.y() + m * 0.75);
        check.lineTo(c.x() + m, c.y() - m * 0.7);
        p.drawPath(check);
    } else if (name == QLatin1String("arrow.up.circle.fill")) {
        p.drawLine(QPointF(c.x(), c.y() + m), QPointF(c.x(), c.y() - m));
        QPainterPath head;
        head.moveTo(c.x() - m * 0.8, c.y() - m * 0.15);
        head.lineTo(c.x(), c.y() - m);
        head.lineTo(c.x() + m * 0.8, c.y() - m * 0.15);
        p.drawPath(head);
    } else if (name == QLatin1String("arrow.triangle.2.circlepath.circle.fill")) {
        const double ar = m * 0.95;
        const double thin = stroke * 0.8;
        arcArrow(p, c, ar, 200, -150, thin);
        arcArrow(p, c, ar, 20, -150, thin);
    } else if (name == QLatin1String("lock.circle.fill")) {
        const QRectF body(c.x() - m * 0.85, c.y() - m * 0.1, m * 1.7, m * 1.15);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawRoundedRect(body, side * 0.04, side * 0.04);
        p.setPen(markPen(stroke * 0.8));
        p.setBrush(Qt::NoBrush);
        QPainterPath shackle;
        shackle.moveTo(c.x() - m * 0.55, c.y() - m * 0.1);
        shackle.lineTo(c.x() - m * 0.55, c.y() - m * 0.45);
        shackle.arcTo(QRectF(c.x() - m * 0.55, c.y() - m * 1.0, m * 1.1, m * 1.1), 180, -180);
        shackle.lineTo(c.x() + m * 0.55, c.y() - m * 0.1);
        p.drawPath(shackle);
    } else if (name == QLatin1String("info.circle.fill")) {
        p.drawLine(QPointF(c.x(), c.y() - m * 0.15), QPointF(c.x(), c.y() + m));
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(c.x(), c.y() - m * 0.7), stroke * 0.65, stroke * 0.65);
    }
    // "circle.fill" and unknown names: the circle alone.
    p.restore();
}

SymbolDrawer badge(const char *name)
{
    const QString shape = QString::fromLatin1(name).section(QLatin1Char('/'), 0, 0);
    return [shape](QPainter &painter, const QRectF &box, const QColor &color) { draw(painter, box, shape, color); };
}

} // namespace

QList<SymbolDrawings::Entry> SymbolDrawings::whatsNew()
{
    QList<Entry> entries;
    for (const char *name : {"exclamationmark.triangle.fill/whatsnew", "circle.fill", "plus.circle.fill/whatsnew",
                             "minus.circle.fill/whatsnew", "checkmark.circle.fill/whatsnew", "arrow.up.circle.fill",
                             "arrow.triangle.2.circlepath.circle.fill", "lock.circle.fill", "info.circle.fill"})
        entries.append({name, badge(name)});
    return entries;
}
