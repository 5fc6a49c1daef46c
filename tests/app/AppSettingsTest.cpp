#include "support/SettingsFileFixture.h"
#include "app/AppSettings.h"

#include "LogCapture.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QString kTagsCorrupt = QStringLiteral("Custom tags setting is corrupt \u2014 falling back to built-in defaults");
const QString kModifiersCorrupt = QStringLiteral("Scrub modifiers setting is corrupt \u2014 falling back to defaults");
const QString kTagsEncodeFailed = QStringLiteral("Failed to encode custom tags \u2014 change will not persist");
const QString kModifiersEncodeFailed = QStringLiteral("Failed to encode scrub modifiers \u2014 change will not persist");
constexpr const char *kSettingsCategory = "com.brinkwolder.Triagon.settings";

class AppSettingsTest : public SettingsFileFixture
{
};

TEST_F(AppSettingsTest, emptySettingsReadAsDefaultsAndWriteNothing)
{
    const QString path = freshFile();
    AppSettings settings(path);
    LogCapture log(kSettingsCategory);

    EXPECT_EQ(settings.defaultFolderOrganization(), FolderOrganization::byTag);
    EXPECT_EQ(settings.defaultGridColumnsRaw(), 3);
    EXPECT_EQ(settings.defaultGridColumns(), 3);
    EXPECT_EQ(settings.customDefaultTagsJSON(), QString());
    EXPECT_FALSE(settings.hasCustomTags());
    EXPECT_EQ(settings.scrubModifiersJSON(), QString());
    EXPECT_TRUE(settings.showAudioPeaks());
    EXPECT_DOUBLE_EQ(settings.markerMaxDuration(), 5.0);
    EXPECT_DOUBLE_EQ(settings.markerConfidenceThreshold(), 0.3);
    EXPECT_EQ(settings.markerTagBase(), QStringLiteral("banger"));
    EXPECT_EQ(settings.audioLoudLabel(), QStringLiteral("Loud Peaks"));
    EXPECT_DOUBLE_EQ(settings.audioLoudPercentage(), 15.0);
    EXPECT_EQ(settings.audioQuietLabel(), QStringLiteral("Quiet"));
    EXPECT_DOUBLE_EQ(settings.audioQuietPercentage(), 15.0);
    EXPECT_EQ(settings.appearanceModeRaw(), QStringLiteral("System"));
    EXPECT_EQ(settings.themeColorRaw(), QStringLiteral("Orange"));
    EXPECT_EQ(settings.appearanceMode(), AppearanceMode::system);
    EXPECT_EQ(settings.themeColor(), ThemeColor::orange);
    EXPECT_EQ(settings.accentColor(), QColor(249, 115, 22));

    const QStringList builtIn{QStringLiteral("Action"),    QStringLiteral("Three"),       QStringLiteral("Dunk"),
                              QStringLiteral("Huddle"),    QStringLiteral("Warmup"),      QStringLiteral("Establishment"),
                              QStringLiteral("Interview"), QStringLiteral("Celebration"), QStringLiteral("Defense"),
                              QStringLiteral("Fast Break")};
    EXPECT_EQ(settings.decodedDefaultTags(), builtIn);
    const QList<ScrubModifier> defaults{{ModifierKey::option, 3.0}, {ModifierKey::command, 1.0}};
    EXPECT_EQ(settings.decodedScrubModifiers(), defaults);
    EXPECT_EQ(settings.effectiveMarkerTagBase(), QStringLiteral("banger"));
    EXPECT_TRUE(log.entries().isEmpty());

    // Reading never stores a default.
    EXPECT_TRUE(QSettings(path, QSettings::IniFormat).allKeys().isEmpty());
}

