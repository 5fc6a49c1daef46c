#include "support/SettingsFileFixture.h"
#include "AppUpdates/WhatsNewGate.h"
#include "AppUpdates/WhatsNewPresenter.h"
#include "AppUpdates/WhatsNewView.h"
#include "app/AppSettings.h"
#include "app/SymbolCatalog.h"
#include "support/Children.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

namespace {

class WhatsNewGateTest : public SettingsFileFixture
{
protected:
    // A loader that records what it was asked for.
    WhatsNewGate::NotesLoader loader(std::optional<ReleaseNotes> answer = notesFor(QStringLiteral("1.4.0")))
    {
        return [this, answer](const QString &version) {
            asked.append(version);
            return answer;
        };
    }
    static ReleaseNotes notesFor(const QString &version)
    {
        return ReleaseNotes{version, {{QStringLiteral("Added"), {QStringLiteral("One")}}}};
    }
    QStringList asked;
};

TEST_F(WhatsNewGateTest, firstLaunchRecordsTheVersionAndShowsNothing)
{
    const QString path = freshFile();
    {
        AppSettings defaults(path);
        WhatsNewGate gate(defaults);
        EXPECT_EQ(gate.key(), QStringLiteral("whatsNew.lastSeenVersion"));
        EXPECT_FALSE(gate.check(QStringLiteral("1.4.0"), loader()));
    }
    EXPECT_TRUE(asked.isEmpty());
    QSettings later(reopened(path), QSettings::IniFormat);
    EXPECT_EQ(later.value(QStringLiteral("whatsNew.lastSeenVersion")).toString(), QStringLiteral("1.4.0"));
}

TEST_F(WhatsNewGateTest, anOlderVersionShowsTheNotesOnceThenNothing)
{
    const QString path = freshFile("[General]\nwhatsNew.lastSeenVersion=1.3.0\n");
    {
        AppSettings defaults(path);
        WhatsNewGate gate(defaults);
        EXPECT_EQ(gate.check(QStringLiteral("1.4.0"), loader()), notesFor(QStringLiteral("1.4.0")));
        EXPECT_EQ(asked, QStringList{QStringLiteral("1.4.0")});
        // Showing the window again within the run.
        EXPECT_FALSE(gate.check(QStringLiteral("1.4.0"), loader()));
    }
    // And at the next launch.
    const QString next = reopened(path);
    AppSettings defaults(next);
    WhatsNewGate gate(defaults);
    EXPECT_EQ(gate.storedVersion(), QStringLiteral("1.4.0"));
    EXPECT_FALSE(gate.check(QStringLiteral("1.4.0"), loader()));
    EXPECT_EQ(asked.size(), 1);

    // Going back to an earlier version is a change too.
    EXPECT_TRUE(gate.check(QStringLiteral("1.3.0"), loader(notesFor(QStringLiteral("1.3.0")))));
}

TEST_F(WhatsNewGateTest, aVersionWithoutNotesIsRecordedAndNotAskedAgain)
{
    const QString path = freshFile("[General]\nwhatsNew.lastSeenVersion=1.3.0\n");
    AppSettings defaults(path);
    WhatsNewGate gate(defaults);
    EXPECT_FALSE(gate.check(QStringLiteral("1.4.0"), loader(std::nullopt)));
    EXPECT_EQ(gate.storedVersion(), QStringLiteral("1.4.0"));
    EXPECT_FALSE(gate.check(QStringLiteral("1.4.0"), loader(std::nullopt)));
    EXPECT_EQ(asked.size(), 1);
}

TEST_F(WhatsNewGateTest, anEmptyVersionChangesNothingAndAnEmptyStoredTextIsNothing)
{
    const QString path = freshFile("[General]\nwhatsNew.lastSeenVersion=1.3.0\n");
    {
        AppSettings defaults(path);
        WhatsNewGate gate(defaults);
        EXPECT_FALSE(gate.check(QString(), loader()));
        EXPECT_EQ(gate.storedVersion(), QStringLiteral("1.3.0"));
    }
    AppSettings emptyStored(freshFile("[General]\nwhatsNew.lastSeenVersion=\n"));
    WhatsNewGate gate(emptyStored);
    EXPECT_FALSE(gate.storedVersion());
    EXPECT_FALSE(gate.check(QStringLiteral("1.4.0"), loader()));
    EXPECT_EQ(gate.storedVersion(), QStringLiteral("1.4.0"));
    EXPECT_TRUE(asked.isEmpty());
}

TEST_F(WhatsNewGateTest, legacyKeyIsMovedOnceAndCountsAsTheLastVersion)
{
    const QString path = freshFile("[General]\nlastSeenVersion=1.3.0\n");
    {
        QSettings defaults(path, QSettings::IniFormat);
        AppSettings settings(path);
        WhatsNewGate gate(settings);
        gate.migrate(WhatsNewGate::legacyKey());
        EXPECT_EQ(gate.storedVersion(), QStringLiteral("1.3.0"));
        EXPECT_FALSE(defaults.contains(QStringLiteral("lastSeenVersion")));
        EXPECT_EQ(gate.check(QStringLiteral("1.4.0"), loader()), notesFor(QStringLiteral("1.4.0")));
    }
    QSettings later(reopened(path), QSettings::IniFormat);
    EXPECT_FALSE(later.contains(QStringLiteral("lastSeenVersion")));
    EXPECT_EQ(later.value(QStringLiteral("whatsNew.lastSeenVersion")).toString(), QStringLiteral("1.4.0"));

    // The same version still running after the move: nothing to show.
    AppSettings same(freshFile("[General]\nlastSeenVersion=1.4.0\n"));
    WhatsNewGate sameGate(same);
    sameGate.migrate(WhatsNewGate::legacyKey());
    EXPECT_FALSE(sameGate.check(QStringLiteral("1.4.0"), loader()));

    // Both keys set: the legacy one is left alone.
    QSettings both(freshFile("[General]\nlastSeenVersion=1.1.0\nwhatsNew.lastSeenVersion=1.3.0\n"), QSettings::IniFormat);
    AppSettings bothSettings(both.fileName());
    WhatsNewGate bothGate(bothSettings);
    bothGate.migrate(WhatsNewGate::legacyKey());
    EXPECT_EQ(bothGate.storedVersion(), QStringLiteral("1.3.0"));
    EXPECT_EQ(both.value(QStringLiteral("lastSeenVersion")).toString(), QStringLiteral("1.1.0"));

    // An empty legacy value moves nothing.
    QSettings empty(freshFile("[General]\nlastSeenVersion=\n"), QSettings::IniFormat);
    AppSettings emptySettings(empty.fileName());
    WhatsNewGate emptyGate(emptySettings);
    emptyGate.migrate(WhatsNewGate::legacyKey());
    EXPECT_FALSE(emptyGate.storedVersion());
    EXPECT_TRUE(empty.contains(QStringLiteral("lastSeenVersion")));
}

TEST(WhatsNewView, titleSectionsSymbolsAndColours)
{
    const ReleaseNotes notes{QStringLiteral("1.4.0"),
                             {{QStringLiteral("Added"), {QStringLiteral("**Bold** item"), QStringLiteral("Same"), QStringLiteral("Same")}},
                              {QStringLiteral("Known issues"), {QStringLiteral("One")}},
                              {QStringLiteral("Odd"), {QStringLiteral("Two")}}}};
    int dismissed = 0;
    auto *logo = new QWidget;
    WhatsNewView view(notes, QStringLiteral("Triagon"), QColor(249, 115, 22), logo, [&] { ++dismissed; });
    EXPECT_EQ(view.titleLabel()->text(), QStringLiteral("What's New in Triagon 1.4.0"));
    EXPECT_EQ(logo->parentWidget(), &view);
    ASSERT_EQ(view.sectionTitleLabels().size(), 3);
    EXPECT_EQ(view.sectionTitleLabels()[1]->text(), QStringLiteral("Known issues"));
    ASSERT_EQ(view.itemLabels()[0].size(), 3); // equal items are all shown
    EXPECT_EQ(view.itemLabels()[0][0]->textFormat(), Qt::MarkdownText);
    EXPECT_EQ(view.dismissButton()->text(), QStringLiteral("Let's Go"));
    EXPECT_TRUE(view.dismissButton()->isDefault());
    EXPECT_EQ(view.width(), WhatsNewView::sheetWidth);

    const std::pair<const char *, const char *> symbols[] = {
        {"Added", "plus.circle.fill"},        {"Features", "plus.circle.fill"},
        {"New", "plus.circle.fill"},          {"Changed", "arrow.triangle.2.circlepath.circle.fill"},
        {"Improved", "arrow.up.circle.fill"}, {"Improvements", "arrow.up.circle.fill"},
        {"Fixed", "checkmark.circle.fill"},   {"Fixes", "checkmark.circle.fill"},
        {"Removed", "minus.circle.fill"},     {"Deprecated", "exclamationmark.triangle.fill"},
        {"Security", "lock.circle.fill"},     {"Current limitations", "info.circle.fill"},
        {"Known issues", "info.circle.fill"}, {"fixes", "circle.fill"},
        {"Something else", "circle.fill"}};
    for (const auto &[title, symbol] : symbols)
        EXPECT_EQ(WhatsNewView::sectionSymbol(QString::fromUtf8(title)), QString::fromUtf8(symbol)) << title;
    EXPECT_TRUE(WhatsNewView::sectionColor(QStringLiteral("Added")));
    EXPECT_EQ(WhatsNewView::sectionColor(QStringLiteral("Added")), WhatsNewView::sectionColor(QStringLiteral("New")));
    EXPECT_EQ(WhatsNewView::sectionColor(QStringLiteral("Fixed")), WhatsNewView::sectionColor(QStringLiteral("Fixes")));
    EXPECT_NE(WhatsNewView::sectionColor(QStringLiteral("Removed")), WhatsNewView::sectionColor(QStringLiteral("Added")));
    // Secondary colour for titles without a row, also the two info titles.
    EXPECT_FALSE(WhatsNewView::sectionColor(QStringLiteral("Known issues")));
    EXPECT_FALSE(WhatsNewView::sectionColor(QStringLiteral("Current limitations")));
    EXPECT_FALSE(WhatsNewView::sectionColor(QStringLiteral("fixes")));

    view.show();
    QTest::keyClick(&view, Qt::Key_Return);
    EXPECT_EQ(dismissed, 1);
    EXPECT_FALSE(view.isVisible());
}

TEST(WhatsNewView, manyItemsScrollWhileTitleAndButtonStay)
{
    ReleaseNotes notes{QStringLiteral("1.4.0"), {}};
    for (int s = 0; s < 6; ++s) {
        ReleaseNotes::Section section{QStringLiteral("Section %1").arg(s), {}};
        for (int i = 0; i < 8; ++i)
            section.items.append(QStringLiteral("A long item that wraps onto more than one line when it is shown, number %1").arg(i));
        notes.sections.append(section);
    }
    WhatsNewView view(notes, QStringLiteral("Triagon"), Qt::red, nullptr, [] {});
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    EXPECT_EQ(child<QScrollArea>(&view, "whatsNewScroll")->height(), WhatsNewView::maxScrollHeight);
    EXPECT_GT(child<QScrollArea>(&view, "whatsNewScroll")->verticalScrollBar()->maximum(), 0);
    child<QScrollArea>(&view, "whatsNewScroll")
        ->verticalScrollBar()
        ->setValue(child<QScrollArea>(&view, "whatsNewScroll")->verticalScrollBar()->maximum());
    EXPECT_TRUE(view.dismissButton()->isVisible());
    EXPECT_TRUE(view.titleLabel()->isVisible());

    // A short list takes only the height it needs.
    WhatsNewView small(ReleaseNotes{QStringLiteral("1.4.0"), {{QStringLiteral("Added"), {QStringLiteral("One")}}}},
                       QStringLiteral("Triagon"), Qt::red, nullptr, [] {});
    small.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&small));
    EXPECT_LT(child<QScrollArea>(&small, "whatsNewScroll")->height(), WhatsNewView::maxScrollHeight);
}

