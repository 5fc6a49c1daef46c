#include "WindowTestSupport.h"

#include "app/TagColor.h"
#include "app/widgets/SegmentedControl.h"
#include "app/widgets/SymbolView.h"
#include "app/widgets/ToggleSwitch.h"
#include "grid/ClipGridView.h"
#include "library/model/MarkerFlag.h"
#include "window/FilterRow.h"
#include "window/FilterSectionView.h"
#include "window/GradientButton.h"
#include "window/GridAreaView.h"
#include "window/GridSizeSlider.h"
#include "window/SidebarSection.h"
#include "window/SidebarView.h"
#include "window/SortGroupSectionView.h"
#include "window/ToolRow.h"
#include "window/ToolsPanelView.h"
#include "window/SwitchRow.h"
#include "window/ViewSectionView.h"
#include "support/Children.h"

#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>

namespace {

QStringList shownNames(TestWindow &w)
{
    return names(w.view->gridArea()->grid()->orderedVisibleClips());
}

QStringList titles(const QList<FilterRow *> &rows)
{
    QStringList result;
    for (const FilterRow *row : rows)
        result.append(row->title());
    return result;
}

} // namespace

TEST(Sidebar, SectionsComeInOrderUnderUpperCaseHeadersWithTheOrganizeButtonAtTheBottom)
{
    TestWindow w;
    w.store.setClips({makeClip(QStringLiteral("/f/a.mov"))});
    SidebarView *sidebar = w.view->sidebarView();
    QStringList headers;
    for (SidebarSection *section : sidebar->sections())
        headers.append(section->header()->text());
    EXPECT_EQ(headers,
              (QStringList{QStringLiteral("FILTER"), QStringLiteral("SORT & GROUP"), QStringLiteral("VIEW"), QStringLiteral("TOOLS")}));
    EXPECT_EQ(sidebar->sections().first()->header()->font().pixelSize(), 11);

    // Nothing shortlisted: no panel, but the organize button.
    EXPECT_FALSE(child<QWidget>(sidebar, "shortlistFrame")->isVisible());
    EXPECT_TRUE(child<GradientButton>(sidebar, "organizeButton")->isVisible());
    EXPECT_EQ(child<GradientButton>(sidebar, "organizeButton")->text(), QStringLiteral("Organize Clips\u2026"));
    click(child<GradientButton>(sidebar, "organizeButton"));
    EXPECT_TRUE(w.view->showCommit());
}

TEST(Sidebar, RatingFiltersToggleTheGridAndShowAllClipsClearsEveryFilter)
{
    TestWindow w;
    w.store.setClips({taggedClip(QStringLiteral("a.mov"), 4, {}), taggedClip(QStringLiteral("b.mov"), 2, {QStringLiteral("Dunk")}),
                      taggedClip(QStringLiteral("c.mov"), 0, {}), taggedClip(QStringLiteral("d.mov"), 4, {})});
    FilterSectionView *filters = w.view->sidebarView()->filterSection();
    const QList<FilterRow *> rows = filters->ratingRows();
    EXPECT_EQ(titles(rows), (QStringList{QStringLiteral("All"), QStringLiteral("5 \u2605\u2605\u2605\u2605\u2605"),
                                         QStringLiteral("4 \u2605\u2605\u2605\u2605"), QStringLiteral("3 \u2605\u2605\u2605"),
                                         QStringLiteral("2 \u2605\u2605"), QStringLiteral("1 \u2605")}));
    EXPECT_EQ(rows[5]->accessibleName(), QStringLiteral("1 star"));
    EXPECT_EQ(rows[4]->accessibleName(), QStringLiteral("2 stars"));
    EXPECT_FALSE(child<QPushButton>(filters, "showAllClipsButton")->isVisible());
    EXPECT_TRUE(rows[0]->isActive());
    EXPECT_EQ(shownNames(w).size(), 4);

    click(rows[2]); // 4 stars
    EXPECT_EQ(w.store.filterRating(), 4);
    EXPECT_TRUE(rows[2]->isActive());
    EXPECT_TRUE(rows[2]->isChecked());
    EXPECT_FALSE(rows[0]->isActive());
    EXPECT_EQ(shownNames(w), (QStringList{QStringLiteral("a.mov"), QStringLiteral("d.mov")}));
    EXPECT_TRUE(child<QPushButton>(filters, "showAllClipsButton")->isVisible());

    // The active rating again shows all ratings; another switches directly.
    click(rows[2]);
    EXPECT_EQ(w.store.filterRating(), 0);
    EXPECT_TRUE(rows[0]->isActive());
    click(rows[2]);
    click(rows[4]); // 2 stars
    EXPECT_EQ(w.store.filterRating(), 2);
    EXPECT_EQ(shownNames(w), QStringList{QStringLiteral("b.mov")});

    // Every filter on, then "Show All Clips".
    w.store.setFilterTag(QStringLiteral("Dunk"));
    w.store.setHideUntouched(true);
    click(child<QPushButton>(filters, "showAllClipsButton"));
    EXPECT_FALSE(w.store.hasActiveFilters());
    EXPECT_EQ(w.store.filterRating(), 0);
    EXPECT_FALSE(w.store.filterTag().has_value());
    EXPECT_FALSE(w.store.hideUntouched());
    EXPECT_FALSE(child<QPushButton>(filters, "showAllClipsButton")->isVisible());
    EXPECT_FALSE(child<SwitchRow>(filters, "hideUntouchedRow")->isOn());
    EXPECT_EQ(shownNames(w).size(), 4);
}

