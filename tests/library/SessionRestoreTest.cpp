#include "StoreTestSupport.h"
#include "support/TestMedia.h"
#include "markers/MarkerDetector.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace StoreTest;

namespace {

QString markerTagName(qint64 hands)
{
    return hands == 1 ? QStringLiteral("Banger") : QStringLiteral("Banger x%1").arg(hands);
}

class SessionRestore : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QFile::remove(ClipStore::sessionFilePath());
        QDir().mkpath(QFileInfo(ClipStore::sessionFilePath()).absolutePath());
    }

    static void writeSession(const QJsonObject &object)
    {
        QFile f(ClipStore::sessionFilePath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(QJsonDocument(object).toJson(QJsonDocument::Compact));
    }
    static QByteArray sessionBytes()
    {
        QFile f(ClipStore::sessionFilePath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static ClipStore::SessionData session(const QList<Clip> &clips)
    {
        ClipStore::SessionData data;
        data.clips = clips;
        data.availableTags = {QStringLiteral("Dunk"), QStringLiteral("Three")};
        data.folderOrganization = QStringLiteral("By Rating");
        data.gridColumns = 4;
        data.savedAt = QDateTime::currentDateTimeUtc();
        return data;
    }
    // Restores and waits for the answer.
    static std::optional<bool> restore(ClipStore &store)
    {
        std::optional<bool> result;
        store.restoreSessionAtLaunch(markerTagName, [&](bool restored) { result = restored; });
        if (!QTest::qWaitFor([&] { return result.has_value(); }, 30000))
            ADD_FAILURE() << "the restore never ended";
        return result;
    }
};

} // namespace

TEST_F(SessionRestore, AppliesTheSavedSessionAndTurnsOldSpecialFlagsIntoTags)
{
    QTemporaryDir dir;
    const QString onDisk = TestMedia::copyTo(QStringLiteral("clip.mkv"), dir.path());
    Clip present = clip(QStringLiteral("clip.mkv"), 3, {QStringLiteral("Dunk")});
    present.url = QUrl::fromLocalFile(onDisk);
    present.markerFlag = MarkerFlag::marker();
    Clip good = clip(QStringLiteral("good.mov"));
    Clip twice = clip(QStringLiteral("twice.mov"), 0, {QStringLiteral("Banger x2")});
    Clip very = clip(QStringLiteral("very.mov"));
    Clip stack = clip(QStringLiteral("stack.mov"));
    stack.markerFlag = MarkerFlag::special(3);

    QJsonObject object = session({present, good, twice, very, stack}).toJson();
    // Flags as older versions wrote them.
    QJsonArray clips = object.value(QStringLiteral("clips")).toArray();
    const char *oldFlags[] = {nullptr, "good", "verySpecial", "verySpecial", nullptr};
    for (int i = 0; i < clips.size(); ++i) {
        if (!oldFlags[i])
            continue;
        QJsonObject c = clips[i].toObject();
        c.insert(QStringLiteral("markerFlag"), QString::fromLatin1(oldFlags[i]));
        clips[i] = c;
    }
    object.insert(QStringLiteral("clips"), clips);
    object.insert(QStringLiteral("sourceFolderURL"), QUrl::fromLocalFile(dir.path()).toString());
    writeSession(object);

    ClipStore store;
    store.setFolderOrganization(FolderOrganization::byTag);
    store.registerUndo(UndoAction::setTagCatalog({}, {}));
    ASSERT_EQ(restore(store), true);

    ASSERT_EQ(store.clips().size(), 5);
    const QList<Clip> &restored = store.clips();
    EXPECT_EQ(restored[0].markerFlag, MarkerFlag::marker()) << "marker flags stay";
    EXPECT_EQ(restored[0].tags, QStringList{QStringLiteral("Dunk")});
    EXPECT_FALSE(restored[0].isMissing);
    EXPECT_EQ(restored[1].tags, QStringList{QStringLiteral("Banger")});
    EXPECT_FALSE(restored[1].markerFlag.has_value());
    EXPECT_EQ(restored[2].tags, QStringList{QStringLiteral("Banger x2")}) << "a tag already carried is not added twice";
    EXPECT_EQ(restored[3].tags, QStringList{QStringLiteral("Banger x2")});
    EXPECT_EQ(restored[4].tags, QStringList{QStringLiteral("Banger x3")});
    EXPECT_FALSE(restored[4].markerFlag.has_value());
    EXPECT_TRUE(restored[1].isMissing);

    EXPECT_EQ(store.availableTags(), (QStringList{QStringLiteral("Dunk"), QStringLiteral("Three"), QStringLiteral("Banger"),
                                                  QStringLiteral("Banger x2"), QStringLiteral("Banger x3")}));
    EXPECT_EQ(store.folderOrganization(), FolderOrganization::byRating);
    EXPECT_EQ(store.gridColumns(), 4);
    EXPECT_EQ(store.sourceFolderURL(), QUrl::fromLocalFile(dir.path()));
    EXPECT_TRUE(store.undoStack().isEmpty());
    EXPECT_EQ(store.loadedURLs().size(), 5);
    EXPECT_TRUE(store.loadedURLs().contains(QUrl::fromLocalFile(onDisk)));
    EXPECT_FALSE(store.isRestoringSession());
}

// A file written elsewhere may spell one tag two ways (a precomposed é, an e
// with a combining accent): they load as one tag and save composed.
TEST_F(SessionRestore, TwoSpellingsOfOneTagLoadAsOneTag)
{
    const QString composed = QStringLiteral("Caf\u00e9"), decomposed = QStringLiteral("Cafe\u0301");
    ClipStore::SessionData data = session({clip("a.mov", 0, {decomposed, composed, "Dunk"})});
    data.availableTags = {decomposed, "Dunk", composed};
    writeSession(data.toJson());
    ClipStore store;
    ASSERT_EQ(restore(store), true);
    ASSERT_EQ(store.clips().size(), 1);
    EXPECT_EQ(store.clips()[0].tags, (QStringList{composed, "Dunk"}));
    EXPECT_EQ(store.availableTags(), (QStringList{composed, "Dunk"}));
    store.saveSessionImmediately();
    EXPECT_TRUE(sessionBytes().contains(composed.toUtf8()));
    EXPECT_FALSE(sessionBytes().contains(decomposed.toUtf8()));
}

TEST_F(SessionRestore, KeepsUnknownOrganizationAndUnclampedColumnsAndCountsAnEmptySession)
{
    QJsonObject object = session({}).toJson();
    object.insert(QStringLiteral("folderOrganization"), QStringLiteral("By Mood"));
    object.insert(QStringLiteral("gridColumns"), 9);
    writeSession(object);

    ClipStore store;
    store.setFolderOrganization(FolderOrganization::byRating);
    ASSERT_EQ(restore(store), true);
    EXPECT_TRUE(store.clips().isEmpty());
    EXPECT_EQ(store.folderOrganization(), FolderOrganization::byRating);
    EXPECT_EQ(store.gridColumns(), 9);
    EXPECT_EQ(store.availableTags(), (QStringList{QStringLiteral("Dunk"), QStringLiteral("Three")}));
}

TEST_F(SessionRestore, NothingToRestoreWithoutAReadableFile)
{
    ClipStore store;
    EXPECT_EQ(restore(store), false);
    EXPECT_EQ(store.availableTags(), ClipStore::builtInTags());

    QFile f(ClipStore::sessionFilePath());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("{\"clips\": [");
    f.close();
    LogCapture log;
    ClipStore other;
    EXPECT_EQ(restore(other), false);
    EXPECT_TRUE(other.clips().isEmpty());
}

TEST_F(SessionRestore, NoSaveReplacesTheFileBeforeTheSavedSessionIsBack)
{
    writeSession(session({clip(QStringLiteral("a.mov"), 5), clip(QStringLiteral("b.mov")), clip(QStringLiteral("c.mov"))}).toJson());
    const QByteArray before = sessionBytes();

    ClipStore store;
    std::optional<bool> result;
    store.restoreSessionAtLaunch(markerTagName, [&](bool restored) { result = restored; });
    EXPECT_TRUE(store.isRestoringSession());
    // Quitting while the file is still being read: the save must not write
    // the still empty store over the user's session.
    store.saveSessionImmediately();
    EXPECT_EQ(sessionBytes(), before);

    ASSERT_TRUE(QTest::qWaitFor([&] { return result.has_value(); }, 30000));
    EXPECT_EQ(*result, true);
    EXPECT_EQ(store.clips().size(), 3);
    store.saveSessionImmediately();
    const QJsonObject saved = QJsonDocument::fromJson(sessionBytes()).object();
    EXPECT_EQ(saved.value(QStringLiteral("clips")).toArray().size(), 3);
}

TEST_F(SessionRestore, NewSessionStartedDuringTheReadWins)
{
    writeSession(session({clip(QStringLiteral("a.mov"))}).toJson());
    ClipStore store;
    std::optional<bool> result;
    store.restoreSessionAtLaunch(markerTagName, [&](bool restored) { result = restored; });
    store.startNewSession({QStringLiteral("Fresh")});
    ASSERT_TRUE(QTest::qWaitFor([&] { return result.has_value(); }, 30000));
    EXPECT_EQ(*result, false);
    EXPECT_TRUE(store.clips().isEmpty());
    EXPECT_EQ(store.availableTags(), QStringList{QStringLiteral("Fresh")});
    EXPECT_FALSE(QFileInfo::exists(ClipStore::sessionFilePath()));
}

TEST_F(SessionRestore, NewSessionEmptiesTheStoreAndRemovesTheFile)
{
    writeSession(session({clip(QStringLiteral("a.mov"))}).toJson());
    ClipStore store;
    ASSERT_EQ(restore(store), true);
    const QUuid clipID = store.clips()[0].id;
    store.setRating(4, clipID);
    store.setSelectedClipIDs({clipID});
    store.setClipToOpen(store.clips()[0]);
    store.setRenamingClipID(clipID);
    store.setHoveredClipID(clipID);
    store.setFilterRating(4);
    store.setHideUntouched(true);
    store.setSortOrder(SortOrder::duration);
    store.setGridColumns(5);
    store.setMarkerMetrics({{clipID, MarkerDetector::Metrics{}}});
    const QUuid generation = store.sessionGeneration();

    store.startNewSession(
        {QStringLiteral(" Lead and trail "), QString(), QStringLiteral(".."), QStringLiteral("a/b"), QStringLiteral("Plain")});

    EXPECT_NE(store.sessionGeneration(), generation);
    EXPECT_EQ(store.availableTags(), (QStringList{QStringLiteral(" Lead and trail "), QStringLiteral("Plain")}));
    EXPECT_TRUE(store.clips().isEmpty());
    EXPECT_TRUE(store.loadedURLs().isEmpty());
    EXPECT_FALSE(store.sourceFolderURL().has_value());
    EXPECT_TRUE(store.selectedClipIDs().isEmpty());
    EXPECT_FALSE(store.clipToOpen().has_value());
    EXPECT_FALSE(store.renamingClipID().has_value());
    EXPECT_FALSE(store.hoveredClipID().has_value());
    EXPECT_TRUE(store.undoStack().isEmpty());
    EXPECT_TRUE(store.redoStack().isEmpty());
    EXPECT_FALSE(store.hasActiveFilters());
    EXPECT_TRUE(store.markerMetrics().isEmpty());
    EXPECT_EQ(store.sortOrder(), SortOrder::duration) << "view choices stay";
    EXPECT_EQ(store.gridColumns(), 5);
    EXPECT_FALSE(store.isSessionSaveScheduled());
    EXPECT_FALSE(QFileInfo::exists(ClipStore::sessionFilePath()));

    // Quitting now writes an empty session with the new catalog.
    store.saveSessionImmediately();
    const QJsonObject saved = QJsonDocument::fromJson(sessionBytes()).object();
    EXPECT_TRUE(saved.value(QStringLiteral("clips")).toArray().isEmpty());
    EXPECT_EQ(saved.value(QStringLiteral("availableTags")).toArray().size(), 2);
}

TEST_F(SessionRestore, AClipWhoseIdIsTakenGetsAFreshOneAndIsKeptApart)
{
    Clip first = clip(QStringLiteral("first.mov"), 2);
    Clip copy = clip(QStringLiteral("copy.mov"), 5, {QStringLiteral("Dunk")});
    copy.id = first.id;
    Clip third = clip(QStringLiteral("third.mov"));
    third.id = first.id;
    const Clip other = clip(QStringLiteral("other.mov"));
    writeSession(session({first, copy, other, third}).toJson());

    ClipStore store;
    LogCapture log;
    ASSERT_EQ(restore(store), true);
    ASSERT_EQ(store.clips().size(), 4);
    EXPECT_EQ(names(store.clips()), (QStringList{QStringLiteral("first.mov"), QStringLiteral("copy.mov"), QStringLiteral("other.mov"),
                                                 QStringLiteral("third.mov")}));
    // The first holder and clips of ids of their own keep theirs.
    EXPECT_EQ(store.clips()[0].id, first.id);
    EXPECT_EQ(store.clips()[2].id, other.id);
    QSet<QUuid> ids;
    for (const Clip &c : store.clips())
        ids.insert(c.id);
    EXPECT_EQ(ids.size(), 4);
    // Everything but the identity is kept.
    EXPECT_EQ(byName(store, QStringLiteral("copy.mov")).rating, 5);
    EXPECT_EQ(byName(store, QStringLiteral("copy.mov")).tags, QStringList{QStringLiteral("Dunk")});
    const QStringList warnings = log.messagesOf(QtWarningMsg);
    ASSERT_EQ(warnings.size(), 2);
    EXPECT_TRUE(warnings[0].contains(QStringLiteral("copy.mov")));
    EXPECT_TRUE(warnings[0].contains(first.id.toString(QUuid::WithoutBraces).toUpper()));
    EXPECT_TRUE(warnings[1].contains(QStringLiteral("third.mov")));

    // Removing one card takes only that clip, and undo and redo touch only it.
    store.removeClip(first.id);
    EXPECT_EQ(names(store.clips()), (QStringList{QStringLiteral("copy.mov"), QStringLiteral("other.mov"), QStringLiteral("third.mov")}));
    store.undo();
    EXPECT_EQ(store.clips().size(), 4);
    EXPECT_EQ(store.clips()[0].filename, QStringLiteral("first.mov"));
    store.redo();
    EXPECT_EQ(names(store.clips()), (QStringList{QStringLiteral("copy.mov"), QStringLiteral("other.mov"), QStringLiteral("third.mov")}));

    // The next save writes every clip with an id of its own.
    store.saveSessionImmediately();
    const QJsonArray saved = QJsonDocument::fromJson(sessionBytes()).object().value(QStringLiteral("clips")).toArray();
    ASSERT_EQ(saved.size(), 3);
    QSet<QString> savedIds;
    for (const QJsonValue &value : saved)
        savedIds.insert(value.toObject().value(QStringLiteral("id")).toString());
    EXPECT_EQ(savedIds.size(), 3);
}
