#include "GridTestSupport.h"

#include "media/ScrubPlayerPool.h"
#include "media/ShuttleController.h"
#include "media/VideoPlayer.h"
#include "support/TestMedia.h"

#include <QScrollBar>
#include <gtest/gtest.h>

namespace {

QUuid idOf(const GridFixture &f, int index)
{
    return f.clip(index).id;
}

void selectNothing(GridFixture &f)
{
    f.store->setSelectedClipIDs({});
    f.store->setHoveredClipID(std::nullopt);
}

QUuid onlySelected(const GridFixture &f)
{
    const QSet<QUuid> &selection = f.store->selectedClipIDs();
    return selection.size() == 1 ? *selection.constBegin() : QUuid();
}

} // namespace

TEST(GridKeyboard, DigitsRateTheSelectionOrTheHoveredClipAndOtherDigitsAreIgnored)
{
    GridFixture f({testClip(QStringLiteral("a.mov")), testClip(QStringLiteral("b.mov")), testClip(QStringLiteral("c.mov"))});
    // Shown with clips and no selection: the first clip is selected.
    ASSERT_EQ(onlySelected(f), idOf(f, 0));
    EXPECT_TRUE(pressKey(f.grid.get(), Qt::Key_3, QStringLiteral("3")));
    EXPECT_EQ(f.clip(0).rating, 3);
    EXPECT_EQ(f.store->undoTitle(), QStringLiteral("Undo Rate 0→3★"));

    f.store->setSelectedClipIDs({idOf(f, 0), idOf(f, 1)});
    EXPECT_TRUE(pressKey(f.grid.get(), Qt::Key_4, QStringLiteral("4")));
    EXPECT_EQ(f.clip(0).rating, 4);
    EXPECT_EQ(f.clip(1).rating, 4);
    EXPECT_EQ(f.store->undoTitle(), QStringLiteral("Undo Rate 2 clips"));

    // Nothing selected: the hovered clip.
    f.store->setSelectedClipIDs({});
    f.store->setHoveredClipID(idOf(f, 2));
    EXPECT_TRUE(pressKey(f.grid.get(), Qt::Key_2, QStringLiteral("2")));
    EXPECT_EQ(f.clip(2).rating, 2);

    const qsizetype records = f.store->undoStack().size();
    EXPECT_FALSE(pressKey(f.grid.get(), Qt::Key_0, QStringLiteral("0")));
    EXPECT_FALSE(pressKey(f.grid.get(), Qt::Key_6, QStringLiteral("6")));
    // A digit with Ctrl is the window's shortcut, not a rating.
    EXPECT_FALSE(pressKey(f.grid.get(), Qt::Key_5, QStringLiteral("5"), Qt::ControlModifier));
    selectNothing(f);
    EXPECT_FALSE(pressKey(f.grid.get(), Qt::Key_1, QStringLiteral("1")));
    EXPECT_EQ(f.store->undoStack().size(), records);
}

TEST(GridKeyboard, DeleteRemovesEveryTargetWithAnUndoRecordEachAndUndoRestoresTheOrder)
{
    GridFixture f({testClip(QStringLiteral("a.mov")), testClip(QStringLiteral("b.mov")), testClip(QStringLiteral("c.mov")),
                   testClip(QStringLiteral("d.mov"))});
    const QList<Clip> before = f.store->clips();
    f.store->setSelectedClipIDs({idOf(f, 0), idOf(f, 2), idOf(f, 3)});
    const qsizetype records = f.store->undoStack().size();
    EXPECT_TRUE(pressKey(f.grid.get(), Qt::Key_Delete));
    ASSERT_EQ(f.store->clips().size(), 1);
    EXPECT_EQ(f.clip(0).filename, QStringLiteral("b.mov"));
    EXPECT_TRUE(f.store->selectedClipIDs().isEmpty());
    EXPECT_EQ(f.store->undoStack().size(), records + 3);
    EXPECT_TRUE(f.store->undoTitle()->startsWith(QStringLiteral("Undo Remove '")));
    for (int i = 0; i < 3; ++i)
        f.store->undo();
    EXPECT_EQ(f.store->clips(), before);

    // Backspace (the Delete key of many keyboards) does the same to the hovered clip.
    selectNothing(f);
    f.store->setHoveredClipID(idOf(f, 1));
    EXPECT_TRUE(pressKey(f.grid.get(), Qt::Key_Backspace));
    EXPECT_EQ(f.store->clips().size(), 3);
    selectNothing(f);
    EXPECT_FALSE(pressKey(f.grid.get(), Qt::Key_Delete));
}