// Values written by an earlier run come back from the INI file as strings (a
// one-element list as a plain string); each must read as what was stored.
TEST_F(AppSettingsTest, everyKeyRoundTripsThroughTheFileOfAnEarlierRun)
{
    const QString path = freshFile();
    {
        AppSettings settings(path);
        settings.setDefaultFolderOrganization(FolderOrganization::byRating);
        settings.setDefaultGridColumnsRaw(4);
        settings.setCustomDefaultTags({QStringLiteral("Goal"), QStringLiteral("Save, late"), QStringLiteral("\"Q\"")});
        settings.setScrubModifiers({{ModifierKey::shift, 0.5}});
        settings.setShowAudioPeaks(false);
        settings.setMarkerMaxDuration(2.5);
        settings.setMarkerConfidenceThreshold(0.45);
        settings.setMarkerTagBase(QStringLiteral("  hand \n"));
        settings.setAudioLoudLabel(QStringLiteral("Loud, very"));
        settings.setAudioLoudPercentage(25.0);
        settings.setAudioQuietLabel(QStringLiteral("Hush"));
        settings.setAudioQuietPercentage(5.0);
        settings.setAppearanceModeRaw(QStringLiteral("Dark"));
        settings.setThemeColorRaw(QStringLiteral("Teal"));
    }

    // The keys are the stored format: check the file itself.
    QSettings raw(reopened(path), QSettings::IniFormat);
    EXPECT_EQ(raw.value(QStringLiteral("defaultGridColumns")).toString(), QStringLiteral("4"));
    EXPECT_EQ(raw.value(QStringLiteral("markerConfidenceThreshold.v2")).toString(), QStringLiteral("0.45"));
    EXPECT_EQ(raw.value(QStringLiteral("scrubModifiersJSON")).toString(), QStringLiteral("[{\"key\":\"shift\",\"seconds\":0.5}]"));
    EXPECT_EQ(raw.value(QStringLiteral("customDefaultTags")).toString(), QStringLiteral("[\"Goal\",\"Save, late\",\"\\\"Q\\\"\"]"));
    EXPECT_EQ(raw.value(QStringLiteral("hasCustomTags")).toString(), QStringLiteral("true"));

    AppSettings later(reopened(path));
    LogCapture log(kSettingsCategory);
    EXPECT_EQ(later.defaultFolderOrganization(), FolderOrganization::byRating);
    EXPECT_EQ(later.defaultGridColumns(), 4);
    EXPECT_TRUE(later.hasCustomTags());
    EXPECT_EQ(later.decodedDefaultTags(), (QStringList{QStringLiteral("Goal"), QStringLiteral("Save, late"), QStringLiteral("\"Q\"")}));
    EXPECT_EQ(later.decodedScrubModifiers(), (QList<ScrubModifier>{{ModifierKey::shift, 0.5}}));
    EXPECT_FALSE(later.showAudioPeaks());
    EXPECT_DOUBLE_EQ(later.markerMaxDuration(), 2.5);
    EXPECT_DOUBLE_EQ(later.markerConfidenceThreshold(), 0.45);
    EXPECT_EQ(later.markerTagBase(), QStringLiteral("  hand \n"));
    EXPECT_EQ(later.effectiveMarkerTagBase(), QStringLiteral("hand"));
    EXPECT_EQ(later.audioLoudLabel(), QStringLiteral("Loud, very"));
    EXPECT_DOUBLE_EQ(later.audioLoudPercentage(), 25.0);
    EXPECT_EQ(later.audioQuietLabel(), QStringLiteral("Hush"));
    EXPECT_DOUBLE_EQ(later.audioQuietPercentage(), 5.0);
    EXPECT_EQ(later.appearanceMode(), AppearanceMode::dark);
    EXPECT_EQ(later.themeColor(), ThemeColor::teal);
    EXPECT_TRUE(log.entries().isEmpty());
}

// A hand-edited or damaged file: values of the wrong form read as defaults,
// never as 0, false or a half-parsed number.
TEST_F(AppSettingsTest, valuesOfTheWrongFormReadAsDefaults)
{
    AppSettings settings(freshFile("[General]\n"
                                   "defaultGridColumns=4 columns\n"
                                   "showAudioPeaks=maybe\n"
                                   "hasCustomTags=yes\n"
                                   "markerMaxDuration=\" 2.5\"\n"
                                   "markerConfidenceThreshold.v2=nan\n"
                                   "audioLoudPercentage=inf\n"
                                   "audioQuietPercentage=1e999\n"
                                   "audioLoudLabel=a, b\n"
                                   "themeColor=Teal\n"));
    EXPECT_EQ(settings.defaultGridColumnsRaw(), 3);
    EXPECT_TRUE(settings.showAudioPeaks());
    EXPECT_FALSE(settings.hasCustomTags());
    EXPECT_DOUBLE_EQ(settings.markerMaxDuration(), 5.0);
    EXPECT_DOUBLE_EQ(settings.markerConfidenceThreshold(), 0.3);
    EXPECT_DOUBLE_EQ(settings.audioLoudPercentage(), 15.0);
    EXPECT_DOUBLE_EQ(settings.audioQuietPercentage(), 15.0);
    // A bare comma makes the INI value a two-element list: not a text.
    EXPECT_EQ(settings.audioLoudLabel(), QStringLiteral("Loud Peaks"));
    EXPECT_EQ(settings.themeColor(), ThemeColor::teal);
}