TEST(Sidebar, TagFiltersFollowTheTagsThatClipsCarry)
{
    TestWindow w;
    const QList<Clip> clips{taggedClip(QStringLiteral("a.mov"), 0, {}), taggedClip(QStringLiteral("b.mov"), 0, {}),
                            taggedClip(QStringLiteral("c.mov"), 0, {})};
    w.store.setClips(clips);
    FilterSectionView *filters = w.view->sidebarView()->filterSection();
    EXPECT_FALSE(child<QWidget>(filters, "tagFilters")->isVisible());

    w.store.toggleTag(QStringLiteral("Dunk"), {clips[0].id, clips[2].id});
    ASSERT_TRUE(child<QWidget>(filters, "tagFilters")->isVisible());
    ASSERT_EQ(titles(filters->tagRows()), (QStringList{QStringLiteral("All"), QStringLiteral("Dunk")}));
    EXPECT_FALSE(filters->tagRows()[0]->dotColor().has_value());
    EXPECT_EQ(filters->tagRows()[1]->dotColor(), tagColor(QStringLiteral("Dunk")));
    EXPECT_TRUE(filters->tagRows()[0]->isActive());

    w.store.toggleTag(QStringLiteral("Crowd"), {clips[1].id});
    const auto row = [&](const QString &tag) -> FilterRow * {
        for (FilterRow *r : filters->tagRows()) {
            if (r->title() == tag)
                return r;
        }
        return nullptr;
    };
    click(row(QStringLiteral("Dunk")));
    EXPECT_EQ(w.store.filterTag(), QStringLiteral("Dunk"));
    EXPECT_EQ(shownNames(w), (QStringList{QStringLiteral("a.mov"), QStringLiteral("c.mov")}));
    EXPECT_TRUE(row(QStringLiteral("Dunk"))->isActive());
    click(row(QStringLiteral("Crowd")));
    EXPECT_EQ(w.store.filterTag(), QStringLiteral("Crowd"));
    click(row(QStringLiteral("Crowd")));
    EXPECT_FALSE(w.store.filterTag().has_value());
    click(row(QStringLiteral("Crowd")));

    // The last clip loses the tag: the store drops the filter, the row goes,
    // and with no tags left the block goes too.
    w.store.toggleTag(QStringLiteral("Crowd"), {clips[1].id});
    EXPECT_FALSE(w.store.filterTag().has_value());
    EXPECT_EQ(row(QStringLiteral("Crowd")), nullptr);
    w.store.toggleTag(QStringLiteral("Dunk"), {clips[0].id, clips[2].id});
    EXPECT_FALSE(child<QWidget>(filters, "tagFilters")->isVisible());
}