// The main window's side: the gate runs when the window comes on screen, the
// sheet shows while notes are held and closing it clears them.
TEST(WhatsNewPresenter, showsTheSheetAfterAnUpdateOnceAndClearsOnClose)
{
    QCoreApplication::setApplicationVersion(QStringLiteral(TRIAGON_TEST_VERSION));
    {
        QSettings defaults;
        defaults.clear();
        defaults.setValue(QStringLiteral("lastSeenVersion"), QStringLiteral("0.9.0"));
    }
    AppSettings settings;
    QWidget window;
    window.resize(800, 600);
    auto *presenter = new WhatsNewPresenter(&window, settings, QColor(249, 115, 22), [] { return new QLabel(QStringLiteral("logo")); });
    window.show();
    ASSERT_TRUE(presenter->whatsNewNotes());
    EXPECT_EQ(presenter->whatsNewNotes()->version, QStringLiteral(TRIAGON_TEST_VERSION));
    ASSERT_TRUE(presenter->sheet());
    EXPECT_TRUE(presenter->sheet()->isVisible());
    EXPECT_EQ(presenter->sheet()->titleLabel()->text(), QStringLiteral("What's New in Triagon ") + QStringLiteral(TRIAGON_TEST_VERSION));
    EXPECT_EQ(QSettings().value(QStringLiteral("whatsNew.lastSeenVersion")).toString(), QStringLiteral(TRIAGON_TEST_VERSION));
    EXPECT_FALSE(QSettings().contains(QStringLiteral("lastSeenVersion")));

    // Escape closes it like the button does.
    QTest::keyClick(presenter->sheet(), Qt::Key_Escape);
    EXPECT_FALSE(presenter->whatsNewNotes());
    QTRY_VERIFY(!presenter->sheet());

    // Shown again: the version is handled.
    window.hide();
    window.show();
    EXPECT_FALSE(presenter->whatsNewNotes());
    EXPECT_FALSE(presenter->sheet());

    // Without an application version nothing happens at all.
    QCoreApplication::setApplicationVersion(QString());
    QSettings().setValue(QStringLiteral("whatsNew.lastSeenVersion"), QStringLiteral("0.1.0"));
    presenter->checkWhatsNew();
    EXPECT_FALSE(presenter->whatsNewNotes());
    EXPECT_EQ(QSettings().value(QStringLiteral("whatsNew.lastSeenVersion")).toString(), QStringLiteral("0.1.0"));
}

} // namespace

// A typo in the section table would draw nothing before the title.
TEST(WhatsNewView, EverySectionBadgeIsInTheSymbolCatalogue)
{
    for (const char *title : {"Added", "Features", "New", "Changed", "Improved", "Improvements", "Fixed", "Fixes", "Removed", "Deprecated",
                              "Security", "Current limitations", "Known issues", "Something else"}) {
        const QString symbol = WhatsNewView::sectionSymbol(QString::fromUtf8(title));
        EXPECT_TRUE(SymbolCatalog::contains(SymbolCatalog::variant(symbol, u"whatsnew"))) << title;
    }
}