TEST_F(AppSettingsTest, gridColumnsAreClampedOnReadAndWrite)
{
    const QString path = freshFile("[General]\ndefaultGridColumns=-4\n");
    AppSettings settings(path);
    EXPECT_EQ(settings.defaultGridColumnsRaw(), -4);
    EXPECT_EQ(settings.defaultGridColumns(), 1);
    for (const auto &[raw, clamped] : {std::pair{0, 1}, {9, 5}, {4, 4}, {1, 1}, {5, 5}}) {
        settings.setDefaultGridColumnsRaw(raw);
        EXPECT_EQ(settings.defaultGridColumns(), clamped) << raw;
    }
    // Far beyond any integer: still a number, clamped.
    AppSettings huge(freshFile("[General]\ndefaultGridColumns=99999999999999999999999\n"));
    EXPECT_EQ(huge.defaultGridColumns(), 5);

    settings.setDefaultGridColumns(7);
    EXPECT_EQ(settings.defaultGridColumnsRaw(), 5);
    settings.setDefaultGridColumns(0);
    EXPECT_EQ(settings.defaultGridColumnsRaw(), 1);
}

TEST_F(AppSettingsTest, customTagsDecodeWithFallbackAndOneLogLine)
{
    {
        AppSettings settings(freshFile("[General]\nhasCustomTags=true\ncustomDefaultTags=[]\n"));
        LogCapture log(kSettingsCategory);
        EXPECT_TRUE(settings.decodedDefaultTags().isEmpty());
        EXPECT_TRUE(log.entries().isEmpty());
    }
    {
        AppSettings settings(freshFile("[General]\nhasCustomTags=true\ncustomDefaultTags=not json\n"));
        LogCapture log(kSettingsCategory);
        EXPECT_EQ(settings.decodedDefaultTags(), AppSettings::builtInDefaultTags());
        EXPECT_EQ(settings.decodedDefaultTags(), AppSettings::builtInDefaultTags());
        EXPECT_EQ(log.count(QtCriticalMsg, kTagsCorrupt), 1);
        EXPECT_EQ(log.entries().size(), 1);
        // The stored text is left for the user's next change to replace.
        EXPECT_EQ(settings.customDefaultTagsJSON(), QStringLiteral("not json"));
    }
    {
        // An array holding something other than names is not a tag list.
        AppSettings settings(freshFile("[General]\nhasCustomTags=true\ncustomDefaultTags=\"[\\\"a\\\", 3]\"\n"));
        LogCapture log(kSettingsCategory);
        EXPECT_EQ(settings.decodedDefaultTags(), AppSettings::builtInDefaultTags());
        EXPECT_EQ(log.count(QtCriticalMsg, kTagsCorrupt), 1);
    }
    {
        // Without hasCustomTags any stored list is ignored, silently.
        AppSettings settings(freshFile("[General]\ncustomDefaultTags=\"[\\\"Goal\\\"]\"\n"));
        LogCapture log(kSettingsCategory);
        EXPECT_EQ(settings.decodedDefaultTags(), AppSettings::builtInDefaultTags());
        EXPECT_TRUE(log.entries().isEmpty());
    }
}

