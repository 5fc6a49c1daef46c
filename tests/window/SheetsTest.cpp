#include "WindowTestSupport.h"

#include "window/AppNotifier.h"
#include "window/GridAreaView.h"
#include "window/KeyboardShortcutsView.h"
#include "window/MainToolbar.h"
#include "window/MissingMediaView.h"
#include "window/OfflineStatusBar.h"
#include "window/PathLabel.h"
#include "window/SessionActionsButton.h"
#include "window/SessionTagRow.h"
#include "window/SessionTagsView.h"
#include "window/SymbolButton.h"
#include "window/WindowSheets.h"
#include "support/Children.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

bool writeBytes(const QString &path, int count)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    return f.write(QByteArray(count, 'x')) == count;
}

// Replaces a field's text as the user does: select all, type.
void retype(QLineEdit *field, const QString &text)
{
    field->setFocus();
    field->selectAll();
    if (text.isEmpty())
        QTest::keyClick(field, Qt::Key_Backspace);
    else
        QTest::keyClicks(field, text);
}

SessionTagsView *openTagsSheet(TestWindow &w)
{
    w.view->toolbar()->sessionActions()->manageTagsAction()->trigger();
    SessionTagsView *sheet = w.view->sheets()->sessionTags();
    EXPECT_NE(sheet, nullptr);
    if (sheet) {
        EXPECT_TRUE(QTest::qWaitFor([&] { return sheet->isVisible(); }, 2000));
    }
    return sheet;
}

QStringList rowTags(const SessionTagsView *sheet)
{
    QStringList tags;
    for (const SessionTagRow *row : sheet->rows())
        tags.append(row->tag());
    return tags;
}

} // namespace

// ---- Keyboard shortcuts ---------------------------------------------------------

TEST(KeyboardShortcutsSheet, OpensFromTheHelpNotificationWithTheThreeSectionsInLinuxKeys)
{
    TestWindow w;
    AppNotifier::instance().postShowKeyboardShortcuts();
    KeyboardShortcutsView *sheet = w.view->sheets()->keyboardShortcuts();
    ASSERT_NE(sheet, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return sheet->isVisible(); }, 2000));
    EXPECT_TRUE(sheet->isModal() || sheet->windowModality() == Qt::WindowModal);
    EXPECT_EQ(sheet->size(), QSize(460, 520));
    // A second request while it is open changes nothing.
    AppNotifier::instance().postShowKeyboardShortcuts();
    EXPECT_EQ(w.view->sheets()->keyboardShortcuts(), sheet);

    QStringList titles;
    for (const QLabel *title : sheet->sectionTitles())
        titles.append(title->text());
    EXPECT_EQ(titles, (QStringList{QStringLiteral("Grid"), QStringLiteral("Player"), QStringLiteral("App")}));
    const auto rows = sheet->rows();
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[0].size(), 9);
    EXPECT_EQ(rows[1].size(), 12);
    EXPECT_EQ(rows[2].size(), 3);
    EXPECT_EQ(rows[0][0].first->text(), QStringLiteral("1\u20135"));
    EXPECT_EQ(rows[0][6].first->text(), QStringLiteral("Ctrl+Click"));
    EXPECT_EQ(rows[0][7].first->text(), QStringLiteral("Ctrl+A"));
    EXPECT_EQ(rows[1][0].first->text(), QStringLiteral("Space"));
    EXPECT_EQ(rows[1][8].first->text(), QStringLiteral("\u2190 \u2192"));
    EXPECT_EQ(rows[1][11].second->text(), QStringLiteral("Close player"));
    EXPECT_EQ(rows[2][0].first->text(), QStringLiteral("Ctrl+Z"));
    EXPECT_EQ(rows[2][1].first->text(), QStringLiteral("Ctrl+Shift+Z"));
    EXPECT_EQ(rows[2][2].first->text(), QStringLiteral("Ctrl+?"));

    // Every action starts at the same place; the key column stays 160 wide.
    const int actionX = rows[1][1].second->mapTo(sheet, QPoint()).x();
    EXPECT_EQ(rows[2][0].second->mapTo(sheet, QPoint()).x(), actionX);
    EXPECT_EQ(rows[0][0].first->width(), 160);
    EXPECT_EQ(sheet->closeButton()->accessibleName(), QStringLiteral("Close"));

    // Return closes it and the flag follows.
    QTest::keyClick(sheet, Qt::Key_Return);
    EXPECT_FALSE(w.view->showKeyboardShortcuts());
    EXPECT_EQ(w.view->sheets()->keyboardShortcuts(), nullptr);

    w.view->setShowKeyboardShortcuts(true);
    sheet = w.view->sheets()->keyboardShortcuts();
    ASSERT_NE(sheet, nullptr);
    click(sheet->closeButton());
    EXPECT_FALSE(w.view->showKeyboardShortcuts());
}

