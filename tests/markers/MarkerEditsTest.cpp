#include "library/StoreTestSupport.h"

#include "Printers.h"
#include "markers/MarkerDetector.h"

#include <QTimeZone>
#include <gtest/gtest.h>

using namespace StoreTest;

namespace {

const QString banger = QStringLiteral("banger");

// The descriptions of a compound's parts, by case.
QList<UndoAction::Kind> kinds(const UndoAction &action)
{
    QList<UndoAction::Kind> result;
    if (const auto *compound = action.as<UndoAction::Compound>()) {
        for (const UndoAction &part : compound->actions)
            result.append(part.kind());
    }
    return result;
}

Clip flagged(Clip c, std::optional<MarkerFlag> flag)
{
    c.markerFlag = flag;
    return c;
}

// A camera folder whose numbering restarts after C0121: four clips recorded
// a minute apart, so that the reset is detected.
QList<Clip> restartingFolder()
{
    QList<Clip> clips;
    const QStringList names{QStringLiteral("C0120.MP4"), QStringLiteral("C0121.MP4"), QStringLiteral("C0001.MP4"),
                            QStringLiteral("C0002.MP4")};
    for (int i = 0; i < names.size(); ++i) {
        Clip c = clip(names[i]);
        c.recordedAt = QDateTime(QDate(2024, 5, 1), QTime(9, 0), QTimeZone::utc()).addSecs(60 * i);
        clips.append(c);
    }
    return clips;
}

} // namespace

TEST(MarkerTags, TheFamilyIsTheBaseAndStrictlyNumberedStacks)
{
    for (const char *tag : {"banger", "bangerx2", "bangerx10", "bangerx-1", "bangerx+3"})
        EXPECT_TRUE(ClipStore::isMarkerTag(QString::fromLatin1(tag), banger)) << tag;
    for (const char *tag : {"bangerx", "bangerxx2", "bangerx 2", "bangerx2 ", " bangerx2", "Banger", "Bangerx2", "bangerx2a",
                            "bangerx99999999999999999999", "bangers", "x2"})
        EXPECT_FALSE(ClipStore::isMarkerTag(QString::fromLatin1(tag), banger)) << tag;
    // A base that cannot be a tag has no family at all.
    EXPECT_FALSE(ClipStore::isMarkerTag(QStringLiteral("x2"), QString()));
    EXPECT_FALSE(ClipStore::isMarkerTag(QStringLiteral("a/bx2"), QStringLiteral("a/b")));
}

TEST(MarkerFlagEdit, RecordsOnlyRealChanges)
{
    ClipStore store;
    const Clip a = flagged(clip("a.mov"), MarkerFlag::special(1));
    store.setClips({a});
    store.setMarkerFlag(MarkerFlag::special(1), a.id);
    store.setMarkerFlag(MarkerFlag::marker(), QUuid::createUuid());
    EXPECT_TRUE(store.undoStack().isEmpty());

    store.setMarkerFlag(MarkerFlag::special(2), a.id);
    EXPECT_EQ(store.clips()[0].markerFlag, MarkerFlag::special(2));
    ASSERT_EQ(store.undoStack().size(), 1);
    EXPECT_EQ(store.undoTitle(), QStringLiteral("Undo Set Flag"));
    EXPECT_TRUE(store.isSessionSaveScheduled());
    store.setMarkerFlag(std::nullopt, a.id);
    EXPECT_EQ(store.undoTitle(), QStringLiteral("Undo Clear Flag"));
    store.undo();
    store.undo();
    EXPECT_EQ(store.clips()[0].markerFlag, MarkerFlag::special(1));
    store.redo();
    EXPECT_EQ(store.clips()[0].markerFlag, MarkerFlag::special(2));
}

