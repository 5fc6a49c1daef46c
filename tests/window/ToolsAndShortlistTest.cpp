#include "WindowTestSupport.h"

#include "app/widgets/SegmentedControl.h"
#include "grid/ClipGridView.h"
#include "organize/ui/ExportTreeFolderRow.h"
#include "window/GradientButton.h"
#include "window/GridAreaView.h"
#include "window/ShortlistPanelView.h"
#include "window/SidebarView.h"
#include "window/ToolRow.h"
#include "window/ToolsPanelView.h"
#include "markers/MarkerDetector.h"
#include "support/Children.h"

#include <QLabel>

namespace {

// Two cards, each with camera folders whose numbering restarts in the next
// folder: two resets.
QList<Clip> cardsWithTwoResets()
{
    QList<Clip> clips;
    for (const QString &card : {QStringLiteral("/cardA"), QStringLiteral("/cardB")}) {
        for (const QString &file : {QStringLiteral("/100ABCDE/C0120.MP4"), QStringLiteral("/100ABCDE/C0121.MP4"),
                                    QStringLiteral("/101ABCDE/C0001.MP4"), QStringLiteral("/101ABCDE/C0002.MP4")})
            clips.append(makeClip(card + file));
    }
    return clips;
}

QStringList folderNames(const ShortlistPanelView *panel)
{
    QStringList result;
    for (const ExportTreeFolderRow *row : panel->folderRows())
        result.append(row->folder().name);
    return result;
}

} // namespace

TEST(ToolsPanel, TheAnalysesOpenTheirSheetsFromTheWindowsFlags)
{
    TestWindow w;
    w.store.setClips({makeClip(QStringLiteral("/f/a.mov"))});
    ToolsPanelView *tools = w.view->sidebarView()->toolsPanel();
    EXPECT_EQ(child<ToolRow>(tools, "audioTriageTool")->text(), QStringLiteral("Audio Triage"));
    EXPECT_EQ(child<ToolRow>(tools, "detectMarkersTool")->text(), QStringLiteral("Detect Hand Markers"));
    // Without resets and markers only the two analyses show.
    EXPECT_FALSE(child<ToolRow>(tools, "numberingResetTool")->isVisible());
    EXPECT_FALSE(child<ToolRow>(tools, "removeMarkersTool")->isVisible());

    click(child<ToolRow>(tools, "audioTriageTool"));
    EXPECT_TRUE(w.view->showAudioTriage());
    click(child<ToolRow>(tools, "detectMarkersTool"));
    EXPECT_TRUE(w.view->showMarkerDetect());
}

TEST(ToolsPanel, NumberingResetRowCountsTheResetsAndReviewsTheFirst)
{
    EXPECT_EQ(ToolsPanelView::numberingResetText(1), QStringLiteral("1 numbering reset"));
    EXPECT_EQ(ToolsPanelView::numberingResetText(3), QStringLiteral("3 numbering resets"));
    EXPECT_EQ(ToolsPanelView::numberingResetAccessibleName(1), QStringLiteral("Review 1 possible numbering resets"));

    TestWindow w;
    w.store.setClips(cardsWithTwoResets());
    const QList<MarkerDetector::NumberingReset> resets = w.store.numberingResets();
    ASSERT_EQ(resets.size(), 2);
    ToolRow *row = child<ToolRow>(w.view->sidebarView()->toolsPanel(), "numberingResetTool");
    ASSERT_TRUE(row->isVisible());
    EXPECT_EQ(row->text(), QStringLiteral("2 numbering resets"));
    EXPECT_EQ(row->trailing(), QStringLiteral("Review"));
    EXPECT_EQ(row->accessibleName(), QStringLiteral("Review 2 possible numbering resets"));
    click(row);
    ASSERT_TRUE(w.view->numberingResetToReview().has_value());
    EXPECT_EQ(*w.view->numberingResetToReview(), resets.first());
}

TEST(ToolsPanel, MarkerRowCountsOnlyMarkerFlagsAndRemovesThroughTheWindow)
{
    EXPECT_EQ(ToolsPanelView::removeMarkersText(1), QStringLiteral("Remove 1 Marker Clip"));
    EXPECT_EQ(ToolsPanelView::removeMarkersText(2), QStringLiteral("Remove 2 Marker Clips"));

    TestWindow w;
    QList<Clip> clips{makeClip(QStringLiteral("/f/a.mov")), makeClip(QStringLiteral("/f/b.mov")), makeClip(QStringLiteral("/f/c.mov"))};
    clips[0].markerFlag = MarkerFlag::special(3);
    w.store.setClips(clips);
    ToolRow *row = child<ToolRow>(w.view->sidebarView()->toolsPanel(), "removeMarkersTool");
    EXPECT_FALSE(row->isVisible());

    clips[1].markerFlag = MarkerFlag::marker();
    w.store.setClips(clips);
    ASSERT_TRUE(row->isVisible());
    EXPECT_EQ(row->text(), QStringLiteral("Remove 1 Marker Clip"));
    EXPECT_EQ(row->toolTip(), QStringLiteral("Removes the hand clips from this session only \u2014 files stay on disk. Ctrl+Z to undo."));
    clips[2].markerFlag = MarkerFlag::marker();
    w.store.setClips(clips);
    EXPECT_EQ(row->text(), QStringLiteral("Remove 2 Marker Clips"));

    int removals = 0;
    w.view->setRemoveMarkerClipsAction([&] {
        ++removals;
        for (const Clip &clip : clips) {
            if (clip.markerFlag && clip.markerFlag->isMarker())
                w.store.removeClip(clip.id);
        }
    });
    click(row);
    EXPECT_EQ(removals, 1);
    EXPECT_EQ(w.store.clips().size(), 1);
    EXPECT_FALSE(row->isVisible());
}

