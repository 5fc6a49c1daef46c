#include "AppTestSupport.h"

#include "AppUpdates/WhatsNewPresenter.h"
#include "AppUpdates/WhatsNewView.h"
#include "app/AppSettings.h"
#include "app/ui/AppCommands.h"
#include "app/ui/MainWindow.h"
#include "app/ui/TriagonApp.h"
#include "library/ClipStore.h"
#include "settings/TourManager.h"
#include "settings/ui/OnboardingOverlay.h"
#include "settings/ui/SettingsView.h"
#include "window/ContentView.h"
#include "support/Children.h"

#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QLabel>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

bool startAndWait(TriagonApp &app)
{
    QSignalSpy spy(&app, &TriagonApp::launchFinished);
    app.start();
    return app.isLaunchFinished() || spy.wait(5000);
}

OnboardingOverlay *overlayOf(TriagonApp &app)
{
    return app.mainWindow()->contentView()->findChild<OnboardingOverlay *>();
}

} // namespace

TEST(SettingsAndTourHookup, settingsOpensOnGeneralAndIsMadeAnewAfterClosing)
{
    TriagonApp app;
    ASSERT_TRUE(startAndWait(app));
    QAction *settings = app.mainWindow()->commands()->settingsAction();
    EXPECT_EQ(settings->text(), QStringLiteral("Settings\u2026"));
    EXPECT_EQ(settings->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Comma));
    ASSERT_TRUE(settings->isEnabled());
    settings->trigger();
    auto *window = qobject_cast<SettingsView *>(app.settingsWindow());
    ASSERT_TRUE(window);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->tab(), QStringLiteral("general"));
    EXPECT_EQ(window->size(), QSize(450, 380));
    window->setTab(QStringLiteral("scrub"));

    // Asked again while open: the same window.
    settings->trigger();
    EXPECT_EQ(app.settingsWindow(), window);
    window->close();
    QTRY_VERIFY(!app.settingsWindow());
    settings->trigger();
    auto *again = qobject_cast<SettingsView *>(app.settingsWindow());
    ASSERT_TRUE(again);
    EXPECT_EQ(again->tab(), QStringLiteral("general"));
    again->close();
}

// A change made in the settings window reaches the main window through the
// settings model: the accent of the window follows the theme colour at once.
TEST(SettingsAndTourHookup, mainWindowFollowsTheThemeColourWhileSettingsAreOpen)
{
    TriagonApp app;
    ASSERT_TRUE(startAndWait(app));
    app.mainWindow()->commands()->settingsAction()->trigger();
    auto *window = qobject_cast<SettingsView *>(app.settingsWindow());
    ASSERT_TRUE(window);
    ContentView *content = app.mainWindow()->contentView();
    EXPECT_EQ(content->palette().color(QPalette::Highlight), QColor(249, 115, 22));
    app.settings().setThemeColorRaw(QStringLiteral("Teal"));
    EXPECT_EQ(content->palette().color(QPalette::Highlight), app.settings().accentColor());
    EXPECT_NE(app.settings().accentColor(), QColor(249, 115, 22));
    window->close();
}

TEST(SettingsAndTourHookup, takeATourShowsTheOverlayOverTheWindowAndFinishingRecordsIt)
{
    TriagonApp app;
    ASSERT_TRUE(startAndWait(app));
    OnboardingOverlay *overlay = overlayOf(app);
    ASSERT_TRUE(overlay);
    EXPECT_FALSE(overlay->isPresented());

    QAction *tour = app.mainWindow()->commands()->takeTourAction();
    EXPECT_EQ(tour->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Question));
    tour->trigger();
    EXPECT_TRUE(overlay->isPresented());
    EXPECT_TRUE(overlay->isVisible());
    EXPECT_EQ(overlay->geometry(), app.mainWindow()->contentView()->rect());
    EXPECT_EQ(overlay->titleLabel()->text(), QStringLiteral("Welcome to Triagon"));

    QTest::keyClick(overlay, Qt::Key_Escape);
    EXPECT_FALSE(app.tourManager().activeTour());
    EXPECT_TRUE(QSettings().value(TourManager::completedKey()).toStringList().contains(QStringLiteral("onboarding-v1"))
                || QSettings().value(TourManager::completedKey()).toString() == QStringLiteral("onboarding-v1"));
}

// The first clips of the window start the tour the user has not finished.
TEST(SettingsAndTourHookup, aTourEndsWithTheApplicationThatShowedIt)
{
    {
        TriagonApp app;
        ASSERT_TRUE(startAndWait(app));
        app.mainWindow()->commands()->takeTourAction()->trigger();
        ASSERT_TRUE(TourManager::shared().activeTour().has_value());
    }
    EXPECT_FALSE(TourManager::shared().activeTour().has_value());
    TriagonApp next;
    ASSERT_TRUE(startAndWait(next));
    ASSERT_TRUE(overlayOf(next));
    EXPECT_FALSE(overlayOf(next)->isPresented());
}

TEST(SettingsAndTourHookup, firstClipsStartTheTourOverlay)
{
    QSettings().remove(TourManager::completedKey());
    QTemporaryDir footage;
    ASSERT_TRUE(
        plantSession({plantedClip(footage.filePath(QStringLiteral("A001.mov")))}, {QStringLiteral("Dunk")}, QStringLiteral("By Tag"), 3));
    TriagonApp app;
    ASSERT_TRUE(startAndWait(app));
    OnboardingOverlay *overlay = overlayOf(app);
    ASSERT_TRUE(overlay);
    QTRY_VERIFY(overlay->isPresented());
    EXPECT_EQ(overlay->currentStep(), 0);
    QTest::mouseClick(child<QPushButton>(overlay, "tourLeadingButton"), Qt::LeftButton);
    EXPECT_FALSE(overlay->isPresented());
    app.tourManager().setActiveTour(std::nullopt);
}

// The main window runs the what's-new check when it comes on screen: after
// an update from a version recorded under the older key, the sheet shows the
// application's own notes.
TEST(SettingsAndTourHookup, whatsNewSheetAfterAnUpdate)
{
    ASSERT_TRUE(writeSettingsFile("[General]\nlastSeenVersion=0.9.0\n"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TRIAGON_TEST_VERSION));
    TriagonApp app;
    ASSERT_TRUE(startAndWait(app));
    auto *presenter = app.mainWindow()->contentView()->findChild<WhatsNewPresenter *>();
    ASSERT_TRUE(presenter);
    ASSERT_TRUE(presenter->whatsNewNotes());
    ASSERT_TRUE(presenter->sheet());
    EXPECT_EQ(presenter->sheet()->titleLabel()->text(), QStringLiteral("What's New in Triagon ") + QStringLiteral(TRIAGON_TEST_VERSION));
    QTest::mouseClick(presenter->sheet()->dismissButton(), Qt::LeftButton);
    EXPECT_FALSE(presenter->whatsNewNotes());
    QCoreApplication::setApplicationVersion(QString());
}
