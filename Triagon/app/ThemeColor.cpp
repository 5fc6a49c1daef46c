#include "app/ThemeColor.h"

#include "app/SystemColor.h"

const QList<ThemeColor> &allThemeColors()
{
    static const QList<ThemeColor> themes{ThemeColor::orange, ThemeColor::blue,  ThemeColor::purple, ThemeColor::pink,
                                          ThemeColor::red,    ThemeColor::green, ThemeColor::teal};
    return themes;
}

QString themeColorRawValue(ThemeColor theme)
{
    switch (theme) {
    case ThemeColor::orange:
        return QStringLiteral("Orange");
    case ThemeColor::blue:
        return QStringLiteral("Blue");
    case ThemeColor::purple:
        return QStringLiteral("Purple");
    case ThemeColor::pink:
        return QStringLiteral("Pink");
    case ThemeColor::red:
        return QStringLiteral("Red");
    case ThemeColor::green:
        return QStringLiteral("Green");
    case ThemeColor::teal:
        return QStringLiteral("Teal");
    }
    return {};
}

std::optional<ThemeColor> themeColorFromRawValue(const QString &raw)
{
    for (ThemeColor theme : allThemeColors()) {
        if (themeColorRawValue(theme) == raw)
            return theme;
    }
    return std::nullopt;
}

ThemeColor themeColorOrDefault(const QString &raw)
{
    return themeColorFromRawValue(raw).value_or(ThemeColor::orange);
}

QColor themeColorValue(ThemeColor theme)
{
    switch (theme) {
    case ThemeColor::orange:
        return brandAccentColor();
    case ThemeColor::blue:
        return systemColor(SystemColor::blue);
    case ThemeColor::purple:
        return systemColor(SystemColor::purple);
    case ThemeColor::pink:
        return systemColor(SystemColor::pink);
    case ThemeColor::red:
        return systemColor(SystemColor::red);
    case ThemeColor::green:
        return systemColor(SystemColor::green);
    case ThemeColor::teal:
        return systemColor(SystemColor::teal);
    }
    return brandAccentColor();
}

QColor themeColorValue(const QString &raw)
{
    return themeColorValue(themeColorOrDefault(raw));
}

const QColor &brandAccentColor()
{
    static const QColor brand(249, 115, 22);
    return brand;
}
