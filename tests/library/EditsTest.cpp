#include "StoreTestSupport.h"
#include "library/model/FileName.h"

#include <QSignalSpy>
#include <gtest/gtest.h>
#include <tuple>

using namespace StoreTest;

TEST(RatingEdits, AskingForTheSameRatingAgainClearsIt)
{
    ClipStore store;
    Clip a = clip("a.mov");
    store.setClips({a});
    store.setRating(3, a.id);
    store.setRating(3, a.id);
    EXPECT_EQ(store.clips()[0].rating, 0);
    const auto *record = store.undoStack().last().as<UndoAction::SetRating>();
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->oldRating, 3);
    EXPECT_EQ(record->newRating, 0);
    EXPECT_EQ(store.undoStack().last().description(), QStringLiteral("Clear Rating"));

    // 0 on an unrated clip still publishes, records and saves.
    QSignalSpy clipsChanged(&store, &ClipStore::clipsChanged);
    store.setRating(0, a.id);
    EXPECT_EQ(clipsChanged.count(), 1);
    EXPECT_EQ(store.undoStack().size(), 3);
    EXPECT_TRUE(store.isSessionSaveScheduled());

    store.setRating(4, QUuid::createUuid());
    EXPECT_EQ(store.undoStack().size(), 3);
}

TEST(Edits, ArgumentsTakenFromTheStoresOwnClipsStayValidAcrossTheChange)
{
    // Callers often pass fields of the store's current clips; the edit
    // replaces that list, so it must not keep references into it.
    ClipStore store;
    store.setClips({clip("a.mov", 0, {QStringLiteral("Dunk")})});
    store.setRating(4, store.clips()[0].id);
    EXPECT_EQ(store.clips()[0].rating, 4);
    EXPECT_EQ(store.undoStack().last().description(), QStringLiteral("Rate 0→4★"));

    store.removeTag(store.clips()[0].tags[0], {store.clips()[0].id}, QStringLiteral("Remove 'Dunk'"));
    EXPECT_TRUE(store.clips()[0].tags.isEmpty());
    store.renameClip(store.clips()[0].id, store.clips()[0].filename + QStringLiteral("x"));
    EXPECT_EQ(store.clips()[0].filename, QStringLiteral("a.movx"));
    store.removeClip(store.clips()[0].id);
    EXPECT_TRUE(store.clips().isEmpty());
    EXPECT_EQ(store.undoStack().last().description(), QStringLiteral("Remove 'a.movx'"));
}

TEST(RatingEdits, RatingASelectionChangesOnlyClipsLackingTheRating)
{
    ClipStore store;
    Clip a = clip("a.mov", 4), b = clip("b.mov");
    store.setClips({a, b});
    store.rateSelection(4, {a.id, b.id});
    EXPECT_EQ(store.undoTitle(), QStringLiteral("Undo Rate 1 clips"));
    EXPECT_EQ(byName(store, "b.mov").rating, 4);

    // Again: nothing changes, nothing is recorded or saved; no toggling.
    ClipStore fresh;
    fresh.setClips(store.clips());
    fresh.rateSelection(4, {a.id, b.id});
    EXPECT_FALSE(fresh.canUndo());
    EXPECT_FALSE(fresh.isSessionSaveScheduled());
    EXPECT_EQ(fresh.clips()[0].rating, 4);

    // One id goes through the single-clip rule, toggle included.
    store.rateSelection(4, {b.id});
    EXPECT_EQ(byName(store, "b.mov").rating, 0);
    store.rateSelection(4, {});
    EXPECT_EQ(store.undoStack().size(), 2);
}

TEST(TagEdits, ToggleRemovesWhenAllCarryElseAddsToTheOthers)
{
    ClipStore store;
    Clip a = clip("a.mov", 0, {"Dunk"}), b = clip("b.mov", 0, {"Three"}), c = clip("c.mov", 0, {"Dunk", "Three"});
    store.setClips({a, b, c});
    store.toggleTag("Dunk", {a.id, b.id});
    EXPECT_EQ(store.undoTitle(), QStringLiteral("Undo Add 'Dunk'"));
    EXPECT_EQ(byName(store, "b.mov").tags, (QStringList{"Three", "Dunk"}));
    const auto *compound = store.undoStack().last().as<UndoAction::Compound>();
    ASSERT_NE(compound, nullptr);
    EXPECT_EQ(compound->actions.size(), 1); // a already carried it

    store.toggleTag("Dunk", {a.id, b.id, c.id});
    EXPECT_EQ(store.undoTitle(), QStringLiteral("Undo Remove 'Dunk'"));
    for (const Clip &x : store.clips())
        EXPECT_FALSE(x.tags.contains("Dunk"));

    // No matching clip: an addition that changes nothing.
    const qsizetype records = store.undoStack().size();
    store.toggleTag("Dunk", {QUuid::createUuid()});
    EXPECT_EQ(store.undoStack().size(), records);
}

