#include "app/AppSettings.h"
#include "app/widgets/SegmentedControl.h"
#include "settings/ui/AppearanceSettingsTab.h"
#include "settings/ui/AudioTriageSettingsTab.h"
#include "settings/ui/GeneralSettingsTab.h"
#include "settings/ui/SettingsView.h"
#include "settings/ui/TagsSettingsTab.h"
#include "settings/ui/ThemeSwatch.h"
#include "support/AccessibleRead.h"
#include "support/SettingsFileFixture.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSlider>
#include <QStyle>
#include <QStyleFactory>
#include <QTabBar>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

namespace {

class SettingsWindowTest : public SettingsFileFixture
{
protected:
    // The settings window over a settings file as an earlier run left it.
    SettingsView &open(const QByteArray &ini = {})
    {
        path = freshFile(ini);
        settings = std::make_unique<AppSettings>(path);
        view = std::make_unique<SettingsView>(*settings);
        view->show();
        return *view;
    }
    // What a new run would read from the file.
    QString stored(const QString &key)
    {
        QSettings raw(reopened(path), QSettings::IniFormat);
        return raw.value(key).toString();
    }
    bool storedContains(const QString &key)
    {
        QSettings raw(reopened(path), QSettings::IniFormat);
        return raw.contains(key);
    }
    static void click(QAbstractButton *button) { QTest::mouseClick(button, Qt::LeftButton); }

    QString path;
    std::unique_ptr<AppSettings> settings;
    std::unique_ptr<SettingsView> view;
};

TEST_F(SettingsWindowTest, fiveTabsOfOneFixedSizeOpeningOnGeneral)
{
    SettingsView &window = open();
    ASSERT_EQ(window.count(), 5);
    const QStringList labels{QStringLiteral("General"), QStringLiteral("Tags"), QStringLiteral("Scrub"), QStringLiteral("Audio Triage"),
                             QStringLiteral("Appearance")};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(window.tabText(i), labels[i]);
        EXPECT_FALSE(window.tabIcon(i).isNull());
    }
    EXPECT_EQ(SettingsView::tabTags(), (QStringList{QStringLiteral("general"), QStringLiteral("tags"), QStringLiteral("scrub"),
                                                    QStringLiteral("audio"), QStringLiteral("appearance")}));
    EXPECT_EQ(window.tab(), QStringLiteral("general"));
    for (const QString &tag : SettingsView::tabTags()) {
        window.setTab(tag);
        EXPECT_EQ(window.tab(), tag);
        EXPECT_EQ(window.size(), QSize(450, 380)) << qPrintable(tag);
    }
    window.setTab(QStringLiteral("nonsense"));
    EXPECT_EQ(window.tab(), QStringLiteral("appearance"));
    // Opening the window and visiting every tab writes only the list the
    // Scrub tab filled at its first showing.
    QSettings raw(reopened(path), QSettings::IniFormat);
    EXPECT_EQ(raw.allKeys(), QStringList{QStringLiteral("scrubModifiersJSON")});
}

TEST_F(SettingsWindowTest, generalTabDefaultsAndWrites)
{
    GeneralSettingsTab *tab = open().generalTab();
    SegmentedControl *organization = tab->folderOrganizationPicker();
    SegmentedControl *columns = tab->gridColumnsPicker();
    ASSERT_EQ(organization->segments().size(), 2);
    EXPECT_EQ(organization->segments()[0]->text(), QStringLiteral("By Tag"));
    EXPECT_EQ(organization->segments()[1]->text(), QStringLiteral("By Rating"));
    ASSERT_EQ(columns->segments().size(), 5);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(columns->segments()[i]->text(), QString::number(i + 1));
    EXPECT_EQ(organization->width(), 200);
    EXPECT_EQ(columns->width(), 200);
    EXPECT_EQ(organization->currentIndex(), 0);
    EXPECT_EQ(columns->currentIndex(), 2);

    click(organization->segments()[1]);
    EXPECT_EQ(stored(QStringLiteral("defaultFolderOrganization")), QStringLiteral("By Rating"));
    click(columns->segments()[3]);
    EXPECT_EQ(stored(QStringLiteral("defaultGridColumns")), QStringLiteral("4"));
    click(organization->segments()[0]);
    EXPECT_EQ(stored(QStringLiteral("defaultFolderOrganization")), QStringLiteral("By Tag"));
}

