#include "app/AppSettings.h"
#include "app/LogCapture.h"
#include "settings/ui/ScrubSettingsTab.h"
#include "settings/ui/SettingsView.h"
#include "settings/ui/TagChip.h"
#include "settings/ui/TagChipList.h"
#include "settings/ui/TagsSettingsTab.h"
#include "support/AccessibleRead.h"
#include "support/SettingsFileFixture.h"
#include "support/Children.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QSlider>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

namespace {

const QStringList kBuiltIn{QStringLiteral("Action"),    QStringLiteral("Three"),       QStringLiteral("Dunk"),
                           QStringLiteral("Huddle"),    QStringLiteral("Warmup"),      QStringLiteral("Establishment"),
                           QStringLiteral("Interview"), QStringLiteral("Celebration"), QStringLiteral("Defense"),
                           QStringLiteral("Fast Break")};

class ListTabsTest : public SettingsFileFixture
{
protected:
    SettingsView &open(const QByteArray &ini, const QString &tab)
    {
        path = freshFile(ini);
        settings = std::make_unique<AppSettings>(path);
        view = std::make_unique<SettingsView>(*settings);
        view->show();
        view->setTab(tab);
        return *view;
    }
    // A fresh settings object over what was written: what the next run reads.
    // (Nothing written yet: the file does not exist.)
    QString nextRunFile() { return QFileInfo::exists(path) ? reopened(path) : freshFile(); }
    std::unique_ptr<AppSettings> nextRun() { return std::make_unique<AppSettings>(nextRunFile()); }
    QString storedText(const QString &key)
    {
        QSettings raw(nextRunFile(), QSettings::IniFormat);
        return raw.value(key).toString();
    }
    static QStringList chipNames(TagsSettingsTab *tab)
    {
        QStringList names;
        for (QWidget *chip : tab->chips())
            names.append(chip->accessibleName());
        return names;
    }
    static QStringList rowKeys(ScrubSettingsTab *tab)
    {
        QStringList keys;
        for (const ScrubModifier &m : tab->modifiers())
            keys.append(modifierKeyRawValue(m.key) + QLatin1Char(':') + QString::number(m.seconds));
        return keys;
    }
    static QStringList options(QComboBox *picker)
    {
        QStringList texts;
        for (int i = 0; i < picker->count(); ++i)
            texts.append(picker->itemText(i));
        return texts;
    }