TEST(TagEdits, ANewTagJoinsTheCatalogAndStaysThereAfterUndo)
{
    ClipStore store;
    Clip a = clip("a.mov");
    store.setClips({a});
    store.toggleTag("Sunset", {a.id});
    EXPECT_EQ(store.availableTags().last(), QStringLiteral("Sunset"));
    EXPECT_EQ(store.availableTags().size(), ClipStore::builtInTags().size() + 1);
    store.undo();
    EXPECT_TRUE(store.clips()[0].tags.isEmpty());
    EXPECT_TRUE(store.availableTags().contains("Sunset"));
    // Tags are compared exactly.
    store.toggleTag("sunset", {a.id});
    EXPECT_EQ(store.clips()[0].tags, QStringList{"sunset"});
}

TEST(TagEdits, RemoveTagTakesEveryOccurrenceWithTheGivenWording)
{
    ClipStore store;
    Clip a = clip("a.mov", 0, {"Dunk", "Three", "Dunk"});
    store.setClips({a});
    store.removeTag("Dunk", {a.id}, "Remove 'Dunk'");
    EXPECT_EQ(store.clips()[0].tags, QStringList{"Three"});
    EXPECT_EQ(store.undoTitle(), QStringLiteral("Undo Remove 'Dunk'"));
}

TEST(TagNames, ValidNamesAndCatalogAdditions)
{
    EXPECT_TRUE(ClipStore::isValidTagName("Fast Break"));
    EXPECT_TRUE(ClipStore::isValidTagName(" padded "));
    EXPECT_TRUE(ClipStore::isValidTagName("..."));
    EXPECT_FALSE(ClipStore::isValidTagName("   "));
    EXPECT_FALSE(ClipStore::isValidTagName("\t\n"));
    EXPECT_FALSE(ClipStore::isValidTagName("."));
    EXPECT_FALSE(ClipStore::isValidTagName(".."));
    EXPECT_FALSE(ClipStore::isValidTagName("a/b"));
    EXPECT_FALSE(ClipStore::isValidTagName("a:b"));
    EXPECT_FALSE(ClipStore::isValidTagName("a\\b"));
    EXPECT_FALSE(ClipStore::isValidTagName("a\u0007b"));
    EXPECT_FALSE(ClipStore::isValidTagName("a\u200Bb"));     // zero-width space, a format character
    EXPECT_FALSE(ClipStore::isValidTagName("a\U000E0001b")); // language tag beyond U+FFFF, a format character
    EXPECT_TRUE(ClipStore::isValidTagName("\U0001F3C0"));

    ClipStore store;
    const QStringList before = store.availableTags();
    EXPECT_TRUE(store.addCatalogTag("  Interview  "));
    EXPECT_EQ(store.availableTags(), before);
    EXPECT_FALSE(store.isSessionSaveScheduled());
    EXPECT_FALSE(store.addCatalogTag("a/b"));
    EXPECT_FALSE(store.addCatalogTag("."));
    EXPECT_FALSE(store.addCatalogTag(" .. "));
    EXPECT_FALSE(store.addCatalogTag("    "));
    EXPECT_TRUE(store.addCatalogTag(" Sunset\n"));
    EXPECT_EQ(store.availableTags().last(), QStringLiteral("Sunset"));
    EXPECT_TRUE(store.isSessionSaveScheduled());
    EXPECT_FALSE(store.canUndo());
}

