// The drawings of the settings window and the tour cards: line drawings in
// a unit square (0..1 both ways) mapped onto the square centred in the box.
#include "app/SymbolDrawings.h"

#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>

namespace {

// Every drawing works in a unit square (0..1 in both directions) mapped onto
// the square centred in the box; `w` is the line width in those units.
using Drawing = std::function<void(QPainter &p, double w)>;

using SymbolPainting::roundPen;

void drawGear(QPainter &p, double w)
{
    const QPointF c(0.5, 0.5);
    QPainterPath teeth;
    const int count = 8;
    for (int i = 0; i < count; ++i) {
        const double a = i * 2 * std::numbers::pi / count;
        const double half = std::numbers::pi / count * 0.45;
        for (double t : {a - half, a + half}) {
            const QPointF outer(c.x() + 0.46 * std::cos(t), c.y() + 0.46 * std::sin(t));
            if (i == 0 && t < a)
                teeth.moveTo(outer);
            else
                teeth.lineTo(outer);
        }
        const double next = (i + 1) * 2 * std::numbers::pi / count;
        for (double t : {a + half * 1.6, next - half * 1.6})
            teeth.lineTo(c.x() + 0.34 * std::cos(t), c.y() + 0.34 * std::sin(t));
    }
    teeth.closeSubpath();
    p.drawPath(teeth);
    p.drawEllipse(c, 0.13, 0.13);
    Q_UNUSED(w);
}

void drawTag(QPainter &p, double)
{
    QPainterPath tag;
    tag.moveTo(0.12, 0.18);
    tag.lineTo(0.5, 0.18);
    tag.lineTo(0.88, 0.56);
    tag.lineTo(0.56, 0.88);
    tag.lineTo(0.12, 0.5);
    tag.closeSubpath();
    p.drawPath(tag);
    p.drawEllipse(QPointF(0.3, 0.36), 0.06, 0.06);
}

// An open hand, palm towards the viewer, fingers up, inside the unit square
// scaled by `s` about (0.5, 0.55).
void drawHandShape(QPainter &p, double s, const QPointF &shift)
{
    p.save();
    p.translate(shift);
    p.translate(0.5, 0.55);
    p.scale(s, s);
    p.translate(-0.5, -0.55);
    QPainterPath hand;
    // Fingers: four rounded strokes from the palm upwards.
    const double tops[] = {0.18, 0.1, 0.12, 0.22};
    const double xs[] = {0.34, 0.46, 0.58, 0.7};
    for (int i = 0; i < 4; ++i) {
        hand.moveTo(xs[i], 0.52);
        hand.lineTo(xs[i], tops[i]);
    }
    // Thumb.
    hand.moveTo(0.28, 0.62);
    hand.quadTo(0.18, 0.5, 0.14, 0.44);
    // Palm outline.
    hand.moveTo(0.28, 0.62);
    hand.lineTo(0.28, 0.5);
    hand.moveTo(0.76, 0.45);
    hand.cubicTo(0.78, 0.75, 0.68, 0.92, 0.5, 0.92);
    hand.cubicTo(0.38, 0.92, 0.3, 0.84, 0.28, 0.62);
    p.drawPath(hand);
    p.restore();
}

void drawHandWave(QPainter &p, double)
{
    drawHandShape(p, 0.85, QPointF(0.05, 0.0));
    // Motion lines beside the hand.
    QPainterPath lines;
    lines.moveTo(0.1, 0.22);
    lines.quadTo(0.04, 0.32, 0.08, 0.42);
    lines.moveTo(0.2, 0.14);
    lines.quadTo(0.13, 0.24, 0.15, 0.32);
    p.drawPath(lines);
}

void drawHandDraw(QPainter &p, double)
{
    drawHandShape(p, 0.75, QPointF(0.1, -0.06));
    QPainterPath squiggle;
    squiggle.moveTo(0.06, 0.9);
    squiggle.cubicTo(0.2, 0.76, 0.28, 0.98, 0.42, 0.86);
    p.drawPath(squiggle);
}

void drawWaveform(QPainter &p, double)
{
    const double heights[] = {0.18, 0.42, 0.7, 0.34, 0.56, 0.24};
    for (int i = 0; i < 6; ++i) {
        const double x = 0.14 + i * 0.144;
        p.drawLine(QPointF(x, 0.5 - heights[i] / 2), QPointF(x, 0.5 + heights[i] / 2));
    }
}

void drawPaintbrush(QPainter &p, double w)
{
    // Handle from the upper right towards the middle, then the brush tip.
    p.drawLine(QPointF(0.86, 0.12), QPointF(0.46, 0.52));
    QPainterPath tip;
    tip.moveTo(0.46, 0.46);
    tip.cubicTo(0.3, 0.44, 0.24, 0.56, 0.24, 0.68);
    tip.cubicTo(0.24, 0.8, 0.16, 0.86, 0.1, 0.88);
    tip.cubicTo(0.3, 0.92, 0.56, 0.84, 0.54, 0.6);
    tip.closeSubpath();
    const QBrush old = p.brush();
    p.setBrush(p.pen().color());
    p.drawPath(tip);
    p.setBrush(old);
    Q_UNUSED(w);
}

void drawFilmStack(QPainter &p, double)
{
    p.drawRoundedRect(QRectF(0.12, 0.3, 0.64, 0.56), 0.06, 0.06);
    QPainterPath behind;
    behind.moveTo(0.24, 0.2);
    behind.lineTo(0.86, 0.2);
    behind.lineTo(0.86, 0.72);
    p.drawPath(behind);
    for (double y : {0.4, 0.58, 0.76}) {
        p.drawPoint(QPointF(0.2, y));
        p.drawPoint(QPointF(0.68, y));
    }
}

QPainterPath starPath(const QPointF &c, double outer, double inner)
{
    QPainterPath star;
    for (int i = 0; i < 10; ++i) {
        const double r = i % 2 == 0 ? outer : inner;
        const double a = -std::numbers::pi / 2 + i * std::numbers::pi / 5;
        const QPointF point(c.x() + r * std::cos(a), c.y() + r * std::sin(a));
        if (i == 0)
            star.moveTo(point);
        else
            star.lineTo(point);
    }
    star.closeSubpath();
    return star;
}

void drawStar(QPainter &p, double)
{
    p.drawPath(starPath(QPointF(0.5, 0.54), 0.42, 0.18));
}

void drawExpand(QPainter &p, double)
{
    p.drawLine(QPointF(0.16, 0.16), QPointF(0.42, 0.42));
    p.drawLine(QPointF(0.84, 0.84), QPointF(0.58, 0.58));
    QPainterPath heads;
    heads.moveTo(0.16, 0.42);
    heads.lineTo(0.16, 0.16);
    heads.lineTo(0.42, 0.16);
    heads.moveTo(0.58, 0.84);
    heads.lineTo(0.84, 0.84);
    heads.lineTo(0.84, 0.58);
    p.drawPath(heads);
}

void drawSidebarLeft(QPainter &p, double)
{
    p.drawRoundedRect(QRectF(0.1, 0.18, 0.8, 0.64), 0.08, 0.08);
    p.drawLine(QPointF(0.38, 0.18), QPointF(0.38, 0.82));
    for (double y : {0.32, 0.44, 0.56})
        p.drawLine(QPointF(0.18, y), QPointF(0.28, y));
}

void drawCheckmark(QPainter &p, double)
{
    QPainterPath check;
    check.moveTo(0.2, 0.52);
    check.lineTo(0.42, 0.74);
    check.lineTo(0.8, 0.28);
    p.drawPath(check);
}

void drawCheckmarkCircle(QPainter &p, double)
{
    p.drawEllipse(QPointF(0.5, 0.5), 0.4, 0.4);
    QPainterPath check;
    check.moveTo(0.32, 0.52);
    check.lineTo(0.45, 0.65);
    check.lineTo(0.68, 0.37);
    p.drawPath(check);
}

void drawSparkles(QPainter &p, double)
{
    const QBrush old = p.brush();
    p.setBrush(p.pen().color());
    p.drawPath(starPath(QPointF(0.42, 0.58), 0.34, 0.08).simplified());
    p.drawPath(starPath(QPointF(0.78, 0.22), 0.16, 0.04).simplified());
    p.setBrush(old);
}

void drawXmark(QPainter &p, double)
{
    p.drawLine(QPointF(0.2, 0.2), QPointF(0.8, 0.8));
    p.drawLine(QPointF(0.8, 0.2), QPointF(0.2, 0.8));
}

void drawChevronLeft(QPainter &p, double)
{
    QPainterPath chevron;
    chevron.moveTo(0.64, 0.16);
    chevron.lineTo(0.32, 0.5);
    chevron.lineTo(0.64, 0.84);
    p.drawPath(chevron);
}

void drawChevronRight(QPainter &p, double)
{
    QPainterPath chevron;
    chevron.moveTo(0.36, 0.16);
    chevron.lineTo(0.68, 0.5);
    chevron.lineTo(0.36, 0.84);
    p.drawPath(chevron);
}

// A filled circle with a white sign cut into it.
void drawSignCircle(QPainter &p, double w, bool plus)
{
    const QColor color = p.pen().color();
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawEllipse(QPointF(0.5, 0.5), 0.46, 0.46);
    p.setPen(roundPen(Qt::white, w));
    p.drawLine(QPointF(0.28, 0.5), QPointF(0.72, 0.5));
    if (plus)
        p.drawLine(QPointF(0.5, 0.28), QPointF(0.5, 0.72));
}

// The frame every drawing of this family is drawn in: the unit square mapped
// onto the box's centred square, a round pen of at least 1.4 pixels (thicker
// at large sizes), no brush.
SymbolDrawer unit(Drawing drawing)
{
    return [drawing = std::move(drawing)](QPainter &painter, const QRectF &box, const QColor &color) {
        const double side = std::min(box.width(), box.height());
        if (side <= 0)
            return;
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.translate(box.center().x() - side / 2, box.center().y() - side / 2);
        painter.scale(side, side);
        const double width = std::max(1.4 / side, 0.07);
        painter.setPen(roundPen(color, width));
        painter.setBrush(Qt::NoBrush);
        drawing(painter, width);
        painter.restore();
    };
}

} // namespace

QList<SymbolDrawings::Entry> SymbolDrawings::settings()
{
    return {
        {"gear", unit(drawGear)},
        {"tag/settings", unit(drawTag)},
        {"hand.draw", unit(drawHandDraw)},
        {"hand.wave", unit(drawHandWave)},
        {"waveform/settings", unit(drawWaveform)},
        {"paintbrush", unit(drawPaintbrush)},
        {"film.stack", unit(drawFilmStack)},
        {"star", unit(drawStar)},
        {"arrow.up.left.and.arrow.down.right/settings", unit(drawExpand)},
        {"sidebar.left/settings", unit(drawSidebarLeft)},
        {"checkmark", unit(drawCheckmark)},
        {"checkmark.circle/settings", unit(drawCheckmarkCircle)},
        {"sparkles/settings", unit(drawSparkles)},
        {"xmark/settings", unit(drawXmark)},
        {"chevron.left", unit(drawChevronLeft)},
        {"chevron.right", unit(drawChevronRight)},
        {"plus.circle.fill", unit([](QPainter &p, double w) { drawSignCircle(p, w, true); })},
        {"minus.circle.fill", unit([](QPainter &p, double w) { drawSignCircle(p, w, false); })},
    };
}