// ---- Offline files --------------------------------------------------------------

TEST(OfflineSheet, ListsOfflineClipsAndRelinksThemWithTheStoresRefusals)
{
    QTemporaryDir root;
    const QString present = root.filePath(QStringLiteral("b.mov"));
    ASSERT_TRUE(writeBytes(present, 1000));
    const QString wrongSize = root.filePath(QStringLiteral("other.mov"));
    ASSERT_TRUE(writeBytes(wrongSize, 999));
    const QString original = root.filePath(QStringLiteral("moved/a.mov"));
    ASSERT_TRUE(QDir().mkpath(root.filePath(QStringLiteral("moved"))));
    ASSERT_TRUE(writeBytes(original, 1000));

    TestWindow w;
    Clip gone = makeClip(root.filePath(QStringLiteral("a.mov")), true, 4);
    gone.tags = {QStringLiteral("Dunk")};
    const Clip there = makeClip(present);
    w.store.setClips({gone, there});
    click(w.view->gridArea()->statusBar()->locateButton());
    ASSERT_TRUE(w.view->showMissingMedia());
    MissingMediaView *sheet = w.view->sheets()->missingMedia();
    ASSERT_NE(sheet, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return sheet->isVisible(); }, 2000));
    EXPECT_EQ(sheet->size(), QSize(580, 400));
    EXPECT_FALSE(child<QWidget>(sheet, "allAvailable")->isVisible());
    ASSERT_EQ(sheet->rows().size(), 1);
    EXPECT_EQ(sheet->rows()[0]->findChild<QLabel *>(QStringLiteral("filename"))->text(), QStringLiteral("a.mov"));
    EXPECT_EQ(sheet->rows()[0]->findChild<PathLabel *>(QStringLiteral("path"))->path(), gone.url.toLocalFile());
    EXPECT_EQ(MissingMediaView::locateButtonOf(sheet->rows()[0])->text(), QStringLiteral("Locate\u2026"));
    EXPECT_FALSE(child<QLabel>(sheet, "locateError")->isVisible());

    std::optional<QUrl> answer = QUrl::fromLocalFile(wrongSize);
    QString asked;
    sheet->setLocatePanel([&](QWidget *, const QString &message, const QUrl &) {
        asked = message;
        return answer;
    });
    const QString sizeMessage = QStringLiteral(
        "This file has a different size from the original. Choose the original clip to preserve your review.");
    click(MissingMediaView::locateButtonOf(sheet->rows()[0]));
    EXPECT_EQ(asked, QStringLiteral("Locate the original file for a.mov"));
    EXPECT_EQ(sheet->locateError(), sizeMessage);
    ASSERT_TRUE(child<QLabel>(sheet, "locateError")->isVisible());
    EXPECT_EQ(child<QLabel>(sheet, "locateError")->text(), sizeMessage);
    EXPECT_EQ(sheet->rows().size(), 1);

    // Cancelling keeps the earlier message.
    answer.reset();
    click(MissingMediaView::locateButtonOf(sheet->rows()[0]));
    EXPECT_EQ(sheet->locateError(), sizeMessage);

    // A file another clip uses: the invalid-name refusal.
    answer = QUrl::fromLocalFile(present);
    click(MissingMediaView::locateButtonOf(sheet->rows()[0]));
    EXPECT_EQ(child<QLabel>(sheet, "locateError")->text(), DomainError::invalidFileName().localizedDescription);
    EXPECT_TRUE(w.store.clips().first().isMissing);

    // The original: relinked with its decisions; the message and the row go.
    answer = QUrl::fromLocalFile(original);
    click(MissingMediaView::locateButtonOf(sheet->rows()[0]));
    EXPECT_FALSE(sheet->locateError().has_value());
    EXPECT_FALSE(child<QLabel>(sheet, "locateError")->isVisible());
    const Clip relinked = w.store.clips().first();
    EXPECT_FALSE(relinked.isMissing);
    EXPECT_EQ(relinked.url, QUrl::fromLocalFile(original));
    EXPECT_EQ(relinked.filename, QStringLiteral("a.mov"));
    EXPECT_EQ(relinked.rating, 4);
    EXPECT_TRUE(sheet->rows().isEmpty());
    EXPECT_TRUE(child<QWidget>(sheet, "allAvailable")->isVisible());
    // The sheet stays open until "Done".
    EXPECT_TRUE(sheet->isVisible());
    click(sheet->doneButton());
    EXPECT_FALSE(w.view->showMissingMedia());
}

