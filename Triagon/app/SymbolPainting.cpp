#include "app/SymbolPainting.h"

#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <QtMath>

namespace SymbolPainting {

QRectF squareIn(const QRectF &box, qreal inset)
{
    const qreal side = qMin(box.width(), box.height());
    QRectF square(0, 0, side, side);
    square.moveCenter(box.center());
    return square.adjusted(side * inset, side * inset, -side * inset, -side * inset);
}

QPen roundPen(const QColor &color, qreal width)
{
    return QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

QPen strokePen(const QColor &color, qreal width)
{
    return roundPen(color, qMax<qreal>(1.0, width));
}

void paintOnLayer(QPainter &painter, const QRectF &box, const std::function<void(QPainter &layer, const QRectF &local)> &paint)
{
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    QImage layer((box.size() * ratio).toSize().expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
    layer.setDevicePixelRatio(ratio);
    layer.fill(Qt::transparent);
    {
        QPainter p(&layer);
        p.setRenderHint(QPainter::Antialiasing, true);
        paint(p, QRectF(QPointF(0, 0), box.size()));
    }
    painter.drawImage(box.topLeft(), layer);
}

QPixmap pixmap(const SymbolDrawer &drawer, int pixels, const QColor &color, qreal devicePixelRatio)
{
    const qreal ratio = qMax<qreal>(1.0, devicePixelRatio);
    QPixmap result(QSize(qCeil(pixels * ratio), qCeil(pixels * ratio)));
    result.setDevicePixelRatio(ratio);
    result.fill(Qt::transparent);
    QPainter painter(&result);
    drawer(painter, QRectF(0, 0, pixels, pixels), color);
    return result;
}

} // namespace SymbolPainting
