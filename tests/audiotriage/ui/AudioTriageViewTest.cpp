#include "audiotriage/AudioTriageTestSupport.h"

#include "app/AppSettings.h"
#include "app/SystemColor.h"
#include "app/ThemeColor.h"
#include "app/widgets/ElidedLabel.h"
#include "app/widgets/SymbolView.h"
#include "app/widgets/ToggleSwitch.h"
#include "audiotriage/ui/AudioRulePanel.h"
#include "audiotriage/ui/AudioTriageView.h"
#include "library/ClipStore.h"
#include "support/StoreWithEngines.h"
#include "support/SettingsFileFixture.h"
#include "support/Children.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

using namespace AudioTriageTest;
using Phase = AudioTriageView::Phase;
using Mode = AudioTriageRule::SelectionMode;

namespace {

class AudioTriageSheet : public SettingsFileFixture
{
protected:
    void open(const QByteArray &settingsFile = {})
    {
        settingsPath = freshFile(settingsFile);
        settings = std::make_unique<AppSettings>(settingsPath);
        view = std::make_unique<AudioTriageView>(store, *settings, [this] { ++dismissed; });
        view->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
    }

    void addClips(const QStringList &media)
    {
        QList<Clip> clips = store.clips();
        for (const QString &name : media)
            clips.append(mediaClip(name));
        store.setClips(clips);
    }

    void analyze()
    {
        view->startAnalysis();
        ASSERT_TRUE(waitUntil([&] { return view->phase() == Phase::results; }));
    }

    const Clip &clipNamed(const QString &name) const
    {
        for (const Clip &clip : store.clips()) {
            if (clip.filename == name)
                return clip;
        }
        static Clip none;
        ADD_FAILURE() << "no clip " << name.toStdString();
        return none;
    }

    static bool shown(QWidget *widget) { return widget->isVisible(); }

