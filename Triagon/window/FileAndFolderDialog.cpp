#include "window/FileAndFolderDialog.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <algorithm>

FileAndFolderDialog::FileAndFolderDialog(QWidget *parent) : QFileDialog(parent)
{
    setOption(QFileDialog::DontUseNativeDialog, true);
    setFileMode(QFileDialog::ExistingFiles);
    setAcceptMode(QFileDialog::AcceptOpen);
    setViewMode(QFileDialog::Detail);
    setOption(QFileDialog::ShowDirsOnly, false);

    // QFileDialog relabels its confirm button after every selection change;
    // put the prompt back once it has done so.
    const auto queueRestore = [this] { QTimer::singleShot(0, this, &FileAndFolderDialog::restorePrompt); };
    for (QAbstractItemView *view : findChildren<QAbstractItemView *>()) {
        if (view->selectionModel()) {
            connect(view->selectionModel(), &QItemSelectionModel::selectionChanged, this, queueRestore);
            connect(view->selectionModel(), &QItemSelectionModel::currentChanged, this, queueRestore);
        }
    }
    if (auto *edit = findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))) {
        connect(edit, &QLineEdit::textChanged, this, queueRestore);
        // The name field handles Enter before the dialog sees it.
        edit->installEventFilter(this);
    }
    connect(this, &QFileDialog::directoryEntered, this, queueRestore);
}

void FileAndFolderDialog::setPrompt(const QString &prompt)
{
    m_prompt = prompt;
    setLabelText(QFileDialog::Accept, prompt);
    restorePrompt();
}

void FileAndFolderDialog::setMessage(const QString &message)
{
    auto *label = findChild<QLabel *>(QStringLiteral("triagonMessage"));
    auto *grid = qobject_cast<QGridLayout *>(layout());
    if (!label && grid) {
        label = new QLabel(this);
        label->setObjectName(QStringLiteral("triagonMessage"));
        label->setWordWrap(true);
        // A row of its own above everything QFileDialog lays out.
        const int columns = grid->columnCount();
        QList<std::tuple<QLayoutItem *, int, int, int, int>> items;
        while (grid->count() > 0) {
            int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
            grid->getItemPosition(0, &row, &column, &rowSpan, &columnSpan);
            items.append({grid->takeAt(0), row, column, rowSpan, columnSpan});
        }
        grid->addWidget(label, 0, 0, 1, columns);
        for (const auto &[item, row, column, rowSpan, columnSpan] : items)
            grid->addItem(item, row + 1, column, rowSpan, columnSpan);
    }
    if (label)
        label->setText(message);
    setWindowTitle(message);
}

void FileAndFolderDialog::restorePrompt()
{
    if (m_prompt.isEmpty())
        return;
    if (auto *box = findChild<QDialogButtonBox *>()) {
        if (QPushButton *button = box->button(QDialogButtonBox::Open))
            button->setText(m_prompt);
        else if (QPushButton *save = box->button(QDialogButtonBox::Save))
            save->setText(m_prompt);
    }
}

void FileAndFolderDialog::accept()
{
    // QFileDialog accepts on the name field's Enter itself (also when the
    // completer's list took the key first) and on activating an item; only
    // the "Add" button chooses a folder.
    const QObject *origin = sender();
    const bool byEnter = qobject_cast<const QLineEdit *>(origin) || qobject_cast<const QAbstractItemView *>(origin);
    if (byEnter && opensSelectedFolder())
        return;
    const QList<QUrl> urls = selectedUrls();
    if (urls.isEmpty())
        return;
    QList<QUrl> chosen;
    for (const QUrl &url : urls) {
        const QString path = url.toLocalFile();
        if (path.isEmpty() || !QFileInfo::exists(path)) {
            // A typed name that names nothing: let the user correct it.
            return;
        }
        chosen.append(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
    }
    m_chosen = chosen;
    QDialog::accept();
}

bool FileAndFolderDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && watched->objectName() == QLatin1String("fileNameEdit")
        && opensFolderOnEnter(static_cast<QKeyEvent *>(event)))
        return true;
    return QFileDialog::eventFilter(watched, event);
}

void FileAndFolderDialog::keyPressEvent(QKeyEvent *event)
{
    if (!opensFolderOnEnter(event))
        QFileDialog::keyPressEvent(event);
}

bool FileAndFolderDialog::opensFolderOnEnter(QKeyEvent *event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (!enter || (event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    // Otherwise Enter would press "Add": a typed "/" would import the whole disk.
    if (!opensSelectedFolder())
        return false;
    event->accept();
    return true;
}

bool FileAndFolderDialog::opensSelectedFolder()
{
    const QStringList paths = selectedFiles();
    const bool holdsFolder = std::any_of(paths.cbegin(), paths.cend(), [](const QString &path) { return QFileInfo(path).isDir(); });
    if (!holdsFolder)
        return false;
    if (paths.size() != 1) {
        QApplication::beep();
        return true;
    }
    const QString folder = QFileInfo(paths.front()).absoluteFilePath();
    setDirectory(folder);
    if (auto *edit = findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
        edit->clear();
    Q_EMIT directoryEntered(directory().absolutePath());
    return true;
}