TEST(ToolsPanel, TheWindowsMarkerRowRemovesTheMarkerClipsFromTheStoreInOneUndoStep)
{
    TestWindow w;
    QList<Clip> clips{makeClip(QStringLiteral("/f/a.mov")), makeClip(QStringLiteral("/f/b.mov")), makeClip(QStringLiteral("/f/c.mov")),
                      makeClip(QStringLiteral("/f/d.mov"))};
    clips[0].markerFlag = MarkerFlag::marker();
    clips[1].markerFlag = MarkerFlag::special(3);
    clips[3].markerFlag = MarkerFlag::marker();
    w.store.setClips(clips);
    ToolRow *row = child<ToolRow>(w.view->sidebarView()->toolsPanel(), "removeMarkersTool");
    ASSERT_TRUE(row->isVisible());
    EXPECT_EQ(row->text(), QStringLiteral("Remove 2 Marker Clips"));

    // The action the window sets up itself: the store's removal.
    click(row);
    EXPECT_EQ(names(w.store.clips()), (QStringList{QStringLiteral("b.mov"), QStringLiteral("c.mov")}));
    EXPECT_FALSE(row->isVisible());
    EXPECT_EQ(w.store.undoTitle(), QStringLiteral("Undo Remove 2 marker clips"));
    w.store.undo();
    EXPECT_EQ(w.store.clips().size(), 4);
    ASSERT_TRUE(row->isVisible());
    EXPECT_EQ(row->text(), QStringLiteral("Remove 2 Marker Clips"));
}

TEST(ShortlistPanel, ShowsWhileAnythingIsShortlistedWithItsTotalsAndSkippedLine)
{
    EXPECT_EQ(ShortlistPanelView::skippedText(1), QStringLiteral("1 excluded clip will be skipped"));
    EXPECT_EQ(ShortlistPanelView::skippedText(2), QStringLiteral("2 excluded clips will be skipped"));

    TestWindow w;
    QList<Clip> clips{taggedClip(QStringLiteral("a.mov"), 0, {}, 65)};
    w.store.setClips(clips);
    SidebarView *sidebar = w.view->sidebarView();
    ShortlistPanelView *panel = sidebar->shortlistPanel();
    EXPECT_FALSE(child<QWidget>(sidebar, "shortlistFrame")->isVisible());

    // One shortlisted clip: the singular in the line, the plural when read aloud.
    clips[0].rating = 4;
    w.store.setClips(clips);
    ASSERT_TRUE(child<QWidget>(sidebar, "shortlistFrame")->isVisible());
    const ExportTotals totals = w.store.clipStats().shortlistTotals;
    EXPECT_EQ(panel->header()->text(), QStringLiteral("FOLDER PREVIEW"));
    EXPECT_EQ(child<QLabel>(panel, "shortlistTotals")->text(), QStringLiteral("1 clip \u00B7 1 min 5 sec \u00B7 ") + totals.sizeText());
    EXPECT_EQ(child<QLabel>(panel, "shortlistTotals")->accessibleName(),
              QStringLiteral("Shortlist: 1 clips, 1 min 5 sec, ") + totals.sizeText());
    EXPECT_EQ(child<QLabel>(panel, "shortlistTotals")->toolTip(),
              QStringLiteral("Full source clip totals. \u2265 means some clip metadata is unavailable."));
    EXPECT_FALSE(child<QLabel>(panel, "skippedLine")->isVisible());

    // Unknown values and skipped clips.
    clips.append(taggedClip(QStringLiteral("b.mov"), 2, {}, 0));
    clips.append(taggedClip(QStringLiteral("c.mov"), 0, {}, 3));
    w.store.setClips(clips);
    EXPECT_TRUE(child<QLabel>(panel, "shortlistTotals")->text().startsWith(QStringLiteral("2 clips \u00B7 \u2265 1 min 5 sec \u00B7 ")));
    ASSERT_TRUE(child<QLabel>(panel, "skippedLine")->isVisible());
    EXPECT_EQ(child<QLabel>(panel, "skippedLine")->text(), QStringLiteral("1 excluded clip will be skipped"));
    clips[0].duration = 0;
    w.store.setClips(clips);
    EXPECT_TRUE(child<QLabel>(panel, "shortlistTotals")->text().startsWith(QStringLiteral("2 clips \u00B7 Unknown \u00B7 ")));
}

