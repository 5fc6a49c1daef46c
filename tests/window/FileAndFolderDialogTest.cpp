#include "window/FileAndFolderDialog.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <gtest/gtest.h>

namespace {

void touch(const QString &path)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
}

QPushButton *confirmButton(FileAndFolderDialog &dialog)
{
    auto *box = dialog.findChild<QDialogButtonBox *>();
    return box ? box->button(QDialogButtonBox::Open) : nullptr;
}

} // namespace

// The trap of QFileDialog: in its files mode a selected folder is entered
// instead of chosen. The dialog must hand back folders and files together.
TEST(FileAndFolderDialog, AcceptsFoldersAndFilesChosenTogether)
{
    QTemporaryDir root;
    ASSERT_TRUE(QDir(root.path()).mkdir(QStringLiteral("Day1")));
    touch(root.filePath(QStringLiteral("A001.MOV")));

    FileAndFolderDialog dialog;
    dialog.setDirectory(root.path());
    dialog.setPrompt(QStringLiteral("Add"));
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));

    auto *edit = dialog.findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(edit, nullptr);
    edit->setText(QStringLiteral("\"Day1\" \"A001.MOV\""));
    QPushButton *button = confirmButton(dialog);
    ASSERT_NE(button, nullptr);
    // QFileDialog relabels the button as the selection changes; the dialog puts
    // the prompt back on the next turn of the event loop.
    ASSERT_TRUE(QTest::qWaitFor([&] { return button->isEnabled() && button->text() == QStringLiteral("Add"); }, 30000));
    EXPECT_EQ(button->text(), QStringLiteral("Add"));
    QTest::mouseClick(button, Qt::LeftButton);

    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    const QList<QUrl> chosen = dialog.chosenUrls();
    ASSERT_EQ(chosen.size(), 2);
    EXPECT_EQ(chosen[0], QUrl::fromLocalFile(root.filePath(QStringLiteral("Day1"))));
    EXPECT_EQ(chosen[1], QUrl::fromLocalFile(root.filePath(QStringLiteral("A001.MOV"))));
    // The dialog stayed where it was: choosing the folder did not enter it.
    EXPECT_EQ(QDir(dialog.directory()).absolutePath(), QDir(root.path()).absolutePath());
}

TEST(FileAndFolderDialog, ASingleFolderIsChosenNotEntered)
{
    QTemporaryDir root;
    ASSERT_TRUE(QDir(root.path()).mkdir(QStringLiteral("Card A")));

    FileAndFolderDialog dialog;
    dialog.setDirectory(root.path());
    dialog.setPrompt(QStringLiteral("Add"));
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    // Click the folder's row in the list, as a user would.
    auto *view = dialog.findChild<QTreeView *>(QStringLiteral("treeView"));
    ASSERT_NE(view, nullptr);
    QModelIndex folderIndex;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const QModelIndex rootIndex = view->rootIndex();
            for (int row = 0; row < view->model()->rowCount(rootIndex); ++row) {
                const QModelIndex index = view->model()->index(row, 0, rootIndex);
                if (index.data().toString() == QStringLiteral("Card A"))
                    folderIndex = index;
            }
            return folderIndex.isValid();
        },
        3000));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(folderIndex).center());
    QPushButton *button = confirmButton(dialog);
    ASSERT_NE(button, nullptr);
    // QFileDialog relabels the button as the selection changes; the dialog puts
    // the prompt back on the next turn of the event loop.
    ASSERT_TRUE(QTest::qWaitFor([&] { return button->isEnabled() && button->text() == QStringLiteral("Add"); }, 30000));
    // QFileDialog would relabel the button "Open" for a folder.
    EXPECT_EQ(button->text(), QStringLiteral("Add"));
    QTest::mouseClick(button, Qt::LeftButton);

    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    ASSERT_EQ(dialog.chosenUrls().size(), 1);
    EXPECT_EQ(dialog.chosenUrls()[0], QUrl::fromLocalFile(root.filePath(QStringLiteral("Card A"))));
}

TEST(FileAndFolderDialog, ANameThatDoesNotExistKeepsTheDialogOpen)
{
    QTemporaryDir root;
    FileAndFolderDialog dialog;
    dialog.setDirectory(root.path());
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    auto *edit = dialog.findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(edit, nullptr);
    edit->setText(QStringLiteral("nothing-here.mov"));
    dialog.accept();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(dialog.chosenUrls().isEmpty());
}

