#include "window/Icons.h"

#include "app/DrawnIconEngine.h"

#include <QPainterPath>

namespace {

// The stem and head of the drop arrow inside the symbol square r.
QPainterPath downArrow(const QRectF &r)
{
    const qreal s = r.width();
    const QPointF c = r.center();
    QPainterPath path;
    path.moveTo(c.x(), r.top() + s * 0.27);
    path.lineTo(c.x(), r.bottom() - s * 0.27);
    path.moveTo(c.x() - s * 0.17, r.bottom() - s * 0.42);
    path.lineTo(c.x(), r.bottom() - s * 0.26);
    path.lineTo(c.x() + s * 0.17, r.bottom() - s * 0.42);
    return path;
}

} // namespace

QRectF Icons::symbolSquare(const QRectF &box)
{
    return SymbolPainting::squareIn(box, 0.08);
}

QPen Icons::strokePen(const QColor &color, qreal side)
{
    return SymbolPainting::strokePen(color, side * 0.09);
}

QIcon Icons::folderAdd() { return DrawnIconEngine::themedOr(QStringLiteral("folder-new"), drawFolderAdd); }
QIcon Icons::offlineDrive() { return DrawnIconEngine::themedOr(QStringLiteral("drive-harddisk"), drawOfflineDrive); }
QIcon Icons::sidebar() { return DrawnIconEngine::themedOr(QStringLiteral("view-split-left-right"), drawSidebar); }
QIcon Icons::help() { return DrawnIconEngine::themedOr(QStringLiteral("help-about"), drawHelp); }

void Icons::drawFolderAdd(QPainter &painter, const QRectF &box, const QColor &color)
{
    const QRectF r = symbolSquare(box);
    const qreal s = r.width();
    painter.setPen(strokePen(color, s));
    painter.setBrush(Qt::NoBrush);
    QPainterPath folder;
    folder.moveTo(r.left(), r.top() + s * 0.2);
    folder.lineTo(r.left() + s * 0.35, r.top() + s * 0.2);
    folder.lineTo(r.left() + s * 0.45, r.top() + s * 0.32);
    folder.lineTo(r.right(), r.top() + s * 0.32);
    folder.lineTo(r.right(), r.top() + s * 0.5);
    folder.moveTo(r.left() + s * 0.55, r.bottom() - s * 0.1);
    folder.lineTo(r.left(), r.bottom() - s * 0.1);
    folder.lineTo(r.left(), r.top() + s * 0.2);
    painter.drawPath(folder);
    const QPointF plus(r.right() - s * 0.18, r.bottom() - s * 0.22);
    painter.drawLine(QPointF(plus.x() - s * 0.17, plus.y()), QPointF(plus.x() + s * 0.17, plus.y()));
    painter.drawLine(QPointF(plus.x(), plus.y() - s * 0.17), QPointF(plus.x(), plus.y() + s * 0.17));
}

void Icons::drawOfflineDrive(QPainter &painter, const QRectF &box, const QColor &color)
{
    const QRectF r = symbolSquare(box);
    const qreal s = r.width();
    painter.setPen(strokePen(color, s));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(r.left(), r.top() + s * 0.45, s * 0.62, s * 0.35), s * 0.08, s * 0.08);
    painter.drawPoint(QPointF(r.left() + s * 0.48, r.top() + s * 0.625));
    const qreal x = r.right() - s * 0.14;
    painter.drawLine(QPointF(x, r.top() + s * 0.1), QPointF(x, r.top() + s * 0.55));
    painter.drawPoint(QPointF(x, r.top() + s * 0.78));
}

void Icons::drawSidebar(QPainter &painter, const QRectF &box, const QColor &color)
{
    const QRectF r = symbolSquare(box).adjusted(0, symbolSquare(box).height() * 0.1, 0, -symbolSquare(box).height() * 0.1);
    const qreal s = r.width();
    painter.setPen(strokePen(color, s * 0.8));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(r, s * 0.1, s * 0.1);
    painter.drawLine(QPointF(r.left() + s * 0.34, r.top()), QPointF(r.left() + s * 0.34, r.bottom()));
}

void Icons::drawHelp(QPainter &painter, const QRectF &box, const QColor &color)
{
    const QRectF r = symbolSquare(box);
    const qreal s = r.width();
    painter.setPen(strokePen(color, s * 0.8));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(r);
    QPainterPath hook;
    hook.moveTo(r.center().x() - s * 0.14, r.top() + s * 0.36);
    hook.arcTo(QRectF(r.center().x() - s * 0.14, r.top() + s * 0.22, s * 0.28, s * 0.26), 180, -240);
    hook.lineTo(r.center().x(), r.top() + s * 0.6);
    painter.drawPath(hook);
    painter.drawPoint(QPointF(r.center().x(), r.top() + s * 0.76));
}

void Icons::drawDropArrow(QPainter &painter, const QRectF &box, const QColor &color, bool filled)
{
    if (filled) {
        // The arrow is cut out of the disc, so the disc is drawn on a layer of
        // its own: cutting into the window itself would punch a hole in it.
        SymbolPainting::paintOnLayer(painter, box, [&color](QPainter &p, const QRectF &local) {
            const QRectF r = symbolSquare(local);
            p.setPen(Qt::NoPen);
            p.setBrush(color);
            p.drawEllipse(r);
            p.setCompositionMode(QPainter::CompositionMode_DestinationOut);
            p.setPen(strokePen(Qt::black, r.width() * 0.8));
            p.setBrush(Qt::NoBrush);
            p.drawPath(downArrow(r));
        });
        return;
    }
    const QRectF r = symbolSquare(box);
    const qreal s = r.width();
    const QPen pen = strokePen(color, s * 0.8);
    QPen dotted = pen;
    dotted.setDashPattern({0.1, 2.2});
    painter.setPen(dotted);
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(r.adjusted(s * 0.04, s * 0.04, -s * 0.04, -s * 0.04));
    painter.setPen(pen);
    painter.drawPath(downArrow(r));
}