    StoreWithEngines withEngines;
    ClipStore &store = withEngines.store;
    QString settingsPath;
    std::unique_ptr<AppSettings> settings;
    std::unique_ptr<AudioTriageView> view;
    int dismissed = 0;
};

QString quoted(const QString &text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

} // namespace

TEST_F(AudioTriageSheet, EmptySessionCannotBeAnalyzedButCanBeLeft)
{
    open();
    EXPECT_EQ(view->phase(), Phase::ready);
    EXPECT_EQ(view->width(), AudioTriageView::sheetWidth);
    EXPECT_EQ(view->clipCountLabel()->text(), QStringLiteral("0"));
    EXPECT_TRUE(shown(view->emptyWarning()));
    EXPECT_EQ(child<QPushButton>(view.get(), "analyzeButton")->text(), QStringLiteral("Analyze 0 Clips"));
    EXPECT_FALSE(child<QPushButton>(view.get(), "analyzeButton")->isEnabled());
    EXPECT_TRUE(shown(view->closeButton()));
    EXPECT_EQ(view->closeButton()->accessibleName(), QStringLiteral("Close"));

    QTest::keyClick(view.get(), Qt::Key_Return);
    EXPECT_EQ(view->phase(), Phase::ready);
    EXPECT_EQ(dismissed, 0);
    QTest::keyClick(view.get(), Qt::Key_Escape);
    EXPECT_EQ(dismissed, 1);
    QTest::mouseClick(view->readyCancelButton(), Qt::LeftButton);
    EXPECT_EQ(dismissed, 2);
    QTest::mouseClick(view->closeButton(), Qt::LeftButton);
    EXPECT_EQ(dismissed, 3);
}

TEST_F(AudioTriageSheet, TheClipCountFollowsTheStore)
{
    addClips({QStringLiteral("tone_half_mono16k.mov")});
    open();
    // One clip still reads "Clips".
    EXPECT_EQ(child<QPushButton>(view.get(), "analyzeButton")->text(), QStringLiteral("Analyze 1 Clips"));
    EXPECT_TRUE(child<QPushButton>(view.get(), "analyzeButton")->isEnabled());
    EXPECT_FALSE(shown(view->emptyWarning()));
    addClips({QStringLiteral("tone_tenth_mono16k.mov"), QStringLiteral("noaudio.mp4")});
    EXPECT_EQ(view->clipCountLabel()->text(), QStringLiteral("3"));
    EXPECT_EQ(child<QPushButton>(view.get(), "analyzeButton")->text(), QStringLiteral("Analyze 3 Clips"));
    // Return analyzes the clips there are now.
    QTest::keyClick(view.get(), Qt::Key_Return);
    EXPECT_EQ(view->phase(), Phase::analyzing);
    EXPECT_EQ(view->totalToAnalyze(), 3);
    ASSERT_TRUE(waitUntil([&] { return view->phase() == Phase::results; }));
}

TEST_F(AudioTriageSheet, RuleDefaultsComeFromTheSettingsOnceAndOutOfRangeValuesAreNotWrittenBack)
{
    const QByteArray file =
        "[General]\naudioLoudLabel=Highlights\naudioLoudPercentage=500\naudioQuietLabel=B-roll\naudioQuietPercentage=inf\n";
    open(file);
    EXPECT_TRUE(view->didLoadSettings());
    EXPECT_EQ(view->loudRule().label, QStringLiteral("Highlights"));
    EXPECT_EQ(view->loudRule().percentage, 50);
    EXPECT_EQ(view->quietRule().label, QStringLiteral("B-roll"));
    EXPECT_EQ(view->quietRule().percentage, 15);
    EXPECT_EQ(child<AudioRulePanel>(view.get(), "loudPanel")->percentageText()->text(), QStringLiteral("50%"));
    EXPECT_EQ(child<AudioRulePanel>(view.get(), "loudPanel")->labelField()->text(), QStringLiteral("Highlights"));
    // Thresholds, modes and switches are the sheet's own.
    EXPECT_EQ(view->loudRule().threshold, 0.25);
    EXPECT_EQ(view->quietRule().threshold, 0.05);
    EXPECT_EQ(view->loudRule().mode, Mode::percentage);

    // Nothing was written back.
    QFile stored(settingsPath);
    ASSERT_TRUE(stored.open(QIODevice::ReadOnly));
    EXPECT_EQ(stored.readAll(), file);

    // Later changes of the settings reach later sheets only.
    settings->setAudioLoudLabel(QStringLiteral("Later"));
    view->hide();
    view->show();
    EXPECT_EQ(view->loudRule().label, QStringLiteral("Highlights"));
}

TEST_F(AudioTriageSheet, AnalyzingShowsEachClipAndOffersNoWayOut)
{
    addClips({QStringLiteral("tone_tenth_mono16k.mov"), QStringLiteral("silence_mono16k.mov"), QStringLiteral("tone_half_mono16k.mov")});
    open();
    QTest::mouseClick(child<QPushButton>(view.get(), "analyzeButton"), Qt::LeftButton);
    ASSERT_EQ(view->phase(), Phase::analyzing);
    EXPECT_EQ(view->totalToAnalyze(), 3);
    EXPECT_EQ(view->progressCounterLabel()->text(), QStringLiteral("0 / 3"));
    EXPECT_EQ(view->progressBar()->value(), 0);
    EXPECT_FALSE(shown(view->closeButton()));
    EXPECT_TRUE(view->analyzingSymbol()->isPulsing());
    EXPECT_EQ(view->progressBar()->accessibleName(), QStringLiteral("Analysis progress"));

    struct Step
    {
        QString counter;
        int bar;
        int barMaximum;
        QString name;
        QString value;
    };
    QList<Step> steps;
    auto *run = store.findChild<AudioTriageRun *>();
    ASSERT_NE(run, nullptr);
    QObject::connect(run, &AudioTriageRun::progress, view.get(), [&] {
        steps.append({view->progressCounterLabel()->text(), view->progressBar()->value(), view->progressBar()->maximum(),
                      view->progressNameLabel()->text(), view->progressBar()->accessibleDescription()});
        // Nothing closes the sheet meanwhile.
        QTest::keyClick(view.get(), Qt::Key_Escape);
        QTest::keyClick(view.get(), Qt::Key_Return);
    });
    ASSERT_TRUE(waitUntil([&] { return view->phase() == Phase::results; }));
    EXPECT_EQ(dismissed, 0);
    ASSERT_EQ(steps.size(), 3);
    const QStringList names{QStringLiteral("tone_tenth_mono16k.mov"), QStringLiteral("silence_mono16k.mov"),
                            QStringLiteral("tone_half_mono16k.mov")};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(steps[i].counter, QStringLiteral("%1 / 3").arg(i + 1));
        EXPECT_EQ(steps[i].bar, i + 1);
        EXPECT_EQ(steps[i].barMaximum, 3);
        EXPECT_EQ(steps[i].name, names[i]);
        EXPECT_EQ(steps[i].value, QStringLiteral("%1 of 3 clips").arg(i + 1));
    }
    // The last clip's values stay.
    EXPECT_EQ(view->currentClipIndex(), 3);
    EXPECT_EQ(view->currentClipName(), names[2]);
    EXPECT_TRUE(shown(view->closeButton()));
}

