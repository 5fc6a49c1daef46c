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