TEST(Sidebar, HandMarkerRowShowsOnlyForMarkerFlags)
{
    TestWindow w;
    QList<Clip> clips{taggedClip(QStringLiteral("a.mov"), 0, {}), taggedClip(QStringLiteral("b.mov"), 0, {})};
    clips[0].markerFlag = MarkerFlag::special(2);
    w.store.setClips(clips);
    FilterRow *row = child<FilterRow>(w.view->sidebarView()->filterSection(), "handMarkerFilter");
    EXPECT_FALSE(row->isVisible());

    clips[1].markerFlag = MarkerFlag::marker();
    w.store.setClips(clips);
    ASSERT_TRUE(row->isVisible());
    EXPECT_EQ(row->title(), QStringLiteral("Hand Markers"));
    EXPECT_EQ(row->dotColor(), QColor(142, 142, 147));
    click(row);
    EXPECT_TRUE(w.store.filterHandMarkers());
    EXPECT_TRUE(row->isActive());
    EXPECT_EQ(shownNames(w), QStringList{QStringLiteral("b.mov")});

    clips[1].markerFlag.reset();
    w.store.setClips(clips);
    EXPECT_FALSE(w.store.filterHandMarkers());
    EXPECT_FALSE(row->isVisible());
}

TEST(Sidebar, HideUntouchedSwitchHidesUntouchedClipsAndChangesItsEye)
{
    TestWindow w;
    Clip renamed = taggedClip(QStringLiteral("c.mov"), 0, {});
    renamed.filename = QStringLiteral("Goal.mov");
    w.store.setClips({taggedClip(QStringLiteral("a.mov"), 0, {}), taggedClip(QStringLiteral("b.mov"), 1, {}), renamed});
    SwitchRow *row = child<SwitchRow>(w.view->sidebarView()->filterSection(), "hideUntouchedRow");
    EXPECT_EQ(row->toggle()->accessibleName(), QStringLiteral("Hide untouched"));
    EXPECT_FALSE(row->showsOnSymbol());
    click(row->toggle());
    EXPECT_TRUE(w.store.hideUntouched());
    EXPECT_TRUE(row->showsOnSymbol());
    EXPECT_EQ(shownNames(w), (QStringList{QStringLiteral("b.mov"), QStringLiteral("Goal.mov")}));
    // Changed elsewhere: the switch follows.
    w.store.setHideUntouched(false);
    EXPECT_FALSE(row->isOn());
    EXPECT_FALSE(row->showsOnSymbol());
}

TEST(Sidebar, SortAndGroupPickersSetTheStoreAndFollowIt)
{
    TestWindow w;
    w.store.setClips({taggedClip(QStringLiteral("C2.mov"), 1, {}, 5), taggedClip(QStringLiteral("C10.mov"), 3, {}, 50),
                      taggedClip(QStringLiteral("C1.mov"), 5, {}, 20)});
    SortGroupSectionView *section = w.view->sidebarView()->sortGroupSection();
    SegmentedControl *sort = section->sortPicker();
    ASSERT_EQ(sort->count(), 3);
    EXPECT_EQ(sort->segment(0)->text(), QStringLiteral("Name"));
    EXPECT_EQ(sort->segment(1)->text(), QStringLiteral("Duration"));
    EXPECT_EQ(sort->segment(2)->text(), QStringLiteral("Rating"));
    EXPECT_LT(sort->segment(0)->x(), sort->segment(1)->x());
    EXPECT_EQ(sort->accessibleName(), QStringLiteral("Sort by"));
    EXPECT_TRUE(sort->segment(0)->isChecked());
    EXPECT_EQ(shownNames(w), (QStringList{QStringLiteral("C1.mov"), QStringLiteral("C2.mov"), QStringLiteral("C10.mov")}));

    click(sort->segment(1));
    EXPECT_EQ(w.store.sortOrder(), SortOrder::duration);
    EXPECT_EQ(shownNames(w), (QStringList{QStringLiteral("C10.mov"), QStringLiteral("C1.mov"), QStringLiteral("C2.mov")}));
    EXPECT_TRUE(sort->segment(1)->isChecked());
    EXPECT_FALSE(sort->segment(0)->isChecked());
    w.store.setSortOrder(SortOrder::rating);
    EXPECT_EQ(sort->currentIndex(), 2);

    QComboBox *group = section->groupPicker();
    EXPECT_EQ(group->accessibleName(), QStringLiteral("Group by"));
    ASSERT_EQ(group->count(), 3);
    EXPECT_EQ(group->itemText(0), QStringLiteral("No Grouping"));
    EXPECT_EQ(group->itemText(1), QStringLiteral("By Rating"));
    EXPECT_EQ(group->itemText(2), QStringLiteral("By Tag"));
    group->setFocus();
    QTest::keyClick(group, Qt::Key_Down);
    EXPECT_EQ(w.store.groupMode(), GroupMode::rating);
    EXPECT_EQ(w.view->gridArea()->grid()->clipSections().size(), 3);
    w.store.setGroupMode(GroupMode::category);
    EXPECT_EQ(group->currentText(), QStringLiteral("By Tag"));
}