TEST_F(AudioTriageSheet, ResultsProposeThresholdsAndApplyTagsGroupsAndOrganizesByTag)
{
    addClips({QStringLiteral("tone_tenth_mono16k.mov"), QStringLiteral("silence_mono16k.mov"), QStringLiteral("tone_half_mono16k.mov")});
    open();
    analyze();
    EXPECT_EQ(view->headlineLabel()->text(), QStringLiteral("Analysis complete \u2014 3 clips ranked by loudness"));
    EXPECT_EQ(names(view->sortedResults()), (QStringList{QStringLiteral("tone_half_mono16k.mov"), QStringLiteral("tone_tenth_mono16k.mov"),
                                                         QStringLiteral("silence_mono16k.mov")}));
    EXPECT_NEAR(view->loudRule().threshold, 0.7 * 0.35355, 1e-4);
    EXPECT_EQ(view->quietRule().threshold, 0.01);
    // 15 % of 3 is one clip each.
    EXPECT_EQ(child<AudioRulePanel>(view.get(), "loudPanel")->countNumber()->text(), QStringLiteral("1"));
    EXPECT_EQ(child<AudioRulePanel>(view.get(), "loudPanel")->countWord()->text(), QStringLiteral("clip"));
    EXPECT_EQ(view->loudSummaryLabel()->text(), QStringLiteral("1 clips will be tagged ") + quoted(QStringLiteral("Loud Peaks")));
    EXPECT_EQ(view->quietSummaryLabel()->text(), QStringLiteral("1 clips will be tagged ") + quoted(QStringLiteral("Quiet")));
    EXPECT_EQ(view->untouchedSummaryLabel()->text(), QStringLiteral("1 clips left untouched"));
    EXPECT_TRUE(view->applyButton()->isDefault());

    store.setFolderOrganization(FolderOrganization::byRating);
    QTest::keyClick(view.get(), Qt::Key_Return);
    EXPECT_EQ(dismissed, 1);
    EXPECT_EQ(clipNamed(QStringLiteral("tone_half_mono16k.mov")).tags, QStringList{QStringLiteral("Loud Peaks")});
    EXPECT_EQ(clipNamed(QStringLiteral("silence_mono16k.mov")).tags, QStringList{QStringLiteral("Quiet")});
    EXPECT_TRUE(clipNamed(QStringLiteral("tone_tenth_mono16k.mov")).tags.isEmpty());
    EXPECT_EQ(store.groupMode(), GroupMode::category);
    EXPECT_EQ(store.folderOrganization(), FolderOrganization::byTag);
    EXPECT_TRUE(store.availableTags().contains(QStringLiteral("Loud Peaks")));
    EXPECT_EQ(store.undoTitle(), QStringLiteral("Undo Audio Triage (2 clips)"));
    // The organize preview is planned with the new tags.
    ASSERT_TRUE(store.exportPreviewTree().has_value());
    EXPECT_EQ(store.exportPreviewTree()->size(), 2);

    store.undo();
    EXPECT_TRUE(clipNamed(QStringLiteral("tone_half_mono16k.mov")).tags.isEmpty());
    EXPECT_TRUE(clipNamed(QStringLiteral("silence_mono16k.mov")).tags.isEmpty());
}

