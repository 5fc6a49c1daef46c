#pragma once

#include <QDialog>
#include <QDialogButtonBox>
#include <QList>
#include <QPixmap>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>
#include <optional>

class QMessageBox;

// Presents one of a window's sheets (or alerts) while a flag of the window is
// set, and takes it away when the flag is cleared: sync(true) makes a new
// sheet and opens it window-modal over its parent; sync(false) hides it, cuts
// it loose from the window (so that it is no longer found as the window's
// sheet, also before it is deleted) and deletes it later. Each presentation is
// a new sheet.
//
// A sheet asks to go by calling the close action it was made with, which
// clears the flag and so comes back to sync(false). A dialog that finishes by
// itself (an alert's button, Escape, the window manager) is taken away the
// same way and `closed` runs, which clears the flag.
//
// Every alert, confirmation, notice and about box of the application is a
// message box made here from an Alert, presented as a sheet or once
// (showAlert): nothing else builds one.
class SheetPresenter
{
public:
    // Builds the sheet, a dialog whose parent is the window.
    using Factory = std::function<QDialog *()>;
    using Closed = std::function<void()>;
    // Whether the sheet presented still shows what the window wants shown;
    // one that does not is replaced by a new one.
    using Current = std::function<bool(const QDialog *sheet)>;
    // The box an alert is shown in, for those who read it back.
    using AlertBox = QMessageBox;

    // What an alert says and offers.
    struct Alert
    {
        enum class Icon { none, information, warning };
        struct Button
        {
            // The text, or a standard button with the desktop's own text.
            QString text{};
            QDialogButtonBox::StandardButton standard = QDialogButtonBox::NoButton;
            QDialogButtonBox::ButtonRole role = QDialogButtonBox::AcceptRole;
            QString objectName{};
            bool isDefault = false;
            bool isEscape = false;
            // Runs when the button is pressed, before the alert goes.
            std::function<void()> clicked{};
        };

        QString objectName{};
        Icon icon = Icon::none;
        // In place of the icon (the application's logo).
        QPixmap iconPixmap{};
        QString title{};
        QString text{};
        Qt::TextFormat textFormat = Qt::AutoText;
        QString informativeText{};
        // How the main text answers the mouse; the desktop's way when unset.
        std::optional<Qt::TextInteractionFlags> textInteraction{};
        // None: the box's own "OK".
        QList<Button> buttons{};
    };

    SheetPresenter(Factory make, Closed closed, Current current = {});
    ~SheetPresenter();
    SheetPresenter(const SheetPresenter &) = delete;
    SheetPresenter &operator=(const SheetPresenter &) = delete;

    // Runs each time a presented sheet has gone, however it was closed (after
    // `closed`, when the sheet finished by itself).
    void setAfterDismiss(std::function<void()> afterDismiss) { m_afterDismiss = std::move(afterDismiss); }

    // Presents or takes away the sheet after the window's flag changed.
    void sync(bool shown);
    // The sheet presented now, or null.
    QDialog *dialog() const { return m_dialog; }
    template <typename Sheet>
    Sheet *sheet() const
    {
        return qobject_cast<Sheet *>(m_dialog.data());
    }

    // The sheet of type `Sheet` presented over `host`, or null.
    template <typename Sheet>
    static Sheet *presented(const QWidget *host)
    {
        return host ? host->findChild<Sheet *>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
    }

    // The alert's box over `parent`, not yet shown: what a factory returns
    // for an alert presented as a sheet.
    static QDialog *makeAlert(const Alert &alert, QWidget *parent);
    // Shows what changed in an alert that is presented (its texts).
    static void updateAlert(QDialog *box, const Alert &alert);
    // The dialog as an alert's box, or null when it is none.
    static AlertBox *alertBox(QDialog *dialog);

    // Shows an alert once, window-modal over `host`'s window (a window of its
    // own without one), and deletes it when it finishes. Then `afterDismiss`
    // runs; without one the keyboard focus goes back to where it was in that
    // window.
    static AlertBox *showAlert(const Alert &alert, QWidget *host, std::function<void()> afterDismiss = {});

private:
    void present();
    void dismiss();
    // Hides the sheet, cuts it loose from the window and deletes it later.
    void takeAway();
    // Opens a dialog window-modal over its parent and in front.
    static void open(QDialog *dialog);
    static void retire(QDialog *dialog);

    Factory m_make;
    Closed m_closed;
    Current m_current;
    std::function<void()> m_afterDismiss;
    QPointer<QDialog> m_dialog;
    QMetaObject::Connection m_finished;
};