TEST(RemoveMarkerClips, RemovesFlaggedMarkersFromTheBackAsOneStep)
{
    ClipStore store;
    QList<Clip> clips{clip("c0.mov"),
                      clip("c1.mov"),
                      flagged(clip("c2.mov"), MarkerFlag::marker()),
                      clip("c3.mov"),
                      flagged(clip("c4.mov"), MarkerFlag::special(2)),
                      flagged(clip("c5.mov"), MarkerFlag::marker())};
    clips[5].isMissing = true; // offline markers go too
    store.setClips(clips);
    store.rebuildLoadedURLs();
    store.removeMarkerClips();
    EXPECT_EQ(names(store.clips()), (QStringList{"c0.mov", "c1.mov", "c3.mov", "c4.mov"}));
    EXPECT_EQ(store.undoTitle(), QStringLiteral("Undo Remove 2 marker clips"));
    const auto *compound = store.undoStack().last().as<UndoAction::Compound>();
    ASSERT_NE(compound, nullptr);
    ASSERT_EQ(compound->actions.size(), 2);
    EXPECT_EQ(compound->actions[0].as<UndoAction::RemoveClip>()->index, 5);
    EXPECT_EQ(compound->actions[1].as<UndoAction::RemoveClip>()->index, 2);
    // The files may be imported again.
    EXPECT_FALSE(store.loadedURLs().contains(clips[2].url));
    EXPECT_FALSE(store.loadedURLs().contains(clips[5].url));
    EXPECT_TRUE(store.loadedURLs().contains(clips[4].url));

    store.undo();
    EXPECT_EQ(names(store.clips()), names(clips));
    EXPECT_TRUE(store.clips()[5].isMissing);

    store.setClips({flagged(clip("only.mov"), MarkerFlag::marker())});
    store.removeMarkerClips();
    EXPECT_EQ(store.undoTitle(), QStringLiteral("Undo Remove 1 marker clip"));
    const qsizetype depth = store.undoStack().size();
    store.removeMarkerClips();
    EXPECT_EQ(store.undoStack().size(), depth);
}

TEST(ApplyDetectedMarkers, TargetsGetTheirStackTagAndOnlyThat)
{
    ClipStore store;
    const Clip take = clip("C0010.MP4", 0,
                           {QStringLiteral("Dunk"), QStringLiteral("bangerx2"), QStringLiteral("Bangerx2"), QStringLiteral("bangerx 2")});
    const Clip marker = clip("C0011.MP4");
    store.setClips({take, marker});
    store.setAvailableTags({QStringLiteral("Dunk"), banger, QStringLiteral("bangerx2"), QStringLiteral("bangerx3")});

    store.applyDetectedMarkers({marker.id}, {{take.id, banger}}, banger, false, QSet<QUuid>{take.id, marker.id});
    EXPECT_EQ(byName(store, "C0010.MP4").tags,
              (QStringList{QStringLiteral("Dunk"), QStringLiteral("Bangerx2"), QStringLiteral("bangerx 2"), banger}));
    EXPECT_EQ(byName(store, "C0011.MP4").markerFlag, MarkerFlag::marker());
    // Unused stack tags leave the catalog; the base never does.
    EXPECT_EQ(store.availableTags(), (QStringList{QStringLiteral("Dunk"), banger}));
    EXPECT_EQ(store.undoTitle(), QStringLiteral("Undo Detect Markers (3 changes)"));
    EXPECT_EQ(kinds(store.undoStack().last()),
              (QList<UndoAction::Kind>{UndoAction::Kind::setTags, UndoAction::Kind::setMarkerFlag, UndoAction::Kind::setTagCatalog}));

    store.undo();
    EXPECT_EQ(byName(store, "C0010.MP4").tags, take.tags);
    EXPECT_FALSE(byName(store, "C0011.MP4").markerFlag);
    EXPECT_TRUE(store.availableTags().contains(QStringLiteral("bangerx2")));
    EXPECT_TRUE(store.availableTags().contains(QStringLiteral("bangerx3")));
    store.redo();
    EXPECT_EQ(byName(store, "C0010.MP4").tags.last(), banger);
}

TEST(ApplyDetectedMarkers, IsAuthoritativeOverTheScannedClipsOnly)
{
    ClipStore store;
    const Clip rejected = flagged(clip("a.mov", 0, {QStringLiteral("bangerx2")}), MarkerFlag::marker());
    const Clip special = flagged(clip("b.mov"), MarkerFlag::special(2));
    const Clip outside = flagged(clip("c.mov", 0, {QStringLiteral("bangerx2")}), MarkerFlag::marker());
    store.setClips({rejected, special, outside});
    store.rebuildLoadedURLs();
    store.setAvailableTags({QStringLiteral("bangerx2")});

    store.applyDetectedMarkers({}, {}, banger, true, QSet<QUuid>{rejected.id, special.id});
    // Rejected: flags cleared, not removed; marker tags gone.
    EXPECT_EQ(names(store.clips()), (QStringList{"a.mov", "b.mov", "c.mov"}));
    EXPECT_FALSE(byName(store, "a.mov").markerFlag);
    EXPECT_TRUE(byName(store, "a.mov").tags.isEmpty());
    EXPECT_FALSE(byName(store, "b.mov").markerFlag);
    // Outside the scope nothing changes, and its tag keeps the catalog entry.
    EXPECT_EQ(byName(store, "c.mov").markerFlag, MarkerFlag::marker());
    EXPECT_EQ(store.availableTags(), QStringList{QStringLiteral("bangerx2")});
    EXPECT_EQ(store.undoTitle(), QStringLiteral("Undo Detect Markers (3 changes)"));

    // An empty scope touches nothing.
    const qsizetype depth = store.undoStack().size();
    store.applyDetectedMarkers({outside.id}, {}, banger, true, QSet<QUuid>{});
    EXPECT_EQ(store.undoStack().size(), depth);
}

