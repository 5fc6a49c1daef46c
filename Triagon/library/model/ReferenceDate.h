#pragma once

#include <QDateTime>

// Dates in the session file are seconds (with fraction) since
// 2001-01-01 00:00:00 UTC.
namespace ReferenceDate {
inline constexpr qint64 unixOffsetSeconds = 978307200;
double secondsSinceReference(const QDateTime &date);
// A non-finite number gives an invalid date.
QDateTime fromSecondsSinceReference(double seconds);
} // namespace ReferenceDate
