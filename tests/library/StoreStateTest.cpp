#include "StoreTestSupport.h"

#include <QSignalSpy>
#include <QTimeZone>
#include <gtest/gtest.h>

using namespace StoreTest;

TEST(StoreState, StartsWithTheInitialValues)
{
    ClipStore store;
    EXPECT_TRUE(store.clips().isEmpty());
    EXPECT_FALSE(store.isLoading());
    EXPECT_EQ(store.loadingProgress(), 0.0);
    EXPECT_EQ(store.sortOrder(), SortOrder::name);
    EXPECT_EQ(store.filterRating(), 0);
    EXPECT_FALSE(store.filterTag().has_value());
    EXPECT_FALSE(store.filterHandMarkers());
    EXPECT_FALSE(store.hideUntouched());
    EXPECT_EQ(store.gridColumns(), 3);
    EXPECT_EQ(store.groupMode(), GroupMode::none);
    EXPECT_EQ(store.availableTags(), (QStringList{"Action", "Three", "Dunk", "Huddle", "Warmup", "Establishment", "Interview",
                                                  "Celebration", "Defense", "Fast Break"}));
    EXPECT_EQ(store.folderOrganization(), FolderOrganization::byTag);
    EXPECT_FALSE(store.sessionSaveError().has_value());
    EXPECT_FALSE(store.sourceFolderURL().has_value());
    EXPECT_TRUE(store.selectedClipIDs().isEmpty());
    EXPECT_FALSE(store.canUndo());
    EXPECT_FALSE(store.canRedo());
    EXPECT_FALSE(store.undoTitle().has_value());
    EXPECT_FALSE(store.sessionGeneration().isNull());
    EXPECT_TRUE(store.isSavingEnabled());

    // With no clips every derived view is empty.
    EXPECT_TRUE(store.sortedAndFilteredClips().isEmpty());
    EXPECT_TRUE(store.usedTags().isEmpty());
    const ClipStore::ClipStats &stats = store.clipStats();
    EXPECT_EQ(stats.totalCount, 0);
    EXPECT_EQ(stats.ratedCount + stats.taggedCount + stats.portraitCount + stats.exportSkippedCount, 0);
    EXPECT_EQ(stats.totalDuration, 0.0);
    EXPECT_FALSE(stats.hasShortlisted);
    EXPECT_FALSE(store.exportPreviewTree().has_value());
    EXPECT_TRUE(store.numberingResets().isEmpty());
}

TEST(StoreState, NameOrderIsFinderOrderWithTiesInStoreOrder)
{
    ClipStore store;
    Clip first = clip("take.mov");
    Clip second = clip("TAKE.mov");
    store.setClips({clip("clip10.mov"), first, clip("Clip2.mov"), second, clip("clip1.mov")});
    const QList<Clip> sorted = store.sortedAndFilteredClips();
    EXPECT_EQ(names(sorted), (QStringList{"clip1.mov", "Clip2.mov", "clip10.mov", "take.mov", "TAKE.mov"}));
    EXPECT_EQ(sorted[3].id, first.id);
    EXPECT_EQ(sorted[4].id, second.id);

    // The same two names the other way round in the store keep that order.
    store.setClips({second, first});
    EXPECT_EQ(store.sortedAndFilteredClips()[0].id, second.id);
}

TEST(StoreState, NameOrderFollowsRenamesNewClipsAndFiltersAcrossEdits)
{
    ClipStore store;
    store.setSavingEnabled(false);
    Clip a = clip("a.mov"), b = clip("b.mov", 2), c = clip("c.mov");
    store.setClips({c, a, b});
    EXPECT_EQ(names(store.sortedAndFilteredClips()), (QStringList{"a.mov", "b.mov", "c.mov"}));

    // A rename moves the clip to its new place; an edit that keeps every
    // name keeps the order.
    store.renameClip(a.id, QStringLiteral("d.mov"));
    EXPECT_EQ(names(store.sortedAndFilteredClips()), (QStringList{"b.mov", "c.mov", "d.mov"}));
    store.setRating(4, c.id);
    EXPECT_EQ(names(store.sortedAndFilteredClips()), (QStringList{"b.mov", "c.mov", "d.mov"}));

    // A filter keeps the name order of the clips it shows.
    store.appendClips({clip("a2.mov", 4), clip("a10.mov", 2)});
    store.setFilterRating(4);
    EXPECT_EQ(names(store.sortedAndFilteredClips()), (QStringList{"a2.mov", "c.mov"}));
    store.setFilterRating(0);
    EXPECT_EQ(names(store.sortedAndFilteredClips()), (QStringList{"a2.mov", "a10.mov", "b.mov", "c.mov", "d.mov"}));

    // The positions are the same list without the copies.
    QStringList byPosition;
    for (const qsizetype i : store.sortedAndFilteredPositions())
        byPosition.append(store.clips().at(i).filename);
    EXPECT_EQ(byPosition, names(store.sortedAndFilteredClips()));

    // Equal names swapped in the store swap in the list (ties in store order).
    Clip first = clip("take.mov"), second = clip("take.mov");
    store.setClips({first, second});
    EXPECT_EQ(store.sortedAndFilteredClips().at(0).id, first.id);
    store.setClips({second, first});
    EXPECT_EQ(store.sortedAndFilteredClips().at(0).id, second.id);
}

