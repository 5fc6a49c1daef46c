// Each sheet of the window is declared once: the notification that shows it,
// and for an alert of the store, the store's error it follows.
#include "WindowTestSupport.h"

#include "window/AppNotifier.h"
#include "window/KeyboardShortcutsView.h"
#include "window/WindowSheets.h"

#include <QMessageBox>
#include <QPointer>
#include <QSignalSpy>

TEST(SheetRegistration, ASheetAnswersTheNotificationItIsDeclaredWithAndNoOther)
{
    TestWindow w;
    QSignalSpy changed(w.view.get(), &ContentView::windowStateChanged);
    AppNotifier::instance().post(QStringLiteral("showSomethingElse"));
    EXPECT_FALSE(w.view->showKeyboardShortcuts());
    AppNotifier::instance().post(QStringLiteral("showKeyboardShortcuts"));
    ASSERT_NE(w.view->sheets()->keyboardShortcuts(), nullptr);
    w.view->sheets()->keyboardShortcuts()->reject();
    EXPECT_FALSE(w.view->showKeyboardShortcuts());
    EXPECT_EQ(changed.count(), 2); // shown, closed: the toolbar follows both
}

TEST(SheetRegistration, AStoreAlertShowsTheLatestErrorInPlaceAndGoesWithIt)
{
    TestWindow w;
    w.store.setSessionSaveError(QStringLiteral("Disk full."));
    QPointer<QMessageBox> alert = w.view->saveFailureAlert();
    ASSERT_TRUE(alert);
    w.store.setSessionSaveError(QStringLiteral("Read-only file system."));
    EXPECT_EQ(w.view->saveFailureAlert(), alert.data());
    EXPECT_TRUE(alert->informativeText().endsWith(QStringLiteral("quit. Read-only file system.")));

    // A save that succeeds clears the error: the alert goes by itself.
    w.store.setSessionSaveError(std::nullopt);
    EXPECT_EQ(w.view->saveFailureAlert(), nullptr);
    EXPECT_TRUE(QTest::qWaitFor([&] { return alert.isNull(); }, 5000));
}

TEST(SheetRegistration, WhatALaunchDidNotOpenIsNamedInOneAlertThatGrows)
{
    TestWindow w;
    QTemporaryDir footage;
    QStringList paths;
    for (const char *name : {"A001.ts", "B002.lrv", "C003.f4v", "D004.m2ts", "E005.ts", "F006.ts"}) {
        paths.append(footage.filePath(QString::fromLatin1(name)));
        QFile file(paths.constLast());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    const QString gone = footage.filePath(QStringLiteral("gone.mov"));
    w.view->sheets()->reportNotOpened({paths[0]});
    QPointer<QMessageBox> alert = w.view->sheets()->notOpenedAlert();
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->text(), QStringLiteral("1 item was not opened: A001.ts"));
    EXPECT_EQ(alert->informativeText(),
              QStringLiteral("Triagon opens folders and video files ending in .avi, .m4v, .mkv, .mov, .mp4, .mts or .webm."));

    // A later launch's items join the alert shown (a name given twice counts once).
    w.view->sheets()->reportNotOpened(paths.mid(0, 6) << gone);
    EXPECT_EQ(w.view->sheets()->notOpenedAlert(), alert.data());
    EXPECT_EQ(alert->text(), QStringLiteral("7 items were not opened: A001.ts, B002.lrv, C003.f4v, D004.m2ts, E005.ts and 2 more"));
    EXPECT_TRUE(alert->informativeText().endsWith(QStringLiteral(" Not found: gone.mov."))) << alert->informativeText().toStdString();

    // Once dismissed, the next report starts afresh.
    alert->reject();
    EXPECT_FALSE(w.view->sheets()->notOpenedSheet().isShown());
    w.view->sheets()->reportNotOpened({paths[5]});
    ASSERT_NE(w.view->sheets()->notOpenedAlert(), nullptr);
    EXPECT_EQ(w.view->sheets()->notOpenedAlert()->text(), QStringLiteral("1 item was not opened: F006.ts"));
}
