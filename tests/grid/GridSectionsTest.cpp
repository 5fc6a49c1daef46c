#include "GridTestSupport.h"

#include "grid/ClipSection.h"
#include "grid/GridLayoutModel.h"
#include "grid/SectionHeaderView.h"

#include <QLabel>

#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <gtest/gtest.h>

namespace {

QStringList titles(const QList<ClipSection> &sections)
{
    QStringList result;
    for (const ClipSection &s : sections)
        result << s.title;
    return result;
}

QStringList names(const QList<Clip> &clips)
{
    QStringList result;
    for (const Clip &c : clips)
        result << c.filename;
    return result;
}

} // namespace

TEST(GridSections, RatingSectionsRunFromFiveStarsToUnratedWithoutEmptyRatings)
{
    const QList<Clip> clips{testClip(QStringLiteral("a"), 1, 3), testClip(QStringLiteral("b"), 1, 0), testClip(QStringLiteral("c"), 1, 5),
                            testClip(QStringLiteral("d"), 1, 3)};
    const QList<ClipSection> sections = clipSections(clips, GroupMode::rating);
    EXPECT_EQ(titles(sections), (QStringList{QStringLiteral("★★★★★"), QStringLiteral("★★★☆☆"), QStringLiteral("Unrated")}));
    EXPECT_EQ(names(sections.at(1).clips), (QStringList{QStringLiteral("a"), QStringLiteral("d")}));
    EXPECT_TRUE(clipSections({}, GroupMode::rating).isEmpty());
    EXPECT_EQ(starTitleLabel(QStringLiteral("★☆☆☆☆")), QStringLiteral("1 star"));
    EXPECT_EQ(starTitleLabel(QStringLiteral("★★★☆☆")), QStringLiteral("3 stars"));
    EXPECT_EQ(starTitleLabel(QStringLiteral("Unrated")), QStringLiteral("Unrated"));
}

TEST(GridSections, TagSectionsInCodePointOrderWithUntaggedLastAndClipsInEachOfTheirTags)
{
    const QList<Clip> clips{testClip(QStringLiteral("a"), 1, 0, {QStringLiteral("dunk"), QStringLiteral("Action")}),
                            testClip(QStringLiteral("b")), testClip(QStringLiteral("c"), 1, 0, {QStringLiteral("Dunk")}),
                            testClip(QStringLiteral("d"), 1, 0, {QStringLiteral("Zoom")})};
    const QList<ClipSection> sections = clipSections(clips, GroupMode::category);
    // Upper case before lower case; "Untagged" last although "U" < "Z".
    EXPECT_EQ(titles(sections), (QStringList{QStringLiteral("Action"), QStringLiteral("Dunk"), QStringLiteral("Zoom"),
                                             QStringLiteral("dunk"), QStringLiteral("Untagged")}));
    EXPECT_EQ(names(sections.at(0).clips), QStringList{QStringLiteral("a")});
    EXPECT_EQ(names(sections.at(3).clips), QStringList{QStringLiteral("a")});
    EXPECT_EQ(names(sections.at(4).clips), QStringList{QStringLiteral("b")});
}

TEST(GridSections, NoGroupingIsOneAllSectionEvenWhenEmpty)
{
    const QList<ClipSection> sections = clipSections({}, GroupMode::none);
    ASSERT_EQ(sections.size(), 1);
    EXPECT_EQ(sections.first().title, QStringLiteral("All"));
    EXPECT_EQ(clipCountLabel(1), QStringLiteral("1 clip"));
    EXPECT_EQ(clipCountLabel(12), QStringLiteral("12 clips"));
}

