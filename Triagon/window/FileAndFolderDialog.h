#pragma once

#include <QFileDialog>
#include <QList>
#include <QUrl>

// A file dialog in which files and folders can be chosen together, several at
// once. QFileDialog's own modes pick either files or one folder; this one keeps
// the files mode (so the list shows everything and allows multiple selection)
// but accepts a selection that holds folders instead of entering the folder.
// Double-clicking a folder still opens it. Always Qt's own dialog: the
// desktop's native dialogs cannot mix the two.
class FileAndFolderDialog : public QFileDialog
{
    Q_OBJECT
public:
    explicit FileAndFolderDialog(QWidget *parent = nullptr);

    // The confirm button's text, kept while the selection changes (QFileDialog
    // renames the button to "Open" whenever a folder is selected).
    void setPrompt(const QString &prompt);
    // The explanatory line shown above the file list.
    void setMessage(const QString &message);

    // What the user confirmed: existing files and folders, in selection order.
    QList<QUrl> chosenUrls() const { return m_chosen; }

public Q_SLOTS:
    void accept() override;

private:
    void restorePrompt();

    QString m_prompt;
    QList<QUrl> m_chosen;
};
