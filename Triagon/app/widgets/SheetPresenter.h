#pragma once

#include <QDialog>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>

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
class SheetPresenter
{
public:
    // Builds the sheet, a dialog whose parent is the window.
    using Factory = std::function<QDialog *()>;
    using Closed = std::function<void()>;
    // Whether the sheet presented still shows what the window wants shown;
    // one that does not is replaced by a new one.
    using Current = std::function<bool(const QDialog *sheet)>;

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

private:
    void present();
    void dismiss();
    // Hides the sheet, cuts it loose from the window and deletes it later.
    void takeAway();

    Factory m_make;
    Closed m_closed;
    Current m_current;
    std::function<void()> m_afterDismiss;
    QPointer<QDialog> m_dialog;
    QMetaObject::Connection m_finished;
};