TEST(FileAndFolderDialog, ShowsItsMessageAboveTheList)
{
    FileAndFolderDialog dialog;
    dialog.setMessage(QStringLiteral("Select folders or video files to add"));
    auto *label = dialog.findChild<QLabel *>(QStringLiteral("triagonMessage"));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), QStringLiteral("Select folders or video files to add"));
    EXPECT_TRUE(dialog.testOption(QFileDialog::DontUseNativeDialog));
}

// Enter on a typed folder opens it in the panel, as file dialogs do; it never
// chooses the folder (a typed "/" would import the whole disk). Enter on a
// typed file still chooses it, and "Add" still chooses a folder.
TEST(FileAndFolderDialog, EnterOnATypedFolderOpensItAndOnlyAddChoosesIt)
{
    QTemporaryDir root;
    ASSERT_TRUE(QDir(root.path()).mkpath(QStringLiteral("Day1/Card A")));
    touch(root.filePath(QStringLiteral("Day1/B002.mov")));

    FileAndFolderDialog dialog;
    dialog.setDirectory(root.path());
    dialog.setPrompt(QStringLiteral("Add"));
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    auto *edit = dialog.findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(edit, nullptr);
    edit->setFocus();

    // The whole path of a folder, then Enter.
    edit->setText(root.filePath(QStringLiteral("Day1")));
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(dialog.chosenUrls().isEmpty());
    EXPECT_EQ(QDir(dialog.directory()).absolutePath(), QDir(root.filePath(QStringLiteral("Day1"))).absolutePath());
    EXPECT_TRUE(edit->text().isEmpty());

    // The root of the disk: opened, not walked.
    edit->setText(QStringLiteral("/"));
    QTest::keyClick(edit, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(dialog.chosenUrls().isEmpty());
    EXPECT_EQ(QDir(dialog.directory()).absolutePath(), QStringLiteral("/"));

    // While the completer's list is open it takes the key and the name field
    // only reports its Enter, which QFileDialog turns into accept().
    edit->setText(root.filePath(QStringLiteral("Day1/Card A")));
    Q_EMIT edit->returnPressed();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(dialog.chosenUrls().isEmpty());
    EXPECT_EQ(QDir(dialog.directory()).absolutePath(), QDir(root.filePath(QStringLiteral("Day1/Card A"))).absolutePath());

    // A folder named relative to the one shown, then several names with a
    // folder among them: Enter chooses nothing.
    dialog.setDirectory(root.filePath(QStringLiteral("Day1")));
    edit->setText(QStringLiteral("\"Card A\" \"B002.mov\""));
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(dialog.chosenUrls().isEmpty());
    EXPECT_EQ(QDir(dialog.directory()).absolutePath(), QDir(root.filePath(QStringLiteral("Day1"))).absolutePath());

    // "Add" chooses the typed folder.
    edit->setText(QStringLiteral("Card A"));
    QPushButton *button = confirmButton(dialog);
    ASSERT_NE(button, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return button->isEnabled(); }, 30000));
    QTest::mouseClick(button, Qt::LeftButton);
    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    ASSERT_EQ(dialog.chosenUrls().size(), 1);
    EXPECT_EQ(dialog.chosenUrls()[0], QUrl::fromLocalFile(root.filePath(QStringLiteral("Day1/Card A"))));
}

TEST(FileAndFolderDialog, EnterOnATypedFileChoosesIt)
{
    QTemporaryDir root;
    touch(root.filePath(QStringLiteral("B002.mov")));
    FileAndFolderDialog dialog;
    dialog.setDirectory(root.path());
    dialog.setPrompt(QStringLiteral("Add"));
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    auto *edit = dialog.findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(edit, nullptr);
    edit->setFocus();
    edit->setText(QStringLiteral("B002.mov"));
    QPushButton *button = confirmButton(dialog);
    ASSERT_NE(button, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return button->isEnabled(); }, 30000));
    QTest::keyClick(edit, Qt::Key_Return);
    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    ASSERT_EQ(dialog.chosenUrls().size(), 1);
    EXPECT_EQ(dialog.chosenUrls()[0], QUrl::fromLocalFile(root.filePath(QStringLiteral("B002.mov"))));
}