TEST(GridSections, TheGridShowsTitledHeadersWithCountsAndFollowsTheGrouping)
{
    GridFixture f({testClip(QStringLiteral("a"), 1, 5), testClip(QStringLiteral("b"), 1, 0), testClip(QStringLiteral("c"), 1, 5)});
    EXPECT_TRUE(f.grid->layoutModel().headers().isEmpty()); // flat grid: no header
    f.store->setGroupMode(GroupMode::rating);
    const auto &headers = f.grid->layoutModel().headers();
    ASSERT_EQ(headers.size(), 2);
    EXPECT_EQ(headers.at(0).title, QStringLiteral("★★★★★"));
    EXPECT_EQ(headers.at(0).count, 2);
    EXPECT_EQ(headers.at(1).title, QStringLiteral("Unrated"));
    EXPECT_EQ(headers.at(1).count, 1);
    // The second section starts below the first one's cards, 40 points on.
    const auto &cells = f.grid->layoutModel().cells();
    ASSERT_EQ(cells.size(), 3);
    EXPECT_GT(headers.at(1).rect.top(), cells.at(0).rect.bottom() + GridLayoutModel::sectionSpacing - 1);
    EXPECT_EQ(cells.at(2).section, 1);
    // Each header is a widget in its place, with its title and count.
    const QList<SectionHeaderView *> live = f.grid->liveHeaders();
    ASSERT_EQ(live.size(), 2);
    for (const SectionHeaderView *view : live) {
        const auto &header = view->title() == headers.at(0).title ? headers.at(0) : headers.at(1);
        EXPECT_EQ(view->geometry().top(), static_cast<int>(header.rect.top()) - f.grid->scrollPosition());
        EXPECT_EQ(view->countBadge()->text(), QString::number(header.count));
    }

    // A rating edit moves the clip into its new section at once.
    f.store->setRating(5, f.clip(1).id);
    ASSERT_EQ(f.grid->layoutModel().headers().size(), 1);
    EXPECT_EQ(f.grid->layoutModel().headers().at(0).count, 3);
}

TEST(GridSections, TheGridLaysOutTheDivisionOfTheDisplayedListForEveryGrouping)
{
    const QString action = QStringLiteral("Action");
    QList<Clip> clips{testClip(QStringLiteral("e.mov"), 5, 4, {action, QStringLiteral("dunk")}), testClip(QStringLiteral("a.mov"), 9, 0),
                      testClip(QStringLiteral("d.mov"), 2, 2, {QStringLiteral("dunk"), QStringLiteral("dunk")}),
                      testClip(QStringLiteral("c.mov"), 7, 4, {action}), testClip(QStringLiteral("b.mov"), 3, 1, {QStringLiteral("Zoom")})};
    GridFixture f(clips);
    f.store->setSortOrder(SortOrder::duration);
    f.store->setFilterRating(0);

    auto idsOf = [](const QList<Clip> &list) {
        QList<QUuid> ids;
        for (const Clip &c : list)
            ids << c.id;
        return ids;
    };
    for (const GroupMode mode : {GroupMode::none, GroupMode::rating, GroupMode::category}) {
        f.store->setGroupMode(mode);
        const QList<ClipSection> expected = clipSections(f.store->sortedAndFilteredClips(), mode);
        const QList<ClipSection> shown = f.grid->clipSections();
        const auto &laidOut = f.grid->layoutModel().sections();
        ASSERT_EQ(shown.size(), expected.size());
        ASSERT_EQ(laidOut.size(), expected.size());
        for (qsizetype i = 0; i < expected.size(); ++i) {
            EXPECT_EQ(shown.at(i).title, expected.at(i).title);
            EXPECT_EQ(idsOf(shown.at(i).clips), idsOf(expected.at(i).clips));
            EXPECT_EQ(laidOut.at(i).title, expected.at(i).title);
            EXPECT_EQ(laidOut.at(i).clipIDs, idsOf(expected.at(i).clips));
        }
    }

    // By tag, in duration order inside each section; the clip listing "dunk"
    // twice is one card there.
    EXPECT_EQ(titles(f.grid->clipSections()),
              (QStringList{action, QStringLiteral("Zoom"), QStringLiteral("dunk"), QStringLiteral("Untagged")}));
    EXPECT_EQ(names(f.grid->clipSections().at(0).clips), (QStringList{QStringLiteral("c.mov"), QStringLiteral("e.mov")}));
    EXPECT_EQ(names(f.grid->clipSections().at(2).clips), (QStringList{QStringLiteral("e.mov"), QStringLiteral("d.mov")}));
    // A filter leaves out what it hides, and empty sections go.
    f.store->setFilterRating(4);
    EXPECT_EQ(titles(f.grid->clipSections()), (QStringList{action, QStringLiteral("dunk")}));
    EXPECT_EQ(f.grid->layoutModel().sections().size(), 2);
    f.store->setGroupMode(GroupMode::rating);
    EXPECT_EQ(titles(f.grid->clipSections()), QStringList{ratingSectionTitle(4)});
    EXPECT_EQ(f.grid->layoutModel().sections().at(0).clipIDs, (QList<QUuid>{f.clip(3).id, f.clip(0).id}));
}