TEST(OfflineSheet, CheckAgainFindsReconnectedFilesAndNamesShowAsText)
{
    QTemporaryDir root;
    TestWindow w;
    const QString markup = root.filePath(QStringLiteral("<b>Goal.mov"));
    const QString longPath = root.filePath(
        QString(300, QLatin1Char('x')).replace(100, 1, QLatin1Char('/')).replace(200, 1, QLatin1Char('/')) + QStringLiteral(".mov"));
    w.store.setClips({makeClip(markup, true), makeClip(longPath, true)});
    w.view->setShowMissingMedia(true);
    MissingMediaView *sheet = w.view->sheets()->missingMedia();
    ASSERT_NE(sheet, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return sheet->isVisible(); }, 2000));
    ASSERT_EQ(sheet->rows().size(), 2);
    QLabel *name = sheet->rows()[0]->findChild<QLabel *>(QStringLiteral("filename"));
    EXPECT_EQ(name->textFormat(), Qt::PlainText);
    EXPECT_EQ(name->text(), QStringLiteral("<b>Goal.mov"));
    // A long path wraps to at most two lines.
    const QStringList lines = sheet->rows()[1]->findChild<PathLabel *>(QStringLiteral("path"))->visibleLines();
    EXPECT_GE(lines.size(), 2);
    EXPECT_LE(lines.size(), 2);
    EXPECT_TRUE(lines.last().endsWith(QChar(0x2026)));

    ASSERT_TRUE(touchFile(markup));
    click(child<QPushButton>(sheet, "checkAgainButton"));
    ASSERT_EQ(sheet->rows().size(), 1);
    ASSERT_TRUE(QDir().mkpath(QFileInfo(longPath).absolutePath()));
    ASSERT_TRUE(touchFile(longPath));
    click(child<QPushButton>(sheet, "checkAgainButton"));
    EXPECT_TRUE(sheet->rows().isEmpty());
    EXPECT_TRUE(child<QWidget>(sheet, "allAvailable")->isVisible());
    // Escape closes it like "Done".
    QTest::keyClick(sheet, Qt::Key_Escape);
    EXPECT_FALSE(w.view->showMissingMedia());
}

// ---- Session tags -----------------------------------------------------------------