TEST(StoreState, DurationAndRatingSortDescendingKeepingStoreOrderInsideTies)
{
    ClipStore store;
    Clip a = clip("a.mov", 3), b = clip("b.mov", 5), c = clip("c.mov", 3), d = clip("d.mov", 0), e = clip("e.mov", 5);
    a.duration = 5;
    b.duration = 20;
    c.duration = 5;
    d.duration = std::numeric_limits<double>::quiet_NaN();
    e.duration = 1;
    store.setClips({a, b, c, d, e});
    store.setSortOrder(SortOrder::rating);
    EXPECT_EQ(names(store.sortedAndFilteredClips()), (QStringList{"b.mov", "e.mov", "a.mov", "c.mov", "d.mov"}));
    store.setSortOrder(SortOrder::duration);
    EXPECT_EQ(names(store.sortedAndFilteredClips()), (QStringList{"b.mov", "a.mov", "c.mov", "e.mov", "d.mov"}));
}

TEST(StoreState, FiltersCombineAndHideUntouchedKnowsWhatTouchedMeans)
{
    ClipStore store;
    Clip plain = clip("plain.mov");
    Clip renamed = clip("renamed.mov");
    renamed.filename = QStringLiteral("Intro.mov");
    Clip special = clip("special.mov");
    special.markerFlag = MarkerFlag::special(1);
    Clip marker = clip("marker.mov");
    marker.markerFlag = MarkerFlag::marker();
    Clip dated = clip("dated.mov");
    dated.recordedAt = QDateTime::currentDateTimeUtc();
    dated.numberingResetReview = NumberingResetReview{};
    dated.isMissing = true;
    store.setClips({plain, renamed, special, marker, dated, clip("dunk3.mov", 3, {"Dunk"}), clip("dunk4.mov", 4, {"Dunk"}),
                    clip("three3.mov", 3, {"Three"})});

    store.setHideUntouched(true);
    EXPECT_EQ(names(store.sortedAndFilteredClips()),
              (QStringList{"dunk3.mov", "dunk4.mov", "Intro.mov", "marker.mov", "special.mov", "three3.mov"}));
    store.setHideUntouched(false);

    store.setFilterRating(3);
    store.setFilterTag(QStringLiteral("Dunk"));
    EXPECT_EQ(names(store.sortedAndFilteredClips()), (QStringList{"dunk3.mov"}));
    EXPECT_TRUE(store.hasActiveFilters());
    store.clearFilters();
    EXPECT_FALSE(store.hasActiveFilters());

    store.setFilterHandMarkers(true);
    EXPECT_EQ(names(store.sortedAndFilteredClips()), (QStringList{"marker.mov"}));
}

TEST(StoreState, ChangeHookSwitchesStaleFiltersOffInTheSameChange)
{
    ClipStore store;
    Clip dunk = clip("dunk.mov", 0, {"Dunk"});
    Clip marker = clip("marker.mov");
    marker.markerFlag = MarkerFlag::marker();
    Clip special = clip("special.mov");
    special.markerFlag = MarkerFlag::special(2);
    store.setClips({dunk, marker, special, clip("other.mov", 0, {"Three"})});
    store.setFilterTag(QStringLiteral("Dunk"));
    store.setFilterHandMarkers(true);
    store.setFilterRating(5);

    // Still satisfiable: untouched.
    QSignalSpy viewOptions(&store, &ClipStore::viewOptionsChanged);
    store.setClips(store.clips());
    EXPECT_EQ(viewOptions.count(), 0);

    store.removeClip(dunk.id);
    EXPECT_FALSE(store.filterTag().has_value());
    EXPECT_TRUE(store.filterHandMarkers());
    store.removeClip(marker.id);
    // A special flag does not keep the hand-marker filter on.
    EXPECT_FALSE(store.filterHandMarkers());
    // The rating filter is never switched off by the hook.
    EXPECT_EQ(store.filterRating(), 5);
}