TEST(ShortlistPanel, PickerSwitchesBetweenTagAndRatingFolders)
{
    TestWindow w;
    w.store.setClips({taggedClip(QStringLiteral("a.mov"), 5, {QStringLiteral("Dunk")}),
                      taggedClip(QStringLiteral("b.mov"), 3, {QStringLiteral("Crowd")})});
    ShortlistPanelView *panel = w.view->sidebarView()->shortlistPanel();
    SegmentedControl *picker = child<SegmentedControl>(panel, "organizationPicker");
    EXPECT_EQ(picker->accessibleName(), QStringLiteral("Organize folders by"));
    EXPECT_EQ(picker->segment(0)->accessibleName(), QStringLiteral("By tag"));
    EXPECT_EQ(picker->segment(1)->accessibleName(), QStringLiteral("By rating"));
    EXPECT_EQ(picker->width(), 60);
    EXPECT_EQ(picker->toolTip(), QStringLiteral("Organize by tag"));
    QStringList expected;
    for (const ExportFolder &folder : *w.store.exportPreviewTree())
        expected.append(folder.name);
    EXPECT_EQ(folderNames(panel), expected);
    EXPECT_TRUE(expected.contains(QStringLiteral("Dunk")));

    click(picker->segment(1));
    EXPECT_EQ(w.store.folderOrganization(), FolderOrganization::byRating);
    EXPECT_EQ(picker->toolTip(), QStringLiteral("Organize by star rating"));
    EXPECT_EQ(folderNames(panel), (QStringList{QStringLiteral("5-star"), QStringLiteral("3-star")}));
    w.store.setFolderOrganization(FolderOrganization::byTag);
    EXPECT_EQ(picker->currentIndex(), 0);
}

TEST(ShortlistPanel, FolderRowsStartCollapsedKeepTheirStateAndOpenClips)
{
    TestWindow w;
    QList<Clip> clips;
    for (int i = 1; i <= 5; ++i)
        clips.append(taggedClip(QStringLiteral("A00%1.mov").arg(i), 5, {}));
    clips.append(taggedClip(QStringLiteral("B001.mov"), 2, {}));
    w.store.setClips(clips);
    w.store.setFolderOrganization(FolderOrganization::byRating);
    ShortlistPanelView *panel = w.view->sidebarView()->shortlistPanel();
    ASSERT_EQ(panel->folderRows().size(), 2);
    ExportTreeFolderRow *five = panel->folderRows().first();
    EXPECT_EQ(five->folder().name, QStringLiteral("5-star"));
    EXPECT_FALSE(five->isExpanded());
    EXPECT_FALSE(panel->folderRows().last()->isExpanded());

    click(five->header());
    EXPECT_TRUE(five->isExpanded());
    EXPECT_FALSE(panel->folderRows().last()->isExpanded());
    // Four files and the line for the rest.
    EXPECT_EQ(five->fileLines().size(), 4);
    ASSERT_NE(five->moreLine(), nullptr);
    EXPECT_EQ(five->moreLine()->text(), QStringLiteral("and 1 more..."));

    // A change of the plan rebuilds the rows; the folder stays expanded.
    w.store.setRating(2, clips[0].id);
    ASSERT_EQ(panel->folderRows().size(), 2);
    EXPECT_TRUE(panel->folderRows().first()->isExpanded());
    EXPECT_FALSE(panel->folderRows().last()->isExpanded());

    // A file line opens its clip in the player.
    auto *line = qobject_cast<QAbstractButton *>(panel->folderRows().first()->fileLines().first());
    ASSERT_NE(line, nullptr);
    // The body eases open: click once the line is shown where it is clicked.
    ASSERT_TRUE(QTest::qWaitFor([&] { return line->isVisible() && line->visibleRegion().contains(line->rect().center()); }, 5000));
    const QString name = panel->folderRows().first()->folder().files.first().filename;
    click(line);
    ClipGridView *grid = w.view->gridArea()->grid();
    ASSERT_TRUE(grid->expandedClip().has_value());
    EXPECT_EQ(grid->expandedClip()->filename, name);
}

TEST(ShortlistPanel, OrganizeButtonFollowsTheThemeColour)
{
    TestWindow w;
    w.store.setClips({taggedClip(QStringLiteral("a.mov"), 5, {})});
    GradientButton *button = child<GradientButton>(w.view->sidebarView(), "organizeButton");
    EXPECT_EQ(button->accent(), QColor(249, 115, 22));
    w.settings.setThemeColorRaw(QStringLiteral("Teal"));
    EXPECT_EQ(button->accent(), w.settings.accentColor());
    EXPECT_NE(button->accent(), QColor(249, 115, 22));
}