TEST(SessionTagsSheet, RenamingOntoAnExistingTagMergesAndUnchangedOrInvalidNamesCannotBeSaved)
{
    TestWindow w;
    const Clip both = taggedClip(QStringLiteral("a.mov"), 0, {QStringLiteral("Three"), QStringLiteral("Crowd"), QStringLiteral("Dunk")});
    w.store.setClips({both, taggedClip(QStringLiteral("b.mov"), 0, {QStringLiteral("Dunk")})});
    w.store.setAvailableTags({QStringLiteral("Dunk"), QStringLiteral("Three")});
    SessionTagsView *sheet = openTagsSheet(w);
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->size(), QSize(560, 480));
    // The catalog, then the tags clips carry beyond it.
    EXPECT_EQ(rowTags(sheet), (QStringList{QStringLiteral("Dunk"), QStringLiteral("Three"), QStringLiteral("Crowd")}));
    EXPECT_EQ(child<QPushButton>(sheet->rowFor(QStringLiteral("Dunk")), "renameButton")->text(), QStringLiteral("Rename\u2026"));
    EXPECT_EQ(sheet->rowFor(QStringLiteral("Dunk"))->warning(), nullptr);

    click(child<QPushButton>(sheet->rowFor(QStringLiteral("Dunk")), "renameButton"));
    SessionTagRow *row = sheet->rowFor(QStringLiteral("Dunk"));
    ASSERT_TRUE(row->isEditing());
    EXPECT_EQ(child<QLineEdit>(row, "tagNameField")->text(), QStringLiteral("Dunk"));
    EXPECT_EQ(child<QLineEdit>(row, "tagNameField")->placeholderText(), QStringLiteral("Tag name"));
    EXPECT_EQ(child<QPushButton>(row, "confirmButton")->text(), QStringLiteral("Save"));
    EXPECT_FALSE(child<QPushButton>(row, "confirmButton")->isEnabled());

    for (const QString &bad : {QStringLiteral("   "), QStringLiteral("."), QStringLiteral(".."), QStringLiteral("a/b"),
                               QStringLiteral("a:b"), QStringLiteral("a\\b")}) {
        retype(child<QLineEdit>(row, "tagNameField"), bad);
        EXPECT_FALSE(child<QPushButton>(row, "confirmButton")->isEnabled()) << bad.toStdString();
        // Return still asks the store, which refuses: the row stays open.
        QTest::keyClick(child<QLineEdit>(row, "tagNameField"), Qt::Key_Return);
        ASSERT_TRUE(sheet->editingTag().has_value());
        row = sheet->rowFor(QStringLiteral("Dunk"));
        ASSERT_TRUE(row->isEditing());
    }
    EXPECT_TRUE(sheet->isVisible());

    retype(child<QLineEdit>(row, "tagNameField"), QStringLiteral("Three"));
    EXPECT_EQ(child<QPushButton>(row, "confirmButton")->text(), QStringLiteral("Merge"));
    EXPECT_TRUE(child<QPushButton>(row, "confirmButton")->isEnabled());
    // Starting to rename another tag closes this row.
    click(child<QPushButton>(sheet->rowFor(QStringLiteral("Crowd")), "renameButton"));
    EXPECT_FALSE(sheet->rowFor(QStringLiteral("Dunk"))->isEditing());
    click(child<QPushButton>(sheet->rowFor(QStringLiteral("Crowd")), "cancelButton"));
    EXPECT_FALSE(sheet->editingTag().has_value());

    click(child<QPushButton>(sheet->rowFor(QStringLiteral("Dunk")), "renameButton"));
    row = sheet->rowFor(QStringLiteral("Dunk"));
    retype(child<QLineEdit>(row, "tagNameField"), QStringLiteral("Three"));
    click(child<QPushButton>(row, "confirmButton"));
    EXPECT_FALSE(sheet->editingTag().has_value());
    EXPECT_EQ(rowTags(sheet), (QStringList{QStringLiteral("Three"), QStringLiteral("Crowd")}));
    // One copy, at the earlier position.
    EXPECT_EQ(w.store.clips().first().tags, (QStringList{QStringLiteral("Three"), QStringLiteral("Crowd")}));
    EXPECT_EQ(w.store.clips().last().tags, QStringList{QStringLiteral("Three")});
    EXPECT_EQ(w.store.undoTitle(), QStringLiteral("Undo Rename 'Dunk' to 'Three'"));

    // Spaces around the same name: "Save" is offered, the store refuses.
    click(child<QPushButton>(sheet->rowFor(QStringLiteral("Three")), "renameButton"));
    row = sheet->rowFor(QStringLiteral("Three"));
    retype(child<QLineEdit>(row, "tagNameField"), QStringLiteral(" Three "));
    EXPECT_EQ(child<QPushButton>(row, "confirmButton")->text(), QStringLiteral("Save"));
    EXPECT_TRUE(child<QPushButton>(row, "confirmButton")->isEnabled());
    click(child<QPushButton>(row, "confirmButton"));
    EXPECT_TRUE(sheet->rowFor(QStringLiteral("Three"))->isEditing());
    EXPECT_EQ(sheet->name(), QStringLiteral(" Three "));

    // A name spelled with a combining accent is the tag with the precomposed
    // letter: renaming onto it merges, and onto its own other spelling is no change.
    const QString composed = QStringLiteral("Caf\u00e9"), decomposed = QStringLiteral("Cafe\u0301");
    EXPECT_EQ(SessionTagsView::confirmTitle(QStringLiteral("Three"), decomposed, {composed, QStringLiteral("Three")}),
              QStringLiteral("Merge"));
    EXPECT_EQ(SessionTagsView::confirmTitle(composed, decomposed, {composed, QStringLiteral("Three")}), QStringLiteral("Save"));
    EXPECT_FALSE(SessionTagsView::canConfirm(composed, decomposed));
}

