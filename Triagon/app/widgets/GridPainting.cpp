#include "app/widgets/GridPainting.h"

#include "app/widgets/WidgetStyle.h"

#include <QPainterPath>

#include <algorithm>

namespace GridPainting {

QFont monoFont(const QFont &base, int pixels, QFont::Weight weight)
{
    QFont f = WidgetStyle::sizedFont(base, pixels, weight);
    f.setFamilies({QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Monospace")});
    f.setStyleHint(QFont::Monospace);
    return f;
}

QColor withAlpha(QColor c, qreal alpha)
{
    c.setAlphaF(static_cast<float>(alpha));
    return c;
}

void fillRounded(QPainter &p, const QRectF &r, qreal radius, const QColor &color)
{
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawRoundedRect(r, radius, radius);
}

QRectF fitted(const QSizeF &image, const QRectF &area)
{
    if (image.isEmpty())
        return area;
    QSizeF s = image.scaled(area.size(), Qt::KeepAspectRatio);
    // A picture within a point of filling the area fills it, rather than
    // leaving a hairline of black along one edge.
    if (area.width() - s.width() < 1.5 && area.height() - s.height() < 1.5)
        return area;
    return QRectF(area.center().x() - s.width() / 2, area.center().y() - s.height() / 2, s.width(), s.height());
}

namespace {
// Enough for the cards of a few screens; bounded in bytes, since one card of
// a one-column grid is many times the size of a card of five columns.
constexpr qsizetype spareImageBytes = 16 * 1024 * 1024;
QList<QImage> &spareImages()
{
    static QList<QImage> spares;
    return spares;
}
} // namespace

QImage takeCardImage(const QSize &pixels)
{
    QList<QImage> &spares = spareImages();
    for (qsizetype i = spares.size() - 1; i >= 0; --i) {
        if (spares.at(i).size() == pixels)
            return spares.takeAt(i);
    }
    return QImage(pixels, QImage::Format_RGB32);
}

void returnCardImage(QImage image)
{
    // An image shared with anyone else is theirs too.
    if (image.isNull() || !image.isDetached() || image.format() != QImage::Format_RGB32)
        return;
    QList<QImage> &spares = spareImages();
    spares.append(std::move(image));
    qsizetype bytes = 0;
    for (const QImage &spare : std::as_const(spares))
        bytes += spare.sizeInBytes();
    // The oldest go first.
    while (bytes > spareImageBytes && !spares.isEmpty())
        bytes -= spares.takeFirst().sizeInBytes();
}

} // namespace GridPainting