TEST(GridLayout, EstimatedCellHeightFollowsColumnsAndTheTileAspect)
{
    EXPECT_NEAR(GridLayoutModel::estimatedCellHeight(1000, 5, 16.0 / 9.0), 170.8, 1e-9);
    EXPECT_GT(GridLayoutModel::estimatedCellHeight(1000, 5, 0.5625), 170.8);
    EXPECT_EQ(GridLayoutModel::estimatedCellHeight(30, 5, 16.0 / 9.0), 80); // never below 80

    // Three portrait clips of five make 9:16 cards; two of four do not.
    QList<Clip> clips;
    for (int i = 0; i < 5; ++i) {
        Clip c = testClip(QStringLiteral("p%1").arg(i));
        if (i < 3)
            std::swap(c.width, c.height);
        clips << c;
    }
    GridFixture f(clips);
    EXPECT_DOUBLE_EQ(f.grid->tileAspectRatio(), 0.5625);
    f.store->setClips(clips.mid(1));
    EXPECT_DOUBLE_EQ(f.grid->tileAspectRatio(), 16.0 / 9.0);
}

TEST(GridLayout, ABandEdgeTouchingCellIsFarAndBandsAreFoundByRow)
{
    GridLayoutModel model;
    QList<QUuid> ids;
    for (int i = 0; i < 9; ++i)
        ids << QUuid::createUuid();
    model.setSections({GridLayoutModel::Section{QStringLiteral("All"), ids}}, false);
    model.setGeometry(1000, 3, 16.0 / 9.0, 24);
    model.relayout();
    const QRectF second = model.cells().at(3).rect;
    // A band ending exactly at the second row's top does not reach it.
    auto [first, last] = model.cellsInBand(-100, second.top());
    EXPECT_EQ(first, 0);
    EXPECT_EQ(last, 3);
    std::tie(first, last) = model.cellsInBand(second.bottom(), second.bottom() + 10);
    EXPECT_EQ(first, last); // the gap between rows holds no cell
}

TEST(GridVirtualization, OnlyCardsNearTheViewportExistAndFarCellsKeepTheirMeasuredHeight)
{
    QList<Clip> clips;
    for (int i = 0; i < 600; ++i)
        clips << testClip(QStringLiteral("clip%1.mov").arg(i, 3, 10, QLatin1Char('0')));
    GridFixture f(clips, {}, QSize(1200, 700));
    ClipGridView &grid = *f.grid;
    const qreal heightAtTop = grid.layoutModel().contentHeight();
    const int viewportHeight = grid.viewport()->height();
    const qreal band = std::max(400, viewportHeight);

    auto checkLiveCards = [&] {
        const int top = grid.scrollPosition();
        const auto cards = grid.liveCards();
        EXPECT_FALSE(cards.isEmpty());
        for (ClipThumbnailView *card : cards) {
            const QRect r = card->geometry();
            // Widget positions are viewport coordinates.
            EXPECT_GT(r.bottom(), -band - ClipThumbnailView::margin) << top;
            EXPECT_LT(r.top(), viewportHeight + band + ClipThumbnailView::margin) << top;
        }
        // Every cell within the band has its card.
        int inBand = 0;
        for (const auto &cell : grid.layoutModel().cells()) {
            if (cell.rect.bottom() > top - band && cell.rect.top() < top + viewportHeight + band)
                ++inBand;
        }
        EXPECT_EQ(inBand, cards.size());
        return cards.size();
    };
    const qsizetype atTop = checkLiveCards();
    EXPECT_LT(atTop, 60);

    grid.verticalScrollBar()->setValue(grid.verticalScrollBar()->maximum() / 2);
    QCoreApplication::processEvents();
    checkLiveCards();
    EXPECT_EQ(grid.cardFor(f.clip(0).id), nullptr); // the first card is gone
    grid.verticalScrollBar()->setValue(grid.verticalScrollBar()->maximum());
    QCoreApplication::processEvents();
    checkLiveCards();
    ASSERT_NE(grid.cardFor(f.clip(599).id), nullptr);

    // Back at the top: the cells that left keep the height they had, so the
    // content height stays what the measured cards made it.
    const qreal measuredHeight = grid.layoutModel().contentHeight();
    grid.verticalScrollBar()->setValue(0);
    QCoreApplication::processEvents();
    EXPECT_EQ(grid.layoutModel().contentHeight(), measuredHeight);
    const auto key = grid.layoutModel().keyOf(0);
    ASSERT_TRUE(grid.layoutModel().measuredHeight(key).has_value());
    EXPECT_GE(measuredHeight, heightAtTop);
}