TEST_F(AppSettingsTest, settingAndResettingCustomTags)
{
    const QString path = freshFile();
    AppSettings settings(path);
    QSignalSpy changed(&settings, &AppSettings::changed);
    QSignalSpy tagsChanged(&settings, &AppSettings::defaultTagsChanged);

    settings.setCustomDefaultTags({});
    EXPECT_TRUE(settings.hasCustomTags());
    EXPECT_EQ(settings.customDefaultTagsJSON(), QStringLiteral("[]"));
    EXPECT_TRUE(settings.decodedDefaultTags().isEmpty());
    EXPECT_GE(changed.count(), 1);
    EXPECT_EQ(tagsChanged.count(), 1);
    {
        // An empty list is a choice that survives the next launch.
        AppSettings later(reopened(path));
        EXPECT_TRUE(later.decodedDefaultTags().isEmpty());
    }

    settings.resetCustomTags();
    EXPECT_FALSE(settings.hasCustomTags());
    EXPECT_EQ(settings.decodedDefaultTags(), AppSettings::builtInDefaultTags());
    QSettings raw(reopened(path), QSettings::IniFormat);
    EXPECT_EQ(raw.value(QStringLiteral("customDefaultTags")), QVariant(QString()));
    EXPECT_EQ(raw.value(QStringLiteral("hasCustomTags")).toString(), QStringLiteral("false"));
    EXPECT_EQ(tagsChanged.count(), 2);
}

TEST_F(AppSettingsTest, tagsThatCannotBeWrittenStayInEffectForThisRunOnly)
{
    const QString path = freshFile();
    AppSettings settings(path);
    settings.setCustomDefaultTags({QStringLiteral("Kept")});
    LogCapture log(kSettingsCategory);

    // An unpaired surrogate has no UTF-8 form.
    const QString broken = QStringLiteral("bad") + QChar(0xD800);
    settings.setCustomDefaultTags({broken});
    EXPECT_EQ(log.count(QtCriticalMsg, kTagsEncodeFailed), 1);
    EXPECT_EQ(settings.decodedDefaultTags(), QStringList{broken});
    EXPECT_EQ(settings.customDefaultTagsJSON(), QStringLiteral("[\"Kept\"]"));
    AppSettings later(reopened(path));
    EXPECT_EQ(later.decodedDefaultTags(), QStringList{QStringLiteral("Kept")});
}

TEST_F(AppSettingsTest, scrubModifiersFallBackAsAWhole)
{
    const QList<ScrubModifier> defaults = AppSettings::defaultScrubModifiers();
    const QByteArray cases[] = {
        "scrubModifiersJSON=\"[{\\\"key\\\":\\\"option\\\",\\\"seconds\\\":2},{\\\"key\\\":\\\"fn\\\",\\\"seconds\\\":1}]\"",
        "scrubModifiersJSON=\"[{\\\"key\\\":\\\"shift\\\"}]\"",
        "scrubModifiersJSON=[]",
        "scrubModifiersJSON={}",
        "scrubModifiersJSON=garbage",
    };
    for (const QByteArray &line : cases) {
        AppSettings settings(freshFile("[General]\n" + line + "\n"));
        LogCapture log(kSettingsCategory);
        EXPECT_EQ(settings.decodedScrubModifiers(), defaults) << line.constData();
        EXPECT_EQ(settings.decodedScrubModifiers(), defaults) << line.constData();
        EXPECT_EQ(log.count(QtCriticalMsg, kModifiersCorrupt), 1) << line.constData();
    }

    AppSettings valid(freshFile("[General]\nscrubModifiersJSON=\"[{\\\"key\\\":\\\"control\\\",\\\"seconds\\\":4.5},"
                                "{\\\"seconds\\\":2,\\\"key\\\":\\\"option\\\",\\\"extra\\\":true}]\"\n"));
    EXPECT_EQ(valid.decodedScrubModifiers(), (QList<ScrubModifier>{{ModifierKey::control, 4.5}, {ModifierKey::option, 2.0}}));
}

