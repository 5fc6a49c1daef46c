#include "GridTestSupport.h"

#include "app/widgets/RenameTextField.h"
#include "app/widgets/TagPickerView.h"
#include "grid/ExpandedClipOverlay.h"
#include "media/ScrubPlayerPool.h"
#include "media/ShuttleController.h"
#include "media/VideoPlayer.h"
#include "media/ui/PlayerView.h"
#include "support/TestMedia.h"

#include <QAccessible>
#include <QLabel>
#include <QMenu>
#include <gtest/gtest.h>

namespace {

constexpr int waitMs = 30000;

QList<Clip> counterClips(int count)
{
    QList<Clip> clips;
    for (int i = 0; i < count; ++i) {
        Clip c = probedClip(TestMedia::path(QStringLiteral("counter.mp4")));
        c.filename = QStringLiteral("clip%1.mp4").arg(i);
        clips << c;
    }
    return clips;
}

bool waitForPlayer(PlayerView *view)
{
    return view && QTest::qWaitFor([view] { return view->player() && view->player()->isReadyForDisplay(); }, waitMs);
}

} // namespace

TEST(GridPlayer, ReturnOpensThePlayerOverTheDimmedGridAndEscapeGivesTheKeysBack)
{
    ScrubPlayerPool pool;
    GridFixture f(counterClips(2), GridEngines{nullptr, &pool, nullptr, nullptr});
    f.grid->activateWindow();
    // The keyboard scrub plays the first clip; opening the player pauses it.
    pressKey(f.grid.get(), Qt::Key_L, QStringLiteral("l"));
    ASSERT_TRUE(f.grid->gridShuttle()->isPlaying());
    EXPECT_TRUE(pressKey(f.grid.get(), Qt::Key_Return));
    PlayerView *view = f.grid->playerView();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->clip().id, f.clip(0).id);
    EXPECT_FALSE(f.grid->gridShuttle()->isPlaying());
    EXPECT_EQ(f.grid->gridScrubClipID(), f.clip(0).id);

    // The panel lies centred on the dimmed grid, within 1000 by 720 and 48 points from the edges.
    ExpandedClipOverlay *overlay = f.grid->expandedOverlay();
    ASSERT_NE(overlay, nullptr);
    EXPECT_EQ(overlay->geometry(), f.grid->rect());
    const QRect panel = view->geometry();
    EXPECT_LE(panel.width(), 1000);
    EXPECT_LE(panel.height(), 720);
    EXPECT_GE(panel.left(), 48);
    EXPECT_GE(panel.top(), 48);
    EXPECT_NEAR(panel.center().x(), overlay->rect().center().x(), 1);
    // The dimmed layer lies over the scroll bar too, also after the grid lays itself out again.
    f.store->setRating(2, f.clip(1).id);
    QCoreApplication::processEvents();
    EXPECT_EQ(f.grid->childAt(QPoint(f.grid->width() - 3, f.grid->height() / 2)), overlay);

    ASSERT_TRUE(waitForPlayer(view));
    EXPECT_EQ(QApplication::focusWidget(), view);
    // Tab does not take the keys away to the grid behind the panel.
    QTest::keyClick(view, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), view);
    // Keys the player leaves (Up) reach the grid, which leaves them too.
    EXPECT_FALSE(pressKey(view, Qt::Key_Up));
    EXPECT_EQ(f.store->selectedClipIDs(), QSet<QUuid>{f.clip(0).id});

    EXPECT_TRUE(pressKey(view, Qt::Key_Escape));
    EXPECT_FALSE(f.grid->expandedClip().has_value());
    EXPECT_EQ(f.grid->playerView(), nullptr);
    EXPECT_EQ(QApplication::focusWidget(), f.grid.get());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(GridPlayer, ThePlayerEditsOnlyItsClipShowsTheStoresValueAndClosesWhenTheClipGoes)
{
    GridFixture f(counterClips(3));
    f.store->setSelectedClipIDs({f.clip(0).id, f.clip(1).id});
    f.grid->expandClip(f.clip(0));
    PlayerView *view = f.grid->playerView();
    ASSERT_TRUE(waitForPlayer(view));

    // A rating made in the player rates its clip, not the selection, and shows at once.
    EXPECT_TRUE(pressKey(view, Qt::Key_3, QStringLiteral("3")));
    EXPECT_EQ(f.clip(0).rating, 3);
    EXPECT_EQ(f.clip(1).rating, 0);
    EXPECT_EQ(view->clip().rating, 3);
    EXPECT_EQ(f.grid->expandedClip()->rating, 3);
    EXPECT_EQ(view->ratingRow()->accessibleDescription(), QStringLiteral("3 of 5 stars"));

    // Tags through the picker, and a new tag added and put on the clip.
    f.store->setAvailableTags({QStringLiteral("Dunk")});
    view->setTagPickerShown(true);
    ASSERT_NE(view->tagPicker(), nullptr);
    QTest::keyClick(view->tagPicker(), Qt::Key_Space);
    EXPECT_EQ(f.clip(0).tags, QStringList{QStringLiteral("Dunk")});
    EXPECT_TRUE(f.clip(1).tags.isEmpty());
    EXPECT_EQ(view->tagChipTexts(), QStringList{QStringLiteral("Dunk")});
    view->setTagPickerShown(false);

    // A rename shows in the title; an undo done elsewhere shows too.
    view->startRename();
    view->renameField()->setText(QStringLiteral("Best take"));
    QTest::keyClick(view->renameField(), Qt::Key_Return);
    EXPECT_EQ(f.clip(0).filename, QStringLiteral("Best take.mp4"));
    EXPECT_EQ(view->titleLabel()->text(), QStringLiteral("Best take.mp4"));
    f.store->undo();
    EXPECT_EQ(view->titleLabel()->text(), QStringLiteral("clip0.mp4"));

    // The clip leaves the store: the player closes and lets its file go.
    std::shared_ptr<VideoPlayer> player = view->player();
    f.store->removeClip(f.clip(0).id);
    EXPECT_FALSE(f.grid->expandedClip().has_value());
    EXPECT_EQ(f.grid->playerView(), nullptr);
    EXPECT_FALSE(player->hasItem());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(GridPlayer, NeighbourStepsFollowTheDisplayedListSkipOfflineClipsAndStopAtTheEnds)
{
    ShuttleController::carriedSpeedIndex.reset();
    QList<Clip> clips = counterClips(4);
    clips[3].isMissing = true;
    GridFixture f(clips);
    f.grid->expandClip(f.clip(0));
    PlayerView *first = f.grid->playerView();
    ASSERT_TRUE(waitForPlayer(first));
    EXPECT_FALSE(pressKey(first, Qt::Key_Left)); // the first clip has no previous one

    // L, L (2x), Right: the next clip plays at 2x at once.
    pressKey(first, Qt::Key_L, QStringLiteral("l"));
    pressKey(first, Qt::Key_L, QStringLiteral("l"));
    EXPECT_TRUE(pressKey(first, Qt::Key_Right));
    PlayerView *second = f.grid->playerView();
    ASSERT_NE(second, first);
    EXPECT_EQ(second->clip().id, f.clip(1).id);
    EXPECT_EQ(f.grid->expandedClip()->id, f.clip(1).id);
    EXPECT_EQ(second->shuttle()->playbackDirection(), 1);
    EXPECT_EQ(second->shuttle()->speedIndex(), 1);
    EXPECT_EQ(second->player()->rate(), 2);
    EXPECT_FALSE(ShuttleController::carriedSpeedIndex.has_value());
    // The step changes neither the selection nor the scroll position.
    EXPECT_EQ(f.store->selectedClipIDs(), QSet<QUuid>{f.clip(0).id});

    // J, Right: the next clip opens paused.
    pressKey(second, Qt::Key_J, QStringLiteral("j"));
    EXPECT_TRUE(pressKey(second, Qt::Key_Right));
    PlayerView *third = f.grid->playerView();
    EXPECT_EQ(third->clip().id, f.clip(2).id);
    EXPECT_FALSE(third->shuttle()->isPlaying());
    // The next one is offline: the key is the player's, but nothing changes.
    EXPECT_TRUE(pressKey(third, Qt::Key_Right));
    EXPECT_EQ(f.grid->playerView(), third);
    EXPECT_TRUE(pressKey(third, Qt::Key_Left));
    EXPECT_EQ(f.grid->playerView()->clip().id, f.clip(1).id);

    // A clip that the filters hide opens without either step.
    f.grid->closeExpandedClip();
    f.store->setRating(5, f.clip(0).id);
    f.store->setFilterRating(4);
    f.grid->expandClip(f.clip(0));
    EXPECT_FALSE(pressKey(f.grid->playerView(), Qt::Key_Left));
    EXPECT_FALSE(pressKey(f.grid->playerView(), Qt::Key_Right));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(GridPlayer, TheCardsExpandButtonAndMenuItemOpenThePlayerAndAClickBesideItClosesIt)
{
    GridFixture f(counterClips(2));
    ClipThumbnailView *card = f.card(1);
    ASSERT_NE(card, nullptr);
    sendEnter(card, card->posterRect().center());
    sendMove(card, card->expandButtonRect().center());
    click(card, card->expandButtonRect().center());
    ASSERT_NE(f.grid->playerView(), nullptr);
    EXPECT_EQ(f.grid->playerView()->clip().id, f.clip(1).id);

    // A press on the dimmed area beside the panel closes the player.
    ExpandedClipOverlay *overlay = f.grid->expandedOverlay();
    ASSERT_NE(overlay, nullptr);
    QTest::mouseClick(overlay, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_EQ(f.grid->playerView(), nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    std::unique_ptr<QMenu> menu(f.card(0)->makeContextMenu(nullptr));
    QAction *expand = nullptr;
    for (QAction *action : menu->actions()) {
        if (action->text() == QStringLiteral("Expand"))
            expand = action;
    }
    ASSERT_NE(expand, nullptr);
    expand->trigger();
    ASSERT_NE(f.grid->playerView(), nullptr);
    EXPECT_EQ(f.grid->playerView()->clip().id, f.clip(0).id);
    f.grid->closeExpandedClip();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(GridPlayer, ThePlayersTagPickerChipsAreButtonsThatToggleTheirTagThroughTheirAction)
{
    GridFixture f(counterClips(2));
    f.store->setAvailableTags({QStringLiteral("Dunk"), QStringLiteral("Crowd")});
    f.grid->expandClip(f.clip(0));
    PlayerView *view = f.grid->playerView();
    ASSERT_TRUE(waitForPlayer(view));
    view->setTagPickerShown(true);
    TagPickerView *picker = view->tagPicker();
    ASSERT_NE(picker, nullptr);
    const auto chip = [picker](const QString &name) -> QAccessibleInterface * {
        for (QWidget *row : picker->rows()) {
            QAccessibleInterface *a = QAccessible::queryAccessibleInterface(row);
            if (a && a->text(QAccessible::Name) == name)
                return a;
        }
        return nullptr;
    };
    ASSERT_NE(chip(QStringLiteral("Crowd")), nullptr);
    EXPECT_EQ(chip(QStringLiteral("Crowd"))->role(), QAccessible::Button);
    EXPECT_FALSE(chip(QStringLiteral("Crowd"))->state().selected);
    ASSERT_NE(chip(QStringLiteral("Crowd"))->actionInterface(), nullptr);
    chip(QStringLiteral("Crowd"))->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(f.clip(0).tags, QStringList{QStringLiteral("Crowd")});
    EXPECT_TRUE(chip(QStringLiteral("Crowd"))->state().selected);
    view->setTagPickerShown(false);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(GridPlayer, AHeldDigitInThePlayerRatesAgainWithTheSameValueAndNeverClears)
{
    GridFixture f(counterClips(1));
    f.grid->expandClip(f.clip(0));
    PlayerView *view = f.grid->playerView();
    ASSERT_TRUE(waitForPlayer(view));
    const auto hold = [view](int key, const QString &text, int repeats) {
        pressKey(view, key, text);
        for (int i = 0; i < repeats; ++i) {
            QKeyEvent repeat(QEvent::KeyPress, key, Qt::NoModifier, text, true);
            QApplication::sendEvent(view, &repeat);
            EXPECT_TRUE(repeat.isAccepted());
        }
    };
    for (int repeats : {1, 2, 5}) {
        f.store->setRating(0, f.clip(0).id);
        hold(Qt::Key_4, QStringLiteral("4"), repeats);
        EXPECT_EQ(f.clip(0).rating, 4) << repeats << " repeats";
        EXPECT_EQ(view->clip().rating, 4);
    }
    // A new press toggles as ever.
    EXPECT_TRUE(pressKey(view, Qt::Key_4, QStringLiteral("4")));
    EXPECT_EQ(f.clip(0).rating, 0);
    hold(Qt::Key_2, QStringLiteral("2"), 3);
    EXPECT_EQ(f.clip(0).rating, 2);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(GridPlayer, AStepThatDoesNotHappenCarriesNoSpeedToTheNextClipOpened)
{
    ShuttleController::carriedSpeedIndex.reset();
    QList<Clip> clips = counterClips(3);
    clips[1].isMissing = true;
    GridFixture f(clips);
    f.grid->expandClip(f.clip(0));
    PlayerView *first = f.grid->playerView();
    ASSERT_TRUE(waitForPlayer(first));
    pressKey(first, Qt::Key_L, QStringLiteral("l"));
    pressKey(first, Qt::Key_L, QStringLiteral("l"));
    ASSERT_EQ(first->shuttle()->speedIndex(), 1);
    // The neighbour is offline: the player stays on its clip.
    EXPECT_TRUE(pressKey(first, Qt::Key_Right));
    EXPECT_EQ(f.grid->playerView(), first);
    EXPECT_FALSE(ShuttleController::carriedSpeedIndex.has_value());
    EXPECT_TRUE(pressKey(first, Qt::Key_Escape));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    // The third clip, opened afresh, starts paused and silent.
    f.grid->expandClip(f.clip(2));
    PlayerView *third = f.grid->playerView();
    ASSERT_TRUE(waitForPlayer(third));
    EXPECT_EQ(third->shuttle()->playbackDirection(), 0);
    EXPECT_FALSE(third->shuttle()->isPlaying());
    EXPECT_EQ(third->player()->rate(), 0);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(GridPlayer, ASpeedCarriedToAClipWhoseFileIsGoneStartsNoOtherClip)
{
    ShuttleController::carriedSpeedIndex.reset();
    QList<Clip> clips = counterClips(3);
    // Gone from the disk, but not yet found offline.
    clips[1].url = QUrl::fromLocalFile(QStringLiteral("/nonexistent/gone.mp4"));
    GridFixture f(clips);
    f.grid->expandClip(f.clip(0));
    PlayerView *first = f.grid->playerView();
    ASSERT_TRUE(waitForPlayer(first));
    pressKey(first, Qt::Key_L, QStringLiteral("l"));
    pressKey(first, Qt::Key_L, QStringLiteral("l"));
    EXPECT_TRUE(pressKey(first, Qt::Key_Right));
    // The player of the vanished file closes itself.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !f.grid->expandedClip().has_value(); }, waitMs));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    f.grid->expandClip(f.clip(2));
    PlayerView *third = f.grid->playerView();
    ASSERT_TRUE(waitForPlayer(third));
    EXPECT_FALSE(third->shuttle()->isPlaying());
    EXPECT_EQ(third->player()->rate(), 0);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
