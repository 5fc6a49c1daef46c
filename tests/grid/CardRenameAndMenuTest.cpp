#include "GridTestSupport.h"

#include "app/widgets/Reveal.h"

#include "app/widgets/RenameTextField.h"
#include "app/widgets/TagPickerView.h"

#include <QMenu>
#include <QMessageBox>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

QStringList texts(const QList<QAction *> &actions)
{
    QStringList result;
    for (QAction *a : actions)
        result << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return result;
}

QAction *find(QMenu *menu, const QString &text)
{
    for (QAction *a : menu->actions()) {
        if (a->text() == text)
            return a;
    }
    return nullptr;
}

void waitForField(ClipThumbnailView *card)
{
    QCoreApplication::processEvents(); // the field takes focus and selects all on the next turn
    ASSERT_NE(card->renameField(), nullptr);
}

} // namespace

TEST(CardRename, TheFieldEditsTheNameWithoutItsExtensionAndReturnCommits)
{
    GridFixture f({testClip(QStringLiteral("A001.MOV")), testClip(QStringLiteral("archive.tar.gz")), testClip(QStringLiteral("README"))});
    ClipThumbnailView *card = f.card(0);
    QTest::mouseDClick(card, Qt::LeftButton, {}, card->nameRect().center().toPoint());
    ASSERT_TRUE(card->isRenaming());
    EXPECT_EQ(f.store->renamingClipID(), f.clip(0).id);
    waitForField(card);
    RenameTextField *field = card->renameField();
    EXPECT_EQ(field->text(), QStringLiteral("A001"));
    EXPECT_EQ(field->selectedText(), QStringLiteral("A001")); // typing replaces the name
    QTest::keyClicks(field, QStringLiteral("  B002 "));
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_FALSE(card->isRenaming());
    EXPECT_FALSE(f.store->renamingClipID().has_value());
    EXPECT_TRUE(f.grid->renameDismissedRecently());                         // the Return does not also open the clip
    EXPECT_EQ(f.store->clips().at(0).filename, QStringLiteral("B002.MOV")); // the store keeps the extension

    f.card(1)->startRename();
    EXPECT_EQ(f.card(1)->renameText(), QStringLiteral("archive.tar"));
    f.card(1)->cancelRename();
    f.card(2)->startRename();
    EXPECT_EQ(f.card(2)->renameText(), QStringLiteral("README"));
}

TEST(CardRename, EscapeCancelsAndBlankTextRenamesNothing)
{
    GridFixture f({testClip(QStringLiteral("A001.MOV"))});
    ClipThumbnailView *card = f.card(0);
    QSignalSpy renames(card, &ClipThumbnailView::renameRequested);
    card->startRename();
    waitForField(card);
    QTest::keyClicks(card->renameField(), QStringLiteral("other"));
    QTest::keyClick(card->renameField(), Qt::Key_Escape);
    EXPECT_FALSE(card->isRenaming());
    EXPECT_EQ(renames.count(), 0);
    EXPECT_FALSE(f.store->renamingClipID().has_value());

    card->startRename();
    waitForField(card);
    card->renameField()->setText(QStringLiteral(" \t "));
    QTest::keyClick(card->renameField(), Qt::Key_Return);
    EXPECT_FALSE(card->isRenaming());
    EXPECT_EQ(renames.count(), 0);
    EXPECT_EQ(f.store->clips().at(0).filename, QStringLiteral("A001.MOV"));

    // An unchanged name still commits once (the store ignores it).
    card->startRename();
    waitForField(card);
    QTest::keyClick(card->renameField(), Qt::Key_Return);
    EXPECT_EQ(renames.count(), 1);
    EXPECT_EQ(f.store->undoStack().size(), 0);
}

