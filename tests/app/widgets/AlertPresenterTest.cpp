// Every alert of the application is a message box made by the sheet
// presenter from a description: what it says, its buttons, which of them
// Return and Escape press, and where the focus goes once it is gone.
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
    return {.objectName = QStringLiteral("confirmAlert"),
            .icon = SheetPresenter::Alert::Icon::warning,
            .title = QStringLiteral("Remove?"),
            .text = QStringLiteral("Remove <b>it</b>?"),
            .textFormat = Qt::PlainText,
            .informativeText = QStringLiteral("You can undo this."),
            .buttons = {{.text = QStringLiteral("Remove"),
                         .role = QDialogButtonBox::DestructiveRole,
                         .objectName = QStringLiteral("confirmButton"),
                         .clicked = [confirmed] { ++*confirmed; }},
                        {.text = QStringLiteral("Cancel"), .role = QDialogButtonBox::RejectRole, .isDefault = true, .isEscape = true},
                        {.standard = QDialogButtonBox::Help}}};
}

// A window with two fields, the second holding the focus.
struct Host
{
    QWidget window;
    QLineEdit *first = new QLineEdit(&window);
    QLineEdit *second = new QLineEdit(&window);
    Host()
    {
        auto *layout = new QVBoxLayout(&window);
        layout->addWidget(first);
        layout->addWidget(second);
        window.resize(400, 300);
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        second->setFocus();
    }
};

} // namespace

TEST(AlertPresenter, TheBoxSaysWhatTheAlertSaysAndPressesWhatItOffers)
{
    QWidget parent;
    int confirmed = 0;
    std::unique_ptr<QDialog> dialog(SheetPresenter::makeAlert(confirmation(&confirmed), &parent));
    QMessageBox *box = SheetPresenter::alertBox(dialog.get());
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->parentWidget(), &parent);
    EXPECT_EQ(box->objectName(), QStringLiteral("confirmAlert"));
    EXPECT_EQ(box->icon(), QMessageBox::Warning);
    EXPECT_EQ(box->windowTitle(), QStringLiteral("Remove?"));
    EXPECT_EQ(box->text(), QStringLiteral("Remove <b>it</b>?"));
    EXPECT_EQ(box->textFormat(), Qt::PlainText);
    EXPECT_EQ(box->informativeText(), QStringLiteral("You can undo this."));
    ASSERT_EQ(box->buttons().size(), 3);
    auto *remove = box->findChild<QPushButton *>(QStringLiteral("confirmButton"));
    ASSERT_NE(remove, nullptr);
    EXPECT_EQ(remove->text(), QStringLiteral("Remove"));
    EXPECT_EQ(box->buttonRole(remove), QMessageBox::DestructiveRole);
    ASSERT_NE(box->defaultButton(), nullptr);
    EXPECT_EQ(box->defaultButton()->text(), QStringLiteral("Cancel"));
    EXPECT_EQ(box->escapeButton(), box->defaultButton());
    EXPECT_EQ(box->buttonRole(box->defaultButton()), QMessageBox::RejectRole);
    EXPECT_NE(box->button(QMessageBox::Help), nullptr);

    // The texts it shows later follow the alert; its action runs once per press.
    SheetPresenter::Alert changed = confirmation(&confirmed);
    changed.informativeText = QStringLiteral("Nothing to undo.");
    SheetPresenter::updateAlert(box, changed);
    EXPECT_EQ(box->informativeText(), QStringLiteral("Nothing to undo."));
    remove->click();
    EXPECT_EQ(confirmed, 1);
    EXPECT_EQ(SheetPresenter::alertBox(nullptr), nullptr);

    // Without buttons the box offers its own "OK"; a picture may stand for the icon.
    QPixmap logo(16, 16);
    logo.fill(Qt::red);
    std::unique_ptr<QDialog> plain(SheetPresenter::makeAlert({.iconPixmap = logo, .text = QStringLiteral("Hi")}, nullptr));
    plain->show();
    QMessageBox *about = SheetPresenter::alertBox(plain.get());
    ASSERT_EQ(about->buttons().size(), 1);
    EXPECT_EQ(about->standardButton(about->buttons().first()), QMessageBox::Ok);
    EXPECT_FALSE(about->iconPixmap().isNull());
    EXPECT_EQ(about->icon(), QMessageBox::NoIcon);
}

TEST(AlertPresenter, AnAlertShownOnceIsWindowModalAndGivesTheFocusBackWhereItWas)
{
    for (const bool withAfterDismiss : {false, true}) {
        SCOPED_TRACE(withAfterDismiss ? "own focus return" : "focus back where it was");
        Host host;
        ASSERT_EQ(host.window.focusWidget(), host.second);
        int confirmed = 0;
        int after = 0;
        // Asked from a widget inside the window: the alert is the window's.
        QPointer<QMessageBox> box = SheetPresenter::showAlert(confirmation(&confirmed), host.first,
                                                              withAfterDismiss ? std::function<void()>([&] {
                                                                  ++after;
                                                                  host.first->setFocus();
                                                              })
                                                                               : std::function<void()>());
        ASSERT_TRUE(box);
        EXPECT_EQ(box->parentWidget(), &host.window);
        EXPECT_TRUE(box->isVisible());
        EXPECT_EQ(box->windowModality(), Qt::WindowModal);
        ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == box; }, 2000));

        // Escape presses "Cancel": the alert goes, without its action.
        QTest::keyClick(box, Qt::Key_Escape);
        EXPECT_EQ(confirmed, 0);
        ASSERT_TRUE(box);
        EXPECT_FALSE(box->isVisible());
        EXPECT_EQ(host.window.findChild<QMessageBox *>(), nullptr);
        EXPECT_TRUE(QTest::qWaitFor([&] { return box.isNull(); }, 5000));
        EXPECT_EQ(after, withAfterDismiss ? 1 : 0);
        EXPECT_EQ(host.window.focusWidget(), withAfterDismiss ? host.first : host.second);
    }
}

TEST(AlertPresenter, WithoutAWindowTheAlertStandsAlone)
{
    int confirmed = 0;
    QPointer<QMessageBox> box = SheetPresenter::showAlert(confirmation(&confirmed), nullptr);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->parentWidget(), nullptr);
    EXPECT_TRUE(box->isVisible());
    EXPECT_TRUE(QApplication::topLevelWidgets().contains(box.data()));
    box->findChild<QPushButton *>(QStringLiteral("confirmButton"))->click();
    EXPECT_EQ(confirmed, 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return box.isNull(); }, 5000));
}
