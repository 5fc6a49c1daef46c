// The drawings of the sidebar's filters, view options and tools.
#include "window/Icons.h"

#include <QPainterPath>
#include <QtMath>

namespace {

void prepare(QPainter &painter, const QColor &color, qreal side, qreal weight = 0.8)
{
    painter.setPen(Icons::strokePen(color, side * weight));
    painter.setBrush(Qt::NoBrush);
}

QPainterPath eyeOutline(const QRectF &r)
{
    const qreal s = r.width();
    QPainterPath path;
    path.moveTo(r.left(), r.center().y());
    path.quadTo(QPointF(r.center().x(), r.top() + s * 0.1), QPointF(r.right(), r.center().y()));
    path.quadTo(QPointF(r.center().x(), r.bottom() - s * 0.1), QPointF(r.left(), r.center().y()));
    return path;
}

void slash(QPainter &painter, const QRectF &r)
{
    painter.drawLine(QPointF(r.left() + r.width() * 0.08, r.top() + r.height() * 0.08),
                     QPointF(r.right() - r.width() * 0.08, r.bottom() - r.height() * 0.08));
}

QPainterPath speakerBody(const QRectF &r)
{
    const qreal s = r.width();
    QPainterPath path;
    path.moveTo(r.left(), r.top() + s * 0.36);
    path.lineTo(r.left() + s * 0.2, r.top() + s * 0.36);
    path.lineTo(r.left() + s * 0.45, r.top() + s * 0.14);
    path.lineTo(r.left() + s * 0.45, r.bottom() - s * 0.14);
    path.lineTo(r.left() + s * 0.2, r.bottom() - s * 0.36);
    path.lineTo(r.left(), r.bottom() - s * 0.36);
    path.closeSubpath();
    return path;
}

// Fills the speaker and readies the pen for what comes out of it; returns
// the symbol square.
QRectF drawSpeaker(QPainter &painter, const QRectF &box, const QColor &color)
{
    const QRectF r = Icons::symbolSquare(box);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawPath(speakerBody(r));
    prepare(painter, color, r.width(), 0.7);
    return r;
}

// A raised open hand: palm and four fingers, thumb to the left.
QPainterPath handPath(const QRectF &r)
{
    const qreal s = r.width();
    QPainterPath path;
    const qreal fingerWidth = s * 0.15;
    const qreal palmTop = r.top() + s * 0.45;
    const qreal left = r.left() + s * 0.22;
    const qreal heights[] = {0.18, 0.05, 0.1, 0.22};
    for (int i = 0; i < 4; ++i) {
        const QRectF finger(left + i * (fingerWidth + s * 0.02), r.top() + s * heights[i], fingerWidth,
                            palmTop - (r.top() + s * heights[i]) + s * 0.1);
        path.addRoundedRect(finger, fingerWidth / 2, fingerWidth / 2);
    }
    const QRectF palm(left, palmTop, 4 * fingerWidth + 3 * s * 0.02, s * 0.45);
    path.addRoundedRect(palm, s * 0.14, s * 0.14);
    QPainterPath thumb;
    thumb.moveTo(left + s * 0.04, palmTop + s * 0.22);
    thumb.lineTo(r.left() + s * 0.02, palmTop - s * 0.02);
    thumb.lineTo(r.left() + s * 0.14, palmTop - s * 0.08);
    thumb.lineTo(left + s * 0.12, palmTop + s * 0.08);
    thumb.closeSubpath();
    path.addPath(thumb);
    return path.simplified();
}

} // namespace

void Icons::drawEye(QPainter &painter, const QRectF &box, const QColor &color)
{
    const QRectF r = symbolSquare(box);
    prepare(painter, color, r.width());
    painter.drawPath(eyeOutline(r));
    painter.setBrush(color);
    painter.drawEllipse(r.center(), r.width() * 0.13, r.width() * 0.13);
}

void Icons::drawEyeSlash(QPainter &painter, const QRectF &box, const QColor &color)
{
    drawEye(painter, box, color);
    prepare(painter, color, symbolSquare(box).width());
    slash(painter, symbolSquare(box));
}

void Icons::drawSpeakerWave(QPainter &painter, const QRectF &box, const QColor &color)
{
    const QRectF r = drawSpeaker(painter, box, color);
    const qreal s = r.width();
    for (int i = 1; i <= 2; ++i) {
        const qreal radius = s * (0.14 + 0.16 * i);
        const QRectF arc(r.left() + s * 0.42 - radius, r.center().y() - radius, radius * 2, radius * 2);
        painter.drawArc(arc, -45 * 16, 90 * 16);
    }
}

void Icons::drawSpeakerSlash(QPainter &painter, const QRectF &box, const QColor &color)
{
    const QRectF r = drawSpeaker(painter, box, color);
    const qreal s = r.width();
    painter.drawLine(QPointF(r.left() + s * 0.62, r.top() + s * 0.36), QPointF(r.right() - s * 0.06, r.bottom() - s * 0.36));
    painter.drawLine(QPointF(r.left() + s * 0.62, r.bottom() - s * 0.36), QPointF(r.right() - s * 0.06, r.top() + s * 0.36));
}

void Icons::drawDenseGrid(QPainter &painter, const QRectF &box, const QColor &color)
{
    const QRectF r = symbolSquare(box);
    const qreal gap = r.width() * 0.08;
    const qreal w = (r.width() - 3 * gap) / 4;
    const qreal h = (r.height() * 0.8 - 2 * gap) / 3;
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 4; ++column)
            painter.drawRect(QRectF(r.left() + column * (w + gap), r.top() + r.height() * 0.1 + row * (h + gap), w, h));
    }
}