TEST_F(SettingsWindowTest, generalTabShowsStoredValuesThatReadDifferentlyWithoutWritingThem)
{
    GeneralSettingsTab *tab = open("[General]\ndefaultFolderOrganization=by rating\ndefaultGridColumns=9\n").generalTab();
    EXPECT_EQ(tab->folderOrganizationPicker()->currentIndex(), 0);
    EXPECT_EQ(tab->gridColumnsPicker()->currentIndex(), 4);
    EXPECT_EQ(stored(QStringLiteral("defaultFolderOrganization")), QStringLiteral("by rating"));
    EXPECT_EQ(stored(QStringLiteral("defaultGridColumns")), QStringLiteral("9"));

    GeneralSettingsTab *low = open("[General]\ndefaultGridColumns=-3\n").generalTab();
    EXPECT_EQ(low->gridColumnsPicker()->currentIndex(), 0);
    EXPECT_EQ(stored(QStringLiteral("defaultGridColumns")), QStringLiteral("-3"));
    // Clicking the segment shown stores it.
    click(low->gridColumnsPicker()->segments()[0]);
    EXPECT_EQ(stored(QStringLiteral("defaultGridColumns")), QStringLiteral("1"));
}

TEST_F(SettingsWindowTest, appearanceTabSegmentsSwatchesAndWrites)
{
    SettingsView &window = open();
    window.setTab(QStringLiteral("appearance"));
    AppearanceSettingsTab *tab = window.appearanceTab();
    SegmentedControl *picker = tab->appearancePicker();
    ASSERT_EQ(picker->segments().size(), 3);
    EXPECT_EQ(picker->segments()[0]->text(), QStringLiteral("System"));
    EXPECT_EQ(picker->segments()[2]->text(), QStringLiteral("Dark"));
    EXPECT_EQ(picker->width(), 220);
    EXPECT_EQ(picker->currentIndex(), 0);

    const QStringList names{QStringLiteral("Orange"), QStringLiteral("Blue"),  QStringLiteral("Purple"), QStringLiteral("Pink"),
                            QStringLiteral("Red"),    QStringLiteral("Green"), QStringLiteral("Teal")};
    ASSERT_EQ(tab->swatches().size(), 7);
    for (int i = 0; i < 7; ++i) {
        ThemeSwatch *swatch = tab->swatches()[i];
        EXPECT_EQ(swatch->toolTip(), names[i]);
        EXPECT_EQ(swatch->accessibleName(), names[i]);
        EXPECT_EQ(swatch->isChecked(), i == 0) << i;
    }

    click(tab->swatches()[1]);
    EXPECT_EQ(stored(QStringLiteral("themeColor")), QStringLiteral("Blue"));
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(tab->swatches()[i]->isChecked(), i == 1) << i;
    // Clicking the chosen one keeps it chosen.
    click(tab->swatches()[1]);
    EXPECT_TRUE(tab->swatches()[1]->isChecked());
    EXPECT_EQ(stored(QStringLiteral("themeColor")), QStringLiteral("Blue"));

    click(picker->segments()[2]);
    EXPECT_EQ(stored(QStringLiteral("appearanceMode")), QStringLiteral("Dark"));
}

TEST_F(SettingsWindowTest, appearanceTabUnknownStoredTextsShowTheFirstChoiceAndStayStored)
{
    SettingsView &window = open("[General]\nappearanceMode=dark\nthemeColor=Magenta\n");
    AppearanceSettingsTab *tab = window.appearanceTab();
    EXPECT_EQ(tab->appearancePicker()->currentIndex(), 0);
    int checked = 0;
    for (ThemeSwatch *swatch : tab->swatches())
        checked += swatch->isChecked() ? 1 : 0;
    EXPECT_EQ(checked, 1);
    EXPECT_TRUE(tab->swatches()[0]->isChecked());
    EXPECT_EQ(stored(QStringLiteral("appearanceMode")), QStringLiteral("dark"));
    EXPECT_EQ(stored(QStringLiteral("themeColor")), QStringLiteral("Magenta"));
}

