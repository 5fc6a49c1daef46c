#include "GridTestSupport.h"

#include <QMenu>
#include <gtest/gtest.h>

namespace {

QList<Clip> fiveClips()
{
    QList<Clip> clips;
    for (int i = 0; i < 5; ++i)
        clips << testClip(QStringLiteral("C%1.MOV").arg(i));
    return clips;
}

QPointF posterPoint(ClipThumbnailView *card)
{
    return card->posterRect().center();
}

QSet<QUuid> ids(const GridFixture &f, std::initializer_list<int> indices)
{
    QSet<QUuid> result;
    for (int i : indices)
        result.insert(f.clip(i).id);
    return result;
}

} // namespace

TEST(CardSelection, ClickControlClickAndShiftClickFollowTheOnScreenOrder)
{
    GridFixture f(fiveClips());
    // The grid selects its first clip when it is first shown.
    EXPECT_EQ(f.store->selectedClipIDs(), ids(f, {0}));

    click(f.card(1), posterPoint(f.card(1)));
    EXPECT_EQ(f.store->selectedClipIDs(), ids(f, {1}));
    EXPECT_EQ(f.grid->selectionAnchorID(), f.clip(1).id);

    // A click on the info area selects as well.
    click(f.card(2), f.card(2)->starRowRect().bottomRight() + QPointF(40, -4));
    EXPECT_EQ(f.store->selectedClipIDs(), ids(f, {2}));

    click(f.card(4), posterPoint(f.card(4)), Qt::ControlModifier);
    EXPECT_EQ(f.store->selectedClipIDs(), ids(f, {2, 4}));
    EXPECT_EQ(f.grid->selectionAnchorID(), f.clip(4).id);

    // Shift extends from the anchor (4) back to 1; earlier ones stay.
    click(f.card(1), posterPoint(f.card(1)), Qt::ShiftModifier);
    EXPECT_EQ(f.store->selectedClipIDs(), ids(f, {1, 2, 3, 4}));
    EXPECT_EQ(f.grid->selectionAnchorID(), f.clip(4).id);

    // Ctrl-click on the only selected card empties the selection but records the anchor.
    click(f.card(0), posterPoint(f.card(0)));
    click(f.card(0), posterPoint(f.card(0)), Qt::ControlModifier);
    EXPECT_TRUE(f.store->selectedClipIDs().isEmpty());
    EXPECT_EQ(f.grid->selectionAnchorID(), f.clip(0).id);
    click(f.card(2), posterPoint(f.card(2)), Qt::ShiftModifier);
    EXPECT_EQ(f.store->selectedClipIDs(), ids(f, {0, 1, 2}));
}

