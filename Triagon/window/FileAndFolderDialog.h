#pragma once

#include <QFileDialog>
#include <QList>
#include <QStringList>
#include <QUrl>

// A file dialog in which files and folders can be chosen together, several at
// once. QFileDialog's own modes pick either files or one folder; this one keeps
// the files mode (so the list shows everything and allows multiple selection)
// but accepts a selection that holds folders instead of entering the folder.
// Double-clicking a folder still opens it, and so does Enter on a folder typed
// or selected: as in any file dialog, Enter moves the panel into the folder,
// and only "Add" chooses a folder (with everything below it). Enter on files
// alone chooses them. Always Qt's own dialog: the desktop's native dialogs
// cannot mix the two.
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

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void restorePrompt();
    // Enter, with the selection holding a folder: handled (true) by opening it.
    bool opensFolderOnEnter(QKeyEvent *event);
    // Enter or an activation on a selection that holds folders (true): one
    // folder is opened in the panel; with several names nothing happens,
    // since only "Add" chooses a folder. False when the selection holds no folder.
    bool opensSelectedFolder();

    QString m_prompt;
    QList<QUrl> m_chosen;
};
