#pragma once

#include <QColor>
#include <QList>
#include <QPalette>
#include <QString>

#include <optional>

// The user's choice of colour scheme. The raw values are the stored form (key
// "appearanceMode") and the display names.
enum class AppearanceMode { system, light, dark };

// Every choice, in the order the appearance settings show them.
const QList<AppearanceMode> &allAppearanceModes();

// "System", "Light", "Dark".
QString rawValue(AppearanceMode mode);
// Exact, case-sensitive match; any other text (also "dark") gives nothing.
std::optional<AppearanceMode> appearanceModeFromRaw(const QString &raw);
// The scheme a stored text asks for: a text that names no choice is System.
AppearanceMode appearanceModeOrDefault(const QString &raw);

// Qt cannot ask the desktop for a light or dark scheme, so Light and Dark are
// explicit palettes, meant for the Fusion style (see appearanceUsesFusionStyle),
// and System is the desktop's own palette. `desktopPalette` is the palette the
// application had before any appearance was applied (capture it once at
// start-up). A valid `accent` becomes the highlight and link colour, with white
// text on highlights.
QPalette appearancePalette(AppearanceMode mode, const QPalette &desktopPalette, const QColor &accent = QColor());

// The fixed palettes behind Light and Dark, without accent.
QPalette lightAppearancePalette();
QPalette darkAppearancePalette();

// Whether the mode's palette needs the Fusion style: the desktop's own style
// may ignore an application palette, Fusion draws with it faithfully.
bool appearanceUsesFusionStyle(AppearanceMode mode);