TEST(GridVirtualization, AStoreEditLaysTheGridOutOnceAndCardsShowTheCurrentClip)
{
    QList<Clip> clips;
    for (int i = 0; i < 30; ++i)
        clips << testClip(QStringLiteral("c%1.mov").arg(i));
    GridFixture f(clips);
    const int before = f.grid->layoutCount();
    f.store->setRating(4, f.clip(2).id);
    EXPECT_EQ(f.grid->layoutCount(), before + 1);
    ASSERT_NE(f.card(2), nullptr);
    EXPECT_EQ(f.card(2)->clip().rating, 4);
    f.store->setSelectedClipIDs({f.clip(3).id}); // selection: no new layout
    EXPECT_EQ(f.grid->layoutCount(), before + 1);
    EXPECT_TRUE(f.card(3)->inputs().isSelected);
}

// Cards and headers that go are deleted later; by then they must be out of
// the viewport, or their deletion has every card that stays painted again.
TEST(GridVirtualization, CardsThatGoLeaveTheOnesThatStayAsTheyArePainted)
{
    QList<Clip> clips;
    for (int i = 0; i < 90; ++i)
        clips << testClip(QStringLiteral("c%1.mov").arg(i, 2, 10, QLatin1Char('0')), 90 - i, i % 6, {QStringLiteral("T%1").arg(i % 3)});
    GridFixture f(clips, {}, QSize(1000, 600));
    struct PaintCounter : QObject
    {
        int paints = 0;
        bool eventFilter(QObject *object, QEvent *event) override
        {
            if (event->type() == QEvent::Paint && qobject_cast<ClipThumbnailView *>(object))
                ++paints;
            return false;
        }
    } counter;
    for (const auto &change : {std::function<void()>([&] { f.store->setSortOrder(SortOrder::rating); }),
                               std::function<void()>([&] { f.store->setGroupMode(GroupMode::category); })}) {
        change();
        QCoreApplication::processEvents(); // the new cards are painted
        counter.paints = 0;
        qApp->installEventFilter(&counter);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
        qApp->removeEventFilter(&counter);
        EXPECT_EQ(counter.paints, 0);
    }
}

TEST(GridEmptyState, FiltersHidingEveryClipShowTheMessageUntilShowAllClips)
{
    GridFixture f({testClip(QStringLiteral("a"), 1, 2), testClip(QStringLiteral("b"), 1, 3)});
    EXPECT_FALSE(f.grid->emptyFilterMessage()->isVisible());
    f.store->setFilterRating(5);
    ASSERT_TRUE(f.grid->emptyFilterMessage()->isVisible());
    const auto labels = f.grid->emptyFilterMessage()->findChildren<QLabel *>();
    QStringList texts;
    for (QLabel *l : labels)
        texts << l->text();
    EXPECT_TRUE(texts.contains(QStringLiteral("No clips match your filters")));
    EXPECT_TRUE(texts.contains(QStringLiteral("Your 2 imported clips are still in this session.")));
    auto *button = f.grid->emptyFilterMessage()->findChild<QPushButton *>();
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text(), QStringLiteral("Show All Clips"));
    button->click();
    EXPECT_EQ(f.store->filterRating(), 0);
    EXPECT_FALSE(f.grid->emptyFilterMessage()->isVisible());
}

