#include "grid/CardMedia.h"

#include <cmath>

QString CardMedia::posterCacheKey(const QUrl &url, double seconds, int width)
{
    const double t = std::isfinite(seconds) ? seconds : 0.0;
    return url.toString(QUrl::FullyEncoded) + QLatin1Char('_') + QString::asprintf("%.2f", t) + QLatin1Char('_')
        + QString::number(width);
}