TEST(GridKeyboard, ReturnOpensTheHoveredOrOnlySelectedClipAndEscapeCascades)
{
    Clip offline = testClip(QStringLiteral("c.mov"));
    offline.isMissing = true;
    GridFixture f({testClip(QStringLiteral("a.mov")), testClip(QStringLiteral("b.mov")), offline});
    f.store->setHoveredClipID(std::nullopt);
    f.store->setSelectedClipIDs({idOf(f, 1)});
    EXPECT_TRUE(pressKey(f.grid.get(), Qt::Key_Return));
    ASSERT_TRUE(f.grid->expandedClip().has_value());
    EXPECT_EQ(f.grid->expandedClip()->id, idOf(f, 1));

    // Escape: the player closes first, the selection stays.
    EXPECT_TRUE(pressKey(f.grid.get(), Qt::Key_Escape));
    EXPECT_FALSE(f.grid->expandedClip().has_value());
    EXPECT_EQ(onlySelected(f), idOf(f, 1));
    // Then the selection goes, then Escape is left to the window.
    EXPECT_TRUE(pressKey(f.grid.get(), Qt::Key_Escape));
    EXPECT_TRUE(f.store->selectedClipIDs().isEmpty());
    EXPECT_FALSE(pressKey(f.grid.get(), Qt::Key_Escape));

    // The hovered clip wins; Enter of the keypad is Return too.
    f.store->setSelectedClipIDs({idOf(f, 0), idOf(f, 1)});
    EXPECT_FALSE(pressKey(f.grid.get(), Qt::Key_Return)); // two selected, none hovered
    f.store->setHoveredClipID(idOf(f, 0));
    EXPECT_TRUE(pressKey(f.grid.get(), Qt::Key_Enter));
    ASSERT_TRUE(f.grid->expandedClip().has_value());
    EXPECT_EQ(f.grid->expandedClip()->id, idOf(f, 0));
    f.grid->closeExpandedClip();

    // An offline clip: the key is taken, nothing opens.
    f.store->setHoveredClipID(idOf(f, 2));
    EXPECT_TRUE(pressKey(f.grid.get(), Qt::Key_Return));
    EXPECT_FALSE(f.grid->expandedClip().has_value());

    // Right after a tag picker closed, the Return that closed it opens nothing.
    f.store->setHoveredClipID(idOf(f, 0));
    f.store->setShowTagPickerForClipID(idOf(f, 0));
    QCoreApplication::processEvents();
    f.store->setShowTagPickerForClipID(std::nullopt);
    ASSERT_TRUE(f.grid->tagPickerDismissedRecently());
    EXPECT_FALSE(pressKey(f.grid.get(), Qt::Key_Return));
    EXPECT_FALSE(f.grid->expandedClip().has_value());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !f.grid->tagPickerDismissedRecently(); }, 5000));
    EXPECT_TRUE(pressKey(f.grid.get(), Qt::Key_Return));
    EXPECT_TRUE(f.grid->expandedClip().has_value());
}