    QString path;
    std::unique_ptr<AppSettings> settings;
    std::unique_ptr<SettingsView> view;
};

TEST_F(ListTabsTest, tagsTabAddsTrimmedNamesAndStoresTheWholeList)
{
    TagsSettingsTab *tab = open({}, QStringLiteral("tags")).tagsTab();
    EXPECT_EQ(TagsSettingsTab::noteText(),
              QStringLiteral("Default tags for new sessions. To use them now, choose Session actions \u2192 Manage Tags "
                             "\u2192 Apply Default Tags."));
    EXPECT_EQ(chipNames(tab), kBuiltIn);
    EXPECT_EQ(tab->newTagField()->placeholderText(), QStringLiteral("New tag name"));
    EXPECT_EQ(tab->newTagField()->width(), 160);
    EXPECT_FALSE(tab->addButton()->isEnabled());
    ASSERT_TRUE(tab->removeButton(QStringLiteral("Dunk")));
    EXPECT_EQ(tab->removeButton(QStringLiteral("Dunk"))->accessibleName(), QStringLiteral("Remove Dunk"));

    QTest::keyClicks(tab->newTagField(), QStringLiteral("  Timeout  "));
    EXPECT_TRUE(tab->addButton()->isEnabled());
    QTest::keyClick(tab->newTagField(), Qt::Key_Return);
    EXPECT_EQ(chipNames(tab).last(), QStringLiteral("Timeout"));
    EXPECT_TRUE(tab->newTagField()->text().isEmpty());
    QStringList expected = kBuiltIn;
    expected.append(QStringLiteral("Timeout"));
    auto later = nextRun();
    EXPECT_TRUE(later->hasCustomTags());
    EXPECT_EQ(later->decodedDefaultTags(), expected);

    // Case matters: "action" is a new tag; "Action" again is refused and stays.
    QTest::keyClicks(tab->newTagField(), QStringLiteral("action"));
    QTest::mouseClick(tab->addButton(), Qt::LeftButton);
    EXPECT_EQ(chipNames(tab).last(), QStringLiteral("action"));
    QTest::keyClicks(tab->newTagField(), QStringLiteral("Action"));
    EXPECT_TRUE(tab->addButton()->isEnabled());
    QTest::mouseClick(tab->addButton(), Qt::LeftButton);
    EXPECT_EQ(tab->newTagField()->text(), QStringLiteral("Action"));
    EXPECT_EQ(chipNames(tab).count(QStringLiteral("Action")), 1);
}

TEST_F(ListTabsTest, tagsTabRefusesNamesThatCannotBeFolders)
{
    TagsSettingsTab *tab = open({}, QStringLiteral("tags")).tagsTab();
    for (const QString &bad : {QStringLiteral("a/b"), QStringLiteral("a:b"), QStringLiteral("a\\b"), QStringLiteral("."),
                               QStringLiteral(".."), QStringLiteral("   "), QStringLiteral("zero\u200bwidth")}) {
        tab->newTagField()->setText(bad);
        EXPECT_FALSE(tab->addButton()->isEnabled()) << qPrintable(bad);
        QTest::keyClick(tab->newTagField(), Qt::Key_Return);
        EXPECT_EQ(tab->newTagField()->text(), bad);
    }
    EXPECT_EQ(chipNames(tab), kBuiltIn);
    EXPECT_FALSE(nextRun()->hasCustomTags());
}

TEST_F(ListTabsTest, tagsTabRemovingEveryChipStoresAnEmptyListAndResetBringsTheBuiltInsBack)
{
    TagsSettingsTab *tab = open("[General]\nmarkerTagBase=hand\n", QStringLiteral("tags")).tagsTab();
    while (!tab->chips().isEmpty()) {
        const QString first = tab->chips().first()->accessibleName();
        QTest::mouseClick(tab->removeButton(first), Qt::LeftButton);
    }
    auto later = nextRun();
    EXPECT_TRUE(later->hasCustomTags());
    EXPECT_TRUE(later->decodedDefaultTags().isEmpty());

    QTest::mouseClick(tab->resetButton(), Qt::LeftButton);
    EXPECT_EQ(chipNames(tab), kBuiltIn);
    later = nextRun();
    EXPECT_FALSE(later->hasCustomTags());
    EXPECT_EQ(later->decodedDefaultTags(), kBuiltIn);
    // The hand-marker base is not part of the reset.
    EXPECT_EQ(later->markerTagBase(), QStringLiteral("hand"));
    EXPECT_EQ(child<QLineEdit>(tab, "markerTagField")->text(), QStringLiteral("hand"));
}

TEST_F(ListTabsTest, tagsTabLoadsOnceAndShowsADuplicatedStoredNameOnce)
{
    TagsSettingsTab *tab = open("[General]\nhasCustomTags=true\ncustomDefaultTags=\"[\\\"Goal\\\",\\\"Save\\\",\\\"Goal\\\"]\"\n",
                                QStringLiteral("tags"))
                               .tagsTab();
    EXPECT_TRUE(tab->didLoad());
    EXPECT_EQ(chipNames(tab), (QStringList{QStringLiteral("Goal"), QStringLiteral("Save")}));
    // Changes made elsewhere do not reload the list on screen.
    settings->setCustomDefaultTags({QStringLiteral("Other")});
    view->setTab(QStringLiteral("general"));
    view->setTab(QStringLiteral("tags"));
    EXPECT_EQ(chipNames(tab), (QStringList{QStringLiteral("Goal"), QStringLiteral("Save")}));
    // Removing the duplicated name removes every copy.
    QTest::mouseClick(tab->removeButton(QStringLiteral("Goal")), Qt::LeftButton);
    EXPECT_EQ(nextRun()->decodedDefaultTags(), QStringList{QStringLiteral("Save")});
}

TEST_F(ListTabsTest, tagsTabShowsTheBuiltInListWholeWithoutScrolling)
{
    TagsSettingsTab *tab = open({}, QStringLiteral("tags")).tagsTab();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
    EXPECT_EQ(chipNames(tab), kBuiltIn);
    EXPECT_EQ(tab->chipList()->verticalScrollBar()->maximum(), 0);
    EXPECT_EQ(tab->chipList()->height(), tab->chipList()->sizeHint().height());
}

TEST_F(ListTabsTest, tagsTabWithAHugeStoredListMakesOnlyTheChipsInView)
{
    // As many tags as another program (or an edit of the file) may have stored.
    constexpr int count = 20000;
    QStringList tags;
    for (int i = 0; i < count; ++i)
        tags.append(QStringLiteral("Tag %1").arg(i));
    const QString written = freshFile();
    {
        AppSettings writer(written);
        writer.setCustomDefaultTags(tags);
    }
    path = reopened(written);
    settings = std::make_unique<AppSettings>(path);
    view = std::make_unique<SettingsView>(*settings);
    view->show();
    view->setTab(QStringLiteral("tags"));
    TagsSettingsTab *tab = view->tagsTab();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));

    EXPECT_EQ(tab->chipList()->tags(), tags);
    const auto chipWidgets = [&] { return tab->findChildren<TagChip *>().size(); };
    // A window's worth of chips, not one per tag.
    EXPECT_LT(chipWidgets(), 200);
    ASSERT_FALSE(tab->chips().isEmpty());
    EXPECT_EQ(chipNames(tab).first(), QStringLiteral("Tag 0"));
    // The rest of the tab keeps its place below the chips, in the window.
    EXPECT_TRUE(view->rect().contains(tab->resetButton()->mapTo(view.get(), tab->resetButton()->rect().bottomRight())));
    EXPECT_TRUE(tab->newTagField()->isVisible());

    // Scrolled to the end, the last chips are there, and still only those.
    QScrollBar *bar = tab->chipList()->verticalScrollBar();
    bar->setValue(bar->maximum());
    EXPECT_EQ(chipNames(tab).last(), QStringLiteral("Tag 19999"));
    EXPECT_LT(chipWidgets(), 200);
    QTest::mouseClick(tab->removeButton(QStringLiteral("Tag 19999")), Qt::LeftButton);
    QStringList expected = tags;
    expected.removeLast();
    EXPECT_EQ(nextRun()->decodedDefaultTags(), expected);

    // A tag added far from the view is scrolled to.
    bar->setValue(0);
    QTest::keyClicks(tab->newTagField(), QStringLiteral("Fresh"));
    QTest::keyClick(tab->newTagField(), Qt::Key_Return);
    EXPECT_EQ(chipNames(tab).last(), QStringLiteral("Fresh"));
    ASSERT_TRUE(tab->removeButton(QStringLiteral("Fresh")));
    EXPECT_TRUE(tab->removeButton(QStringLiteral("Fresh"))->isVisible());
    expected.append(QStringLiteral("Fresh"));
    EXPECT_EQ(nextRun()->decodedDefaultTags(), expected);
}

