#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;

// One tag of the session tags sheet. Shown, it reads the tag's name, a
// warning when the name cannot be an organize folder, and "Rename…". Being
// renamed, it holds the name field, the confirm button ("Save", or "Merge"
// when the typed name is another existing tag) and "Cancel". The sheet owns
// the editing state and decides; the row only shows it and reports.
class SessionTagRow : public QWidget
{
    Q_OBJECT
public:
    SessionTagRow(const QString &tag, bool editing, const QString &name, QWidget *parent = nullptr);

    QString tag() const { return m_tag; }
    bool isEditing() const { return m_field != nullptr; }

    // Display mode.
    QLabel *nameLabel() const { return m_label; }
    QLabel *warning() const { return m_warning; }
    // Rename mode.
    // Sets the confirm button's title and whether it can be pressed.
    void setConfirm(const QString &title, bool enabled);

    static QString warningText() { return QStringLiteral("Rename this tag before exporting by tag."); }

Q_SIGNALS:
    void renameRequested();
    void nameEdited(const QString &name);
    // The confirm button or Return in the field (also while the button is disabled).
    void commitRequested();
    void cancelRequested();

private:
    QString m_tag;
    QLabel *m_label = nullptr;
    QLabel *m_warning = nullptr;
    QPushButton *m_rename = nullptr;
    QLineEdit *m_field = nullptr;
    QPushButton *m_confirm = nullptr;
    QPushButton *m_cancel = nullptr;
};