TEST(CardSelection, ShiftClickWithoutAnchorSelectsTheClipAndShiftControlToggles)
{
    GridFixture f(fiveClips());
    // A second grid shown while something is selected records no anchor.
    f.store->setSelectedClipIDs(ids(f, {4}));
    ClipGridView grid(f.store.get(), f.settings.get(), GridEngines{}, false);
    grid.resize(1200, 800);
    grid.show();
    QCoreApplication::processEvents();
    ASSERT_FALSE(grid.selectionAnchorID().has_value());
    f.store->setSelectedClipIDs({});
    ClipThumbnailView *card = grid.cardFor(f.clip(3).id);
    ASSERT_NE(card, nullptr);
    click(card, posterPoint(card), Qt::ShiftModifier);
    EXPECT_EQ(f.store->selectedClipIDs(), ids(f, {3}));
    EXPECT_EQ(grid.selectionAnchorID(), f.clip(3).id);
    // With an anchor, Shift+Ctrl extends the range.
    ClipThumbnailView *other = grid.cardFor(f.clip(1).id);
    click(other, posterPoint(other), Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_EQ(f.store->selectedClipIDs(), ids(f, {1, 2, 3}));
}

TEST(CardSelection, AClickOnEmptySpaceClearsTheSelectionAndTheHoveredClip)
{
    GridFixture f(fiveClips());
    f.store->setHoveredClipID(f.clip(0).id);
    QTest::mouseClick(f.grid->viewport(), Qt::LeftButton, {}, QPoint(5, f.grid->viewport()->height() - 5));
    EXPECT_TRUE(f.store->selectedClipIDs().isEmpty());
    EXPECT_FALSE(f.store->hoveredClipID().has_value());
}

TEST(CardEdits, AStarRatesTheCardOrTheWholeSelectionThatHoldsIt)
{
    GridFixture f(fiveClips());
    ClipThumbnailView *card = f.card(0);
    click(card, card->starRect(3).center());
    EXPECT_EQ(f.store->clips().at(0).rating, 3);
    EXPECT_EQ(f.store->undoTitle().value_or(QString()), QStringLiteral("Undo Rate 0→3★"));

    // Two selected clips holding the card: both are rated, as one action.
    f.store->setSelectedClipIDs(ids(f, {1, 2}));
    click(f.card(1), f.card(1)->starRect(5).center());
    EXPECT_EQ(f.store->clips().at(1).rating, 5);
    EXPECT_EQ(f.store->clips().at(2).rating, 5);
    EXPECT_EQ(f.store->undoTitle().value_or(QString()), QStringLiteral("Undo Rate 2 clips"));

    // A card outside the selection rates itself alone.
    click(f.card(4), f.card(4)->starRect(1).center());
    EXPECT_EQ(f.store->clips().at(4).rating, 1);
    EXPECT_EQ(f.store->clips().at(1).rating, 5);
    EXPECT_EQ(f.store->clips().at(3).rating, 0);
}

TEST(CardEdits, StarHoverFollowsThePointerInEighteenPointSteps)
{
    GridFixture f(fiveClips());
    ClipThumbnailView *card = f.card(0);
    const QRectF row = card->starRowRect();
    const qreal y = row.center().y();
    sendMove(card, QPointF(row.left(), y));
    EXPECT_EQ(card->hoveredStar(), 1);
    sendMove(card, QPointF(row.left() + 17.9, y));
    EXPECT_EQ(card->hoveredStar(), 1);
    sendMove(card, QPointF(row.left() + 18, y));
    EXPECT_EQ(card->hoveredStar(), 2);
    sendMove(card, QPointF(row.right() - 0.5, y));
    EXPECT_EQ(card->hoveredStar(), 5);
    sendMove(card, QPointF(row.center().x(), row.top() - 20));
    EXPECT_EQ(card->hoveredStar(), 0);
}

TEST(CardEdits, TagEditsFromTheMenuFollowTheSelectionAndRemoveTagUsesItsWording)
{
    QList<Clip> clips = fiveClips();
    clips[0].tags = {QStringLiteral("Dunk")};
    clips[1].tags = {QStringLiteral("Dunk")};
    GridFixture f(clips);
    f.store->setSelectedClipIDs(ids(f, {0, 1}));
    Q_EMIT f.card(0)->removeTagRequested(QStringLiteral("Dunk"));
    EXPECT_TRUE(f.store->clips().at(0).tags.isEmpty());
    EXPECT_TRUE(f.store->clips().at(1).tags.isEmpty());
    EXPECT_EQ(f.store->undoTitle().value_or(QString()), QStringLiteral("Undo Remove 'Dunk'"));
    f.store->undo();

    // "Tag" submenu on a card of the selection: toggles on both.
    f.store->setAvailableTags({QStringLiteral("Dunk"), QStringLiteral("Crowd")});
    std::unique_ptr<QMenu> menu(f.card(1)->makeContextMenu(nullptr));
    QMenu *tagMenu = nullptr;
    for (QAction *a : menu->actions()) {
        if (a->menu() && a->text() == QStringLiteral("Tag"))
            tagMenu = a->menu();
    }
    ASSERT_NE(tagMenu, nullptr);
    for (QAction *a : tagMenu->actions()) {
        if (a->text() == QStringLiteral("Crowd"))
            a->trigger();
    }
    EXPECT_TRUE(f.store->clips().at(0).tags.contains(QStringLiteral("Crowd")));
    EXPECT_TRUE(f.store->clips().at(1).tags.contains(QStringLiteral("Crowd")));
    EXPECT_FALSE(f.store->clips().at(2).tags.contains(QStringLiteral("Crowd")));
}

TEST(CardEdits, HoverButtonsRemoveAndOpenTheCardsOwnClip)
{
    GridFixture f(fiveClips());
    f.store->setSelectedClipIDs(ids(f, {1, 2}));
    ClipThumbnailView *card = f.card(1);
    sendEnter(card, card->posterRect().center());
    sendMove(card, card->posterRect().center());
    ASSERT_TRUE(card->isCardHovered());
    click(card, card->expandButtonRect().center());
    ASSERT_TRUE(f.grid->expandedClip().has_value());
    EXPECT_EQ(f.grid->expandedClip()->id, f.clip(1).id);
    f.grid->closeExpandedClip();

    const QUuid removed = f.clip(1).id;
    click(card, card->removeButtonRect().center());
    EXPECT_EQ(f.store->clips().size(), 4);
    EXPECT_FALSE(f.store->indexOfClip(removed).has_value());
    EXPECT_TRUE(f.store->indexOfClip(f.clip(1).id).has_value()); // the other selected clip stays
}

TEST(CardEdits, OpeningAnOfflineClipDoesNothing)
{
    QList<Clip> clips = fiveClips();
    clips[2].isMissing = true;
    GridFixture f(clips);
    Q_EMIT f.card(2)->openRequested();
    EXPECT_FALSE(f.grid->expandedClip().has_value());
}