TEST(StoreState, SelectionIsPrunedWithOneNotificationOnlyWhenSomethingWasRemoved)
{
    ClipStore store;
    Clip a = clip("a.mov"), b = clip("b.mov"), c = clip("c.mov");
    store.setClips({a, b, c});
    store.setSelectedClipIDs({a.id, b.id});

    QSignalSpy willChange(&store, &ClipStore::objectWillChange);
    QSignalSpy selection(&store, &ClipStore::selectionChanged);
    store.removeClip(c.id);
    EXPECT_EQ(selection.count(), 0);
    const int withoutPruning = willChange.count();

    willChange.clear();
    store.removeClip(a.id);
    EXPECT_EQ(store.selectedClipIDs(), QSet<QUuid>{b.id});
    EXPECT_EQ(selection.count(), 1);
    EXPECT_EQ(willChange.count(), withoutPruning + 1);
}

TEST(StoreState, ViewStateNotifiesOnlyWhenTheValueDiffers)
{
    ClipStore store;
    Clip a = clip("a.mov");
    store.setClips({a});
    QSignalSpy willChange(&store, &ClipStore::objectWillChange);
    store.setRenamingClipID(a.id);
    store.setRenamingClipID(a.id);
    EXPECT_EQ(willChange.count(), 1);
    store.setClipToOpen(a);
    Clip changed = a;
    changed.rating = 4;
    store.setClipToOpen(changed); // same id
    EXPECT_EQ(willChange.count(), 2);
    EXPECT_EQ(store.clipToOpen()->rating, 4);
    store.setShowTagPickerForClipID(std::nullopt);
    EXPECT_EQ(willChange.count(), 2);

    // Published fields notify on every assignment, equal values included.
    store.setGridColumns(3);
    EXPECT_EQ(willChange.count(), 3);

    // The loudness map notifies only when its size changes.
    store.setAudioMetrics({{a.id, AudioMetrics{}}});
    store.setAudioMetrics({{a.id, AudioMetrics{1, 1, 1, 1, 1}}});
    EXPECT_EQ(willChange.count(), 4);
}

TEST(StoreState, DerivedViewsAreCachedUntilTheirInputsChange)
{
    ClipStore store;
    Clip a = clip("b.mov"), b = clip("a.mov");
    store.setClips({a, b});
    const QList<Clip> *first = &store.sortedAndFilteredClips();
    EXPECT_EQ(first, &store.sortedAndFilteredClips());
    EXPECT_EQ(store.indexOfClip(b.id), 1);
    EXPECT_FALSE(store.indexOfClip(QUuid::createUuid()).has_value());

    // Grouping and columns do not touch the list; sorting does.
    store.setGroupMode(GroupMode::rating);
    EXPECT_EQ(names(store.sortedAndFilteredClips()), (QStringList{"a.mov", "b.mov"}));
    store.setSortOrder(SortOrder::rating);
    EXPECT_EQ(names(store.sortedAndFilteredClips()), (QStringList{"b.mov", "a.mov"}));

    // Duplicate ids: the later position wins.
    Clip twin = a;
    store.setClips({a, b, twin});
    EXPECT_EQ(store.indexOfClip(a.id), 2);
}

TEST(StoreState, UsedTagsListTheCatalogsCarriedTagsFirstThenTheOthersCapitalsFirst)
{
    ClipStore store;
    store.setAvailableTags({"Action", "Dunk"});
    store.setClips({clip("1.mov", 0, {"zebra", "Dunk"}), clip("2.mov", 0, {"Alpha"}), clip("3.mov", 0, {"\U0001F3C0", "\uFF21"})});
    EXPECT_EQ(store.usedTags(), (QStringList{"Dunk", "Alpha", "zebra", "\uFF21", "\U0001F3C0"}));
    store.setAvailableTags({"zebra"});
    EXPECT_EQ(store.usedTags().first(), QStringLiteral("zebra"));
}