TEST(Sidebar, GridSizeSliderRunsAgainstTheColumnCount)
{
    EXPECT_EQ(GridSizeSlider::columnsFor(1), 5);
    EXPECT_EQ(GridSizeSlider::columnsFor(2), 4);
    EXPECT_EQ(GridSizeSlider::columnsFor(3), 3);
    EXPECT_EQ(GridSizeSlider::columnsFor(4), 2);
    EXPECT_EQ(GridSizeSlider::columnsFor(5), 1);
    EXPECT_EQ(GridSizeSlider::columnsFor(2.9), 4);
    EXPECT_EQ(GridSizeSlider::columnsFor(0), 5);
    EXPECT_EQ(GridSizeSlider::columnsFor(9), 1);
    EXPECT_EQ(GridSizeSlider::columnsFor(std::nan("")), 3);

    TestWindow w;
    w.store.setClips({makeClip(QStringLiteral("/f/a.mov"))});
    GridSizeSlider *slider = w.view->sidebarView()->viewSection()->gridSizeSlider();
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(slider);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->text(QAccessible::Name), QStringLiteral("Grid size"));
    EXPECT_EQ(slider->value(), 3);
    EXPECT_EQ(accessible->text(QAccessible::Value), QStringLiteral("3 columns"));

    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_Home);
    EXPECT_EQ(w.store.gridColumns(), 5);
    QTest::keyClick(slider, Qt::Key_End);
    EXPECT_EQ(w.store.gridColumns(), 1);
    EXPECT_EQ(accessible->text(QAccessible::Value), QStringLiteral("1 column"));
    QTest::keyClick(slider, Qt::Key_Left);
    EXPECT_EQ(w.store.gridColumns(), 2);

    // A pinch in the grid moves the slider.
    w.store.setGridColumns(4);
    EXPECT_EQ(slider->value(), 2);
}

TEST(Sidebar, ScrubAudioSwitchesTheWindowsAudioAndItsSpeaker)
{
    TestWindow w;
    w.store.setClips({makeClip(QStringLiteral("/f/a.mov"))});
    SwitchRow *row = child<SwitchRow>(w.view->sidebarView()->viewSection(), "scrubAudioRow");
    EXPECT_EQ(row->toggle()->accessibleName(), QStringLiteral("Scrub audio"));
    EXPECT_FALSE(row->isOn());
    EXPECT_FALSE(row->showsOnSymbol());
    EXPECT_EQ(row->symbol()->color(), row->palette().color(QPalette::PlaceholderText));
    click(row->toggle());
    EXPECT_TRUE(w.view->audioEnabled());
    EXPECT_TRUE(w.view->gridArea()->grid()->audioEnabled());
    EXPECT_TRUE(row->showsOnSymbol());
    EXPECT_EQ(row->symbol()->color(), w.settings.accentColor());
    w.view->setAudioEnabled(false);
    EXPECT_FALSE(row->isOn());
}