TEST_F(AudioTriageSheet, TheSummaryAnnouncesWhatTheApplyTags)
{
    addClips({QStringLiteral("tone_tenth_mono16k.mov"), QStringLiteral("silence_mono16k.mov"), QStringLiteral("tone_half_mono16k.mov")});
    open();
    analyze();
    // 50 % of 3 is two clips each, so the middle clip would be counted twice.
    child<AudioRulePanel>(view.get(), "loudPanel")->percentageSlider()->setValue(50);
    child<AudioRulePanel>(view.get(), "quietPanel")->percentageSlider()->setValue(50);
    EXPECT_EQ(child<AudioRulePanel>(view.get(), "loudPanel")->countNumber()->text(), QStringLiteral("2"));
    EXPECT_EQ(child<AudioRulePanel>(view.get(), "quietPanel")->countNumber()->text(), QStringLiteral("2"));
    EXPECT_EQ(view->loudSummaryLabel()->text(), QStringLiteral("2 clips will be tagged ") + quoted(QStringLiteral("Loud Peaks")));
    EXPECT_EQ(view->quietSummaryLabel()->text(), QStringLiteral("1 clips will be tagged ") + quoted(QStringLiteral("Quiet")));
    EXPECT_EQ(view->untouchedSummaryLabel()->text(), QStringLiteral("0 clips left untouched"));
    QTest::mouseClick(view->applyButton(), Qt::LeftButton);
    EXPECT_EQ(clipNamed(QStringLiteral("tone_half_mono16k.mov")).tags, QStringList{QStringLiteral("Loud Peaks")});
    EXPECT_EQ(clipNamed(QStringLiteral("tone_tenth_mono16k.mov")).tags, QStringList{QStringLiteral("Loud Peaks")});
    EXPECT_EQ(clipNamed(QStringLiteral("silence_mono16k.mov")).tags, QStringList{QStringLiteral("Quiet")});
}

TEST_F(AudioTriageSheet, OneResultTakenByBothRulesIsTaggedLoudOnly)
{
    addClips({QStringLiteral("tone_half_mono16k.mov")});
    open();
    analyze();
    EXPECT_EQ(child<AudioRulePanel>(view.get(), "loudPanel")->countWord()->text(), QStringLiteral("clip"));
    EXPECT_EQ(child<AudioRulePanel>(view.get(), "quietPanel")->countNumber()->text(), QStringLiteral("1"));
    EXPECT_EQ(view->loudSummaryLabel()->text(), QStringLiteral("1 clips will be tagged ") + quoted(QStringLiteral("Loud Peaks")));
    EXPECT_EQ(view->quietSummaryLabel()->text(), QStringLiteral("0 clips will be tagged ") + quoted(QStringLiteral("Quiet")));
    EXPECT_EQ(view->untouchedSummaryLabel()->text(), QStringLiteral("0 clips left untouched"));
    // A single clip's proposals: 0.7 and 2 times its own level.
    EXPECT_NEAR(view->quietRule().threshold, 2 * 0.35355, 1e-4);
    EXPECT_EQ(child<AudioRulePanel>(view.get(), "quietPanel")->thresholdText()->text(), QStringLiteral("0.71"));
    // Escape leaves without tagging.
    QTest::keyClick(view.get(), Qt::Key_Escape);
    EXPECT_EQ(dismissed, 1);
    EXPECT_TRUE(store.clips()[0].tags.isEmpty());
    EXPECT_EQ(store.audioMetrics().size(), 1);
}

