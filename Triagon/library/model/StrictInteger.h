#pragma once

#include <QString>
#include <optional>

// A decimal integer written as an optional sign and one or more ASCII digits,
// nothing else (QString::toLongLong would also accept surrounding blanks).
// Values outside the 64-bit signed range give no value.
std::optional<qint64> parseStrictInt64(const QString &text);
