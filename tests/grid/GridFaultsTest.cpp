#include "GridTestSupport.h"

#include "app/ThemeColor.h"
#include "app/widgets/TagPickerView.h"
#include "support/TestMedia.h"

#include <QFrame>
#include <QScrollBar>
#include <gtest/gtest.h>

// When a clip leaves the session, view state naming it must go too:
// otherwise the grid's keys stay switched off by a rename or a picker that
// no card can end any more.
TEST(GridFaults, RemovingAClipClearsTheRenameThePickerAndTheHoverNamingIt)
{
    GridFixture f({testClip(QStringLiteral("a.mov")), testClip(QStringLiteral("b.mov")), testClip(QStringLiteral("c.mov"))});
    const QUuid a = f.clip(0).id;
    const QUuid b = f.clip(1).id;
    f.card(0)->startRename();
    ASSERT_EQ(f.store->renamingClipID(), a);
    f.store->removeClip(a);
    EXPECT_FALSE(f.store->renamingClipID().has_value());

    f.store->setShowTagPickerForClipID(b);
    f.store->setHoveredClipID(b);
    QCoreApplication::processEvents();
    f.store->removeClip(b);
    EXPECT_FALSE(f.store->showTagPickerForClipID().has_value());
    EXPECT_FALSE(f.store->hoveredClipID().has_value());
    // Undoing brings the clip back, not the stale state.
    f.store->undo();
    EXPECT_FALSE(f.store->showTagPickerForClipID().has_value());
}

TEST(GridFaults, ACardThatGoesAwayWhileRenamingEndsTheRename)
{
    QList<Clip> clips;
    for (int i = 0; i < 200; ++i)
        clips << testClip(QStringLiteral("c%1.mov").arg(i));
    GridFixture f(clips, {}, QSize(1000, 600));
    f.card(0)->startRename();
    ASSERT_TRUE(f.store->renamingClipID().has_value());
    f.grid->verticalScrollBar()->setValue(f.grid->verticalScrollBar()->maximum());
    QCoreApplication::processEvents();
    EXPECT_EQ(f.grid->cardFor(f.clip(0).id), nullptr);
    EXPECT_FALSE(f.store->renamingClipID().has_value());
}

TEST(GridFaults, AHoverLeaveClearsTheHoveredClipOnlyWhileItNamesThisCard)
{
    GridFixture f({testClip(QStringLiteral("a.mov")), testClip(QStringLiteral("b.mov"))});
    ClipThumbnailView *a = f.card(0);
    ClipThumbnailView *b = f.card(1);
    sendEnter(a, a->posterRect().center());
    EXPECT_EQ(f.store->hoveredClipID(), f.clip(0).id);
    // The pointer reaches the next card before the first one hears it left.
    sendEnter(b, b->posterRect().center());
    sendLeave(a);
    EXPECT_EQ(f.store->hoveredClipID(), f.clip(1).id);
    sendLeave(b);
    EXPECT_FALSE(f.store->hoveredClipID().has_value());
}

TEST(GridFaults, APickerClosedByTheWindowSystemLeavesAddModeAndClearsTheRequest)
{
    GridFixture f({testClip(QStringLiteral("a.mov"))});
    ClipThumbnailView *card = f.card(0);
    card->openTagPicker(true); // "New Tag..." from the menu
    ASSERT_TRUE(card->isTagPickerInAddMode());
    ASSERT_NE(card->tagPickerPopup(), nullptr);
    // A click outside closes a popup without the picker's own dismiss.
    card->tagPickerPopup()->hide();
    QCoreApplication::processEvents();
    EXPECT_FALSE(card->isTagPickerShown());
    EXPECT_FALSE(card->isTagPickerInAddMode());

    // The grid's request (the "t" key) opens it in the normal mode, and
    // closing it clears the request.
    f.store->setShowTagPickerForClipID(f.clip(0).id);
    QCoreApplication::processEvents();
    ASSERT_TRUE(card->isTagPickerShown());
    ASSERT_NE(card->tagPicker(), nullptr);
    EXPECT_FALSE(card->tagPicker()->isAddingNew());
    QTest::keyClick(card->tagPicker(), Qt::Key_Escape);
    QCoreApplication::processEvents();
    EXPECT_FALSE(card->isTagPickerShown());
    EXPECT_FALSE(f.store->showTagPickerForClipID().has_value());
    EXPECT_TRUE(f.grid->tagPickerDismissedRecently());
}

TEST(GridFaults, TagsToggledInThePickerEditTheSelectionThatHoldsTheCard)
{
    GridFixture f({testClip(QStringLiteral("a.mov"), 1, 0, {QStringLiteral("Dunk")}), testClip(QStringLiteral("b.mov"))});
    f.store->setAvailableTags({QStringLiteral("Dunk")});
    f.store->setSelectedClipIDs({f.clip(0).id, f.clip(1).id});
    f.store->setShowTagPickerForClipID(f.clip(0).id);
    QCoreApplication::processEvents();
    ClipThumbnailView *card = f.card(0);
    ASSERT_NE(card->tagPicker(), nullptr);
    // Dunk is on some of the clips only: mixed, and a toggle puts it on both.
    EXPECT_TRUE(card->inputs().mixedTagsForPicker.contains(QStringLiteral("Dunk")));
    QTest::keyClick(card->tagPicker(), Qt::Key_Space);
    EXPECT_TRUE(f.store->clips().at(1).tags.contains(QStringLiteral("Dunk")));
    EXPECT_EQ(card->inputs().selectedTagsForPicker.value_or(QStringList{}), QStringList{QStringLiteral("Dunk")});
    card->closeTagPicker();
}

