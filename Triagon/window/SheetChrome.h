#pragma once

#include <QtGlobal>

// The text sizes, in pixels, of the window's sheets.
namespace SheetChrome {

constexpr qreal title2Pixels = 17;
constexpr qreal calloutPixels = 12;
constexpr qreal captionPixels = 10;
constexpr qreal bodyPixels = 13;

} // namespace SheetChrome
