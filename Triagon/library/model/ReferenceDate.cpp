#include "library/model/ReferenceDate.h"

#include <QTimeZone>
#include <cmath>

double ReferenceDate::secondsSinceReference(const QDateTime &date)
{
    return date.toMSecsSinceEpoch() / 1000.0 - static_cast<double>(unixOffsetSeconds);
}

QDateTime ReferenceDate::fromSecondsSinceReference(double seconds)
{
    if (!std::isfinite(seconds))
        return QDateTime();
    const double msecs = std::round((seconds + static_cast<double>(unixOffsetSeconds)) * 1000.0);
    // Keep far-away dates from overflowing the integer conversion.
    if (std::fabs(msecs) > 8.0e18)
        return QDateTime();
    return QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(msecs), QTimeZone::utc());
}
