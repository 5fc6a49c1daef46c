#include "window/SheetPresenter.h"

#include <QDialog>

SheetPresenter::SheetPresenter(Factory factory, Closed closed) : m_factory(std::move(factory)), m_closed(std::move(closed))
{
}

SheetPresenter::~SheetPresenter()
{
    if (m_dialog)
        QObject::disconnect(m_dialog, &QDialog::finished, nullptr, nullptr);
}

void SheetPresenter::sync(bool shown)
{
    if (shown == static_cast<bool>(m_dialog))
        return;
    if (!shown) {
        dismiss();
        return;
    }
    m_dialog = m_factory();
    if (!m_dialog)
        return;
    m_dialog->setWindowModality(Qt::WindowModal);
    QObject::connect(m_dialog, &QDialog::finished, m_dialog, [this] {
        dismiss();
        if (m_closed)
            m_closed();
    });
    m_dialog->open();
}

void SheetPresenter::dismiss()
{
    QDialog *dialog = m_dialog;
    m_dialog = nullptr;
    if (!dialog)
        return;
    QObject::disconnect(dialog, &QDialog::finished, nullptr, nullptr);
    dialog->hide();
    dialog->deleteLater();
}
