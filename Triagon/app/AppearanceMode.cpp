#include "app/AppearanceMode.h"

const QList<AppearanceMode> &allAppearanceModes()
{
    static const QList<AppearanceMode> modes{AppearanceMode::system, AppearanceMode::light, AppearanceMode::dark};
    return modes;
}

QString rawValue(AppearanceMode mode)
{
    switch (mode) {
    case AppearanceMode::system:
        return QStringLiteral("System");
    case AppearanceMode::light:
        return QStringLiteral("Light");
    case AppearanceMode::dark:
        return QStringLiteral("Dark");
    }
    return {};
}

std::optional<AppearanceMode> appearanceModeFromRaw(const QString &raw)
{
    for (AppearanceMode mode : allAppearanceModes()) {
        if (rawValue(mode) == raw)
            return mode;
    }
    return std::nullopt;
}

AppearanceMode appearanceModeOrDefault(const QString &raw)
{
    return appearanceModeFromRaw(raw).value_or(AppearanceMode::system);
}

namespace {

struct PaletteColors
{
    QColor window, windowText, base, alternateBase, toolTipBase, toolTipText, placeholderText, text, button, buttonText, brightText, light,
        midlight, mid, dark, shadow, highlight, highlightedText, link, linkVisited;
    QColor disabledText, disabledButtonText, disabledWindowText, disabledHighlight;
};

QPalette makePalette(const PaletteColors &c)
{
    QPalette palette;
    const auto setAll = [&](QPalette::ColorRole role, const QColor &color) {
        palette.setColor(QPalette::Active, role, color);
        palette.setColor(QPalette::Inactive, role, color);
        palette.setColor(QPalette::Disabled, role, color);
    };
    setAll(QPalette::Window, c.window);
    setAll(QPalette::WindowText, c.windowText);
    setAll(QPalette::Base, c.base);
    setAll(QPalette::AlternateBase, c.alternateBase);
    setAll(QPalette::ToolTipBase, c.toolTipBase);
    setAll(QPalette::ToolTipText, c.toolTipText);
    setAll(QPalette::PlaceholderText, c.placeholderText);
    setAll(QPalette::Text, c.text);
    setAll(QPalette::Button, c.button);
    setAll(QPalette::ButtonText, c.buttonText);
    setAll(QPalette::BrightText, c.brightText);
    setAll(QPalette::Light, c.light);
    setAll(QPalette::Midlight, c.midlight);
    setAll(QPalette::Mid, c.mid);
    setAll(QPalette::Dark, c.dark);
    setAll(QPalette::Shadow, c.shadow);
    setAll(QPalette::Highlight, c.highlight);
    setAll(QPalette::HighlightedText, c.highlightedText);
    setAll(QPalette::Link, c.link);
    setAll(QPalette::LinkVisited, c.linkVisited);
    palette.setColor(QPalette::Disabled, QPalette::Text, c.disabledText);
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, c.disabledButtonText);
    palette.setColor(QPalette::Disabled, QPalette::WindowText, c.disabledWindowText);
    palette.setColor(QPalette::Disabled, QPalette::Highlight, c.disabledHighlight);
    return palette;
}

} // namespace

QPalette lightAppearancePalette()
{
    PaletteColors c;
    c.window = QColor(236, 236, 236);
    c.windowText = QColor(29, 29, 31);
    c.base = QColor(255, 255, 255);
    c.alternateBase = QColor(245, 245, 245);
    c.toolTipBase = QColor(255, 255, 255);
    c.toolTipText = QColor(29, 29, 31);
    // Secondary text: at least 3:1 on the window, the fields and the buttons.
    c.placeholderText = QColor(110, 110, 115);
    c.text = QColor(29, 29, 31);
    c.button = QColor(246, 246, 246);
    c.buttonText = QColor(29, 29, 31);
    c.brightText = QColor(255, 255, 255);
    c.light = QColor(255, 255, 255);
    c.midlight = QColor(240, 240, 240);
    c.mid = QColor(190, 190, 192);
    c.dark = QColor(160, 160, 164);
    c.shadow = QColor(110, 110, 114);
    // White on the selection reads at 4.5:1 or more.
    c.highlight = QColor(0, 100, 220);
    c.highlightedText = QColor(255, 255, 255);
    c.link = QColor(0, 102, 214);
    c.linkVisited = QColor(120, 60, 180);
    c.disabledText = QColor(160, 160, 164);
    c.disabledButtonText = QColor(160, 160, 164);
    c.disabledWindowText = QColor(160, 160, 164);
    c.disabledHighlight = QColor(200, 200, 204);
    return makePalette(c);
}

QPalette darkAppearancePalette()
{
    PaletteColors c;
    c.window = QColor(36, 36, 38);
    c.windowText = QColor(235, 235, 240);
    c.base = QColor(24, 24, 27);
    c.alternateBase = QColor(44, 44, 47);
    c.toolTipBase = QColor(52, 52, 56);
    c.toolTipText = QColor(235, 235, 240);
    // Secondary text: at least 3:1 on the window, the fields and the frames.
    c.placeholderText = QColor(152, 152, 160);
    c.text = QColor(235, 235, 240);
    c.button = QColor(52, 52, 56);
    c.buttonText = QColor(235, 235, 240);
    c.brightText = QColor(255, 255, 255);
    c.light = QColor(72, 72, 76);
    c.midlight = QColor(62, 62, 66);
    c.mid = QColor(44, 44, 48);
    c.dark = QColor(20, 20, 22);
    c.shadow = QColor(0, 0, 0);
    c.highlight = QColor(0, 98, 210);
    c.highlightedText = QColor(255, 255, 255);
    c.link = QColor(64, 156, 255);
    c.linkVisited = QColor(191, 90, 242);
    c.disabledText = QColor(110, 110, 116);
    c.disabledButtonText = QColor(110, 110, 116);
    c.disabledWindowText = QColor(110, 110, 116);
    c.disabledHighlight = QColor(70, 70, 74);
    return makePalette(c);
}

QPalette appearancePalette(AppearanceMode mode, const QPalette &desktopPalette, const QColor &accent)
{
    QPalette palette;
    switch (mode) {
    case AppearanceMode::system:
        palette = desktopPalette;
        break;
    case AppearanceMode::light:
        palette = lightAppearancePalette();
        break;
    case AppearanceMode::dark:
        palette = darkAppearancePalette();
        break;
    }
    if (accent.isValid()) {
        for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
            palette.setColor(group, QPalette::Highlight, accent);
            palette.setColor(group, QPalette::HighlightedText, Qt::white);
            palette.setColor(group, QPalette::Link, accent);
        }
    }
    return palette;
}

bool appearanceUsesFusionStyle(AppearanceMode mode)
{
    switch (mode) {
    case AppearanceMode::system:
        return false;
    case AppearanceMode::light:
    case AppearanceMode::dark:
        return true;
    }
    return false;
}