TEST(Sidebar, AssistiveTechnologyTogglingAFilterOrSegmentActsLikeAClick)
{
    TestWindow w;
    w.store.setClips({taggedClip(QStringLiteral("a.mov"), 4, {}), taggedClip(QStringLiteral("b.mov"), 2, {})});
    FilterRow *fourStars = w.view->sidebarView()->filterSection()->ratingRows()[2];
    QAccessibleInterface *row = QAccessible::queryAccessibleInterface(fourStars);
    ASSERT_NE(row, nullptr);
    ASSERT_NE(row->actionInterface(), nullptr);
    // A checkable button offers "toggle" to a screen reader, which toggles
    // it instead of clicking it.
    ASSERT_TRUE(row->actionInterface()->actionNames().contains(QAccessibleActionInterface::toggleAction()));
    row->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_EQ(w.store.filterRating(), 4);
    EXPECT_TRUE(fourStars->isActive());
    EXPECT_EQ(shownNames(w), QStringList{QStringLiteral("a.mov")});
    row->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_EQ(w.store.filterRating(), 0);
    EXPECT_FALSE(fourStars->isActive());

    SegmentedControl *sort = w.view->sidebarView()->sortGroupSection()->sortPicker();
    QAccessibleInterface *rating = QAccessible::queryAccessibleInterface(sort->segment(2));
    rating->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_EQ(w.store.sortOrder(), SortOrder::rating);
    EXPECT_TRUE(sort->segment(2)->isChecked());
    EXPECT_FALSE(sort->segment(0)->isChecked());
    // Toggling the chosen segment keeps it chosen.
    rating->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_TRUE(sort->segment(2)->isChecked());
    EXPECT_EQ(w.store.sortOrder(), SortOrder::rating);
}

namespace {

// Whether `control` lies wholly inside what the sidebar's scroll area shows.
bool whollyShown(QScrollArea *scroll, QWidget *control)
{
    const QRect inViewport(control->mapTo(scroll->viewport(), QPoint(0, 0)), control->size());
    return scroll->viewport()->rect().contains(inViewport);
}

} // namespace

// At the default window size (the menu bar takes its share of the 800
// points) with a shortlist in several folders, every tool is on screen or
// visibly reachable: a scroll bar shows that the column goes on, and
// scrolling brings each tool wholly into view.
TEST(Sidebar, AtTheDefaultSizeEveryToolIsShownOrVisiblyReachable)
{
    TestWindow w;
    w.view->resize(1200, 775);
    QList<Clip> clips;
    for (int i = 0; i < 12; ++i)
        clips.append(taggedClip(QStringLiteral("clip%1.mov").arg(i), 1 + i % 5, {QStringLiteral("Tag%1").arg(i % 6)}));
    clips[0].markerFlag = MarkerFlag::marker();
    w.store.setClips(clips);
    QCoreApplication::processEvents();
    SidebarView *sidebar = w.view->sidebarView();
    ASSERT_TRUE(child<QWidget>(sidebar, "shortlistFrame")->isVisible());
    auto *scroll = sidebar->findChild<QScrollArea *>(QStringLiteral("sidebarScroll"));
    ASSERT_NE(scroll, nullptr);
    ToolsPanelView *tools = sidebar->toolsPanel();
    const QList<QWidget *> controls{sidebar->viewSection()->gridSizeSlider(), child<SwitchRow>(sidebar->viewSection(), "scrubAudioRow"),
                                    child<ToolRow>(tools, "audioTriageTool"), child<ToolRow>(tools, "detectMarkersTool"),
                                    child<ToolRow>(tools, "removeMarkersTool")};
    for (QWidget *control : controls) {
        ASSERT_TRUE(control->isVisibleTo(sidebar));
        if (whollyShown(scroll, control))
            continue;
        EXPECT_TRUE(scroll->verticalScrollBar()->isVisible())
            << control->objectName().toStdString() << " is cut off with no sign that the column scrolls";
        scroll->ensureWidgetVisible(control, 0, 0);
        EXPECT_TRUE(whollyShown(scroll, control)) << control->objectName().toStdString();
    }
    // The organize button stays at the bottom, always shown.
    const QRect organize(child<GradientButton>(sidebar, "organizeButton")->mapTo(w.view.get(), QPoint(0, 0)),
                         child<GradientButton>(sidebar, "organizeButton")->size());
    EXPECT_TRUE(w.view->rect().contains(organize));
}
