#include "StoreTestSupport.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

#include <utility>
#include <vector>

using namespace StoreTest;

TEST(UndoDescriptions, UseTheMenuWording)
{
    const QUuid id = QUuid::createUuid();
    EXPECT_EQ(UndoAction::setRating(id, 2, 5).description(), QStringLiteral("Rate 2\u21925\u2605"));
    EXPECT_EQ(UndoAction::setRating(id, 3, 0).description(), QStringLiteral("Clear Rating"));
    EXPECT_EQ(UndoAction::setTags(id, {}, {"A"}).description(), QStringLiteral("Change Tags"));
    EXPECT_EQ(UndoAction::setTagCatalog({}, {}).description(), QStringLiteral("Change Tag List"));
    EXPECT_EQ(UndoAction::removeClip(clip("A001.mov"), 0).description(), QStringLiteral("Remove 'A001.mov'"));
    EXPECT_EQ(UndoAction::addClips({clip("a.mov")}).description(), QStringLiteral("Add 1 clip"));
    EXPECT_EQ(UndoAction::addClips({clip("a.mov"), clip("b.mov")}).description(), QStringLiteral("Add 2 clips"));
    EXPECT_EQ(UndoAction::renameClip(id, "a.mov", "Intro.mov").description(), QStringLiteral("Rename to 'Intro.mov'"));
    EXPECT_EQ(UndoAction::audioTriageTags({{id, "Loud"}}).description(), QStringLiteral("Audio Triage (1 clips)"));
    EXPECT_EQ(UndoAction::setNumberingResetReview(id, std::nullopt, NumberingResetReview{}).description(),
              QStringLiteral("Review Numbering Reset"));
    EXPECT_EQ(UndoAction::setMarkerFlag(id, MarkerFlag::marker(), std::nullopt).description(), QStringLiteral("Clear Flag"));
    EXPECT_EQ(UndoAction::setMarkerFlag(id, std::nullopt, MarkerFlag::special(1)).description(), QStringLiteral("Set Flag"));
    EXPECT_EQ(UndoAction::compound("Rate 3 clips", {}).description(), QStringLiteral("Rate 3 clips"));
    EXPECT_EQ(UndoAction::compound("x", {}).kind(), UndoAction::Kind::compound);
}

// A compound is undone in place only when all of its parts are: one addition
// or removal inside, however deep, takes it off the in-place road.
TEST(UndoRecords, ACompoundIsInPlaceOnlyWhenEveryPartIs)
{
    const UndoAction rating = UndoAction::setRating(QUuid::createUuid(), 0, 1);
    const UndoAction addition = UndoAction::addClips({clip("a.mov")});
    const std::vector<std::pair<UndoAction, bool>> cases{
        {rating, true},
        {addition, false},
        {UndoAction::removeClip(clip("b.mov"), 0), false},
        {UndoAction::compound("Rate 2 clips", {rating, rating}), true},
        {UndoAction::compound("Mixed", {rating, addition}), false},
        {UndoAction::compound("Outer", {UndoAction::compound("Inner", {addition})}), false},
        {UndoAction::compound("Empty", {}), true},
    };
    for (const auto &[action, inPlace] : cases)
        EXPECT_EQ(action.isInPlace(), inPlace) << action.description().toStdString();
}

TEST(UndoHistory, KeepsTheNewest100AndANewRecordEmptiesRedo)
{
    ClipStore store;
    const QUuid id = QUuid::createUuid();
    for (int i = 0; i < 101; ++i)
        store.registerUndo(UndoAction::setRating(id, i, i + 1));
    ASSERT_EQ(store.undoStack().size(), 100);
    EXPECT_EQ(store.undoStack().first().as<UndoAction::SetRating>()->oldRating, 1);
    EXPECT_EQ(store.undoStack().last().as<UndoAction::SetRating>()->oldRating, 100);

    store.undo();
    store.undo();
    EXPECT_EQ(store.redoStack().size(), 2);
    EXPECT_EQ(store.undoStack().size() + store.redoStack().size(), 100);
    store.registerUndo(UndoAction::setTagCatalog({}, {}));
    EXPECT_TRUE(store.redoStack().isEmpty());
    EXPECT_FALSE(store.redoTitle().has_value());
}

TEST(UndoHistory, TitlesNameTheNewestRecords)
{
    ClipStore store;
    Clip a = clip("a.mov", 2);
    store.setClips({a});
    EXPECT_FALSE(store.undoTitle().has_value());
    store.setRating(5, a.id);
    EXPECT_EQ(store.undoTitle(), QStringLiteral("Undo Rate 2\u21925\u2605"));
    store.setRating(5, a.id);
    EXPECT_EQ(store.undoTitle(), QStringLiteral("Undo Clear Rating"));
    store.undo();
    EXPECT_EQ(store.redoTitle(), QStringLiteral("Redo Clear Rating"));
    store.registerUndo(UndoAction::addClips({a}));
    EXPECT_EQ(store.undoTitle(), QStringLiteral("Undo Add 1 clip"));
}