TEST_F(AudioTriageSheet, RulesSwitchedOffLeaveOnlyTheUntouchedLine)
{
    addClips({QStringLiteral("tone_tenth_mono16k.mov"), QStringLiteral("silence_mono16k.mov"), QStringLiteral("tone_half_mono16k.mov")});
    open();
    analyze();
    QTest::mouseClick(child<AudioRulePanel>(view.get(), "loudPanel")->enabledSwitch(), Qt::LeftButton);
    EXPECT_FALSE(view->loudRule().enabled);
    EXPECT_FALSE(shown(child<AudioRulePanel>(view.get(), "loudPanel")->body()));
    EXPECT_FALSE(shown(view->loudSummaryLine()));
    EXPECT_TRUE(view->applyButton()->isEnabled());
    QTest::mouseClick(child<AudioRulePanel>(view.get(), "quietPanel")->enabledSwitch(), Qt::LeftButton);
    EXPECT_FALSE(view->applyButton()->isEnabled());
    EXPECT_FALSE(shown(view->quietSummaryLine()));
    EXPECT_EQ(view->untouchedSummaryLabel()->text(), QStringLiteral("3 clips left untouched"));
    QTest::keyClick(view.get(), Qt::Key_Return);
    EXPECT_EQ(dismissed, 0);

    // Switched on again, a rule comes back as it was.
    QTest::mouseClick(child<AudioRulePanel>(view.get(), "loudPanel")->enabledSwitch(), Qt::LeftButton);
    EXPECT_TRUE(shown(child<AudioRulePanel>(view.get(), "loudPanel")->body()));
    EXPECT_EQ(child<AudioRulePanel>(view.get(), "loudPanel")->percentageText()->text(), QStringLiteral("15%"));

    // With nothing to tag the apply still groups and organizes; a grouping by
    // rating stays.
    QTest::mouseClick(child<AudioRulePanel>(view.get(), "loudPanel")->enabledSwitch(), Qt::LeftButton);
    store.setGroupMode(GroupMode::rating);
    store.setFolderOrganization(FolderOrganization::byRating);
    view->applyAudioTags();
    EXPECT_EQ(dismissed, 1);
    EXPECT_EQ(store.groupMode(), GroupMode::rating);
    EXPECT_EQ(store.folderOrganization(), FolderOrganization::byTag);
    EXPECT_TRUE(store.undoStack().isEmpty());
}