TEST(GridKeyboard, ArrowsMoveByCardAndByRowAcrossSectionsWithoutWrapping)
{
    // Four columns; a section of six clips (5 stars) and one of three (4 stars).
    QList<Clip> clips;
    for (int i = 0; i < 6; ++i)
        clips << testClip(QStringLiteral("five%1.mov").arg(i), 1, 5);
    for (int i = 0; i < 3; ++i)
        clips << testClip(QStringLiteral("four%1.mov").arg(i), 1, 4);
    GridFixture f(clips);
    f.store->setGridColumns(4);
    f.store->setGroupMode(GroupMode::rating);
    auto select = [&](int index) {
        f.store->setSelectedClipIDs({idOf(f, index)});
        f.store->setHoveredClipID(std::nullopt);
    };

    select(5); // row 1, column 1 of the first section
    EXPECT_TRUE(pressKey(f.grid.get(), Qt::Key_Down));
    EXPECT_EQ(onlySelected(f), idOf(f, 7)); // the next section's index 1
    EXPECT_EQ(f.store->hoveredClipID(), idOf(f, 7));
    EXPECT_EQ(f.grid->selectionAnchorID(), idOf(f, 7));
    select(2); // row 0, column 2: the short row below clamps to its last clip
    pressKey(f.grid.get(), Qt::Key_Down);
    EXPECT_EQ(onlySelected(f), idOf(f, 5));
    select(8); // the second section's index 2: same column in the last row above, clamped
    pressKey(f.grid.get(), Qt::Key_Up);
    EXPECT_EQ(onlySelected(f), idOf(f, 5));
    select(2); // top row of the first section
    pressKey(f.grid.get(), Qt::Key_Up);
    EXPECT_EQ(onlySelected(f), idOf(f, 0));
    select(7); // bottom row of the last section
    pressKey(f.grid.get(), Qt::Key_Down);
    EXPECT_EQ(onlySelected(f), idOf(f, 8));

    // Left and Right walk the flattened order across sections, without wrapping.
    select(5);
    pressKey(f.grid.get(), Qt::Key_Right);
    EXPECT_EQ(onlySelected(f), idOf(f, 6));
    pressKey(f.grid.get(), Qt::Key_Left);
    EXPECT_EQ(onlySelected(f), idOf(f, 5));
    select(8);
    EXPECT_TRUE(pressKey(f.grid.get(), Qt::Key_Right));
    EXPECT_EQ(onlySelected(f), idOf(f, 8));
    select(0);
    pressKey(f.grid.get(), Qt::Key_Left);
    EXPECT_EQ(onlySelected(f), idOf(f, 0));

    // Nothing selected or hovered: Left takes the last clip, Up and Down the first.
    selectNothing(f);
    pressKey(f.grid.get(), Qt::Key_Left);
    EXPECT_EQ(onlySelected(f), idOf(f, 8));
    selectNothing(f);
    pressKey(f.grid.get(), Qt::Key_Down);
    EXPECT_EQ(onlySelected(f), idOf(f, 0));
    selectNothing(f);
    pressKey(f.grid.get(), Qt::Key_Right);
    EXPECT_EQ(onlySelected(f), idOf(f, 0));

    // A move collapses a multi-selection onto the hovered clip's neighbour.
    f.store->setSelectedClipIDs({idOf(f, 0), idOf(f, 1)});
    f.store->setHoveredClipID(idOf(f, 1));
    pressKey(f.grid.get(), Qt::Key_Right);
    EXPECT_EQ(onlySelected(f), idOf(f, 2));
}

TEST(GridKeyboard, MovingTheSelectionScrollsItsCardIntoView)
{
    QList<Clip> clips;
    for (int i = 0; i < 60; ++i)
        clips << testClip(QStringLiteral("c%1.mov").arg(i));
    GridFixture f(clips, {}, QSize(900, 500));
    ASSERT_EQ(f.grid->scrollPosition(), 0);
    for (int i = 0; i < 10; ++i)
        pressKey(f.grid.get(), Qt::Key_Down);
    EXPECT_EQ(onlySelected(f), idOf(f, 30));
    ASSERT_GT(f.grid->scrollPosition(), 0);
    ClipThumbnailView *card = f.card(30);
    ASSERT_NE(card, nullptr);
    const QRect visible = f.grid->viewport()->rect();
    EXPECT_TRUE(visible.contains(card->geometry().adjusted(ClipThumbnailView::margin, ClipThumbnailView::margin, -ClipThumbnailView::margin,
                                                           -ClipThumbnailView::margin)));
}

TEST(GridKeyboard, CtrlASelectsEveryDisplayedClipAndAPlainAIsIgnored)
{
    GridFixture f(
        {testClip(QStringLiteral("a.mov"), 1, 3), testClip(QStringLiteral("b.mov"), 1, 3), testClip(QStringLiteral("c.mov"), 1, 1)});
    f.store->setFilterRating(3);
    selectNothing(f);
    EXPECT_FALSE(pressKey(f.grid.get(), Qt::Key_A, QStringLiteral("a")));
    EXPECT_TRUE(f.store->selectedClipIDs().isEmpty());
    EXPECT_TRUE(pressKey(f.grid.get(), Qt::Key_A, QStringLiteral("\x01"), Qt::ControlModifier));
    EXPECT_EQ(f.store->selectedClipIDs(), (QSet<QUuid>{idOf(f, 0), idOf(f, 1)}));
    selectNothing(f);
    EXPECT_TRUE(pressKey(f.grid.get(), Qt::Key_A, QStringLiteral("\x01"), Qt::ControlModifier | Qt::ShiftModifier));
    EXPECT_EQ(f.store->selectedClipIDs().size(), 2);
}