void Icons::drawSquare(QPainter &painter, const QRectF &box, const QColor &color)
{
    const QRectF r = symbolSquare(box);
    prepare(painter, color, r.width());
    painter.drawRoundedRect(r.adjusted(r.width() * 0.06, r.width() * 0.06, -r.width() * 0.06, -r.width() * 0.06),
                            r.width() * 0.12, r.width() * 0.12);
}

void Icons::drawWaveform(QPainter &painter, const QRectF &box, const QColor &color)
{
    const QRectF r = symbolSquare(box);
    const qreal s = r.width();
    prepare(painter, color, s, 0.9);
    const qreal heights[] = {0.2, 0.5, 0.85, 0.45, 0.7, 0.3, 0.15};
    const int bars = int(std::size(heights));
    for (int i = 0; i < bars; ++i) {
        const qreal x = r.left() + s * 0.05 + i * (s * 0.9 / (bars - 1));
        const qreal half = s * heights[i] / 2;
        painter.drawLine(QPointF(x, r.center().y() - half), QPointF(x, r.center().y() + half));
    }
}

void Icons::drawHand(QPainter &painter, const QRectF &box, const QColor &color)
{
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawPath(handPath(symbolSquare(box)));
}

void Icons::drawHandSlash(QPainter &painter, const QRectF &box, const QColor &color)
{
    const QRectF r = symbolSquare(box);
    prepare(painter, color, r.width(), 0.6);
    painter.drawPath(handPath(r));
    prepare(painter, color, r.width());
    slash(painter, r);
}

void Icons::drawUTurnDown(QPainter &painter, const QRectF &box, const QColor &color)
{
    const QRectF r = symbolSquare(box);
    const qreal s = r.width();
    prepare(painter, color, s);
    QPainterPath path;
    path.moveTo(r.left() + s * 0.2, r.bottom() - s * 0.05);
    path.lineTo(r.left() + s * 0.2, r.top() + s * 0.4);
    path.arcTo(QRectF(r.left() + s * 0.2, r.top() + s * 0.1, s * 0.56, s * 0.6), 180, -180);
    path.lineTo(r.left() + s * 0.76, r.bottom() - s * 0.2);
    painter.drawPath(path);
    QPainterPath head;
    head.moveTo(r.left() + s * 0.58, r.bottom() - s * 0.36);
    head.lineTo(r.left() + s * 0.76, r.bottom() - s * 0.16);
    head.lineTo(r.left() + s * 0.94, r.bottom() - s * 0.36);
    painter.drawPath(head);
}

void Icons::drawTag(QPainter &painter, const QRectF &box, const QColor &color)
{
    // The hole is cut out of the tag on a layer of its own.
    SymbolPainting::paintOnLayer(painter, box, [&color](QPainter &p, const QRectF &local) {
        const QRectF r = symbolSquare(local);
        const qreal s = r.width();
        QPainterPath tag;
        tag.moveTo(r.left() + s * 0.05, r.top() + s * 0.1);
        tag.lineTo(r.left() + s * 0.5, r.top() + s * 0.1);
        tag.lineTo(r.right() - s * 0.02, r.top() + s * 0.58);
        tag.lineTo(r.left() + s * 0.55, r.bottom() - s * 0.02);
        tag.lineTo(r.left() + s * 0.05, r.top() + s * 0.55);
        tag.closeSubpath();
        p.setPen(strokePen(color, s * 0.5));
        p.setBrush(color);
        p.drawPath(tag);
        p.setCompositionMode(QPainter::CompositionMode_DestinationOut);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        p.drawEllipse(QPointF(r.left() + s * 0.28, r.top() + s * 0.32), s * 0.09, s * 0.09);
    });
}

void Icons::drawStar(QPainter &painter, const QRectF &box, const QColor &color)
{
    const QRectF r = symbolSquare(box);
    const QPointF c = r.center() + QPointF(0, r.height() * 0.04);
    const qreal outer = r.width() * 0.5;
    const qreal inner = outer * 0.45;
    QPainterPath star;
    for (int i = 0; i < 10; ++i) {
        const qreal angle = -M_PI / 2 + i * M_PI / 5;
        const qreal radius = i % 2 == 0 ? outer : inner;
        const QPointF point(c.x() + radius * std::cos(angle), c.y() + radius * std::sin(angle));
        if (i == 0)
            star.moveTo(point);
        else
            star.lineTo(point);
    }
    star.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawPath(star);
}

void Icons::drawCheckmarkCircle(QPainter &painter, const QRectF &box, const QColor &color, bool filled)
{
    const auto check = [](const QRectF &r) {
        const qreal s = r.width();
        QPainterPath path;
        path.moveTo(r.left() + s * 0.28, r.top() + s * 0.52);
        path.lineTo(r.left() + s * 0.44, r.top() + s * 0.67);
        path.lineTo(r.left() + s * 0.73, r.top() + s * 0.35);
        return path;
    };
    if (filled) {
        SymbolPainting::paintOnLayer(painter, box, [&color, &check](QPainter &p, const QRectF &local) {
            const QRectF r = symbolSquare(local);
            p.setPen(Qt::NoPen);
            p.setBrush(color);
            p.drawEllipse(r);
            p.setCompositionMode(QPainter::CompositionMode_DestinationOut);
            p.setPen(strokePen(Qt::black, r.width()));
            p.setBrush(Qt::NoBrush);
            p.drawPath(check(r));
        });
        return;
    }
    const QRectF r = symbolSquare(box);
    prepare(painter, color, r.width());
    painter.drawEllipse(r);
    painter.drawPath(check(r));
}