TEST_F(AudioTriageSheet, ModesSlidersAndLabelsUpdateTheCountsAtOnce)
{
    addClips({QStringLiteral("tone_tenth_mono16k.mov"), QStringLiteral("silence_mono16k.mov"), QStringLiteral("tone_half_mono16k.mov")});
    open();
    analyze();
    AudioRulePanel *loud = child<AudioRulePanel>(view.get(), "loudPanel");
    QTest::mouseClick(loud->modeButton(Mode::threshold), Qt::LeftButton);
    EXPECT_EQ(view->loudRule().mode, Mode::threshold);
    EXPECT_TRUE(shown(loud->thresholdSlider()));
    EXPECT_FALSE(shown(loud->percentageSlider()));
    EXPECT_EQ(loud->thresholdText()->text(), QStringLiteral("0.25"));
    EXPECT_EQ(loud->modeButton(Mode::percentage)->text(), QStringLiteral("Top/Bottom %"));

    // Above every clip: none chosen, the button stays.
    loud->thresholdSlider()->setValue(50);
    EXPECT_EQ(loud->thresholdText()->text(), QStringLiteral("0.50"));
    EXPECT_EQ(loud->countNumber()->text(), QStringLiteral("0"));
    EXPECT_EQ(loud->countWord()->text(), QStringLiteral("clips"));
    EXPECT_TRUE(view->applyButton()->isEnabled());
    loud->thresholdSlider()->setValue(7);
    EXPECT_EQ(loud->thresholdText()->text(), QStringLiteral("0.07"));
    EXPECT_EQ(loud->thresholdSlider()->accessibleDescription(), QStringLiteral("0.07"));
    EXPECT_EQ(loud->countNumber()->text(), QStringLiteral("2"));

    // The percentage slider moves in steps of 5. (The segment is toggled the
    // way assistive tools press it, without a click.)
    loud->modeButton(Mode::percentage)->toggle();
    EXPECT_EQ(view->loudRule().mode, Mode::percentage);
    loud->percentageSlider()->setValue(37);
    EXPECT_EQ(loud->percentageSlider()->value(), 35);
    EXPECT_EQ(view->loudRule().percentage, 35);
    EXPECT_EQ(loud->percentageText()->text(), QStringLiteral("35%"));
    EXPECT_EQ(loud->percentageSlider()->accessibleDescription(), QStringLiteral("35 percent"));
    EXPECT_EQ(loud->percentageSlider()->accessibleName(), QStringLiteral("Loud Peaks percentage"));

    // The label as typed, also empty; an empty label tags nothing.
    QLineEdit *field = loud->labelField();
    EXPECT_EQ(field->accessibleName(), QStringLiteral("Loud Peaks tag label"));
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Backspace);
    EXPECT_EQ(view->loudRule().label, QString());
    EXPECT_EQ(view->loudSummaryLabel()->text(), QStringLiteral("0 clips will be tagged \"\""));
    QTest::keyClicks(field, QStringLiteral("Hype"));
    // 35 % of 3 results is ceil(1.05) = 2.
    EXPECT_EQ(view->loudSummaryLabel()->text(), QStringLiteral("2 clips will be tagged ") + quoted(QStringLiteral("Hype")));
    // The panel keeps its title.
    EXPECT_EQ(loud->enabledSwitch()->accessibleName(), QStringLiteral("Loud Peaks group"));
}

TEST_F(AudioTriageSheet, TheThemeColourRecoloursTheLoudRuleOnly)
{
    addClips({QStringLiteral("tone_half_mono16k.mov")});
    open();
    analyze();
    auto textColor = [](QLabel *label) { return label->palette().color(QPalette::WindowText); };
    EXPECT_EQ(textColor(view->loudSummaryLabel()), brandAccentColor());
    settings->setThemeColorRaw(QStringLiteral("Purple"));
    EXPECT_EQ(textColor(view->loudSummaryLabel()), themeColorValue(ThemeColor::purple));
    EXPECT_EQ(textColor(child<AudioRulePanel>(view.get(), "loudPanel")->countNumber()), themeColorValue(ThemeColor::purple));
    EXPECT_EQ(view->applyButton()->palette().color(QPalette::Button), themeColorValue(ThemeColor::purple));
    EXPECT_EQ(textColor(view->quietSummaryLabel()), systemColor(SystemColor::blue));
    // A stored value that names no theme is the brand orange.
    settings->setThemeColorRaw(QStringLiteral("Mauve"));
    EXPECT_EQ(textColor(view->loudSummaryLabel()), brandAccentColor());
}

TEST_F(AudioTriageSheet, AnEmptySessionsRunEndsAtOnceAndTheApplyStillOrganizes)
{
    open();
    analyze();
    EXPECT_EQ(view->headlineLabel()->text(), QStringLiteral("Analysis complete \u2014 0 clips ranked by loudness"));
    EXPECT_EQ(view->loudRule().threshold, 0.25);
    EXPECT_EQ(view->quietRule().threshold, 0.05);
    EXPECT_EQ(view->untouchedSummaryLabel()->text(), QStringLiteral("0 clips left untouched"));
    EXPECT_TRUE(view->applyButton()->isEnabled());
    QTest::mouseClick(view->applyButton(), Qt::LeftButton);
    EXPECT_EQ(dismissed, 1);
    EXPECT_EQ(store.groupMode(), GroupMode::category);
}

