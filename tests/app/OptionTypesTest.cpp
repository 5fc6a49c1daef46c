#include "app/AppearanceMode.h"
#include "app/ModifierKey.h"
#include "app/ScrubModifier.h"
#include "app/SecondsLabel.h"
#include "app/TagColor.h"
#include "app/ThemeColor.h"

#include <QGuiApplication>
#include <gtest/gtest.h>

#include <limits>

namespace {

TEST(ThemeColor, rawValuesMatchExactlyAndUnknownTextsAreTheBrandColour)
{
    QStringList raws;
    for (ThemeColor theme : allThemeColors())
        raws.append(themeColorRawValue(theme));
    EXPECT_EQ(raws, (QStringList{QStringLiteral("Orange"), QStringLiteral("Blue"), QStringLiteral("Purple"), QStringLiteral("Pink"),
                                 QStringLiteral("Red"), QStringLiteral("Green"), QStringLiteral("Teal")}));
    for (ThemeColor theme : allThemeColors())
        EXPECT_EQ(themeColorFromRawValue(themeColorRawValue(theme)), theme);

    EXPECT_EQ(brandAccentColor(), QColor(249, 115, 22));
    EXPECT_EQ(themeColorValue(ThemeColor::orange), brandAccentColor());
    EXPECT_FALSE(themeColorFromRawValue(QStringLiteral("orange")));
    EXPECT_FALSE(themeColorFromRawValue(QStringLiteral(" Teal")));
    EXPECT_EQ(themeColorValue(QStringLiteral("orange")), brandAccentColor());
    EXPECT_EQ(themeColorValue(QString()), brandAccentColor());
    EXPECT_EQ(themeColorValue(QStringLiteral("Teal")), themeColorValue(ThemeColor::teal));
    EXPECT_NE(themeColorValue(ThemeColor::teal), brandAccentColor());
}

TEST(AppearanceMode, unknownTextsAskForTheSystemsScheme)
{
    EXPECT_EQ(appearanceModeOrDefault(QStringLiteral("Dark")), AppearanceMode::dark);
    EXPECT_EQ(appearanceModeOrDefault(QStringLiteral("Light")), AppearanceMode::light);
    EXPECT_EQ(appearanceModeOrDefault(QStringLiteral("dark")), AppearanceMode::system);
    EXPECT_EQ(appearanceModeOrDefault(QStringLiteral("Sepia")), AppearanceMode::system);
    EXPECT_FALSE(appearanceModeFromRaw(QStringLiteral("system")));
}

TEST(AppearanceMode, palettesAreLightDarkOrTheDesktopsWithTheAccent)
{
    QPalette desktop;
    desktop.setColor(QPalette::Window, QColor(1, 2, 3));
    const QColor accent(249, 115, 22);

    const QPalette system = appearancePalette(AppearanceMode::system, desktop, accent);
    EXPECT_EQ(system.color(QPalette::Window), QColor(1, 2, 3));
    EXPECT_EQ(system.color(QPalette::Active, QPalette::Highlight), accent);

    const QPalette light = appearancePalette(AppearanceMode::light, desktop);
    const QPalette dark = appearancePalette(AppearanceMode::dark, desktop);
    EXPECT_GT(light.color(QPalette::Window).lightness(), 180);
    EXPECT_LT(dark.color(QPalette::Window).lightness(), 80);
    // Text must stay readable on its own background in both schemes.
    for (const QPalette &p : {light, dark}) {
        EXPECT_GT(std::abs(p.color(QPalette::Text).lightness() - p.color(QPalette::Base).lightness()), 150);
        EXPECT_GT(std::abs(p.color(QPalette::WindowText).lightness() - p.color(QPalette::Window).lightness()), 150);
    }
    EXPECT_FALSE(appearanceUsesFusionStyle(AppearanceMode::system));
    EXPECT_TRUE(appearanceUsesFusionStyle(AppearanceMode::dark));
}

TEST(ModifierKey, rawValuesNamesAndTheQtMapping)
{
    QStringList raws;
    QStringList names;
    for (ModifierKey key : allModifierKeys()) {
        raws.append(modifierKeyRawValue(key));
        names.append(modifierKeyName(key));
    }
    EXPECT_EQ(raws, (QStringList{QStringLiteral("option"), QStringLiteral("command"), QStringLiteral("control"), QStringLiteral("shift")}));
    EXPECT_EQ(names, (QStringList{QStringLiteral("Alt"), QStringLiteral("Ctrl"), QStringLiteral("Meta"), QStringLiteral("Shift")}));
    EXPECT_FALSE(modifierKeyFromRawValue(QStringLiteral("fn")));
    EXPECT_FALSE(modifierKeyFromRawValue(QStringLiteral("Option")));

    EXPECT_EQ(qtModifier(ModifierKey::command), Qt::ControlModifier);
    EXPECT_EQ(qtModifier(ModifierKey::control), Qt::MetaModifier);
    EXPECT_EQ(qtModifier(ModifierKey::option), Qt::AltModifier);
    EXPECT_EQ(qtModifier(ModifierKey::shift), Qt::ShiftModifier);
    EXPECT_TRUE(isModifierKeyHeld(ModifierKey::command, Qt::ControlModifier | Qt::ShiftModifier));
    EXPECT_FALSE(isModifierKeyHeld(ModifierKey::control, Qt::ControlModifier));
}

TEST(SecondsLabel, wholeValuesHaveNoDecimal)
{
    EXPECT_EQ(secondsLabel(1.0), QStringLiteral("1s"));
    EXPECT_EQ(secondsLabel(10.0), QStringLiteral("10s"));
    EXPECT_EQ(secondsLabel(0.5), QStringLiteral("0.5s"));
    EXPECT_EQ(secondsLabel(9.5), QStringLiteral("9.5s"));
    EXPECT_EQ(secondsLabel(-0.0), QStringLiteral("0s"));
    // Beyond any integer type: still printed, without an integer conversion.
    EXPECT_EQ(secondsLabel(1e20), QStringLiteral("100000000000000000000s"));
}

TEST(ScrubModifier, labelsAndJson)
{
    EXPECT_EQ((ScrubModifier{ModifierKey::option, 3.0}.label()), QStringLiteral("Alt 3s"));
    EXPECT_EQ((ScrubModifier{ModifierKey::command, 0.5}.label()), QStringLiteral("Ctrl 0.5s"));
    EXPECT_EQ((ScrubModifier{ModifierKey::shift, 2.0}.id()), QStringLiteral("shift"));

    EXPECT_FALSE(ScrubModifier::decodeList("[{\"key\":\"fn\",\"seconds\":1}]"));
    EXPECT_FALSE(ScrubModifier::decodeList("[{\"key\":\"option\"}]"));
    EXPECT_FALSE(ScrubModifier::decodeList("[{\"key\":\"option\",\"seconds\":\"3\"}]"));
    EXPECT_FALSE(ScrubModifier::decodeList("[{\"key\":\"option\",\"seconds\":3}] trailing"));
    EXPECT_FALSE(ScrubModifier::decodeList("{\"key\":\"option\",\"seconds\":3}"));

    // A hand-edited list naming a key twice keeps its first row only.
    const auto decoded = ScrubModifier::decodeList(
        "[{\"key\":\"option\",\"seconds\":3},{\"key\":\"shift\",\"seconds\":1},{\"key\":\"option\",\"seconds\":9}]");
    ASSERT_TRUE(decoded);
    EXPECT_EQ(*decoded, (QList<ScrubModifier>{{ModifierKey::option, 3.0}, {ModifierKey::shift, 1.0}}));

    const QList<ScrubModifier> list{{ModifierKey::control, 4.5}, {ModifierKey::option, 10.0}};
    const auto encoded = ScrubModifier::encodeList(list);
    ASSERT_TRUE(encoded);
    EXPECT_EQ(ScrubModifier::decodeList(*encoded), list);
    EXPECT_FALSE(ScrubModifier::encodeList({{ModifierKey::option, std::numeric_limits<double>::quiet_NaN()}}));
}

TEST(TagColor, isTheFixedPaletteEntryOfTheNamesHash)
{
    EXPECT_EQ(tagColorHash(QString()), 0xcbf29ce484222325ULL);
    EXPECT_EQ(tagColorIndex(QString()), 7);
    EXPECT_EQ(tagColorHash(QStringLiteral("Action")), 0xa442044b586ec8bfULL);
    EXPECT_EQ(tagColorIndex(QStringLiteral("Action")), 3);
    // Purple and indigo of the palette.
    EXPECT_EQ(tagColor(QStringLiteral("Action")), QColor(175, 82, 222));
    EXPECT_EQ(tagColor(QString()), QColor(88, 86, 214));
    // Hashed over UTF-8 bytes, not UTF-16 units: "é" is the two bytes C3 A9.
    std::uint64_t expected = 0xcbf29ce484222325ULL;
    for (unsigned char byte : {0xC3, 0xA9}) {
        expected ^= byte;
        expected *= 0x100000001b3ULL;
    }
    EXPECT_EQ(tagColorHash(QStringLiteral("\u00e9")), expected);
    EXPECT_NE(tagColorHash(QStringLiteral("action")), tagColorHash(QStringLiteral("Action")));
}

} // namespace