TEST(UndoHistory, CompoundOfRatingsIsUndoneWithOnePublication)
{
    ClipStore store;
    Clip a = clip("a.mov", 1), b = clip("b.mov", 2), c = clip("c.mov", 3);
    store.setClips({a, b, c});
    store.rateSelection(5, {a.id, b.id, c.id});
    EXPECT_EQ(store.undoTitle(), QStringLiteral("Undo Rate 3 clips"));

    QSignalSpy clipsChanged(&store, &ClipStore::clipsChanged);
    QSignalSpy undoState(&store, &ClipStore::undoStateChanged);
    store.undo();
    EXPECT_EQ(clipsChanged.count(), 1);
    EXPECT_GE(undoState.count(), 1);
    EXPECT_EQ(byName(store, "a.mov").rating, 1);
    EXPECT_EQ(byName(store, "b.mov").rating, 2);
    EXPECT_EQ(byName(store, "c.mov").rating, 3);
    EXPECT_TRUE(store.isSessionSaveScheduled());
    store.redo();
    EXPECT_EQ(clipsChanged.count(), 2);
    for (const Clip &x : store.clips())
        EXPECT_EQ(x.rating, 5);
}

TEST(UndoHistory, CompoundWithAnAdditionUndoesBackwardsAndRedoesForwards)
{
    ClipStore store;
    Clip existing = clip("existing.mov");
    store.setClips({existing});
    Clip added = clip("added.mov");
    // Applied in this order: add a clip, rate it, tag the old one.
    store.setClips({existing, added});
    store.setLoadedURLs({existing.url, added.url});
    QList<Clip> after = store.clips();
    after[1].rating = 4;
    after[0].tags = {"Dunk"};
    store.setClips(after);
    store.registerUndo(UndoAction::compound("Import and rate", {UndoAction::addClips({added}), UndoAction::setRating(added.id, 0, 4),
                                                                UndoAction::setTags(existing.id, {}, {"Dunk"})}));

    store.undo();
    ASSERT_EQ(store.clips().size(), 1);
    EXPECT_TRUE(store.clips()[0].tags.isEmpty());
    EXPECT_FALSE(store.loadedURLs().contains(added.url));

    store.redo();
    ASSERT_EQ(store.clips().size(), 2);
    EXPECT_EQ(store.clips()[1].id, added.id);
    // The rating is replayed after the clip is back, so it finds it.
    EXPECT_EQ(store.clips()[1].rating, 4);
    EXPECT_EQ(store.clips()[0].tags, QStringList{"Dunk"});
    EXPECT_TRUE(store.loadedURLs().contains(added.url));
}

TEST(UndoHistory, UndoingAnImportForgetsItsFilesAndRedoSkipsFilesImportedAgain)
{
    ClipStore store;
    Clip keep = clip("keep.mov"), x = clip("x.mov"), y = clip("y.mov");
    store.setClips({x, keep, y});
    store.setLoadedURLs({keep.url, x.url, y.url});
    store.registerUndo(UndoAction::addClips({x, y}));
    store.undo();
    EXPECT_EQ(names(store.clips()), QStringList{"keep.mov"});
    EXPECT_EQ(store.loadedURLs(), QSet<QUrl>{keep.url});

    // The user imports x again (a new clip for the same file).
    Clip xAgain = clip("x.mov");
    store.setClips({keep, xAgain});
    store.setLoadedURLs({keep.url, xAgain.url});
    QSignalSpy clipsChanged(&store, &ClipStore::clipsChanged);
    store.redo();
    EXPECT_EQ(names(store.clips()), (QStringList{"keep.mov", "x.mov", "y.mov"}));
    EXPECT_EQ(store.clips()[1].id, xAgain.id);
    EXPECT_EQ(clipsChanged.count(), 1); // one publication per clip added back
}

TEST(UndoHistory, UndoingARemovalPutsTheClipBackAtItsPositionOrAtTheEnd)
{
    ClipStore store;
    QList<Clip> clips;
    for (int i = 0; i < 8; ++i)
        clips.append(clip(QStringLiteral("c%1.mov").arg(i)));
    store.setClips(clips);
    store.setLoadedURLs({});
    store.removeClip(clips[7].id);
    store.removeClip(clips[6].id);
    store.removeClip(clips[5].id);
    EXPECT_EQ(store.clips().size(), 5);
    // Without the records of c5 and c6, c7's removal (at position 7) is
    // undone while only 5 clips remain.
    store.purgeUndoHistory({clips[5].id, clips[6].id});
    store.undo();
    EXPECT_EQ(store.clips().size(), 6);
    EXPECT_EQ(store.clips().last().id, clips[7].id);
    EXPECT_TRUE(store.loadedURLs().contains(clips[7].url));
    store.redo();
    EXPECT_EQ(store.clips().size(), 5);
    EXPECT_FALSE(store.loadedURLs().contains(clips[7].url));
}