TEST(GridKeyboard, TheTagKeyOpensThePickerOfTheHoveredOrSelectedClip)
{
    GridFixture f({testClip(QStringLiteral("a.mov")), testClip(QStringLiteral("b.mov"))});
    f.store->setHoveredClipID(std::nullopt);
    f.store->setSelectedClipIDs({idOf(f, 1)});
    EXPECT_TRUE(pressKey(f.grid.get(), Qt::Key_T, QStringLiteral("t")));
    EXPECT_EQ(f.store->showTagPickerForClipID(), idOf(f, 1));
    QCoreApplication::processEvents();
    ASSERT_NE(f.card(1), nullptr);
    EXPECT_TRUE(f.card(1)->isTagPickerShown());
    f.card(1)->closeTagPicker();
    QCoreApplication::processEvents();

    // The hovered clip wins over the selection.
    f.store->setHoveredClipID(idOf(f, 0));
    EXPECT_TRUE(pressKey(f.grid.get(), Qt::Key_T, QStringLiteral("t")));
    EXPECT_EQ(f.store->showTagPickerForClipID(), idOf(f, 0));
    QCoreApplication::processEvents();
    f.card(0)->closeTagPicker();
    selectNothing(f);
    EXPECT_FALSE(pressKey(f.grid.get(), Qt::Key_T, QStringLiteral("t")));
}

TEST(GridKeyboard, EveryKeyButEscapeIsLeftAloneWhileAPickerARenameOrThePlayerIsOpen)
{
    GridFixture f({testClip(QStringLiteral("a.mov")), testClip(QStringLiteral("b.mov"))});
    const auto gridKeysAreOff = [&](const char *state) {
        SCOPED_TRACE(state);
        EXPECT_FALSE(pressKey(f.grid.get(), Qt::Key_3, QStringLiteral("3")));
        EXPECT_FALSE(pressKey(f.grid.get(), Qt::Key_Delete));
        EXPECT_FALSE(pressKey(f.grid.get(), Qt::Key_Return));
        EXPECT_FALSE(pressKey(f.grid.get(), Qt::Key_Right));
        EXPECT_FALSE(pressKey(f.grid.get(), Qt::Key_Down));
        EXPECT_FALSE(pressKey(f.grid.get(), Qt::Key_T, QStringLiteral("t")));
        EXPECT_FALSE(pressKey(f.grid.get(), Qt::Key_A, QStringLiteral("\x01"), Qt::ControlModifier));
        EXPECT_EQ(f.clip(0).rating, 0);
        EXPECT_EQ(f.store->clips().size(), 2);
        EXPECT_EQ(onlySelected(f), idOf(f, 0));
    };
    ASSERT_EQ(onlySelected(f), idOf(f, 0));

    f.store->setShowTagPickerForClipID(idOf(f, 0));
    QCoreApplication::processEvents();
    gridKeysAreOff("tag picker");
    f.card(0)->closeTagPicker();
    QCoreApplication::processEvents();

    f.card(0)->startRename();
    gridKeysAreOff("rename");
    f.card(0)->cancelRename();

    f.grid->expandClip(f.clip(1));
    gridKeysAreOff("player");
    EXPECT_TRUE(pressKey(f.grid.get(), Qt::Key_Escape));
    EXPECT_FALSE(f.grid->expandedClip().has_value());
}

