// An alert shown once is window-modal over the window it was asked from
// (no loop of its own) and, once gone, gives the focus back where it was.
#include "app/widgets/SheetPresenter.h"

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

SheetPresenter::Alert confirmation(int *confirmed)
{
    return {.text = QStringLiteral("Remove?"),
            .buttons = {{.text = QStringLiteral("Remove"),
                         .role = QDialogButtonBox::DestructiveRole,
                         .objectName = QStringLiteral("confirmButton"),
                         .clicked = [confirmed] { ++*confirmed; }},
                        {.text = QStringLiteral("Cancel"), .role = QDialogButtonBox::RejectRole, .isDefault = true, .isEscape = true}}};
}

} // namespace

TEST(AlertPresenter, AnAlertIsWindowModalOverItsWindowAndGivesTheFocusBack)
{
    for (const bool ownHook : {false, true}) {
        SCOPED_TRACE(ownHook ? "the caller's focus return" : "focus back where it was");
        QWidget window;
        auto *layout = new QVBoxLayout(&window);
        QLineEdit *first = new QLineEdit, *second = new QLineEdit, *third = new QLineEdit;
        for (QLineEdit *field : {first, second, third})
            layout->addWidget(field);
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        second->setFocus();

        int confirmed = 0;
        // Asked from a widget inside the window: the alert is the window's.
        QPointer<QMessageBox> box = SheetPresenter::showAlert(confirmation(&confirmed), first,
                                                              ownHook ? std::function<void()>([&] { third->setFocus(); }) : nullptr);
        ASSERT_TRUE(box);
        EXPECT_EQ(box->parentWidget(), &window);
        EXPECT_EQ(box->windowModality(), Qt::WindowModal);
        ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == box; }, 2000));
        first->setFocus();                    // the window's focus moves under the alert
        QTest::keyClick(box, Qt::Key_Escape); // "Cancel": gone without its action
        EXPECT_TRUE(QTest::qWaitFor([&] { return box.isNull(); }, 5000));
        EXPECT_EQ(confirmed, 0);
        EXPECT_EQ(window.focusWidget(), ownHook ? third : second);
    }

    // Without a window the alert stands alone; a press runs its action once.
    int confirmed = 0;
    QPointer<QMessageBox> box = SheetPresenter::showAlert(confirmation(&confirmed), nullptr);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->parentWidget(), nullptr);
    EXPECT_TRUE(box->isVisible());
    box->findChild<QPushButton *>(QStringLiteral("confirmButton"))->click();
    EXPECT_EQ(confirmed, 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return box.isNull(); }, 5000));
}
