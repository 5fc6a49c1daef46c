#include "window/Icons.h"

#include "app/DrawnIconEngine.h"

#include <QImage>
#include <QPaintDevice>
#include <QPainterPath>
#include <QtMath>

namespace {

QRectF squareIn(const QRectF &box)
{
    return Icons::symbolSquare(box);
}

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

QIcon Icons::themedOr(const QString &themeName, DrawnIconEngine::Drawer drawer)
{
    const QIcon themed = QIcon::fromTheme(themeName);
    if (!themed.isNull())
        return themed;
    return QIcon(new DrawnIconEngine(std::move(drawer)));
}

QRectF Icons::symbolSquare(const QRectF &box)
{
    const qreal side = qMin(box.width(), box.height());
    QRectF square(0, 0, side, side);
    square.moveCenter(box.center());
    return square.adjusted(side * 0.08, side * 0.08, -side * 0.08, -side * 0.08);
}

QPen Icons::strokePen(const QColor &color, qreal side)
{
    QPen pen(color, qMax<qreal>(1.0, side * 0.09));
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

QIcon Icons::folderAdd() { return themedOr(QStringLiteral("folder-new"), drawFolderAdd); }
QIcon Icons::offlineDrive() { return themedOr(QStringLiteral("drive-harddisk"), drawOfflineDrive); }
QIcon Icons::sidebar() { return themedOr(QStringLiteral("view-split-left-right"), drawSidebar); }
QIcon Icons::help() { return themedOr(QStringLiteral("help-about"), drawHelp); }

void Icons::drawFolderAdd(QPainter &painter, const QRectF &box, const QColor &color)
{
    const QRectF r = squareIn(box);
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
    const QRectF r = squareIn(box);
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
    const QRectF r = squareIn(box).adjusted(0, squareIn(box).height() * 0.1, 0, -squareIn(box).height() * 0.1);
    const qreal s = r.width();
    painter.setPen(strokePen(color, s * 0.8));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(r, s * 0.1, s * 0.1);
    painter.drawLine(QPointF(r.left() + s * 0.34, r.top()), QPointF(r.left() + s * 0.34, r.bottom()));
}

void Icons::drawHelp(QPainter &painter, const QRectF &box, const QColor &color)
{
    const QRectF r = squareIn(box);
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
        drawCutOut(
            painter, box,
            [&color](QPainter &p, const QRectF &local) {
                p.setPen(Qt::NoPen);
                p.setBrush(color);
                p.drawEllipse(squareIn(local));
            },
            [](QPainter &p, const QRectF &local) {
                const QRectF r = squareIn(local);
                p.setPen(strokePen(Qt::black, r.width() * 0.8));
                p.setBrush(Qt::NoBrush);
                p.drawPath(downArrow(r));
            });
        return;
    }
    const QRectF r = squareIn(box);
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

void Icons::drawCutOut(QPainter &painter, const QRectF &box, const LayerDrawer &fill, const LayerDrawer &cut)
{
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    QImage layer((box.size() * ratio).toSize().expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
    layer.setDevicePixelRatio(ratio);
    layer.fill(Qt::transparent);
    {
        QPainter p(&layer);
        p.setRenderHint(QPainter::Antialiasing, true);
        const QRectF local(QPointF(0, 0), box.size());
        fill(p, local);
        p.setCompositionMode(QPainter::CompositionMode_DestinationOut);
        cut(p, local);
    }
    painter.drawImage(box.topLeft(), layer);
}