TEST(UndoHistory, AfterUndoTheCatalogHoldsEveryCarriedTag)
{
    ClipStore store;
    Clip a = clip("a.mov");
    store.setClips({a});
    store.setAvailableTags({"Action"});
    store.toggleTag("Zebra", {a.id});
    EXPECT_EQ(store.availableTags(), (QStringList{"Action", "Zebra"}));
    store.setAvailableTags({"Action"});
    store.undo(); // takes Zebra off the clip
    EXPECT_EQ(store.availableTags(), QStringList{"Action"});
    store.redo(); // puts it back, and back into the catalog at its end
    EXPECT_EQ(store.availableTags(), (QStringList{"Action", "Zebra"}));
}

TEST(UndoHistory, PurgeDropsOrShrinksRecordsAboutTheGivenClips)
{
    ClipStore store;
    const QUuid a = QUuid::createUuid(), b = QUuid::createUuid(), c = QUuid::createUuid();
    store.registerUndo(UndoAction::setTagCatalog({"A"}, {"B"}));
    store.registerUndo(UndoAction::compound("Rate 2 clips", {UndoAction::setRating(a, 0, 1), UndoAction::setRating(b, 0, 1)}));
    store.registerUndo(UndoAction::compound("Rate 2 clips", {UndoAction::setRating(a, 1, 2), UndoAction::setRating(c, 0, 2)}));
    store.registerUndo(UndoAction::audioTriageTags({{a, "Loud"}, {c, "Loud"}}));
    Clip x = clip("x.mov"), y = clip("y.mov");
    x.id = a;
    y.id = c;
    store.registerUndo(UndoAction::addClips({x, y}));
    store.registerUndo(UndoAction::renameClip(a, "x.mov", "Intro.mov"));
    store.undo(); // the rename is now on the redo stack

    store.purgeUndoHistory({a, b});
    ASSERT_EQ(store.undoStack().size(), 4);
    EXPECT_EQ(store.undoStack()[0].kind(), UndoAction::Kind::setTagCatalog);
    const auto *kept = store.undoStack()[1].as<UndoAction::Compound>();
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(kept->description, QStringLiteral("Rate 2 clips"));
    ASSERT_EQ(kept->actions.size(), 1);
    EXPECT_EQ(kept->actions[0].as<UndoAction::SetRating>()->clipID, c);
    EXPECT_EQ(store.undoStack()[2].as<UndoAction::AudioTriageTags>()->applied.size(), 1);
    EXPECT_EQ(store.undoStack()[3].as<UndoAction::AddClips>()->clips.size(), 1);
    EXPECT_TRUE(store.redoStack().isEmpty());

    store.purgeUndoHistory({c});
    ASSERT_EQ(store.undoStack().size(), 1);
    EXPECT_EQ(store.undoStack()[0].kind(), UndoAction::Kind::setTagCatalog);
}

TEST(UndoHistory, AudioTriageUndoRemovesEveryOccurrenceAndRedoAppendsOncePerPair)
{
    ClipStore store;
    Clip a = clip("a.mov", 0, {"Loud", "Dunk", "Loud"});
    store.setClips({a});
    store.registerUndo(UndoAction::audioTriageTags({{a.id, "Loud"}}));
    store.undo();
    EXPECT_EQ(store.clips()[0].tags, QStringList{"Dunk"});
    store.redo();
    EXPECT_EQ(store.clips()[0].tags, (QStringList{"Dunk", "Loud"}));
}

TEST(UndoHistory, RecordsAboutClipsThatAreGoneChangeNothing)
{
    ClipStore store;
    Clip a = clip("a.mov", 3);
    store.setClips({a});
    store.registerUndo(UndoAction::setRating(QUuid::createUuid(), 1, 2));
    store.registerUndo(UndoAction::removeClip(clip("gone.mov"), 0));
    store.redo(); // nothing to redo
    store.undo(); // puts "gone.mov" back
    EXPECT_EQ(store.clips().size(), 2);
    store.undo(); // rating of an unknown clip
    EXPECT_EQ(byName(store, "a.mov").rating, 3);
    store.undo(); // empty stack
    EXPECT_EQ(store.redoStack().size(), 2);
}