TEST_F(ListTabsTest, tagsTabMarkerBaseIsStoredAsTypedAndPreviewed)
{
    TagsSettingsTab *tab = open({}, QStringLiteral("tags")).tagsTab();
    EXPECT_EQ(child<QLineEdit>(tab, "markerTagField")->placeholderText(), QStringLiteral("banger"));
    QStringList texts;
    for (QLabel *label : tab->findChildren<QLabel *>())
        texts.append(label->text());
    EXPECT_TRUE(texts.contains(QStringLiteral("Hand-marker tag")));
    EXPECT_TRUE(
        texts.contains(QStringLiteral("Detect Hand Markers tags the clip before each hand with this. Stacked hands add a suffix.")));
    EXPECT_TRUE(texts.contains(TagsSettingsTab::noteText()));
    EXPECT_EQ(tab->resetButton()->text(), QStringLiteral("Reset to Defaults"));
    EXPECT_EQ(child<QLabel>(tab, "markerTagPreview")->text(), QStringLiteral("\u2192 banger, bangerx2"));

    child<QLineEdit>(tab, "markerTagField")->setFocus();
    child<QLineEdit>(tab, "markerTagField")->selectAll();
    QTest::keyClick(child<QLineEdit>(tab, "markerTagField"), Qt::Key_Backspace);
    EXPECT_EQ(storedText(QStringLiteral("markerTagBase")), QString());
    EXPECT_EQ(child<QLineEdit>(tab, "markerTagField")->text(), QString());
    EXPECT_EQ(child<QLabel>(tab, "markerTagPreview")->text(), QStringLiteral("\u2192 banger, bangerx2"));

    QTest::keyClicks(child<QLineEdit>(tab, "markerTagField"), QStringLiteral("  hand  "));
    EXPECT_EQ(nextRun()->markerTagBase(), QStringLiteral("  hand  "));
    EXPECT_EQ(child<QLabel>(tab, "markerTagPreview")->text(), QStringLiteral("\u2192 hand, handx2"));
}