TEST_F(SettingsWindowTest, audioTriageTabLabelsAndStepsOfFive)
{
    SettingsView &window = open();
    window.setTab(QStringLiteral("audio"));
    AudioTriageSettingsTab *tab = window.audioTab();
    EXPECT_EQ(tab->loudLabelField()->text(), QStringLiteral("Loud Peaks"));
    EXPECT_EQ(tab->quietLabelField()->text(), QStringLiteral("Quiet"));
    EXPECT_EQ(tab->loudLabelField()->width(), 200);
    EXPECT_EQ(tab->loudPercentText()->text(), QStringLiteral("15%"));
    EXPECT_EQ(tab->quietPercentText()->text(), QStringLiteral("15%"));
    EXPECT_EQ(tab->loudSlider()->accessibleName(), QStringLiteral("Loud group percentage"));
    EXPECT_EQ(readValue(tab->loudSlider()), QStringLiteral("Top 15 percent"));
    EXPECT_EQ(readValue(tab->quietSlider()), QStringLiteral("Bottom 15 percent"));
    // As a number, the percentage too, not the slider's step; and in words
    // in the description, which every screen reader bridge passes on.
    QAccessibleValueInterface *value = QAccessible::queryAccessibleInterface(tab->loudSlider())->valueInterface();
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->currentValue().toDouble(), 15);
    EXPECT_EQ(value->minimumValue().toDouble(), 5);
    EXPECT_EQ(value->maximumValue().toDouble(), 50);
    EXPECT_EQ(value->minimumStepSize().toDouble(), 5);
    EXPECT_EQ(tab->loudSlider()->accessibleDescription(), QStringLiteral("Top 15 percent"));
    EXPECT_EQ(tab->loudSlider()->width(), 150);

    // The slider moves in steps of five, from 5 to 50.
    tab->loudSlider()->setFocus();
    QTest::keyClick(tab->loudSlider(), Qt::Key_Right);
    QTest::keyClick(tab->loudSlider(), Qt::Key_Right);
    EXPECT_EQ(tab->loudPercentText()->text(), QStringLiteral("25%"));
    EXPECT_EQ(stored(QStringLiteral("audioLoudPercentage")), QStringLiteral("25"));
    QTest::keyClick(tab->loudSlider(), Qt::Key_End);
    EXPECT_EQ(tab->loudPercentText()->text(), QStringLiteral("50%"));
    QTest::keyClick(tab->loudSlider(), Qt::Key_Home);
    EXPECT_EQ(tab->loudPercentText()->text(), QStringLiteral("5%"));
    EXPECT_EQ(readValue(tab->loudSlider()), QStringLiteral("Top 5 percent"));
    EXPECT_EQ(value->currentValue().toDouble(), 5);
    value->setCurrentValue(30);
    EXPECT_EQ(tab->loudPercentText()->text(), QStringLiteral("30%"));

    // A label is stored as typed, an emptied one as empty text.
    tab->quietLabelField()->setFocus();
    tab->quietLabelField()->selectAll();
    QTest::keyClick(tab->quietLabelField(), Qt::Key_Backspace);
    EXPECT_TRUE(storedContains(QStringLiteral("audioQuietLabel")));
    EXPECT_EQ(stored(QStringLiteral("audioQuietLabel")), QString());
    QTest::keyClicks(tab->quietLabelField(), QStringLiteral("Hush"));
    EXPECT_EQ(settings->audioQuietLabel(), QStringLiteral("Hush"));
}

