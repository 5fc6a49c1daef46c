#include "app/widgets/SheetPresenter.h"

SheetPresenter::SheetPresenter(Factory make, Closed closed, Current current)
    : m_make(std::move(make)), m_closed(std::move(closed)), m_current(std::move(current))
{
}

SheetPresenter::~SheetPresenter()
{
    // The sheet may outlive its presenter for a moment; it must not call back.
    QObject::disconnect(m_finished);
}

void SheetPresenter::sync(bool shown)
{
    if (m_dialog && (!shown || (m_current && !m_current(m_dialog))))
        dismiss();
    if (shown && !m_dialog)
        present();
}

void SheetPresenter::present()
{
    m_dialog = m_make();
    if (!m_dialog)
        return;
    m_dialog->setWindowModality(Qt::WindowModal);
    m_finished = QObject::connect(m_dialog, &QDialog::finished, m_dialog, [this] {
        // Taken away before the window's flag is cleared, so that the
        // window's sync finds nothing left to dismiss: the hook runs here, once.
        takeAway();
        if (m_closed)
            m_closed();
        if (m_afterDismiss)
            m_afterDismiss();
    });
    m_dialog->open();
    m_dialog->raise();
    m_dialog->activateWindow();
}

void SheetPresenter::dismiss()
{
    if (!m_dialog)
        return;
    takeAway();
    if (m_afterDismiss)
        m_afterDismiss();
}

void SheetPresenter::takeAway()
{
    QObject::disconnect(m_finished);
    QDialog *dialog = m_dialog;
    m_dialog = nullptr;
    if (!dialog)
        return;
    dialog->hide();
    dialog->setParent(nullptr);
    dialog->deleteLater();
}
