#include "app/widgets/SheetPresenter.h"

#include <QMessageBox>
#include <QPushButton>

namespace {

QMessageBox::Icon boxIcon(SheetPresenter::Alert::Icon icon)
{
    switch (icon) {
    case SheetPresenter::Alert::Icon::none:
        return QMessageBox::NoIcon;
    case SheetPresenter::Alert::Icon::information:
        return QMessageBox::Information;
    case SheetPresenter::Alert::Icon::warning:
        return QMessageBox::Warning;
    }
    return QMessageBox::NoIcon;
}

} // namespace

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
    m_finished = QObject::connect(m_dialog, &QDialog::finished, m_dialog, [this] {
        // Taken away before the window's flag is cleared, so that the
        // window's sync finds nothing left to dismiss: the hook runs here, once.
        takeAway();
        if (m_closed)
            m_closed();
        if (m_afterDismiss)
            m_afterDismiss();
    });
    open(m_dialog);
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
    retire(dialog);
}

void SheetPresenter::open(QDialog *dialog)
{
    dialog->setWindowModality(Qt::WindowModal);
    dialog->open();
    dialog->raise();
    dialog->activateWindow();
}

void SheetPresenter::retire(QDialog *dialog)
{
    if (!dialog)
        return;
    dialog->hide();
    dialog->setParent(nullptr);
    dialog->deleteLater();
}

QDialog *SheetPresenter::makeAlert(const Alert &alert, QWidget *parent)
{
    auto *box = new QMessageBox(boxIcon(alert.icon), alert.title, alert.text, QMessageBox::NoButton, parent);
    box->setObjectName(alert.objectName);
    if (!alert.iconPixmap.isNull())
        box->setIconPixmap(alert.iconPixmap);
    if (alert.textFormat != Qt::AutoText)
        box->setTextFormat(alert.textFormat);
    // Made after the text format: the informative text keeps the automatic one.
    box->setInformativeText(alert.informativeText);
    if (alert.textInteraction)
        box->setTextInteractionFlags(*alert.textInteraction);
    for (const Alert::Button &spec : alert.buttons) {
        QPushButton *button = spec.standard != QDialogButtonBox::NoButton
                                  ? box->addButton(static_cast<QMessageBox::StandardButton>(spec.standard))
                                  : box->addButton(spec.text, static_cast<QMessageBox::ButtonRole>(spec.role));
        if (!spec.objectName.isEmpty())
            button->setObjectName(spec.objectName);
        if (spec.isDefault)
            box->setDefaultButton(button);
        if (spec.isEscape)
            box->setEscapeButton(button);
        // Connected after the box's own handling of the press: the action
        // runs once the alert has finished.
        if (spec.clicked)
            QObject::connect(button, &QAbstractButton::clicked, button, spec.clicked);
    }
    return box;
}

void SheetPresenter::updateAlert(QDialog *box, const Alert &alert)
{
    QMessageBox *shown = alertBox(box);
    if (!shown)
        return;
    if (shown->text() != alert.text)
        shown->setText(alert.text);
    if (shown->informativeText() != alert.informativeText)
        shown->setInformativeText(alert.informativeText);
}

SheetPresenter::AlertBox *SheetPresenter::alertBox(QDialog *dialog)
{
    return qobject_cast<QMessageBox *>(dialog);
}

SheetPresenter::AlertBox *SheetPresenter::showAlert(const Alert &alert, QWidget *host, std::function<void()> afterDismiss)
{
    QWidget *window = host ? host->window() : nullptr;
    QDialog *box = makeAlert(alert, window);
    QPointer<QWidget> focus = window ? window->focusWidget() : nullptr;
    QObject::connect(box, &QDialog::finished, box, [box, focus, afterDismiss = std::move(afterDismiss)] {
        retire(box);
        if (afterDismiss)
            afterDismiss();
        else if (focus)
            focus->setFocus(Qt::OtherFocusReason);
    });
    open(box);
    return alertBox(box);
}