TEST(ApplyDetectedMarkers, RemovingTheMarkersBelongsToTheSameStep)
{
    ClipStore store;
    const Clip take = clip("C0010.MP4");
    const Clip m1 = clip("C0011.MP4");
    const Clip m2 = clip("C0012.MP4");
    const Clip after = clip("C0013.MP4");
    store.setClips({take, m1, m2, after});
    store.rebuildLoadedURLs();
    const QSet<QUuid> scope{take.id, m1.id, m2.id, after.id};
    store.applyDetectedMarkers({m1.id, m2.id}, {{take.id, QStringLiteral("bangerx2")}}, banger, true, scope);
    EXPECT_EQ(names(store.clips()), (QStringList{"C0010.MP4", "C0013.MP4"}));
    EXPECT_EQ(byName(store, "C0010.MP4").tags, QStringList{QStringLiteral("bangerx2")});
    EXPECT_TRUE(store.availableTags().contains(QStringLiteral("bangerx2")));
    EXPECT_FALSE(store.loadedURLs().contains(m1.url));
    // flag, flag, tags, two removals, catalog
    EXPECT_EQ(store.undoTitle(), QStringLiteral("Undo Detect Markers (6 changes)"));

    store.undo();
    EXPECT_EQ(names(store.clips()), (QStringList{"C0010.MP4", "C0011.MP4", "C0012.MP4", "C0013.MP4"}));
    EXPECT_FALSE(byName(store, "C0011.MP4").markerFlag);
    EXPECT_TRUE(byName(store, "C0010.MP4").tags.isEmpty());
    EXPECT_TRUE(store.loadedURLs().contains(m1.url));
}

TEST(ApplyDetectedMarkers, NothingToChangeRecordsNothing)
{
    ClipStore store;
    const Clip take = clip("C0010.MP4", 0, {banger});
    const Clip marker = flagged(clip("C0011.MP4"), MarkerFlag::marker());
    store.setClips({take, marker});
    store.setAvailableTags({QStringLiteral("Dunk")});
    store.applyDetectedMarkers({marker.id}, {{take.id, banger}}, banger, false, QSet<QUuid>{take.id, marker.id});
    EXPECT_TRUE(store.undoStack().isEmpty());
    EXPECT_EQ(store.availableTags(), QStringList{QStringLiteral("Dunk")});

    // One change is still "changes".
    store.applyDetectedMarkers({}, {}, banger, false, QSet<QUuid>{marker.id});
    EXPECT_EQ(store.undoTitle(), QStringLiteral("Undo Detect Markers (1 changes)"));
}

TEST(ApplyDetectedMarkers, AnInvalidTagBaseIsNeverWritten)
{
    ClipStore store;
    const Clip take = clip("C0010.MP4", 0, {QStringLiteral("Dunk")});
    const Clip marker = clip("C0011.MP4");
    store.setClips({take, marker});
    const QStringList catalog = store.availableTags();
    const QString bad = QStringLiteral("a/b");
    store.applyDetectedMarkers({marker.id}, {{take.id, bad}}, bad, false, QSet<QUuid>{take.id, marker.id});
    EXPECT_EQ(byName(store, "C0010.MP4").tags, QStringList{QStringLiteral("Dunk")});
    EXPECT_EQ(byName(store, "C0011.MP4").markerFlag, MarkerFlag::marker());
    EXPECT_EQ(store.availableTags(), catalog);
    EXPECT_EQ(store.undoTitle(), QStringLiteral("Undo Detect Markers (1 changes)"));
    // Nor across a numbering reset.
    ClipStore resets;
    resets.setClips(restartingFolder());
    ASSERT_EQ(resets.numberingResets().size(), 1);
    EXPECT_FALSE(resets.applyNumberingResetDecisions(resets.numberingResets()[0], bad));
    EXPECT_FALSE(resets.applyNumberingResetDecisions(resets.numberingResets()[0], QStringLiteral("..")));
    EXPECT_TRUE(resets.undoStack().isEmpty());
}

