#pragma once

#include <QColor>
#include <QList>
#include <QString>

#include <optional>

// The user's accent colour choice. The raw values are the stored form (key
// "themeColor") and the display names.
enum class ThemeColor { orange, blue, purple, pink, red, green, teal };

// Every choice, in the order the appearance settings show them.
const QList<ThemeColor> &allThemeColors();

// "Orange", "Blue", "Purple", "Pink", "Red", "Green", "Teal".
QString themeColorRawValue(ThemeColor theme);
// Exact, case-sensitive match; any other text (also "orange") gives nothing.
std::optional<ThemeColor> themeColorFromRawValue(const QString &raw);
// The choice a stored text stands for: a text that names no choice is orange.
ThemeColor themeColorOrDefault(const QString &raw);

// The colour of a choice. Orange is the brand colour, not the named orange.
QColor themeColorValue(ThemeColor theme);
// The colour a stored text stands for: the brand colour for unknown texts.
QColor themeColorValue(const QString &raw);

// The brand colour, sRGB 249, 115, 22, fully opaque; used where the accent
// must not follow the user's choice.
const QColor &brandAccentColor();