TEST(TagEdits, RenamingOntoAnExistingTagMergesAndMovesTheFilter)
{
    ClipStore store;
    store.setAvailableTags({"Action", "Three", "Dunk"});
    Clip a = clip("a.mov", 0, {"Three", "Dunk"}), b = clip("b.mov", 0, {"Dunk", "Action"});
    store.setClips({a, b});
    store.setFilterTag(QStringLiteral("Dunk"));

    EXPECT_TRUE(store.renameTag("Dunk", " Three "));
    EXPECT_EQ(byName(store, "a.mov").tags, QStringList{"Three"});
    EXPECT_EQ(byName(store, "b.mov").tags, (QStringList{"Three", "Action"}));
    EXPECT_EQ(store.availableTags(), (QStringList{"Action", "Three"}));
    EXPECT_EQ(store.filterTag(), std::optional<QString>(QStringLiteral("Three")));
    EXPECT_EQ(store.undoTitle(), QStringLiteral("Undo Rename 'Dunk' to 'Three'"));

    store.undo();
    EXPECT_EQ(byName(store, "a.mov").tags, (QStringList{"Three", "Dunk"}));
    EXPECT_EQ(store.availableTags(), (QStringList{"Action", "Three", "Dunk"}));

    EXPECT_FALSE(store.renameTag("Dunk", "Dunk"));
    EXPECT_FALSE(store.renameTag("Dunk", "a:b"));
    // A catalog rename that no clip carries is still recorded.
    EXPECT_TRUE(store.renameTag("Action", "Play"));
    EXPECT_EQ(store.availableTags().first(), QStringLiteral("Play"));
}

// "Café" with a precomposed é and with a combining accent are one tag wherever
// a tag comes in, kept composed; case still tells tags apart.
TEST(TagEdits, TwoSpellingsOfOneTagAreOneTagWhereverTheyComeIn)
{
    static const QString composed = QStringLiteral("Caf\u00e9"), decomposed = QStringLiteral("Cafe\u0301");
    static const QString lower = QStringLiteral("caf\u00e9"), ole = QStringLiteral("Ol\u00e9"), oleAccent = QStringLiteral("Ole\u0301");
    static const QStringList one{composed}, both{decomposed, composed};
    // What comes in, and the first clip's tags and the catalog afterwards.
    const QList<std::tuple<const char *, void (*)(ClipStore &, QUuid), QStringList, QStringList>> cases{
        {"toggle removes the tag the clip carries", [](ClipStore &s, QUuid id) { s.toggleTag(decomposed, {id}); }, {}, one},
        {"remove", [](ClipStore &s, QUuid id) { s.removeTag(decomposed, {id}, "Remove"); }, {}, one},
        {"add to the catalog", [](ClipStore &s, QUuid) { EXPECT_TRUE(s.addCatalogTag(decomposed + ' ')); }, one, one},
        {"rename onto its other spelling", [](ClipStore &s, QUuid) { EXPECT_FALSE(s.renameTag(composed, decomposed)); }, one, one},
        {"rename by its other spelling", [](ClipStore &s, QUuid) { EXPECT_TRUE(s.renameTag(decomposed, "Bar")); }, {"Bar"}, {"Bar"}},
        {"default tags", [](ClipStore &s, QUuid) { s.applyDefaultTags(both); }, one, one},
        {"catalog assignment", [](ClipStore &s, QUuid) { s.setAvailableTags(both); }, one, one},
        {"audio triage", [](ClipStore &s, QUuid id) { s.applyAudioTriageTags({qMakePair(id, decomposed)}); }, one, one},
        {"tag filter", [](ClipStore &s, QUuid) { s.setFilterTag(decomposed); }, one, one},
        {"new tag kept composed", [](ClipStore &s, QUuid id) { s.toggleTag(oleAccent, {id}); }, {composed, ole}, {composed, ole}},
        {"case stays", [](ClipStore &s, QUuid id) { s.toggleTag(lower, {id}); }, {composed, lower}, {composed, lower}},
    };
    for (const auto &[entry, act, tags, catalog] : cases) {
        SCOPED_TRACE(entry);
        ClipStore store;
        store.setSavingEnabled(false);
        store.setAvailableTags({composed});
        store.setClips({clip("a.mov", 0, {composed}), clip("b.mov")});
        act(store, store.clips().at(0).id);
        EXPECT_EQ(store.clips().at(0).tags, tags);
        EXPECT_EQ(store.allTags(), catalog);
        EXPECT_EQ(names(store.sortedAndFilteredClips()), (store.filterTag() ? QStringList{"a.mov"} : QStringList{"a.mov", "b.mov"}));
    }
    EXPECT_TRUE(ClipStore::isMarkerTag(composed + "x2", decomposed));
}

