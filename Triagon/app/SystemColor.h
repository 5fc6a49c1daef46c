#pragma once

#include <QColor>

// The named colours the interface shares (accent choices and the tag palette).
// The desktop has no system palette of named hues, so these are fixed sRGB
// values chosen to be clearly distinct on light and dark backgrounds alike.
enum class SystemColor { blue, green, orange, purple, pink, red, teal, indigo, mint, cyan };

QColor systemColor(SystemColor color);
