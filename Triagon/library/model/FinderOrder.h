#pragma once

#include <QString>

// The order the desktop's file manager uses for names: case-insensitive,
// runs of digits compared by value ("clip2" before "clip10"), locale-aware.
// Safe to call from any thread.
namespace FinderOrder {
int compare(const QString &a, const QString &b);
inline bool lessThan(const QString &a, const QString &b) { return compare(a, b) < 0; }
} // namespace FinderOrder
