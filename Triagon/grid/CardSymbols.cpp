#include "grid/CardSymbols.h"

#include "app/SymbolPainting.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace CardSymbols {

using SymbolPainting::roundPen;

void drawExpand(QPainter &p, const QRectF &r, const QColor &color)
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

void drawRemove(QPainter &p, const QRectF &r, const QColor &color)
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

void drawTag(QPainter &p, const QRectF &r, const QColor &color)
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

void drawUTurn(QPainter &p, const QRectF &r, const QColor &color)
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

void drawHand(QPainter &p, const QRectF &r, const QColor &color)
{
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    const qreal w = r.width(), h = r.height();
    p.drawRoundedRect(QRectF(r.left() + w * 0.15, r.top() + h * 0.45, w * 0.7, h * 0.55), 2, 2);
    for (int i = 0; i < 4; ++i)
        p.drawRoundedRect(QRectF(r.left() + w * (0.15 + i * 0.18), r.top() + h * (i == 0 || i == 3 ? 0.15 : 0.0), w * 0.15, h * 0.6), 1, 1);
}

void drawDrive(QPainter &p, const QRectF &r, const QColor &color)
{
    p.setPen(QPen(color, 1.4));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(r.left(), r.top() + r.height() * 0.35, r.width(), r.height() * 0.5), 2, 2);
    p.drawLine(QPointF(r.center().x(), r.top()), QPointF(r.center().x(), r.top() + r.height() * 0.2));
    p.setBrush(color);
    p.drawEllipse(QPointF(r.right() - 3, r.top() + r.height() * 0.6), 1, 1);
}

} // namespace CardSymbols