TEST(GridScrolling, GroupingAndFiltersScrollToTheTopButSortingDoesNot)
{
    QList<Clip> clips;
    for (int i = 0; i < 120; ++i)
        clips << testClip(QStringLiteral("c%1.mov").arg(i, 3, 10, QLatin1Char('0')), i, i % 3);
    GridFixture f(clips, {}, QSize(1000, 600));
    QScrollBar *bar = f.grid->verticalScrollBar();
    bar->setValue(bar->maximum() / 2);
    f.store->setSortOrder(SortOrder::duration);
    EXPECT_GT(f.grid->scrollPosition(), 0);
    f.store->setFilterRating(2);
    EXPECT_EQ(f.grid->scrollPosition(), 0); // at once
    f.store->setFilterRating(0);
    bar->setValue(bar->maximum() / 2);
    f.store->setGroupMode(GroupMode::rating);
    ASSERT_TRUE(QTest::qWaitFor([&] { return f.grid->scrollPosition() == 0; }, 30000)); // animated
}

TEST(GridScrolling, PinchingChangesTheColumnsByOneWithinOneToFive)
{
    GridFixture f({testClip(QStringLiteral("a"))});
    f.store->setGridColumns(3);
    f.grid->handleMagnifyEnded(1.2);
    f.grid->handleMagnifyEnded(0.8);
    EXPECT_EQ(f.store->gridColumns(), 3);
    f.grid->handleMagnifyEnded(3.0);
    EXPECT_EQ(f.store->gridColumns(), 2);
    f.store->setGridColumns(1);
    f.grid->handleMagnifyEnded(1.5);
    EXPECT_EQ(f.store->gridColumns(), 1);
    f.store->setGridColumns(5);
    f.grid->handleMagnifyEnded(0.1);
    EXPECT_EQ(f.store->gridColumns(), 5);
    f.store->setGridColumns(4);
    f.grid->handleMagnifyEnded(0.5);
    EXPECT_EQ(f.store->gridColumns(), 5);
    EXPECT_EQ(f.grid->layoutModel().cells().first().rect.width(), f.grid->layoutModel().columnWidth());
}

TEST(GridScrolling, AClipAskedForByTheWindowOpensUnlessItIsOfflineAndEveryRequestEnds)
{
    Clip offline = testClip(QStringLiteral("gone.mov"));
    offline.isMissing = true;
    GridFixture f({testClip(QStringLiteral("a.mov")), offline});
    f.store->setClipToOpen(f.clip(0));
    ASSERT_TRUE(f.grid->expandedClip().has_value());
    EXPECT_EQ(f.grid->expandedClip()->id, f.clip(0).id);
    EXPECT_FALSE(f.store->clipToOpen().has_value());
    f.grid->closeExpandedClip();
    f.store->setClipToOpen(f.clip(1));
    EXPECT_FALSE(f.grid->expandedClip().has_value());
    EXPECT_FALSE(f.store->clipToOpen().has_value()); // the request is cleared anyway
    // A request for a clip that is not in the store ends too: left standing,
    // it would swallow a later request for the same clip (the store notifies
    // only when the requested clip changes).
    const Clip stranger = testClip(QStringLiteral("stranger.mov"));
    f.store->setClipToOpen(stranger);
    EXPECT_FALSE(f.store->clipToOpen().has_value());
    EXPECT_FALSE(f.grid->expandedClip().has_value());
    f.store->appendClips({stranger});
    f.store->setClipToOpen(stranger);
    ASSERT_TRUE(f.grid->expandedClip().has_value());
    EXPECT_EQ(f.grid->expandedClip()->id, stranger.id);
}
