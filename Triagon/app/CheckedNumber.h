#pragma once

#include <cmath>
#include <limits>
#include <optional>

// The whole part of `value` (truncated toward zero) as an int, or nothing when
// the value is not finite or its whole part does not fit an int. Converting
// such a double straight to an integer is undefined behaviour; a stored
// setting can hold one (an edited settings file), so every display that shows
// a stored number as a whole number goes through here and falls back to the
// setting's default.
inline std::optional<int> truncatedToInt(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    const double whole = std::trunc(value);
    if (whole < static_cast<double>(std::numeric_limits<int>::min()) || whole > static_cast<double>(std::numeric_limits<int>::max()))
        return std::nullopt;
    return static_cast<int>(whole);
}
