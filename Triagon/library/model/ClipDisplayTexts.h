#pragma once

#include <QString>
#include <QtGlobal>

// The codec display name of a four-character code, read most significant
// byte first ('avc1' is 0x61766331).
QString codecName(quint32 fourCC);

// The toolbar's total-footage text: "12m 5s" below 3660 s, else "1h 1m".
QString formatTotalDuration(double seconds);

// Whole seconds of a duration, truncated toward zero; 0 for a non-finite
// value, clamped to the 64-bit range.
qint64 truncatedSeconds(double seconds);