TEST(SessionTagsSheet, TagsThatCannotBeFoldersAreMarkedAndCanBeRenamedOrMergedAway)
{
    TestWindow w;
    w.store.setClips({taggedClip(QStringLiteral("a.mov"), 0, {QStringLiteral("Day/Night")}),
                      taggedClip(QStringLiteral("b.mov"), 0, {QStringLiteral(".")}),
                      taggedClip(QStringLiteral("c.mov"), 0, {QStringLiteral("Goal\t"), QStringLiteral("Dunk")})});
    w.store.setAvailableTags({QStringLiteral("Dunk")});
    SessionTagsView *sheet = openTagsSheet(w);
    ASSERT_NE(sheet, nullptr);
    for (const QString &tag : {QStringLiteral("Day/Night"), QStringLiteral("."), QStringLiteral("Goal\t")}) {
        SessionTagRow *row = sheet->rowFor(tag);
        ASSERT_NE(row, nullptr) << tag.toStdString();
        ASSERT_NE(row->warning(), nullptr) << tag.toStdString();
        EXPECT_EQ(row->warning()->toolTip(), QStringLiteral("Rename this tag before exporting by tag."));
    }
    EXPECT_EQ(sheet->rowFor(QStringLiteral("Dunk"))->warning(), nullptr);

    // Renamed to a folder-safe name.
    click(child<QPushButton>(sheet->rowFor(QStringLiteral("Day/Night")), "renameButton"));
    retype(child<QLineEdit>(sheet->rowFor(QStringLiteral("Day/Night")), "tagNameField"), QStringLiteral("Day-Night"));
    QTest::keyClick(child<QLineEdit>(sheet->rowFor(QStringLiteral("Day/Night")), "tagNameField"), Qt::Key_Return);
    EXPECT_EQ(w.store.clips()[0].tags, QStringList{QStringLiteral("Day-Night")});
    // Merged into an existing tag.
    click(child<QPushButton>(sheet->rowFor(QStringLiteral(".")), "renameButton"));
    retype(child<QLineEdit>(sheet->rowFor(QStringLiteral(".")), "tagNameField"), QStringLiteral("Dunk"));
    EXPECT_EQ(child<QPushButton>(sheet->rowFor(QStringLiteral(".")), "confirmButton")->text(), QStringLiteral("Merge"));
    click(child<QPushButton>(sheet->rowFor(QStringLiteral(".")), "confirmButton"));
    EXPECT_EQ(w.store.clips()[1].tags, QStringList{QStringLiteral("Dunk")});
    // A stray control character after the name: renamed to the bare name.
    click(child<QPushButton>(sheet->rowFor(QStringLiteral("Goal\t")), "renameButton"));
    retype(child<QLineEdit>(sheet->rowFor(QStringLiteral("Goal\t")), "tagNameField"), QStringLiteral("Goal"));
    EXPECT_TRUE(child<QPushButton>(sheet->rowFor(QStringLiteral("Goal\t")), "confirmButton")->isEnabled());
    click(child<QPushButton>(sheet->rowFor(QStringLiteral("Goal\t")), "confirmButton"));
    EXPECT_EQ(w.store.clips()[2].tags, (QStringList{QStringLiteral("Goal"), QStringLiteral("Dunk")}));
    for (const SessionTagRow *row : sheet->rows())
        EXPECT_EQ(row->warning(), nullptr) << row->tag().toStdString();

    // Every other way in keeps the rule: no invalid new name is taken.
    click(child<QPushButton>(sheet->rowFor(QStringLiteral("Dunk")), "renameButton"));
    retype(child<QLineEdit>(sheet->rowFor(QStringLiteral("Dunk")), "tagNameField"), QStringLiteral("A/B"));
    QTest::keyClick(child<QLineEdit>(sheet->rowFor(QStringLiteral("Dunk")), "tagNameField"), Qt::Key_Return);
    EXPECT_FALSE(w.store.allTags().contains(QStringLiteral("A/B")));
    retype(sheet->newTagField(), QStringLiteral("x:y"));
    EXPECT_FALSE(sheet->addButton()->isEnabled());
    QTest::keyClick(sheet->newTagField(), Qt::Key_Return);
    EXPECT_FALSE(w.store.availableTags().contains(QStringLiteral("x:y")));
    EXPECT_EQ(sheet->newName(), QStringLiteral("x:y"));
}