// Percentages written by hand into the settings file: out of the slider's
// range they show their own number; non-finite or too large for a whole number
// they show the default. None is rewritten by being shown.
TEST_F(SettingsWindowTest, audioTriageTabStoredPercentagesOutOfRangeOrHuge)
{
    SettingsView &window = open("[General]\naudioLoudPercentage=70.9\naudioQuietPercentage=1e300\n");
    AudioTriageSettingsTab *tab = window.audioTab();
    EXPECT_EQ(tab->loudPercentText()->text(), QStringLiteral("70%"));
    EXPECT_EQ(tab->loudSlider()->value(), tab->loudSlider()->maximum());
    EXPECT_EQ(readValue(tab->loudSlider()), QStringLiteral("Top 70 percent"));
    EXPECT_EQ(tab->quietPercentText()->text(), QStringLiteral("15%"));
    EXPECT_EQ(stored(QStringLiteral("audioLoudPercentage")), QStringLiteral("70.9"));
    EXPECT_EQ(stored(QStringLiteral("audioQuietPercentage")), QStringLiteral("1e300"));

    SettingsView &other = open("[General]\naudioLoudPercentage=-1e12\naudioQuietPercentage=nan\n");
    EXPECT_EQ(other.audioTab()->loudPercentText()->text(), QStringLiteral("15%"));
    EXPECT_EQ(other.audioTab()->quietPercentText()->text(), QStringLiteral("15%"));
    EXPECT_EQ(stored(QStringLiteral("audioLoudPercentage")), QStringLiteral("-1e12"));

    EXPECT_EQ(AudioTriageSettingsTab::shownPercentage(15.0, 15.0), 15);
    EXPECT_EQ(AudioTriageSettingsTab::shownPercentage(29.99, 15.0), 29);
    EXPECT_EQ(AudioTriageSettingsTab::shownPercentage(3e9, 15.0), 15);
    EXPECT_EQ(AudioTriageSettingsTab::shownPercentage(-3e9, 15.0), 15);
    EXPECT_EQ(AudioTriageSettingsTab::shownPercentage(std::numeric_limits<double>::infinity(), 15.0), 15);
}

} // namespace

// Every tab's label shows in full: the tab bar fits the fixed width, under
// the application's Fusion style and under the test platform's own.
TEST_F(SettingsWindowTest, theTabBarFitsTheWindowSoNoTabIsClipped)
{
    for (const QString &style : {QString(), QStringLiteral("Fusion")}) {
        SCOPED_TRACE(style.toStdString());
        if (!style.isEmpty())
            QApplication::setStyle(QStyleFactory::create(style));
        SettingsView &window = open();
        QTabBar *bar = window.findChild<QTabBar *>();
        ASSERT_NE(bar, nullptr);
        const QRect inWindow(bar->mapTo(&window, QPoint(0, 0)), bar->size());
        for (int i = 0; i < bar->count(); ++i) {
            const QRect tab = bar->tabRect(i).translated(inWindow.topLeft());
            EXPECT_TRUE(window.rect().contains(tab)) << bar->tabText(i).toStdString() << " at " << tab.x() << "+" << tab.width();
        }
        // The bar is as wide as its tabs want to be, within the window.
        EXPECT_LE(inWindow.left() + bar->sizeHint().width(), window.width());
        EXPECT_GE(bar->width(), bar->sizeHint().width());
        EXPECT_EQ(window.size(), QSize(450, 380));
    }
}

TEST_F(SettingsWindowTest, escapeAndCtrlWCloseTheWindowWhereverTheFocusIs)
{
    SettingsView &window = open();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(window.windowHandle(), Qt::Key_Escape);
    EXPECT_FALSE(window.isVisible());

    SettingsView &again = open();
    again.setTab(QStringLiteral("audio"));
    again.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&again));
    again.audioTab()->loudLabelField()->setFocus();
    QTest::keyClick(again.windowHandle(), Qt::Key_W, Qt::ControlModifier);
    EXPECT_FALSE(again.isVisible());
    // The label typed so far stays stored.
    EXPECT_EQ(settings->audioLoudLabel(), QStringLiteral("Loud Peaks"));
}

TEST_F(SettingsWindowTest, audioTriageTabQuietFieldsLineUpWithTheLoudOnes)
{
    SettingsView &window = open();
    window.setTab(QStringLiteral("audio"));
    QCoreApplication::processEvents();
    AudioTriageSettingsTab *tab = window.audioTab();
    const auto x = [tab](QWidget *widget) { return widget->mapTo(tab, QPoint(0, 0)).x(); };
    EXPECT_EQ(x(tab->quietLabelField()), x(tab->loudLabelField()));
    EXPECT_EQ(x(tab->quietSlider()), x(tab->loudSlider()));
    EXPECT_EQ(x(tab->quietPercentText()), x(tab->loudPercentText()));
}
