// "About Triagon" is an alert over the main window like every other: no modal
// loop of its own, and the keys go back to the clips once it is closed.
#include "AppTestSupport.h"

#include "app/ui/AppCommands.h"
#include "app/ui/MainWindow.h"
#include "app/ui/TriagonApp.h"
#include "grid/ClipGridView.h"
#include "window/ContentView.h"
#include "window/GridAreaView.h"
#include "window/MainToolbar.h"

#include <QAction>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

TEST(AboutBox, IsAWindowModalAlertOverTheMainWindowAndGivesTheKeysBackToTheClips)
{
    QTemporaryDir footage;
    ASSERT_TRUE(plantSession({plantedClip(footage.filePath(QStringLiteral("A001.mov")))}, {}, QStringLiteral("By Tag"), 3));
    TriagonApp app;
    QSignalSpy launched(&app, &TriagonApp::launchFinished);
    app.start();
    ASSERT_TRUE(app.isLaunchFinished() || launched.wait(30000));
    MainWindow *window = app.mainWindow();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    ClipGridView *grid = window->contentView()->gridArea()->grid();
    ASSERT_NE(grid, nullptr);
    window->contentView()->toolbar()->setFocus(); // something else has the keys

    // A box that ran a loop of its own would only be closed by this guard.
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] {
        if (QWidget *modal = QApplication::activeModalWidget())
            modal->close();
    });
    guard.start(3000);
    window->commands()->aboutAction()->trigger();
    guard.stop();
    QPointer<QMessageBox> box = window->findChild<QMessageBox *>(QString(), Qt::FindDirectChildrenOnly);
    ASSERT_TRUE(box) << "the About box is not presented over the main window";
    EXPECT_EQ(box->windowTitle(), QStringLiteral("About Triagon"));
    EXPECT_EQ(box->windowModality(), Qt::WindowModal);

    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == box; }, 2000));
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_TRUE(QTest::qWaitFor([&] { return box.isNull(); }, 5000));
    EXPECT_EQ(window->focusWidget(), static_cast<QWidget *>(grid));
}