TEST(SessionTagsSheet, AddsTrimmedTagsAndAppliesTheDefaultsAsOneUndoStep)
{
    TestWindow w;
    w.store.setClips({taggedClip(QStringLiteral("a.mov"), 0, {QStringLiteral("<b>Own</b>")})});
    w.store.setAvailableTags({QStringLiteral("Dunk")});
    SessionTagsView *sheet = openTagsSheet(w);
    ASSERT_NE(sheet, nullptr);
    // Names are shown as text.
    QLabel *label = sheet->rowFor(QStringLiteral("<b>Own</b>"))->nameLabel();
    EXPECT_EQ(label->textFormat(), Qt::PlainText);
    EXPECT_EQ(label->text(), QStringLiteral("<b>Own</b>"));

    EXPECT_EQ(sheet->newTagField()->placeholderText(), QStringLiteral("New tag name"));
    EXPECT_FALSE(sheet->addButton()->isEnabled());
    retype(sheet->newTagField(), QStringLiteral("  Huddle  "));
    EXPECT_TRUE(sheet->addButton()->isEnabled());
    click(sheet->addButton());
    EXPECT_EQ(w.store.availableTags(), (QStringList{QStringLiteral("Dunk"), QStringLiteral("Huddle")}));
    EXPECT_TRUE(sheet->newName().isEmpty());
    EXPECT_EQ(rowTags(sheet), (QStringList{QStringLiteral("Dunk"), QStringLiteral("Huddle"), QStringLiteral("<b>Own</b>")}));
    // An existing name changes nothing and empties the field; Return adds and
    // never closes the sheet.
    retype(sheet->newTagField(), QStringLiteral("Dunk"));
    QTest::keyClick(sheet->newTagField(), Qt::Key_Return);
    EXPECT_EQ(w.store.availableTags().size(), 2);
    EXPECT_TRUE(sheet->newName().isEmpty());
    EXPECT_TRUE(sheet->isVisible());

    const QStringList before = w.store.availableTags();
    click(child<QPushButton>(sheet, "applyDefaultsButton"));
    QStringList expected;
    for (const QString &tag : w.settings.decodedDefaultTags()) {
        if (ClipStore::isValidTagName(tag))
            expected.append(tag);
    }
    expected.append(QStringLiteral("<b>Own</b>"));
    EXPECT_EQ(w.store.availableTags(), expected);
    EXPECT_EQ(w.store.clips().first().tags, QStringList{QStringLiteral("<b>Own</b>")});
    // One step back; the tags that clips carry stay in the catalog.
    w.store.undo();
    EXPECT_EQ(w.store.availableTags(), before + QStringList{QStringLiteral("<b>Own</b>")});

    click(sheet->doneButton());
    EXPECT_FALSE(w.view->showSessionTags());
    EXPECT_EQ(w.view->sheets()->sessionTags(), nullptr);
}
