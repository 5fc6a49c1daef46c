#include "AppTestSupport.h"

#include "app/ui/AppCommands.h"
#include "app/ui/MainWindow.h"
#include "app/ui/TriagonApp.h"
#include "library/ClipStore.h"
#include "settings/TourManager.h"
#include "window/ContentView.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QStringList itemTexts(const QMenu *menu)
{
    QStringList texts;
    for (const QAction *action : menu->actions())
        texts.append(action->isSeparator() ? QStringLiteral("-") : action->text());
    return texts;
}

struct RunningApp
{
    TriagonApp app;
    RunningApp()
    {
        QSignalSpy spy(&app, &TriagonApp::launchFinished);
        app.start();
        if (!app.isLaunchFinished())
            spy.wait(30000);
        QWidget *window = app.mainWindow();
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window));
    }
    AppCommands &commands() const { return *app.mainWindow()->commands(); }
};

} // namespace

TEST(AppCommands, HelpMenuItemsAndShortcuts)
{
    RunningApp r;
    AppCommands &c = r.commands();
    EXPECT_EQ(itemTexts(c.helpMenu()),
              (QStringList{QStringLiteral("Take a Tour"), QStringLiteral("Keyboard Shortcuts"), QStringLiteral("-"),
                           QStringLiteral("Contact Support..."), QStringLiteral("Triagon Website")}));
    EXPECT_EQ(c.takeTourAction()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Question));
    EXPECT_TRUE(c.keyboardShortcutsAction()->shortcut().isEmpty());
    EXPECT_EQ(AppCommands::supportUrl().scheme(), QStringLiteral("mailto"));
    EXPECT_TRUE(AppCommands::websiteUrl().isValid());

    // "Check for Updates…" comes right after "About".
    const QList<QAction *> appItems = r.app.mainWindow()->menuBar()->actions().first()->menu()->actions();
    ASSERT_GE(appItems.size(), 2);
    EXPECT_EQ(appItems[0]->text(), QStringLiteral("About Triagon"));
    EXPECT_EQ(appItems[1]->text(), QStringLiteral("Check for Updates\u2026"));
}

TEST(AppCommands, TakeATourShowsTheOnboardingTourEvenWhenFinished)
{
    RunningApp r;
    TourManager &tours = r.app.tourManager();
    tours.markCompleted(TourManager::onboardingTourID());
    tours.setActiveTour(std::nullopt);
    r.commands().takeTourAction()->trigger();
    ASSERT_TRUE(tours.activeTour().has_value());
    EXPECT_EQ(tours.activeTour()->id, QStringLiteral("onboarding-v1"));
    EXPECT_EQ(tours.activeTour()->steps.size(), 9);
    EXPECT_TRUE(tours.completedTourIDs().contains(QStringLiteral("onboarding-v1")));

    // The same from the keyboard: Ctrl+? (Shift gives the question mark).
    tours.setActiveTour(std::nullopt);
    QTest::keyClick(r.app.mainWindow(), Qt::Key_Question, Qt::ControlModifier);
    ASSERT_TRUE(tours.activeTour().has_value());
    EXPECT_EQ(tours.activeTour()->id, QStringLiteral("onboarding-v1"));
}

TEST(AppCommands, KeyboardShortcutsReachesTheMainWindow)
{
    RunningApp r;
    ContentView *view = r.app.mainWindow()->contentView();
    ASSERT_FALSE(view->showKeyboardShortcuts());
    r.commands().keyboardShortcutsAction()->trigger();
    EXPECT_TRUE(view->showKeyboardShortcuts());
}

TEST(AppCommands, UndoAndRedoFollowTheStoreHistoryAndTheirKeys)
{
    RunningApp r;
    ClipStore &store = r.app.store();
    AppCommands &c = r.commands();
    EXPECT_EQ(itemTexts(c.editMenu()), (QStringList{QStringLiteral("Undo"), QStringLiteral("Redo")}));
    QTemporaryDir footage;
    const Clip clip = plantedClip(footage.filePath(QStringLiteral("E001.mov")));
    store.setClips({clip});
    EXPECT_FALSE(c.undoAction()->isEnabled());
    EXPECT_FALSE(c.redoAction()->isEnabled());

    // Ctrl+Z with nothing to undo does nothing.
    QWidget *window = r.app.mainWindow();
    QTest::keyClick(window, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(store.clips()[0].rating, 0);

    store.setRating(4, clip.id);
    EXPECT_TRUE(c.undoAction()->isEnabled());
    EXPECT_FALSE(c.redoAction()->isEnabled());
    QTest::keyClick(window, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(store.clips()[0].rating, 0);
    EXPECT_FALSE(c.undoAction()->isEnabled());
    EXPECT_TRUE(c.redoAction()->isEnabled());
    // The titles stay fixed whatever the action.
    EXPECT_EQ(c.undoAction()->text(), QStringLiteral("Undo"));
    EXPECT_EQ(c.redoAction()->text(), QStringLiteral("Redo"));

    QTest::keyClick(window, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(store.clips()[0].rating, 4);
    EXPECT_TRUE(c.undoAction()->isEnabled());
    EXPECT_FALSE(c.redoAction()->isEnabled());
}
