#pragma once

#include <QCollatorSortKey>
#include <QString>

// The order the desktop's file manager uses for names: case-insensitive,
// runs of digits compared by value ("clip2" before "clip10"), locale-aware
// (the C locale, whose own collation ignores both rules, collates as English).
// Safe to call from any thread.
namespace FinderOrder {
int compare(const QString &a, const QString &b);
inline bool lessThan(const QString &a, const QString &b)
{
    return compare(a, b) < 0;
}
// A key that compares as compare() does; sorting many names by their keys
// is several times faster than comparing the names pair by pair.
QCollatorSortKey sortKey(const QString &name);
} // namespace FinderOrder