TEST(CardMenu, ItemsAndTheirEnablementFollowTheClip)
{
    Clip rated = testClip(QStringLiteral("rated.mov"), 10, 3);
    rated.markerFlag = MarkerFlag::special(2);
    GridFixture f({testClip(QStringLiteral("plain.mov")), rated});
    f.store->setAvailableTags({}); // and no clip carries a tag

    std::unique_ptr<QMenu> menu(f.card(0)->makeContextMenu(nullptr));
    EXPECT_EQ(texts(menu->actions()),
              (QStringList{QStringLiteral("Rate"), QStringLiteral("Tag"), QStringLiteral("-"), QStringLiteral("Expand"),
                           QStringLiteral("Show in File Manager"), QStringLiteral("Rename..."), QStringLiteral("-"),
                           QStringLiteral("Remove from Triage")}));
    QMenu *rate = find(menu.get(), QStringLiteral("Rate"))->menu();
    EXPECT_EQ(texts(rate->actions()),
              (QStringList{QStringLiteral("★☆☆☆☆"), QStringLiteral("★★☆☆☆"), QStringLiteral("★★★☆☆"), QStringLiteral("★★★★☆"),
                           QStringLiteral("★★★★★"), QStringLiteral("-"), QStringLiteral("Clear Rating")}));
    EXPECT_FALSE(find(rate, QStringLiteral("Clear Rating"))->isEnabled()); // unrated
    // An empty catalogue: only "New Tag...", without a divider.
    EXPECT_EQ(texts(find(menu.get(), QStringLiteral("Tag"))->menu()->actions()), QStringList{QStringLiteral("New Tag...")});

    // With a marker handler, "Hand Marker" sets the flag on a special clip.
    std::optional<std::optional<MarkerFlag>> flagged;
    f.grid->setMarkerFlagHandler([&](const QUuid &, const std::optional<MarkerFlag> &flag) { flagged = flag; });
    f.store->setAvailableTags({QStringLiteral("Action"), QStringLiteral("Dunk")});
    f.store->toggleTag(QStringLiteral("Dunk"), {f.clip(1).id});
    std::unique_ptr<QMenu> second(f.card(1)->makeContextMenu(nullptr));
    QMenu *rate2 = find(second.get(), QStringLiteral("Rate"))->menu();
    EXPECT_TRUE(find(rate2, QStringLiteral("Clear Rating"))->isEnabled());
    QMenu *tag = find(second.get(), QStringLiteral("Tag"))->menu();
    EXPECT_EQ(texts(tag->actions()),
              (QStringList{QStringLiteral("Action"), QStringLiteral("Dunk"), QStringLiteral("-"), QStringLiteral("New Tag...")}));
    EXPECT_FALSE(find(tag, QStringLiteral("Action"))->isChecked());
    EXPECT_TRUE(find(tag, QStringLiteral("Dunk"))->isChecked());
    QAction *marker = find(second.get(), QStringLiteral("Hand Marker"));
    ASSERT_NE(marker, nullptr);
    EXPECT_FALSE(marker->isChecked()); // special is not a marker
    marker->trigger();
    ASSERT_TRUE(flagged.has_value());
    ASSERT_TRUE(flagged->has_value());
    EXPECT_TRUE((*flagged)->isMarker());

    find(rate2, QStringLiteral("Clear Rating"))->trigger();
    EXPECT_EQ(f.store->clips().at(1).rating, 0);

    // "New Tag..." opens the picker in add mode.
    find(tag, QStringLiteral("New Tag..."))->trigger();
    QCoreApplication::processEvents();
    ClipThumbnailView *card = f.card(1);
    ASSERT_TRUE(card->isTagPickerShown());
    ASSERT_NE(card->tagPicker(), nullptr);
    EXPECT_TRUE(card->tagPicker()->isAddingNew());
    card->closeTagPicker();
}

TEST(CardInfo, TheTechnicalLineAndTheSummaryNameWhatIsKnown)
{
    Clip c = testClip(QStringLiteral("A001.mov"), 12.5);
    c.width = 3840;
    c.height = 2160;
    c.frameRate = 25;
    EXPECT_EQ(ClipThumbnailView::technicalLine(c), QStringLiteral("H.264 · 4K · 25fps"));
    c.width = 0;
    c.frameRate = 0;
    EXPECT_EQ(ClipThumbnailView::technicalLine(c), QStringLiteral("H.264"));
    c.codec.clear();
    EXPECT_EQ(ClipThumbnailView::technicalLine(c), QString());

    Clip tagged = testClip(QStringLiteral("A001.mov"), 12.5, 3, {QStringLiteral("Dunk"), QStringLiteral("Action")});
    tagged.width = 3840;
    tagged.height = 2160;
    tagged.markerFlag = MarkerFlag::marker();
    GridFixture f({tagged});
    EXPECT_EQ(f.card(0)->accessibilitySummary(), QStringLiteral("A001.mov, 12.5s, 4K, 3 of 5 stars, tagged Action, Dunk, hand marker"));
}

TEST(CardMenu, ShowInFileManagerSaysWhereTheFileIsWhenNothingCanShowIt)
{
    GridFixture f({testClip(QStringLiteral("take.mov"), 10, 0, {}, QStringLiteral("/shoot/day1/take.mov"))});
    QList<QPair<QUrl, QUrl>> asked;
    bool answer = true;
    setFileManagerRequest([&](const QUrl &item, const QUrl &folder, std::function<void(bool)> done) {
        asked.append({item, folder});
        done(answer);
    });
    const auto alert = [&f] { return f.grid->window()->findChild<QMessageBox *>(QStringLiteral("revealFailureAlert")); };

    std::unique_ptr<QMenu> menu(f.card(0)->makeContextMenu(nullptr));
    find(menu.get(), QStringLiteral("Show in File Manager"))->trigger();
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(asked.first().first, QUrl::fromLocalFile(QStringLiteral("/shoot/day1/take.mov")));
    EXPECT_EQ(asked.first().second, QUrl::fromLocalFile(QStringLiteral("/shoot/day1")));
    EXPECT_EQ(alert(), nullptr);

    // No file manager and no launcher on this desktop.
    answer = false;
    find(menu.get(), QStringLiteral("Show in File Manager"))->trigger();
    QMessageBox *box = alert();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isVisible());
    EXPECT_EQ(box->windowTitle(), revealFailureTitle());
    EXPECT_EQ(box->text(), revealFailureText(false));
    EXPECT_EQ(box->informativeText(), QStringLiteral("/shoot/day1"));
    box->close();
    setFileManagerRequest({});
}
