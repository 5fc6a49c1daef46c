// The clip card's badges and buttons, drawn with strokes at the card's fixed
// sizes, and the player's buttons and header facts (a centred square inset a
// little, a line a tenth of its side).
#include "app/SymbolDrawings.h"

#include <QPainterPath>
#include <QPolygonF>

#include <algorithm>

namespace {

using SymbolPainting::roundPen;

void cardExpand(QPainter &p, const QRectF &r, const QColor &color)
{
    p.setPen(roundPen(color, 1.8));
    const QPointF c = r.center();
    const qreal d = r.width() * 0.22;
    p.drawLine(c + QPointF(-d, -d), c + QPointF(-d * 0.25, -d * 0.25));
    p.drawLine(c + QPointF(-d, -d), c + QPointF(-d, -d * 0.35));
    p.drawLine(c + QPointF(-d, -d), c + QPointF(-d * 0.35, -d));
    p.drawLine(c + QPointF(d, d), c + QPointF(d * 0.25, d * 0.25));
    p.drawLine(c + QPointF(d, d), c + QPointF(d, d * 0.35));
    p.drawLine(c + QPointF(d, d), c + QPointF(d * 0.35, d));
}

void cardRemove(QPainter &p, const QRectF &r, const QColor &color)
{
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawEllipse(r);
    p.setPen(roundPen(QColor(0, 0, 0, 150), 1.8));
    const QPointF c = r.center();
    const qreal d = r.width() * 0.2;
    p.drawLine(c + QPointF(-d, -d), c + QPointF(d, d));
    p.drawLine(c + QPointF(-d, d), c + QPointF(d, -d));
}

void cardTag(QPainter &p, const QRectF &r, const QColor &color)
{
    QPainterPath path;
    const qreal x = r.left() + 1.5, y = r.top() + 1.5, s = std::min(r.width(), r.height()) - 3;
    path.moveTo(x, y + s * 0.45);
    path.lineTo(x, y);
    path.lineTo(x + s * 0.45, y);
    path.lineTo(x + s, y + s * 0.55);
    path.lineTo(x + s * 0.55, y + s);
    path.closeSubpath();
    p.setPen(roundPen(color, 1.3));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
    p.setBrush(color);
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(x + s * 0.22, y + s * 0.22), 1.3, 1.3);
}

void cardUTurn(QPainter &p, const QRectF &r, const QColor &color)
{
    // An arrow going up, turning and coming down: "back to an earlier clip".
    p.setPen(roundPen(color, 1.6));
    p.setBrush(Qt::NoBrush);
    const QPointF c = r.center();
    QPainterPath path;
    path.moveTo(c.x() + 4, c.y() + 5);
    path.lineTo(c.x() + 4, c.y() - 1);
    path.arcTo(QRectF(c.x() - 4, c.y() - 5, 8, 8), 0, 180);
    path.lineTo(c.x() - 4, c.y() + 5);
    p.drawPath(path);
    p.drawLine(QPointF(c.x() - 4, c.y() + 5), QPointF(c.x() - 6.5, c.y() + 2.5));
    p.drawLine(QPointF(c.x() - 4, c.y() + 5), QPointF(c.x() - 1.5, c.y() + 2.5));
}

void cardHand(QPainter &p, const QRectF &r, const QColor &color)
{
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    const qreal w = r.width(), h = r.height();
    p.drawRoundedRect(QRectF(r.left() + w * 0.15, r.top() + h * 0.45, w * 0.7, h * 0.55), 2, 2);
    for (int i = 0; i < 4; ++i)
        p.drawRoundedRect(QRectF(r.left() + w * (0.15 + i * 0.18), r.top() + h * (i == 0 || i == 3 ? 0.15 : 0.0), w * 0.15, h * 0.6), 1, 1);
}