TEST(StoreState, ClipStatsCountShortlistAndUnknownTotals)
{
    ClipStore store;
    Clip unknown = clip("unknown.mov", 0, {"Dunk"});
    unknown.duration = 0;
    unknown.fileSize = 0;
    Clip big = clip("big.mov", 2);
    big.fileSize = std::numeric_limits<qint64>::max() - 10;
    big.duration = 30;
    Clip portrait = clip("portrait.mov");
    portrait.width = 1080;
    portrait.height = 1920;
    portrait.duration = -4;
    Clip empty = clip("empty.mov", 1);
    empty.width = 0;
    empty.height = 0;
    empty.duration = 2;
    store.setClips({unknown, big, portrait, empty});

    const ClipStore::ClipStats &s = store.clipStats();
    EXPECT_EQ(s.totalCount, 4);
    EXPECT_EQ(s.ratedCount, 2);
    EXPECT_EQ(s.taggedCount, 1);
    EXPECT_EQ(s.portraitCount, 1);
    EXPECT_EQ(s.exportSkippedCount, 1);
    EXPECT_TRUE(s.hasShortlisted);
    EXPECT_EQ(s.totalDuration, 28.0);
    EXPECT_EQ(s.shortlistedDuration, 32.0);
    EXPECT_EQ(s.shortlistTotals.clipCount, 3);
    EXPECT_EQ(s.shortlistTotals.duration, 32.0);
    EXPECT_EQ(s.shortlistTotals.unknownDurationCount, 1);
    EXPECT_EQ(s.shortlistTotals.unknownSizeCount, 1);
    EXPECT_EQ(s.shortlistTotals.bytes, std::numeric_limits<qint64>::max()); // saturated
}

TEST(StoreState, ExportPreviewFollowsTheShortlistAndTheFolderOrganization)
{
    ClipStore store;
    store.setClips({clip("a.mov", 2, {"B", "A"}), clip("b.mov", 0, {"A"}), clip("c.mov", 2), clip("d.mov")});
    ASSERT_TRUE(store.exportPreviewTree().has_value());
    QStringList folders;
    for (const ClipStore::ExportFolder &f : *store.exportPreviewTree())
        folders.append(f.name);
    EXPECT_EQ(folders, (QStringList{"B", "A", "2-star"}));
    EXPECT_EQ(store.exportPreviewTree()->first().files.first().annotation, std::optional<QString>(QStringLiteral("also: A")));

    store.setFolderOrganization(FolderOrganization::byRating);
    folders.clear();
    for (const ClipStore::ExportFolder &f : *store.exportPreviewTree())
        folders.append(f.name);
    EXPECT_EQ(folders, (QStringList{"2-star", "Unrated"}));

    store.resetReview(true);
    EXPECT_FALSE(store.exportPreviewTree().has_value());
}

TEST(StoreState, ScopesCoverTheirClipsInTheirOrder)
{
    ClipStore store;
    Clip a = clip("c.mov", 3), b = clip("b.mov"), c = clip("a.mov", 0, {"Dunk"});
    store.setClips({a, b, c});
    EXPECT_EQ(names(store.clipsInScope(ExportScope::shortlisted)), (QStringList{"c.mov", "a.mov"}));
    EXPECT_EQ(names(store.clipsInScope(ExportScope::filtered)), (QStringList{"a.mov", "b.mov", "c.mov"}));
    EXPECT_TRUE(store.clipsInScope(ExportScope::selected).isEmpty());
    store.setSelectedClipIDs({c.id, a.id});
    EXPECT_EQ(names(store.clipsInScope(ExportScope::selected)), (QStringList{"c.mov", "a.mov"}));
    EXPECT_EQ(store.clipsInScope(ExportScope::all).size(), 3);
    // A filtered-out shortlisted clip still belongs to the shortlist.
    store.setFilterRating(3);
    EXPECT_EQ(store.clipsInScope(ExportScope::shortlisted).size(), 2);
}

TEST(StoreState, NumberingResetsAreRecomputedAfterAChange)
{
    ClipStore store;
    QList<Clip> clips;
    const QDateTime start = QDateTime::fromSecsSinceEpoch(1700000000, QTimeZone::utc());
    for (const QString &name :
         {QStringLiteral("C0098.mov"), QStringLiteral("C0099.mov"), QStringLiteral("C0001.mov"), QStringLiteral("C0002.mov")}) {
        Clip c = clip(name);
        c.recordedAt = start.addSecs(60 * clips.size());
        clips.append(c);
    }
    store.setClips(clips);
    ASSERT_EQ(store.numberingResets().size(), 1);
    EXPECT_EQ(store.numberingResets().first().previousClipID, clips[1].id);
    EXPECT_EQ(store.numberingResets().first().firstClipID, clips[2].id);

    // A review of the reset keeps it from being reported, from the next read on.
    QList<Clip> reviewed = clips;
    reviewed[2].numberingResetReview = NumberingResetReview{clips[1].id, NumberingResetReview::Decision::dismissed};
    store.setClips(reviewed);
    EXPECT_TRUE(store.numberingResets().isEmpty());
}