TEST_F(ListTabsTest, scrubTabDefaultRowsAndTexts)
{
    ScrubSettingsTab *tab = open({}, QStringLiteral("scrub")).scrubTab();
    EXPECT_EQ(ScrubSettingsTab::noteText(),
              QStringLiteral("Hold a modifier key while scrubbing to zoom into a narrow time window for precision control."));
    EXPECT_EQ(rowKeys(tab), (QStringList{QStringLiteral("option:3"), QStringLiteral("command:1")}));
    ASSERT_EQ(tab->rows().size(), 2);
    const ScrubSettingsTab::Row &first = tab->rows()[0];
    EXPECT_EQ(first.keyPicker->accessibleName(), QStringLiteral("Modifier key"));
    EXPECT_EQ(first.keyPicker->currentText(), QStringLiteral("Alt"));
    // Its own key and the two no row uses.
    EXPECT_EQ(options(first.keyPicker), (QStringList{QStringLiteral("Alt"), QStringLiteral("Meta"), QStringLiteral("Shift")}));
    EXPECT_EQ(first.slider->accessibleName(), QStringLiteral("Scrub window duration"));
    EXPECT_EQ(readValue(first.slider), QStringLiteral("3s"));
    EXPECT_EQ(first.secondsText->text(), QStringLiteral("3s"));
    EXPECT_EQ(first.chip->text(), QStringLiteral("Alt 3s"));
    EXPECT_EQ(tab->rows()[1].chip->text(), QStringLiteral("Ctrl 1s"));
    ASSERT_TRUE(first.remove);
    EXPECT_EQ(first.remove->accessibleName(), QStringLiteral("Remove modifier"));
    EXPECT_FALSE(tab->addButton()->isHidden());
    EXPECT_EQ(tab->addButton()->text(), QStringLiteral("Add modifier"));
    EXPECT_TRUE(child<QCheckBox>(tab, "showAudioPeaksToggle")->isChecked());
    EXPECT_EQ(child<QCheckBox>(tab, "showAudioPeaksToggle")->text(), QStringLiteral("Show audio peak markers on hover"));
    // Filling the empty list at the first showing stores it.
    EXPECT_EQ(storedText(QStringLiteral("scrubModifiersJSON")),
              QStringLiteral("[{\"key\":\"option\",\"seconds\":3},{\"key\":\"command\",\"seconds\":1}]"));

    // Half seconds at the low end, whole seconds at the top.
    first.slider->setValue(first.slider->minimum());
    EXPECT_EQ(first.secondsText->text(), QStringLiteral("0.5s"));
    EXPECT_EQ(first.chip->text(), QStringLiteral("Alt 0.5s"));
    // A screen reader reads the seconds, as the text beside the slider shows them.
    EXPECT_EQ(readValue(first.slider), QStringLiteral("0.5s"));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(first.slider)->valueInterface()->currentValue().toDouble(), 0.5);
    first.slider->setValue(first.slider->maximum());
    EXPECT_EQ(first.secondsText->text(), QStringLiteral("10s"));
    EXPECT_EQ(nextRun()->decodedScrubModifiers(), (QList<ScrubModifier>{{ModifierKey::option, 10.0}, {ModifierKey::command, 1.0}}));
    // Every step stores.
    first.slider->setValue(first.slider->maximum() - 1);
    EXPECT_EQ(storedText(QStringLiteral("scrubModifiersJSON")),
              QStringLiteral("[{\"key\":\"option\",\"seconds\":9.5},{\"key\":\"command\",\"seconds\":1}]"));
}