TEST_F(AppSettingsTest, storingScrubModifiers)
{
    const QString path = freshFile();
    AppSettings settings(path);
    QSignalSpy modifiersChanged(&settings, &AppSettings::scrubModifiersChanged);

    settings.setScrubModifiers({{ModifierKey::command, 10.0}, {ModifierKey::shift, 0.5}});
    EXPECT_EQ(settings.scrubModifiersJSON(), QStringLiteral("[{\"key\":\"command\",\"seconds\":10},{\"key\":\"shift\",\"seconds\":0.5}]"));
    EXPECT_EQ(modifiersChanged.count(), 1);

    // An empty list is stored as such but is in effect as the defaults; the
    // next launch reports it and falls back.
    settings.setScrubModifiers({});
    EXPECT_EQ(settings.scrubModifiersJSON(), QStringLiteral("[]"));
    EXPECT_EQ(settings.decodedScrubModifiers(), AppSettings::defaultScrubModifiers());
    {
        AppSettings later(reopened(path));
        LogCapture log(kSettingsCategory);
        EXPECT_EQ(later.decodedScrubModifiers(), AppSettings::defaultScrubModifiers());
        EXPECT_EQ(log.count(QtCriticalMsg, kModifiersCorrupt), 1);
    }

    // JSON cannot carry an infinite window: keep it for this run, store nothing.
    settings.setScrubModifiers({{ModifierKey::option, 2.0}});
    LogCapture log(kSettingsCategory);
    const QList<ScrubModifier> unstorable{{ModifierKey::option, std::numeric_limits<double>::infinity()}};
    settings.setScrubModifiers(unstorable);
    EXPECT_EQ(log.count(QtCriticalMsg, kModifiersEncodeFailed), 1);
    EXPECT_EQ(settings.scrubModifiersJSON(), QStringLiteral("[{\"key\":\"option\",\"seconds\":2}]"));
    EXPECT_EQ(settings.decodedScrubModifiers(), unstorable);

    settings.resetScrubModifiers();
    EXPECT_EQ(settings.scrubModifiersJSON(), QString());
    EXPECT_EQ(settings.decodedScrubModifiers(), AppSettings::defaultScrubModifiers());
}

TEST_F(AppSettingsTest, markerTagBaseAndNames)
{
    AppSettings settings(freshFile());
    settings.setMarkerTagBase(QStringLiteral("  clap\t\n"));
    EXPECT_EQ(settings.effectiveMarkerTagBase(), QStringLiteral("clap"));
    EXPECT_EQ(settings.markerTagName(0), QStringLiteral("clap"));
    EXPECT_EQ(settings.markerTagName(1), QStringLiteral("clap"));
    EXPECT_EQ(settings.markerTagName(2), QStringLiteral("clapx2"));
    EXPECT_EQ(settings.markerTagName(10), QStringLiteral("clapx10"));
    settings.setMarkerTagBase(QStringLiteral("   "));
    EXPECT_EQ(settings.effectiveMarkerTagBase(), QStringLiteral("banger"));
    EXPECT_EQ(settings.markerTagName(3), QStringLiteral("bangerx3"));
    settings.setMarkerTagBase(QString());
    EXPECT_EQ(settings.markerTagBase(), QString());
    EXPECT_EQ(settings.effectiveMarkerTagBase(), QStringLiteral("banger"));
}

TEST_F(AppSettingsTest, changeSignalsFollowTheValueReadBack)
{
    AppSettings settings(freshFile("[General]\ndefaultGridColumns=9\n"));
    QSignalSpy columns(&settings, &AppSettings::defaultGridColumnsRawChanged);
    QSignalSpy theme(&settings, &AppSettings::themeColorRawChanged);
    QSignalSpy any(&settings, &AppSettings::changed);

    // 9 reads as 5; choosing 5 must still replace the stored 9.
    settings.setDefaultGridColumns(5);
    EXPECT_EQ(settings.defaultGridColumnsRaw(), 5);
    EXPECT_EQ(columns.count(), 1);

    settings.setThemeColorRaw(QStringLiteral("Blue"));
    settings.setThemeColorRaw(QStringLiteral("Blue"));
    EXPECT_EQ(theme.count(), 1);
    EXPECT_EQ(any.count(), 2);

    // Unknown texts are kept as stored but read as the defaults' choices.
    settings.setThemeColorRaw(QStringLiteral("orange"));
    settings.setAppearanceModeRaw(QStringLiteral("dark"));
    EXPECT_EQ(settings.themeColorRaw(), QStringLiteral("orange"));
    EXPECT_EQ(settings.themeColor(), ThemeColor::orange);
    EXPECT_EQ(settings.appearanceMode(), AppearanceMode::system);
}