TEST(TagEdits, DefaultTagsReplaceTheCatalogButKeepCarriedTags)
{
    ClipStore store;
    store.setAvailableTags({"Action", "Dunk", "Old", "zebra"});
    store.setClips({clip("a.mov", 0, {"Dunk", "zebra"})});
    // Defaults equal to the catalog record nothing.
    store.applyDefaultTags({"Action", "Dunk", "Old", "zebra"});
    EXPECT_FALSE(store.canUndo());
    EXPECT_FALSE(store.isSessionSaveScheduled());

    store.applyDefaultTags({"Rebound", "bad/name", "Rebound"});
    EXPECT_EQ(store.availableTags(), (QStringList{"Rebound", "Rebound", "Dunk", "zebra"}));
    EXPECT_EQ(store.undoTitle(), QStringLiteral("Undo Change Tag List"));
    store.undo();
    EXPECT_EQ(store.availableTags(), (QStringList{"Action", "Dunk", "Old", "zebra"}));
}

TEST(TagPicker, LooksAtTheSelectionOnlyWhenItHoldsTheClip)
{
    ClipStore store;
    Clip a = clip("a.mov", 0, {"b", "A", "c"}), b = clip("b.mov", 0, {"A", "b"}), c = clip("c.mov", 0, {"A"}),
         d = clip("d.mov", 0, {"z", "Y"});
    store.setClips({a, b, c, d});
    store.setSelectedClipIDs({a.id, b.id, c.id});
    auto [common, mixed] = store.tagPickerTags(b.id);
    EXPECT_EQ(common, QStringList{"A"});
    EXPECT_EQ(mixed, (QSet<QString>{"b", "c"}));
    std::tie(common, mixed) = store.tagPickerTags(d.id);
    EXPECT_EQ(common, (QStringList{"Y", "z"}));
    EXPECT_TRUE(mixed.isEmpty());
    std::tie(common, mixed) = store.tagPickerTags(QUuid::createUuid());
    EXPECT_TRUE(common.isEmpty());
    EXPECT_TRUE(mixed.isEmpty());
}

TEST(SelectionBar, CountsOnlyTheSelectedClipsTheFiltersShow)
{
    ClipStore store;
    Clip a = clip("a.mov", 3), b = clip("b.mov", 1), c = clip("c.mov", 3);
    store.setClips({a, b, c});
    store.setSelectedClipIDs({a.id, b.id});
    EXPECT_EQ(store.visibleSelectionCount(), 2);
    store.setFilterRating(3);
    EXPECT_EQ(store.visibleSelectionCount(), 1);
}

TEST(ClipRenames, KeepOrReplaceTheExtensionAndCleanTheName)
{
    ClipStore store;
    Clip a = clip("A001.mov");
    store.setClips({a});
    auto renamed = [&](const QString &name) {
        store.renameClip(a.id, name);
        const QString result = store.clips()[0].filename;
        store.setClips({a});
        return result;
    };
    EXPECT_EQ(renamed("Intro"), QStringLiteral("Intro.mov"));
    EXPECT_EQ(renamed("Intro.mp4"), QStringLiteral("Intro.mp4"));
    EXPECT_EQ(renamed("a/b:c"), QStringLiteral("a-b-c.mov"));
    EXPECT_EQ(renamed("Intro."), QStringLiteral("Intro.mov"));
    EXPECT_EQ(renamed(" Intro .mov"), QStringLiteral("Intro.mov"));
    EXPECT_EQ(renamed(" . . "), QStringLiteral("A001.mov"));
    EXPECT_EQ(renamed(""), QStringLiteral("A001.mov"));

    store.renameClip(a.id, "Intro");
    EXPECT_EQ(store.undoTitle(), QStringLiteral("Undo Rename to 'Intro.mov'"));
    EXPECT_EQ(store.clips()[0].url, a.url); // only the name in the session changes
    // A renamed clip counts as touched.
    store.setHideUntouched(true);
    EXPECT_EQ(store.sortedAndFilteredClips().size(), 1);
    const qsizetype records = store.undoStack().size();
    store.renameClip(a.id, "Intro.mov");
    EXPECT_EQ(store.undoStack().size(), records);
}

TEST(ClipRenames, TheResultIsAlwaysOneSafeFileName)
{
    ClipStore store;
    Clip a = clip("A001.mov");
    store.setClips({a});
    const QString nul(QChar(u'\0'));
    for (const QString &typed :
         {QStringLiteral("../../etc/passwd"), QStringLiteral("x.m/ov"), QStringLiteral("x.mo") + nul + QStringLiteral("v"),
          QStringLiteral("Intro/"), QStringLiteral("/"), QStringLiteral(".."), QStringLiteral("a") + nul, QStringLiteral("clip.:")}) {
        store.setClips({a});
        store.renameClip(a.id, typed);
        const QString name = store.clips()[0].filename;
        EXPECT_TRUE(FileName::isSinglePathComponent(name)) << typed.toStdString();
        EXPECT_FALSE(name.contains(QLatin1Char(':'))) << typed.toStdString();
    }
    store.setClips({a});
    store.renameClip(a.id, QStringLiteral("x.mo") + nul + QStringLiteral("v"));
    EXPECT_EQ(store.clips()[0].filename, QStringLiteral("x.mo-v"));
    store.renameClip(a.id, QStringLiteral("../../etc/passwd"));
    EXPECT_EQ(store.clips()[0].filename, QStringLiteral("-..-etc-passwd.mo-v"));
}

