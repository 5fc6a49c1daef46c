#include "app/widgets/RenameTextField.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QTimer>

RenameTextField::RenameTextField(const QString &text, const QFont &font, QWidget *parent) : QLineEdit(text, parent)
{
    setFont(font);
    setFrame(true);
    setAttribute(Qt::WA_MacShowFocusRect, true);
    QTimer::singleShot(0, this, [this] {
        if (window() && isVisible())
            setFocus(Qt::OtherFocusReason);
        selectAll();
    });
}

QString RenameTextField::trimmedName(const QString &text)
{
    auto isBlank = [](QChar c) { return c == QLatin1Char('\t') || c.category() == QChar::Separator_Space; };
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && isBlank(text.at(start)))
        ++start;
    while (end > start && isBlank(text.at(end - 1)))
        --end;
    return text.mid(start, end - start);
}

void RenameTextField::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept();
        Q_EMIT committed();
        return;
    case Qt::Key_Escape:
        event->accept();
        Q_EMIT cancelled();
        return;
    default:
        QLineEdit::keyPressEvent(event);
    }
}

void RenameTextField::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    switch (event->reason()) {
    case Qt::PopupFocusReason:
    case Qt::ActiveWindowFocusReason:
    case Qt::MenuBarFocusReason:
        return;
    default:
        Q_EMIT focusLeft();
    }
}

bool RenameTextField::event(QEvent *event)
{
    // Escape and Return are the field's own while it edits: a window-wide
    // shortcut on them must not take them away.
    if (event->type() == QEvent::ShortcutOverride) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Escape || key == Qt::Key_Return || key == Qt::Key_Enter) {
            event->accept();
            return true;
        }
    }
    return QLineEdit::event(event);
}