// The tour's and the what's-new gate's values as earlier runs left them: each
// line is the whole file of one case.
TEST_F(AppSettingsTest, keyedValuesReadTheFormsAnEarlierRunLeft)
{
    const struct
    {
        const char *line;
        QStringList list;
        std::optional<QString> text;
    } cases[] = {
        {"", {}, std::nullopt},
        {"k=", {}, std::nullopt},
        {"k=onboarding-v1", {"onboarding-v1"}, "onboarding-v1"},
        {"k=intro-v0, onboarding-v1", {"intro-v0", "onboarding-v1"}, std::nullopt},
        {"k=\"1.4, beta\"", {"1.4, beta"}, "1.4, beta"},
        {"k=@ByteArray(1.4.0)", {}, "1.4.0"},
    };
    for (const auto &c : cases) {
        AppSettings settings(freshFile(QByteArray("[General]\n") + c.line + '\n'));
        EXPECT_EQ(settings.storedTextList(QStringLiteral("k")), c.list) << c.line;
        EXPECT_EQ(settings.storedText(QStringLiteral("k")), c.text) << c.line;
    }
}

// The application's own file, as a later run of the application finds it.
TEST(AppSettingsFile, readsTheApplicationsSettingsFile)
{
    const QString path = QSettings().fileName();
    ASSERT_TRUE(path.startsWith(QDir::homePath())) << qPrintable(path);
    ASSERT_TRUE(path.endsWith(QStringLiteral("brinkwolder/Triagon.conf"))) << qPrintable(path);
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath()));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("[General]\nhasCustomTags=true\ncustomDefaultTags=\"[\\\"Solo\\\"]\"\ndefaultGridColumns=2\n");
    file.close();

    AppSettings settings;
    EXPECT_EQ(settings.decodedDefaultTags(), QStringList{QStringLiteral("Solo")});
    EXPECT_EQ(settings.defaultGridColumns(), 2);
}

} // namespace

TEST_F(AppSettingsTest, theMainWindowsFrameRoundTripsAndAnythingElseReadsAsNone)
{
    const QString path = freshFile();
    {
        AppSettings settings(path);
        EXPECT_FALSE(settings.mainWindowFrame().has_value());
        settings.setMainWindowFrame(WindowFrame{QRect(-20, 40, 1400, 900), true});
    }
    AppSettings later(reopened(path));
    ASSERT_TRUE(later.mainWindowFrame().has_value());
    EXPECT_EQ(later.mainWindowFrame()->geometry, QRect(-20, 40, 1400, 900));
    EXPECT_TRUE(later.mainWindowFrame()->maximized);

    for (const char *text : {"1 2 3", "1 2 3 4 5", "1  2 3 4", "1 2 0 4", "1 2 -3 4", "a b c d", "1,2,3,4", "1 2 3 99999999"}) {
        AppSettings settings(freshFile(QByteArray("[General]\nmainWindowFrame=") + text + "\n"));
        EXPECT_FALSE(settings.mainWindowFrame().has_value()) << text;
    }
    AppSettings plain(freshFile("[General]\nmainWindowFrame=10 20 800 600\nmainWindowMaximized=maybe\n"));
    ASSERT_TRUE(plain.mainWindowFrame().has_value());
    EXPECT_FALSE(plain.mainWindowFrame()->maximized);
}

TEST(WindowFrame, FitsOnlyWhollyWithinOneScreensAvailableArea)
{
    const QList<QRect> screens{QRect(0, 0, 1920, 1050), QRect(1920, 0, 1280, 1024)};
    EXPECT_TRUE((WindowFrame{QRect(100, 80, 1400, 900), false}.fitsOneOf(screens)));
    EXPECT_TRUE((WindowFrame{QRect(2000, 10, 1200, 800), false}.fitsOneOf(screens)));
    // Across two screens, past an edge, or larger than any screen.
    EXPECT_FALSE((WindowFrame{QRect(1500, 80, 1000, 700), false}.fitsOneOf(screens)));
    EXPECT_FALSE((WindowFrame{QRect(-50, 80, 1000, 700), false}.fitsOneOf(screens)));
    EXPECT_FALSE((WindowFrame{QRect(0, 0, 2000, 1100), false}.fitsOneOf(screens)));
    // The second screen unplugged.
    EXPECT_FALSE((WindowFrame{QRect(2000, 10, 1200, 800), false}.fitsOneOf({screens.first()})));
    EXPECT_FALSE((WindowFrame{QRect(0, 0, 800, 600), false}.fitsOneOf({})));
}
