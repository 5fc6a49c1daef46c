#pragma once

#include <QDialog>
#include <QPointer>

#include <functional>

class QDialog;

// Presents one of the window's sheets (or alerts) while its flag holds: sync()
// with true creates the dialog and opens it window-modally, sync() with false
// closes it. When the user closes the dialog (a button, Escape, the window
// manager) `closed` runs, which sets the flag back.
class SheetPresenter
{
public:
    using Factory = std::function<QDialog *()>;
    using Closed = std::function<void()>;

    SheetPresenter(Factory factory, Closed closed);
    ~SheetPresenter();
    SheetPresenter(const SheetPresenter &) = delete;
    SheetPresenter &operator=(const SheetPresenter &) = delete;

    void sync(bool shown);
    // The open dialog, or null.
    QDialog *dialog() const { return m_dialog; }

private:
    void dismiss();

    Factory m_factory;
    Closed m_closed;
    QPointer<QDialog> m_dialog;
};