TEST(CrossResetPlan, TreatsTheFirstClipAfterTheResetAsAMarker)
{
    ClipStore store;
    QList<Clip> clips = restartingFolder();
    store.setClips(clips);
    ASSERT_EQ(store.numberingResets().size(), 1);
    const MarkerDetector::NumberingReset reset = store.numberingResets()[0];
    EXPECT_EQ(reset.previousClipID, clips[1].id);
    EXPECT_EQ(reset.firstClipID, clips[2].id);

    auto plan = store.crossResetMarkerPlan(reset);
    ASSERT_TRUE(plan);
    EXPECT_EQ(plan->clip.id, clips[1].id);
    EXPECT_EQ(plan->hands, 1);
    EXPECT_TRUE(store.undoStack().isEmpty());

    // With the next clip flagged as a marker too, two hands stack.
    clips[3].markerFlag = MarkerFlag::marker();
    store.setClips(clips);
    plan = store.crossResetMarkerPlan(reset);
    ASSERT_TRUE(plan);
    EXPECT_EQ(plan->hands, 2);

    clips[1].isMissing = true;
    store.setClips(clips);
    EXPECT_FALSE(store.crossResetMarkerPlan(reset));
    EXPECT_FALSE(store.crossResetMarkerPlan({QUuid::createUuid(), clips[2].id}));
}

TEST(NumberingResetEdits, DismissRecordsAReviewThatUndoTakesBack)
{
    ClipStore store;
    const QList<Clip> clips = restartingFolder();
    store.setClips(clips);
    const MarkerDetector::NumberingReset reset = store.numberingResets().value(0);
    store.dismissNumberingReset(reset);
    ASSERT_TRUE(store.clips()[2].numberingResetReview);
    EXPECT_EQ(store.clips()[2].numberingResetReview->previousClipID, clips[1].id);
    EXPECT_EQ(store.clips()[2].numberingResetReview->decision, NumberingResetReview::Decision::dismissed);
    EXPECT_TRUE(store.numberingResets().isEmpty());
    EXPECT_EQ(store.undoTitle(), QStringLiteral("Undo Review Numbering Reset"));
    // No longer current: nothing happens.
    store.dismissNumberingReset(reset);
    EXPECT_EQ(store.undoStack().size(), 1);
    store.undo();
    EXPECT_EQ(store.numberingResets().size(), 1);
    EXPECT_FALSE(store.clips()[2].numberingResetReview);
}

TEST(NumberingResetEdits, ConfirmLinksFlagsAndTagsInOneStep)
{
    ClipStore store;
    QList<Clip> clips = restartingFolder();
    clips[1].tags = {QStringLiteral("Dunk"), banger, QStringLiteral("Three")};
    clips[3].markerFlag = MarkerFlag::marker(); // two hands after the restart
    store.setClips(clips);
    store.setAvailableTags({QStringLiteral("Dunk"), banger, QStringLiteral("Three")});
    const MarkerDetector::NumberingReset reset = store.numberingResets().value(0);

    ASSERT_TRUE(store.applyNumberingResetDecisions(reset, banger));
    EXPECT_EQ(store.clips()[1].tags, (QStringList{QStringLiteral("Dunk"), QStringLiteral("bangerx2"), QStringLiteral("Three")}));
    EXPECT_EQ(store.clips()[2].markerFlag, MarkerFlag::marker());
    ASSERT_TRUE(store.clips()[2].numberingResetReview);
    EXPECT_EQ(store.clips()[2].numberingResetReview->decision, NumberingResetReview::Decision::linked);
    EXPECT_TRUE(store.numberingResets().isEmpty());
    EXPECT_EQ(store.availableTags(), (QStringList{QStringLiteral("Dunk"), banger, QStringLiteral("Three"), QStringLiteral("bangerx2")}));
    EXPECT_EQ(store.undoTitle(), QStringLiteral("Undo Confirm Hand Marker Across Reset"));
    EXPECT_EQ(kinds(store.undoStack().last()),
              (QList<UndoAction::Kind>{UndoAction::Kind::setNumberingResetReview, UndoAction::Kind::setMarkerFlag,
                                       UndoAction::Kind::setTags, UndoAction::Kind::setTagCatalog}));
    // A second confirmation finds the reset gone.
    EXPECT_FALSE(store.applyNumberingResetDecisions(reset, banger));

    store.undo();
    EXPECT_EQ(store.clips()[1].tags, clips[1].tags);
    EXPECT_FALSE(store.clips()[2].markerFlag);
    EXPECT_EQ(store.numberingResets().size(), 1);
    EXPECT_EQ(store.availableTags().size(), 3);
}

TEST(NumberingResetEdits, ConfirmRefusesAnOfflinePreviousClip)
{
    ClipStore store;
    QList<Clip> clips = restartingFolder();
    store.setClips(clips);
    const MarkerDetector::NumberingReset reset = store.numberingResets().value(0);
    clips[1].isMissing = true;
    store.setClips(clips);
    EXPECT_FALSE(store.applyNumberingResetDecisions(reset, banger));
    EXPECT_TRUE(store.undoStack().isEmpty());
    EXPECT_FALSE(store.clips()[2].markerFlag);
}
