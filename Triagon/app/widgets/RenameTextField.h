#pragma once

#include <QLineEdit>

// The one-line field in which a clip's name is edited in place. It takes the
// keyboard focus and selects its whole text on the next turn of the event
// loop after it is made (it has no window before it is shown), so typing
// replaces the name at once. Return commits and Escape cancels; both are
// left to the owner, which reads the text and removes the field, as it does
// when the user puts the keyboard focus elsewhere (focusLeft). The field
// neither trims nor checks the text. Later changes made by the owner are not
// pushed into it: while it exists it is the only writer of the text.
class RenameTextField : public QLineEdit
{
    Q_OBJECT
public:
    RenameTextField(const QString &text, const QFont &font, QWidget *parent = nullptr);

    // The name to commit: trimmed of spaces and tabs (every Unicode space
    // separator) at both ends, not of line breaks, which stay visible.
    static QString trimmedName(const QString &text);

Q_SIGNALS:
    void committed();
    void cancelled();
    // Another widget took the keyboard focus (a click on it, Tab). A popup
    // of the field's own or a switch to another window leaves it editing.
    void focusLeft();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    bool event(QEvent *event) override;
};
