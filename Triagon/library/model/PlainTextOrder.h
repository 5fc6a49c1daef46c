#pragma once

#include <QString>
#include <QStringList>

// Plain, locale-independent text order: Unicode code points of the
// canonically composed (NFC) forms, so capitals come before small letters.
// QString's own operator< compares UTF-16 units, which puts characters beyond
// U+FFFF before U+E000..U+FFFF.
namespace PlainTextOrder {
bool lessThan(const QString &a, const QString &b);
// Sorts ascending (stable).
void sort(QStringList &list);
} // namespace PlainTextOrder