// The keyboard scrub on real files: Space, L, J and K drive the selected
// clip's player in its card, and an arrow key moves it to the next clip.
TEST(GridScrub, ScrubKeysDriveTheSelectedClipAndAFasterForwardSpeedCarriesToTheNext)
{
    QTemporaryDir dir;
    const QString a = TestMedia::copyTo(QStringLiteral("counter.mp4"), dir.path(), QStringLiteral("a.mp4"));
    const QString b = TestMedia::copyTo(QStringLiteral("counter.mp4"), dir.path(), QStringLiteral("b.mp4"));
    ScrubPlayerPool pool;
    GridFixture f({probedClip(a), probedClip(b)}, GridEngines{nullptr, &pool, nullptr, nullptr});
    ShuttleController *shuttle = f.grid->gridShuttle();
    // The first clip became the scrub clip, paused at its start.
    ASSERT_EQ(f.grid->gridScrubClipID(), idOf(f, 0));
    ASSERT_NE(f.grid->gridScrubPlayer(), nullptr);
    EXPECT_EQ(f.card(0)->inputs().keyboardShuttle, shuttle);
    EXPECT_FALSE(shuttle->isPlaying());

    EXPECT_TRUE(pressKey(f.grid.get(), Qt::Key_Space, QStringLiteral(" ")));
    EXPECT_EQ(shuttle->playbackDirection(), 1);
    EXPECT_EQ(f.grid->gridScrubPlayer()->rate(), 1);
    pressKey(f.grid.get(), Qt::Key_L, QStringLiteral("l"));
    pressKey(f.grid.get(), Qt::Key_L, QStringLiteral("l"));
    EXPECT_EQ(shuttle->speedIndex(), 2); // 4x
    EXPECT_EQ(f.grid->gridScrubPlayer()->rate(), 4);

    // The next clip plays on at 4x.
    std::shared_ptr<VideoPlayer> first = f.grid->gridScrubPlayer();
    pressKey(f.grid.get(), Qt::Key_Right);
    ASSERT_EQ(f.grid->gridScrubClipID(), idOf(f, 1));
    EXPECT_EQ(first->rate(), 0);
    EXPECT_EQ(shuttle->playbackDirection(), 1);
    EXPECT_EQ(shuttle->speedIndex(), 2);
    EXPECT_EQ(f.grid->gridScrubPlayer()->rate(), 4);
    EXPECT_FALSE(ShuttleController::carriedSpeedIndex.has_value());
    // The last clip again: nothing in the scrub changes.
    pressKey(f.grid.get(), Qt::Key_Right);
    EXPECT_EQ(shuttle->speedIndex(), 2);

    // Stopped (or at 1x), the next clip starts at 1x.
    EXPECT_TRUE(pressKey(f.grid.get(), Qt::Key_K, QStringLiteral("k")));
    EXPECT_FALSE(shuttle->isPlaying());
    pressKey(f.grid.get(), Qt::Key_Left);
    EXPECT_EQ(f.grid->gridScrubClipID(), idOf(f, 0));
    EXPECT_EQ(shuttle->playbackDirection(), 1);
    EXPECT_EQ(shuttle->speedIndex(), 0);

    EXPECT_TRUE(pressKey(f.grid.get(), Qt::Key_J, QStringLiteral("j")));
    EXPECT_EQ(shuttle->playbackDirection(), -1);
    // A frame step stops the shuttle first.
    EXPECT_TRUE(pressKey(f.grid.get(), Qt::Key_Comma, QStringLiteral(",")));
    EXPECT_FALSE(shuttle->isPlaying());
    EXPECT_EQ(shuttle->playbackDirection(), 0);

    // Jumps of five seconds stay within the clip.
    const double duration = shuttle->duration();
    ASSERT_GT(duration, 9);
    EXPECT_TRUE(pressKey(f.grid.get(), Qt::Key_BracketLeft, QStringLiteral("[")));
    EXPECT_DOUBLE_EQ(shuttle->currentTime(), 0);
    pressKey(f.grid.get(), Qt::Key_BracketRight, QStringLiteral("]"));
    EXPECT_NEAR(shuttle->currentTime(), 5, 0.1);
    pressKey(f.grid.get(), Qt::Key_BracketRight, QStringLiteral("]"));
    EXPECT_DOUBLE_EQ(shuttle->currentTime(), duration);

    // Escape clears the selection and ends the scrub; Space is then no scrub key.
    EXPECT_TRUE(pressKey(f.grid.get(), Qt::Key_Escape));
    EXPECT_FALSE(f.grid->gridScrubClipID().has_value());
    EXPECT_EQ(shuttle->player(), nullptr);
    EXPECT_FALSE(pressKey(f.grid.get(), Qt::Key_Space, QStringLiteral(" ")));
    EXPECT_FALSE(pressKey(f.grid.get(), Qt::Key_L, QStringLiteral("l")));
}

