// The drawings of the audio triage sheet: a square inset by 6 %, lines of
// 9 % of its side, marks cut out of their filled shapes on a layer.
#include "app/SymbolDrawings.h"

#include <QPainterPath>

#include <iterator>

namespace {

enum class Symbol {
    waveform,
    closeCircleFill,  // the sheet's close button
    speakerWaves,     // loudness levels
    speakerWavesFill, // the loud rule
    speakerFill,      // the quiet rule
    tag,
    tagFill,
    sliders,
    undoArrow,
    warningTriangle,
    checkmarkCircleFill,
    minusCircle,
};

// The square the drawings fill: a little inside the box.
QRectF squareIn(const QRectF &box)
{
    return SymbolPainting::squareIn(box, 0.06);
}

// A stroke of `weight` times the square's side.
QPen strokePen(const QColor &color, qreal side, qreal weight = 0.09)
{
    return SymbolPainting::strokePen(color, side * weight);
}

// Draws a filled shape with a stroke cut out of it.
template <typename Shape, typename Cut>
void cutOut(QPainter &painter, const QRectF &box, const QColor &color, Shape shape, Cut cut)
{
    SymbolPainting::paintOnLayer(painter, box, [&](QPainter &p, const QRectF &local) {
        const QRectF r = squareIn(local);
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        shape(p, r);
        p.setCompositionMode(QPainter::CompositionMode_DestinationOut);
        p.setBrush(Qt::NoBrush);
        p.setPen(strokePen(Qt::black, r.width(), 0.11));
        cut(p, r);
    });
}

QPolygonF speakerShape(const QRectF &r)
{
    const qreal s = r.width();
    const qreal midY = r.center().y();
    return QPolygonF({QPointF(r.left(), midY - s * 0.14), QPointF(r.left() + s * 0.18, midY - s * 0.14),
                      QPointF(r.left() + s * 0.42, midY - s * 0.36), QPointF(r.left() + s * 0.42, midY + s * 0.36),
                      QPointF(r.left() + s * 0.18, midY + s * 0.14), QPointF(r.left(), midY + s * 0.14)});
}

QPainterPath tagShape(const QRectF &r)
{
    const qreal s = r.width();
    QPainterPath path;
    path.moveTo(r.left() + s * 0.05, r.top() + s * 0.05);
    path.lineTo(r.left() + s * 0.5, r.top() + s * 0.05);
    path.lineTo(r.right() - s * 0.02, r.top() + s * 0.55);
    path.lineTo(r.left() + s * 0.55, r.bottom() - s * 0.02);
    path.lineTo(r.left() + s * 0.05, r.top() + s * 0.5);
    path.closeSubpath();
    return path;
}

void drawDrawn(QPainter &painter, Symbol symbol, const QRectF &box, const QColor &color)
{
    const QRectF r = squareIn(box);
    const qreal s = r.width();
    const QPointF c = r.center();
    painter.setPen(strokePen(color, s));
    painter.setBrush(Qt::NoBrush);
    switch (symbol) {
    case Symbol::waveform: {
        static const qreal heights[] = {0.28, 0.6, 0.95, 0.7, 0.42, 0.8, 0.34};
        const int bars = int(std::size(heights));
        const qreal step = s / bars;
        painter.setPen(strokePen(color, s, 0.085));
        for (int i = 0; i < bars; ++i) {
            const qreal x = r.left() + step * (i + 0.5);
            const qreal h = s * heights[i] / 2;
            painter.drawLine(QPointF(x, c.y() - h), QPointF(x, c.y() + h));
        }
        return;
    }
    case Symbol::closeCircleFill:
        cutOut(
            painter, box, color, [](QPainter &p, const QRectF &q) { p.drawEllipse(q); },
            [](QPainter &p, const QRectF &q) {
                const qreal d = q.width() * 0.17;
                const QPointF m = q.center();
                p.drawLine(m + QPointF(-d, -d), m + QPointF(d, d));
                p.drawLine(m + QPointF(-d, d), m + QPointF(d, -d));
            });
        return;
    case Symbol::checkmarkCircleFill:
        cutOut(
            painter, box, color, [](QPainter &p, const QRectF &q) { p.drawEllipse(q); },
            [](QPainter &p, const QRectF &q) {
                const qreal w = q.width();
                QPainterPath check;
                check.moveTo(q.left() + w * 0.28, q.top() + w * 0.52);
                check.lineTo(q.left() + w * 0.44, q.top() + w * 0.67);
                check.lineTo(q.left() + w * 0.72, q.top() + w * 0.35);
                p.drawPath(check);
            });
        return;
    case Symbol::speakerWaves:
    case Symbol::speakerWavesFill:
    case Symbol::speakerFill: {
        if (symbol == Symbol::speakerWaves) {
            painter.drawPolygon(speakerShape(r));
        } else {
            painter.setBrush(color);
            painter.drawPolygon(speakerShape(r));
            painter.setBrush(Qt::NoBrush);
        }
        if (symbol == Symbol::speakerFill)
            return;
        painter.setPen(strokePen(color, s, 0.07));
        for (int i = 1; i <= 3; ++i) {
            const qreal radius = s * 0.13 * i;
            const QRectF arc(QPointF(r.left() + s * 0.46 - radius, c.y() - radius), QSizeF(2 * radius, 2 * radius));
            painter.drawArc(arc, -50 * 16, 100 * 16);
        }
        return;
    }
    case Symbol::tag:
        painter.drawPath(tagShape(r));
        painter.drawEllipse(QPointF(r.left() + s * 0.28, r.top() + s * 0.28), s * 0.06, s * 0.06);
        return;
    case Symbol::tagFill:
        cutOut(
            painter, box, color, [](QPainter &p, const QRectF &q) { p.drawPath(tagShape(q)); },
            [](QPainter &p, const QRectF &q) {
                p.setBrush(Qt::black);
                p.drawEllipse(QPointF(q.left() + q.width() * 0.28, q.top() + q.width() * 0.28), q.width() * 0.05, q.width() * 0.05);
            });
        return;
    case Symbol::sliders: {
        const qreal knobs[] = {0.65, 0.3, 0.55};
        for (int i = 0; i < 3; ++i) {
            const qreal y = r.top() + s * (0.2 + 0.3 * i);
            painter.drawLine(QPointF(r.left(), y), QPointF(r.right(), y));
            painter.setBrush(color);
            painter.drawEllipse(QPointF(r.left() + s * knobs[i], y), s * 0.09, s * 0.09);
            painter.setBrush(Qt::NoBrush);
        }
        return;
    }
    case Symbol::undoArrow: {
        QPainterPath path;
        path.moveTo(r.left() + s * 0.15, r.top() + s * 0.35);
        path.lineTo(r.left() + s * 0.62, r.top() + s * 0.35);
        path.arcTo(QRectF(r.left() + s * 0.42, r.top() + s * 0.35, s * 0.45, s * 0.45), 90, -180);
        path.lineTo(r.left() + s * 0.35, r.top() + s * 0.8);
        painter.drawPath(path);
        QPainterPath head;
        head.moveTo(r.left() + s * 0.33, r.top() + s * 0.15);
        head.lineTo(r.left() + s * 0.13, r.top() + s * 0.35);
        head.lineTo(r.left() + s * 0.33, r.top() + s * 0.55);
        painter.drawPath(head);
        return;
    }
    case Symbol::warningTriangle: {
        QPainterPath triangle;
        triangle.moveTo(c.x(), r.top() + s * 0.05);
        triangle.lineTo(r.right(), r.bottom() - s * 0.05);
        triangle.lineTo(r.left(), r.bottom() - s * 0.05);
        triangle.closeSubpath();
        painter.drawPath(triangle);
        painter.drawLine(QPointF(c.x(), r.top() + s * 0.38), QPointF(c.x(), r.top() + s * 0.62));
        painter.drawPoint(QPointF(c.x(), r.top() + s * 0.78));
        return;
    }
    case Symbol::minusCircle:
        painter.drawEllipse(r);
        painter.drawLine(QPointF(r.left() + s * 0.28, c.y()), QPointF(r.right() - s * 0.28, c.y()));
        return;
    }
}

SymbolDrawer sheet(Symbol symbol)
{
    return [symbol](QPainter &painter, const QRectF &box, const QColor &color) {
        if (box.isEmpty())
            return;
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing, true);
        drawDrawn(painter, symbol, box, color);
        painter.restore();
    };
}

} // namespace

QList<SymbolDrawings::Entry> SymbolDrawings::audio()
{
    return {
        {"waveform/audio", sheet(Symbol::waveform)},
        {"xmark.circle.fill/audio", sheet(Symbol::closeCircleFill)},
        {"speaker.wave.3", sheet(Symbol::speakerWaves)},
        {"speaker.wave.3.fill", sheet(Symbol::speakerWavesFill)},
        {"speaker.fill", sheet(Symbol::speakerFill)},
        {"tag/audio", sheet(Symbol::tag)},
        {"tag.fill/audio", sheet(Symbol::tagFill)},
        {"slider.horizontal.3", sheet(Symbol::sliders)},
        {"arrow.uturn.backward/audio", sheet(Symbol::undoArrow)},
        {"exclamationmark.triangle/audio", sheet(Symbol::warningTriangle)},
        {"checkmark.circle.fill/audio", sheet(Symbol::checkmarkCircleFill)},
        {"minus.circle", sheet(Symbol::minusCircle)},
    };
}
