#include "grid/GridPainting.h"

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


} // namespace GridPainting
