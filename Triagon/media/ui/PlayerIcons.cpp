#include "media/ui/PlayerIcons.h"

#include "app/DrawnIconEngine.h"

#include <QPainterPath>
#include <QPolygonF>

#include <algorithm>

namespace {

using Drawer = DrawnIconEngine::Drawer;

QIcon themedOr(const QString &themeName, Drawer drawer)
{
    if (!themeName.isEmpty()) {
        const QIcon themed = QIcon::fromTheme(themeName);
        if (!themed.isNull())
            return themed;
    }
    return QIcon(new DrawnIconEngine(std::move(drawer)));
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

void drawFolder(QPainter &p, const QRectF &box, const QColor &color)
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

void drawClose(QPainter &p, const QRectF &box, const QColor &color)
{
    const QRectF r = square(box).adjusted(2, 2, -2, -2);
    p.setPen(stroke(color, r.width() * 1.4));
    p.drawLine(r.topLeft(), r.bottomRight());
    p.drawLine(r.bottomLeft(), r.topRight());
}

void drawPlay(QPainter &p, const QRectF &box, const QColor &color)
{
    const QRectF r = square(box);
    triangle(p, r.adjusted(r.width() * 0.15, 0, -r.width() * 0.05, 0), true, color);
}

void drawPause(QPainter &p, const QRectF &box, const QColor &color)
{
    const QRectF r = square(box);
    const qreal w = r.width() * 0.3;
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawRoundedRect(QRectF(r.left() + r.width() * 0.1, r.top(), w, r.height()), 1, 1);
    p.drawRoundedRect(QRectF(r.right() - r.width() * 0.1 - w, r.top(), w, r.height()), 1, 1);
}

// A triangle and a bar: one frame back or forward.
void drawFrameStep(QPainter &p, const QRectF &box, const QColor &color, bool forward)
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

void drawTag(QPainter &p, const QRectF &box, const QColor &color)
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

void drawClock(QPainter &p, const QRectF &box, const QColor &color)
{
    const QRectF r = square(box);
    p.setPen(stroke(color, r.width()));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(r);
    p.drawLine(r.center(), QPointF(r.center().x(), r.top() + r.height() * 0.25));
    p.drawLine(r.center(), QPointF(r.left() + r.width() * 0.72, r.center().y()));
}

void drawRectangle(QPainter &p, const QRectF &box, const QColor &color)
{
    const QRectF r = square(box);
    p.setPen(stroke(color, r.width()));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(r.adjusted(0, r.height() * 0.15, 0, -r.height() * 0.15), 1.5, 1.5);
}

void drawFilm(QPainter &p, const QRectF &box, const QColor &color)
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

void drawSpeedometer(QPainter &p, const QRectF &box, const QColor &color)
{
    const QRectF r = square(box);
    p.setPen(stroke(color, r.width()));
    p.setBrush(Qt::NoBrush);
    p.drawArc(r, 0, 180 * 16);
    p.drawLine(QPointF(r.left(), r.center().y()), QPointF(r.right(), r.center().y()));
    p.drawLine(r.center(), QPointF(r.left() + r.width() * 0.75, r.top() + r.height() * 0.2));
}

void drawDocument(QPainter &p, const QRectF &box, const QColor &color)
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

namespace PlayerIcons {

QIcon folder() { return themedOr(QStringLiteral("folder-open"), drawFolder); }
QIcon close() { return themedOr(QStringLiteral("window-close"), drawClose); }
QIcon play() { return themedOr(QStringLiteral("media-playback-start"), drawPlay); }
QIcon pause() { return themedOr(QStringLiteral("media-playback-pause"), drawPause); }
QIcon stepBackward()
{
    return themedOr(QString(), [](QPainter &p, const QRectF &box, const QColor &color) {
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        drawFrameStep(p, box, color, false);
    });
}
QIcon stepForward()
{
    return themedOr(QString(), [](QPainter &p, const QRectF &box, const QColor &color) {
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        drawFrameStep(p, box, color, true);
    });
}
QIcon tag() { return themedOr(QString(), drawTag); }
QIcon clock() { return themedOr(QString(), drawClock); }
QIcon rectangle() { return themedOr(QString(), drawRectangle); }
QIcon film() { return themedOr(QString(), drawFilm); }
QIcon speedometer() { return themedOr(QString(), drawSpeedometer); }
QIcon document() { return themedOr(QString(), drawDocument); }

} // namespace PlayerIcons