TEST_F(ListTabsTest, scrubTabAddTakesTheFirstUnusedKeyAndRemoveFreesIt)
{
    ScrubSettingsTab *tab = open("[General]\nscrubModifiersJSON=\"[{\\\"key\\\":\\\"command\\\",\\\"seconds\\\":1},{\\\"key\\\":"
                                 "\\\"shift\\\",\\\"seconds\\\":4}]\"\n",
                                 QStringLiteral("scrub"))
                                .scrubTab();
    EXPECT_EQ(rowKeys(tab), (QStringList{QStringLiteral("command:1"), QStringLiteral("shift:4")}));
    QTest::mouseClick(tab->addButton(), Qt::LeftButton);
    EXPECT_EQ(rowKeys(tab).last(), QStringLiteral("option:2"));
    QTest::mouseClick(tab->addButton(), Qt::LeftButton);
    EXPECT_EQ(rowKeys(tab).last(), QStringLiteral("control:2"));
    // Four rows: no add button, and each picker offers only its own key.
    EXPECT_TRUE(tab->addButton()->isHidden());
    ASSERT_EQ(tab->rows().size(), 4);
    for (const ScrubSettingsTab::Row &row : tab->rows())
        EXPECT_EQ(row.keyPicker->count(), 1);
    EXPECT_EQ(nextRun()->decodedScrubModifiers().size(), 4);

    // Removing the shift row frees shift for the others and for the next add.
    QTest::mouseClick(tab->rows()[1].remove, Qt::LeftButton);
    EXPECT_EQ(rowKeys(tab), (QStringList{QStringLiteral("command:1"), QStringLiteral("option:2"), QStringLiteral("control:2")}));
    EXPECT_FALSE(tab->addButton()->isHidden());
    EXPECT_TRUE(options(tab->rows()[0].keyPicker).contains(QStringLiteral("Shift")));
    QTest::mouseClick(tab->addButton(), Qt::LeftButton);
    EXPECT_EQ(rowKeys(tab).last(), QStringLiteral("shift:2"));

    // Down to one row: no remove button.
    while (tab->rows().size() > 1)
        QTest::mouseClick(tab->rows().last().remove, Qt::LeftButton);
    EXPECT_FALSE(tab->rows()[0].remove);
    EXPECT_EQ(options(tab->rows()[0].keyPicker).size(), 4);
    EXPECT_EQ(nextRun()->decodedScrubModifiers(), (QList<ScrubModifier>{{ModifierKey::command, 1.0}}));
}

TEST_F(ListTabsTest, scrubTabChangingAKeyKeepsTheSecondsAndResetRestoresTheDefaults)
{
    ScrubSettingsTab *tab = open({}, QStringLiteral("scrub")).scrubTab();
    QComboBox *picker = tab->rows()[1].keyPicker;
    const int shift = static_cast<int>(options(picker).indexOf(QStringLiteral("Shift")));
    ASSERT_GE(shift, 0);
    picker->setCurrentIndex(shift);
    Q_EMIT picker->activated(shift);
    EXPECT_EQ(rowKeys(tab), (QStringList{QStringLiteral("option:3"), QStringLiteral("shift:1")}));
    EXPECT_EQ(tab->rows()[1].chip->text(), QStringLiteral("Shift 1s"));
    EXPECT_FALSE(options(tab->rows()[0].keyPicker).contains(QStringLiteral("Shift")));
    EXPECT_TRUE(options(tab->rows()[0].keyPicker).contains(QStringLiteral("Ctrl")));

    QTest::mouseClick(tab->resetButton(), Qt::LeftButton);
    EXPECT_EQ(rowKeys(tab), (QStringList{QStringLiteral("option:3"), QStringLiteral("command:1")}));
    EXPECT_EQ(nextRun()->decodedScrubModifiers(), AppSettings::defaultScrubModifiers());
    EXPECT_EQ(settings->decodedScrubModifiers(), AppSettings::defaultScrubModifiers());

    // Reset with the defaults already on screen leaves the stored text empty.
    ScrubSettingsTab *fresh = open({}, QStringLiteral("scrub")).scrubTab();
    QTest::mouseClick(fresh->resetButton(), Qt::LeftButton);
    EXPECT_EQ(storedText(QStringLiteral("scrubModifiersJSON")), QString());
    EXPECT_EQ(rowKeys(fresh), (QStringList{QStringLiteral("option:3"), QStringLiteral("command:1")}));
}