TEST(ClipMembership, RemovingAClipFreesItsFileForAnotherImport)
{
    ClipStore store;
    Clip a = clip("a.mov"), b = clip("b.mov"), c = clip("c.mov");
    store.setClips({a, b, c});
    store.setLoadedURLs({a.url, b.url, c.url});
    store.setSelectedClipIDs({b.id});
    store.removeClip(b.id);
    EXPECT_EQ(names(store.clips()), (QStringList{"a.mov", "c.mov"}));
    EXPECT_FALSE(store.loadedURLs().contains(b.url));
    EXPECT_TRUE(store.selectedClipIDs().isEmpty());
    EXPECT_EQ(store.undoTitle(), QStringLiteral("Undo Remove 'b.mov'"));
    store.undo();
    EXPECT_EQ(names(store.clips()), (QStringList{"a.mov", "b.mov", "c.mov"}));
    EXPECT_TRUE(store.loadedURLs().contains(b.url));
}

TEST(AudioTriageTags, SkipsPairsAlreadyCarriedOrForUnknownClips)
{
    ClipStore store;
    store.setAvailableTags({"Action"});
    Clip a = clip("a.mov", 0, {"Loud"}), b = clip("b.mov");
    store.setClips({a, b});
    store.applyAudioTriageTags({{a.id, "Loud"}, {QUuid::createUuid(), "Quiet"}});
    EXPECT_FALSE(store.canUndo());
    store.applyAudioTriageTags({{a.id, "Loud"}, {b.id, "Loud"}, {b.id, "Quiet"}, {b.id, "Loud"}});
    EXPECT_EQ(byName(store, "b.mov").tags, (QStringList{"Loud", "Quiet"}));
    EXPECT_EQ(store.availableTags(), (QStringList{"Action", "Loud", "Quiet"}));
    EXPECT_EQ(store.undoTitle(), QStringLiteral("Undo Audio Triage (2 clips)"));
}

TEST(ReviewReset, ClearsTagsOrEverythingAndAlwaysSwitchesFiltersOff)
{
    ClipStore store;
    store.setClips({clip("a.mov"), clip("b.mov", 3)});
    store.setFilterRating(3);
    store.setHideUntouched(true);
    store.resetReview(false);
    EXPECT_FALSE(store.hasActiveFilters());
    EXPECT_FALSE(store.canUndo());

    Clip a = clip("a.mov", 4, {"Dunk"});
    a.markerFlag = MarkerFlag::marker();
    a.numberingResetReview = NumberingResetReview{QUuid::createUuid(), NumberingResetReview::Decision::linked};
    store.setClips({a});
    const QStringList catalog = store.availableTags();
    store.resetReview(false);
    EXPECT_TRUE(store.clips()[0].tags.isEmpty());
    EXPECT_EQ(store.clips()[0].rating, 4);
    EXPECT_EQ(store.undoTitle(), QStringLiteral("Undo Clear All Tags"));
    EXPECT_EQ(store.availableTags(), catalog);

    store.undo();
    store.resetReview(true);
    const Clip &r = store.clips()[0];
    EXPECT_TRUE(r.tags.isEmpty());
    EXPECT_EQ(r.rating, 0);
    EXPECT_FALSE(r.markerFlag.has_value());
    EXPECT_FALSE(r.numberingResetReview.has_value());
    EXPECT_EQ(store.undoTitle(), QStringLiteral("Undo Reset Review"));
    store.undo();
    EXPECT_EQ(store.clips()[0], a);
}

TEST(OpenByName, OpensTheFirstClipOfExactlyThatName)
{
    ClipStore store;
    Clip a = clip("x.mov"), b = clip("x.mov");
    store.setClips({a, b});
    store.openClipNamed("X.mov");
    EXPECT_FALSE(store.clipToOpen().has_value());
    store.openClipNamed("x.mov");
    ASSERT_TRUE(store.clipToOpen().has_value());
    EXPECT_EQ(store.clipToOpen()->id, a.id);
}