void cardDrive(QPainter &p, const QRectF &r, const QColor &color)
{
    p.setPen(QPen(color, 1.4));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(r.left(), r.top() + r.height() * 0.35, r.width(), r.height() * 0.5), 2, 2);
    p.drawLine(QPointF(r.center().x(), r.top()), QPointF(r.center().x(), r.top() + r.height() * 0.2));
    p.setBrush(color);
    p.drawEllipse(QPointF(r.right() - 3, r.top() + r.height() * 0.6), 1, 1);
}

// A centred square of the box's smaller side, inset a little.
QRectF square(const QRectF &box)
{
    const qreal side = std::min(box.width(), box.height());
    QRectF s(0, 0, side, side);
    s.moveCenter(box.center());
    return s.adjusted(side * 0.1, side * 0.1, -side * 0.1, -side * 0.1);
}

QPen stroke(const QColor &color, qreal side)
{
    return QPen(color, std::max<qreal>(1.0, side * 0.1), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void triangle(QPainter &p, const QRectF &r, bool right, const QColor &color)
{
    QPolygonF tri;
    if (right)
        tri << r.topLeft() << r.bottomLeft() << QPointF(r.right(), r.center().y());
    else
        tri << r.topRight() << r.bottomRight() << QPointF(r.left(), r.center().y());
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawPolygon(tri);
}

void playerFolder(QPainter &p, const QRectF &box, const QColor &color)
{
    const QRectF r = square(box);
    const qreal s = r.width();
    p.setPen(stroke(color, s));
    p.setBrush(Qt::NoBrush);
    QPainterPath path;
    path.moveTo(r.left(), r.top() + s * 0.2);
    path.lineTo(r.left() + s * 0.38, r.top() + s * 0.2);
    path.lineTo(r.left() + s * 0.48, r.top() + s * 0.32);
    path.lineTo(r.right(), r.top() + s * 0.32);
    path.lineTo(r.right(), r.bottom() - s * 0.1);
    path.lineTo(r.left(), r.bottom() - s * 0.1);
    path.closeSubpath();
    p.drawPath(path);
}

void playerClose(QPainter &p, const QRectF &box, const QColor &color)
{
    const QRectF r = square(box).adjusted(2, 2, -2, -2);
    p.setPen(stroke(color, r.width() * 1.4));
    p.drawLine(r.topLeft(), r.bottomRight());
    p.drawLine(r.bottomLeft(), r.topRight());
}

void playerPlay(QPainter &p, const QRectF &box, const QColor &color)
{
    const QRectF r = square(box);
    triangle(p, r.adjusted(r.width() * 0.15, 0, -r.width() * 0.05, 0), true, color);
}

void playerPause(QPainter &p, const QRectF &box, const QColor &color)
{
    const QRectF r = square(box);
    const qreal w = r.width() * 0.3;
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawRoundedRect(QRectF(r.left() + r.width() * 0.1, r.top(), w, r.height()), 1, 1);
    p.drawRoundedRect(QRectF(r.right() - r.width() * 0.1 - w, r.top(), w, r.height()), 1, 1);
}

// A triangle and a bar: one frame back or forward.
void playerFrameStep(QPainter &p, const QRectF &box, const QColor &color, bool forward)
{
    const QRectF r = square(box);
    const qreal bar = r.width() * 0.18;
    if (forward) {
        triangle(p, QRectF(r.left(), r.top(), r.width() - bar * 1.6, r.height()), true, color);
        p.drawRect(QRectF(r.right() - bar, r.top(), bar, r.height()));
    } else {
        triangle(p, QRectF(r.left() + bar * 1.6, r.top(), r.width() - bar * 1.6, r.height()), false, color);
        p.drawRect(QRectF(r.left(), r.top(), bar, r.height()));
    }
}

void playerTag(QPainter &p, const QRectF &box, const QColor &color)
{
    const QRectF r = square(box);
    const qreal s = r.width();
    QPainterPath path;
    path.moveTo(r.left(), r.top() + s * 0.45);
    path.lineTo(r.left(), r.top());
    path.lineTo(r.left() + s * 0.45, r.top());
    path.lineTo(r.right(), r.top() + s * 0.55);
    path.lineTo(r.left() + s * 0.55, r.bottom());
    path.closeSubpath();
    p.setPen(stroke(color, s));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawEllipse(QPointF(r.left() + s * 0.22, r.top() + s * 0.22), s * 0.08, s * 0.08);
}

void playerClock(QPainter &p, const QRectF &box, const QColor &color)
{
    const QRectF r = square(box);
    p.setPen(stroke(color, r.width()));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(r);
    p.drawLine(r.center(), QPointF(r.center().x(), r.top() + r.height() * 0.25));
    p.drawLine(r.center(), QPointF(r.left() + r.width() * 0.72, r.center().y()));
}

void playerRectangle(QPainter &p, const QRectF &box, const QColor &color)
{
    const QRectF r = square(box);
    p.setPen(stroke(color, r.width()));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(r.adjusted(0, r.height() * 0.15, 0, -r.height() * 0.15), 1.5, 1.5);
}

void playerFilm(QPainter &p, const QRectF &box, const QColor &color)
{
    const QRectF r = square(box);
    p.setPen(stroke(color, r.width()));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(r, 1.5, 1.5);
    const qreal x1 = r.left() + r.width() * 0.28;
    const qreal x2 = r.right() - r.width() * 0.28;
    p.drawLine(QPointF(x1, r.top()), QPointF(x1, r.bottom()));
    p.drawLine(QPointF(x2, r.top()), QPointF(x2, r.bottom()));
}

void playerSpeedometer(QPainter &p, const QRectF &box, const QColor &color)
{
    const QRectF r = square(box);
    p.setPen(stroke(color, r.width()));
    p.setBrush(Qt::NoBrush);
    p.drawArc(r, 0, 180 * 16);
    p.drawLine(QPointF(r.left(), r.center().y()), QPointF(r.right(), r.center().y()));
    p.drawLine(r.center(), QPointF(r.left() + r.width() * 0.75, r.top() + r.height() * 0.2));
}

void playerDocument(QPainter &p, const QRectF &box, const QColor &color)
{
    const QRectF r = square(box);
    const qreal s = r.width();
    QPainterPath path;
    path.moveTo(r.left() + s * 0.15, r.top());
    path.lineTo(r.left() + s * 0.6, r.top());
    path.lineTo(r.right() - s * 0.15, r.top() + s * 0.25);
    path.lineTo(r.right() - s * 0.15, r.bottom());
    path.lineTo(r.left() + s * 0.15, r.bottom());
    path.closeSubpath();
    p.setPen(stroke(color, s));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
}

} // namespace

QList<SymbolDrawings::Entry> SymbolDrawings::card()
{
    return {
        {"arrow.up.left.and.arrow.down.right", cardExpand},
        {"xmark.circle.fill/card", cardRemove},
        {"tag", cardTag},
        {"arrow.uturn.down/card", cardUTurn},
        {"hand.raised.fill/card", cardHand},
        {"externaldrive.badge.exclamationmark/card", cardDrive},
    };
}

QList<SymbolDrawings::Entry> SymbolDrawings::player()
{
    return {
        {"folder", playerFolder},
        {"xmark", playerClose},
        {"play.fill", playerPlay},
        {"pause.fill", playerPause},
        {"backward.frame.fill",
         [](QPainter &p, const QRectF &box, const QColor &color) {
             p.setPen(Qt::NoPen);
             p.setBrush(color);
             playerFrameStep(p, box, color, false);
         }},
        {"forward.frame.fill",
         [](QPainter &p, const QRectF &box, const QColor &color) {
             p.setPen(Qt::NoPen);
             p.setBrush(color);
             playerFrameStep(p, box, color, true);
         }},
        {"tag/player", playerTag},
        {"clock", playerClock},
        {"rectangle", playerRectangle},
        {"film", playerFilm},
        {"speedometer", playerSpeedometer},
        {"doc", playerDocument},
    };
}
