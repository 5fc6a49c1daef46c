#pragma once

#include <QColor>
#include <QString>

#include <cstdint>

// The fixed colour of a tag name: the same name has the same colour in every
// view and every run, whatever its position in any list. The name's UTF-8
// bytes are hashed with 64-bit FNV-1a (a stable hash: Qt's own hashes are
// seeded per process) and the hash picks one of ten palette colours.
QColor tagColor(const QString &tag);

// The hash behind it, exposed so that its stability can be checked.
std::uint64_t tagColorHash(const QString &tag);
// The palette position (0 to 9) of a tag: blue, green, orange, purple, pink,
// red, teal, indigo, mint, cyan.
int tagColorIndex(const QString &tag);