TEST_F(ListTabsTest, scrubTabWindowsOutOfRangeAreShownAndKeptUntilChanged)
{
    ScrubSettingsTab *tab = open("[General]\nscrubModifiersJSON=\"[{\\\"key\\\":\\\"option\\\",\\\"seconds\\\":0.2},{\\\"key\\\":"
                                 "\\\"shift\\\",\\\"seconds\\\":1e300}]\"\n",
                                 QStringLiteral("scrub"))
                                .scrubTab();
    ASSERT_EQ(tab->rows().size(), 2);
    EXPECT_EQ(tab->rows()[0].secondsText->text(), QStringLiteral("0.2s"));
    EXPECT_EQ(tab->rows()[0].slider->value(), tab->rows()[0].slider->minimum());
    EXPECT_EQ(tab->rows()[1].slider->value(), tab->rows()[1].slider->maximum());
    const QString before = storedText(QStringLiteral("scrubModifiersJSON"));
    EXPECT_TRUE(before.contains(QStringLiteral("0.2")));
    EXPECT_EQ(settings->decodedScrubModifiers()[0].seconds, 0.2);

    // Moving the slider stores the list with the new value.
    tab->rows()[0].slider->setValue(4);
    EXPECT_EQ(nextRun()->decodedScrubModifiers()[0], (ScrubModifier{ModifierKey::option, 2.0}));
}

// The defaults shown in place of a list that cannot be read are stored, so
// that the next run neither reads nor logs it again.
TEST_F(ListTabsTest, scrubTabReplacesAStoredListThatCannotBeReadWithTheDefaultsAndLogsItOnce)
{
    const QString corrupt = QStringLiteral("Scrub modifiers setting is corrupt \u2014 falling back to defaults");
    LogCapture log("com.brinkwolder.Triagon.settings");
    ScrubSettingsTab *tab = open("[General]\nscrubModifiersJSON=\"[{\\\"key\\\":\\\"hyper\\\"}\"\n", QStringLiteral("scrub")).scrubTab();
    EXPECT_EQ(rowKeys(tab), (QStringList{QStringLiteral("option:3"), QStringLiteral("command:1")}));
    EXPECT_EQ(log.count(QtCriticalMsg, corrupt), 1);
    EXPECT_EQ(nextRun()->decodedScrubModifiers(), AppSettings::defaultScrubModifiers());
    EXPECT_EQ(log.count(QtCriticalMsg, corrupt), 1);
}

TEST_F(ListTabsTest, scrubTabAudioPeakToggleIsStoredAtOnce)
{
    ScrubSettingsTab *tab = open({}, QStringLiteral("scrub")).scrubTab();
    QTest::mouseClick(child<QCheckBox>(tab, "showAudioPeaksToggle"), Qt::LeftButton);
    EXPECT_FALSE(child<QCheckBox>(tab, "showAudioPeaksToggle")->isChecked());
    EXPECT_FALSE(nextRun()->showAudioPeaks());
    QTest::mouseClick(child<QCheckBox>(tab, "showAudioPeaksToggle"), Qt::LeftButton);
    EXPECT_TRUE(nextRun()->showAudioPeaks());
}

} // namespace