TEST_F(AudioTriageSheet, TheRunGoesOnWhenTheSheetCloses)
{
    addClips({QStringLiteral("tone_tenth_mono16k.mov"), QStringLiteral("burst_mono16k.mov"), QStringLiteral("tone_half_stereo48k.mkv")});
    open();
    QTest::mouseClick(child<QPushButton>(view.get(), "analyzeButton"), Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] { return view->currentClipIndex() == 1; }));
    view.reset();
    ASSERT_TRUE(waitUntil([&] { return store.audioMetrics().size() == 3; }));
    EXPECT_NEAR(store.audioMetrics().value(clipNamed(QStringLiteral("burst_mono16k.mov")).id).peakAmplitude, 0.9, 1e-4);

    // A new sheet starts from the beginning and reuses every record.
    open();
    EXPECT_EQ(view->phase(), Phase::ready);
    analyze();
    EXPECT_EQ(view->sortedResults().size(), 3);
}

TEST_F(AudioTriageSheet, ALabelThatBreaksTheTagNameRuleKeepsApplyOffAndSaysWhy)
{
    addClips({QStringLiteral("tone_tenth_mono16k.mov"), QStringLiteral("silence_mono16k.mov"), QStringLiteral("tone_half_mono16k.mov")});
    open();
    analyze();
    AudioRulePanel *loud = child<AudioRulePanel>(view.get(), "loudPanel");
    AudioRulePanel *quiet = child<AudioRulePanel>(view.get(), "quietPanel");
    EXPECT_FALSE(shown(child<QLabel>(loud, "labelNotice")));
    EXPECT_TRUE(view->applyButton()->isEnabled());

    QLineEdit *field = loud->labelField();
    field->selectAll();
    QTest::keyClicks(field, QStringLiteral("Crowd/Noise"));
    EXPECT_FALSE(view->applyButton()->isEnabled());
    ASSERT_TRUE(shown(child<QLabel>(loud, "labelNotice")));
    EXPECT_EQ(child<QLabel>(loud, "labelNotice")->text(), QStringLiteral("Names cannot contain slashes, colons, or control characters."));
    // Return does not apply either.
    QTest::keyClick(view.get(), Qt::Key_Return);
    EXPECT_EQ(dismissed, 0);
    for (const Clip &clip : store.clips())
        EXPECT_TRUE(clip.tags.isEmpty());

    // Mended: the notice goes and Apply comes back.
    field->selectAll();
    QTest::keyClicks(field, QStringLiteral("Crowd Noise"));
    EXPECT_FALSE(shown(child<QLabel>(loud, "labelNotice")));
    EXPECT_TRUE(view->applyButton()->isEnabled());

    // ".." in the quiet rule, then the quiet rule switched off: its label no
    // longer counts.
    quiet->labelField()->selectAll();
    QTest::keyClicks(quiet->labelField(), QStringLiteral(".."));
    EXPECT_TRUE(shown(child<QLabel>(quiet, "labelNotice")));
    EXPECT_FALSE(view->applyButton()->isEnabled());
    quiet->enabledSwitch()->click();
    EXPECT_FALSE(view->quietRule().enabled);
    EXPECT_TRUE(view->applyButton()->isEnabled());
    QTest::mouseClick(view->applyButton(), Qt::LeftButton);
    EXPECT_EQ(dismissed, 1);
    EXPECT_EQ(clipNamed(QStringLiteral("tone_half_mono16k.mov")).tags, QStringList{QStringLiteral("Crowd Noise")});
    EXPECT_TRUE(clipNamed(QStringLiteral("silence_mono16k.mov")).tags.isEmpty());
}