TEST(GridScrub, TheScrubStopsWhenItsClipLeavesTheStore)
{
    QTemporaryDir dir;
    const QString a = TestMedia::copyTo(QStringLiteral("counter.mp4"), dir.path(), QStringLiteral("a.mp4"));
    const QString b = TestMedia::copyTo(QStringLiteral("counter.mp4"), dir.path(), QStringLiteral("b.mp4"));
    ScrubPlayerPool pool;
    GridFixture f({probedClip(a), probedClip(b)}, GridEngines{nullptr, &pool, nullptr, nullptr});
    f.grid->setAudioEnabled(true);
    ASSERT_EQ(f.grid->gridScrubClipID(), idOf(f, 0));
    pressKey(f.grid.get(), Qt::Key_L, QStringLiteral("l"));
    std::shared_ptr<VideoPlayer> player = f.grid->gridScrubPlayer();
    ASSERT_NE(player, nullptr);
    EXPECT_EQ(player->rate(), 1);
    EXPECT_FALSE(player->isMuted());

    f.store->removeClip(idOf(f, 0));
    EXPECT_FALSE(f.grid->gridScrubClipID().has_value());
    EXPECT_EQ(player->rate(), 0);
    EXPECT_TRUE(player->isMuted());
    EXPECT_FALSE(pressKey(f.grid.get(), Qt::Key_Space, QStringLiteral(" ")));
    EXPECT_EQ(player->rate(), 0);
}

namespace {

// A digit held down: the first press, then the window system's repeats.
bool pressHeld(QWidget *widget, int key, const QString &text, int repeats)
{
    bool taken = pressKey(widget, key, text);
    for (int i = 0; i < repeats; ++i) {
        QKeyEvent repeat(QEvent::KeyPress, key, Qt::NoModifier, text, true);
        QApplication::sendEvent(widget, &repeat);
        taken = taken && repeat.isAccepted();
    }
    return taken;
}

} // namespace

TEST(GridKeyboard, AHeldDigitRatesAgainWithTheSameValueAndNeverClearsWhileANewPressStillToggles)
{
    GridFixture f({testClip(QStringLiteral("a.mov")), testClip(QStringLiteral("b.mov"), 10, 3)});
    ASSERT_EQ(onlySelected(f), idOf(f, 0));
    // Held on an unrated clip: rated once, and it stays rated whatever the
    // number of repeats.
    for (int repeats : {1, 2, 5}) {
        f.store->setRating(0, idOf(f, 0));
        const qsizetype records = f.store->undoStack().size();
        EXPECT_TRUE(pressHeld(f.grid.get(), Qt::Key_3, QStringLiteral("3"), repeats));
        EXPECT_EQ(f.clip(0).rating, 3) << repeats << " repeats";
        EXPECT_EQ(f.store->undoStack().size(), records + 1) << repeats << " repeats";
    }
    // A new press still clears the rating the clip has.
    EXPECT_TRUE(pressKey(f.grid.get(), Qt::Key_3, QStringLiteral("3")));
    EXPECT_EQ(f.clip(0).rating, 0);
    // Held on a clip with that rating: the press clears, the repeats set it again.
    f.store->setSelectedClipIDs({idOf(f, 1)});
    EXPECT_TRUE(pressHeld(f.grid.get(), Qt::Key_3, QStringLiteral("3"), 4));
    EXPECT_EQ(f.clip(1).rating, 3);
    // Another digit held changes the rating to it.
    EXPECT_TRUE(pressHeld(f.grid.get(), Qt::Key_5, QStringLiteral("5"), 3));
    EXPECT_EQ(f.clip(1).rating, 5);
    // Several clips: held or not, the value is set and never cleared.
    f.store->setSelectedClipIDs({idOf(f, 0), idOf(f, 1)});
    EXPECT_TRUE(pressHeld(f.grid.get(), Qt::Key_5, QStringLiteral("5"), 3));
    EXPECT_EQ(f.clip(0).rating, 5);
    EXPECT_EQ(f.clip(1).rating, 5);
}