// A poster or peaks answer for what a card showed before (another file of
// the clip, after a relink) must not replace what it shows now.
TEST(GridFaults, ALatePosterOrPeaksAnswerDoesNotLandOnACardShowingAnotherFile)
{
    GridFixture f({testClip(QStringLiteral("a.mov"), 8, 0, {}, QStringLiteral("/footage/old/a.mov"))});
    auto media = std::make_shared<HeldCardMedia>();
    f.grid->setCardMedia(media);
    ClipThumbnailView *card = f.card(0);
    ASSERT_EQ(media->posters.size(), 1);
    EXPECT_EQ(media->posters.at(0).url.toLocalFile(), QStringLiteral("/footage/old/a.mov"));
    EXPECT_DOUBLE_EQ(media->posters.at(0).seconds, 2.0); // a quarter of the duration

    // Relinked while the first poster is still being made.
    QList<Clip> clips = f.store->clips();
    clips[0].url = QUrl::fromLocalFile(QStringLiteral("/footage/new/a.mov"));
    f.store->setClips(clips);
    ASSERT_EQ(media->posters.size(), 2);
    QImage oldPoster(64, 36, QImage::Format_RGB32);
    oldPoster.fill(Qt::red);
    media->posters.at(0).done(oldPoster);
    EXPECT_TRUE(card->posterImage().isNull());
    EXPECT_TRUE(media->peaks.isEmpty()); // nothing follows an answer that was dropped

    QImage newPoster(64, 36, QImage::Format_RGB32);
    newPoster.fill(Qt::green);
    media->posters.at(1).done(newPoster);
    ASSERT_FALSE(card->posterImage().isNull());
    EXPECT_EQ(card->posterImage().pixelColor(0, 0), QColor(Qt::green));
    ASSERT_EQ(media->peaks.size(), 1);

    // Offline and back: a new load, and the answer of the one before is dropped.
    clips = f.store->clips();
    clips[0].isMissing = true;
    f.store->setClips(clips);
    EXPECT_EQ(media->posters.size(), 2); // an offline clip loads nothing and keeps its poster
    EXPECT_FALSE(card->posterImage().isNull());
    clips[0].isMissing = false;
    f.store->setClips(clips);
    ASSERT_EQ(media->posters.size(), 3);
    media->peaks.at(0).done({AudioPeak{0.2, 0.4}});
    EXPECT_FALSE(card->audioPeaks().has_value());
}

TEST(GridFaults, APickerRequestForAClipWithoutACardEndsAndAMovedClipKeepsItsPicker)
{
    GridFixture f({testClip(QStringLiteral("a.mov"), 1, 2), testClip(QStringLiteral("b.mov"), 1, 3)});
    // Filtered out: no card can show its picker.
    f.store->setFilterRating(3);
    f.store->setShowTagPickerForClipID(f.clip(0).id);
    EXPECT_FALSE(f.store->showTagPickerForClipID().has_value());
    f.store->setFilterRating(0);

    // Grouped by tag, a tag toggled in the picker moves the clip to another
    // section: the picker opens again on the clip's card there.
    f.store->setAvailableTags({QStringLiteral("Dunk")});
    f.store->setGroupMode(GroupMode::category);
    f.store->setShowTagPickerForClipID(f.clip(1).id);
    QCoreApplication::processEvents();
    ASSERT_NE(f.card(1), nullptr);
    ASSERT_TRUE(f.card(1)->isTagPickerShown());
    QTest::keyClick(f.card(1)->tagPicker(), Qt::Key_Space);
    EXPECT_EQ(f.store->clips().at(1).tags, QStringList{QStringLiteral("Dunk")});
    QCoreApplication::processEvents();
    EXPECT_EQ(f.store->showTagPickerForClipID(), f.clip(1).id);
    ASSERT_NE(f.card(1), nullptr);
    EXPECT_TRUE(f.card(1)->isTagPickerShown());
    f.card(1)->closeTagPicker();
    EXPECT_FALSE(f.store->showTagPickerForClipID().has_value());
}

// The card keeps its drawing until something it shows changes; a new accent
// colour chosen in the settings is such a change, though no input changes.
TEST(GridFaults, ANewThemeColourRepaintsTheSelectionRing)
{
    GridFixture f({testClip(QStringLiteral("a.mov")), testClip(QStringLiteral("b.mov"))});
    ClipThumbnailView *card = f.card(0);
    ASSERT_TRUE(card->inputs().isSelected); // the first clip is selected when the grid shows
    // The ring runs 2 points outside the body's left edge, 2 points wide.
    const QPoint onRing(ClipThumbnailView::margin - 2, card->height() / 2);
    auto ringColour = [&](ClipThumbnailView *of) { return of->grab().toImage().pixelColor(onRing).name().toStdString(); };
    ASSERT_EQ(ringColour(card), themeColorValue(ThemeColor::orange).name().toStdString());

    f.settings->setThemeColorRaw(QStringLiteral("Blue"));
    QCoreApplication::processEvents();
    EXPECT_EQ(ringColour(card), themeColorValue(ThemeColor::blue).name().toStdString());
    // An unselected card shows no ring in either colour.
    EXPECT_NE(ringColour(f.card(1)), themeColorValue(ThemeColor::blue).name().toStdString());
    EXPECT_NE(ringColour(f.card(1)), themeColorValue(ThemeColor::orange).name().toStdString());
}
