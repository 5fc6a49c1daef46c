#include "StoreTestSupport.h"
#include "support/TestMedia.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <unistd.h>

using namespace StoreTest;

namespace {

const QString differentSizeText = QStringLiteral(
    "This file has a different size from the original. Choose the original clip to preserve your review.");

// A store with two imported files of the folder.
class OfflineMedia : public ::testing::Test
{
protected:
    void SetUp() override
    {
        first = TestMedia::copyTo(QStringLiteral("clip.mkv"), dir.path(), QStringLiteral("first.mkv"));
        second = TestMedia::copyTo(QStringLiteral("noaudio.mp4"), dir.path(), QStringLiteral("second.mp4"));
        store.addURLs(std::nullopt, {QUrl::fromLocalFile(first), QUrl::fromLocalFile(second)});
        ASSERT_TRUE(QTest::qWaitFor([&] { return !store.isLoading(); }, 30000));
        ASSERT_EQ(store.clips().size(), 2);
        firstID = store.clips()[0].id;
        secondID = store.clips()[1].id;
    }

    const Clip &clipWith(const QUuid &id) { return store.clips()[*store.indexOfClip(id)]; }

    QTemporaryDir dir;
    QString first, second;
    ClipStore store;
    QUuid firstID, secondID;
};

} // namespace

TEST_F(OfflineMedia, MovedFileGoesOfflineAndComesBackWithoutUndoRecords)
{
    EXPECT_TRUE(store.offlineClips().isEmpty());
    const QString moved = dir.path() + QStringLiteral("/elsewhere.mkv");
    ASSERT_TRUE(QFile::rename(first, moved));
    store.refreshAvailability();
    ASSERT_EQ(store.offlineClips().size(), 1);
    EXPECT_EQ(store.offlineClips()[0].id, firstID);

    ASSERT_TRUE(QFile::rename(moved, first));
    int published = 0;
    QObject::connect(&store, &ClipStore::clipsChanged, [&] { ++published; });
    store.refreshAvailability();
    EXPECT_TRUE(store.offlineClips().isEmpty());
    EXPECT_EQ(published, 1) << "a refresh republishes the clips once, changed or not";
    EXPECT_EQ(store.undoStack().size(), 1) << "only the import's record";
}

TEST_F(OfflineMedia, RelinkKeepsTheClipsDecisionsAndMovesItsFile)
{
    store.setRating(4, firstID);
    store.toggleTag(QStringLiteral("Dunk"), {firstID});
    store.setRating(2, secondID);
    const QString renamed = dir.path() + QStringLiteral("/Renamed Take.MKV");
    ASSERT_TRUE(QFile::rename(first, renamed));
    store.refreshAvailability();
    ASSERT_EQ(store.offlineClips().size(), 1);

    EXPECT_EQ(store.relinkClip(firstID, QUrl::fromLocalFile(dir.path() + QStringLiteral("/./Renamed Take.MKV"))), std::nullopt);
    const Clip &relinked = clipWith(firstID);
    EXPECT_EQ(relinked.url, QUrl::fromLocalFile(renamed));
    EXPECT_EQ(relinked.filename, QStringLiteral("first.mkv"));
    EXPECT_EQ(relinked.rating, 4);
    EXPECT_EQ(relinked.tags, QStringList{QStringLiteral("Dunk")});
    EXPECT_FALSE(relinked.isMissing);
    EXPECT_TRUE(store.offlineClips().isEmpty());
    EXPECT_FALSE(store.loadedURLs().contains(QUrl::fromLocalFile(first)));
    EXPECT_TRUE(store.loadedURLs().contains(QUrl::fromLocalFile(renamed)));
    EXPECT_TRUE(store.isSessionSaveScheduled());

    // Only the other clip's records are left to undo.
    ASSERT_EQ(store.undoStack().size(), 2);
    EXPECT_EQ(store.undoTitle(), QStringLiteral("Undo Rate 0→2★"));
    store.undo();
    EXPECT_EQ(clipWith(secondID).rating, 0);
    store.undo();
    EXPECT_FALSE(store.indexOfClip(secondID).has_value()) << "the import's record still covers the other clip";
    EXPECT_TRUE(store.indexOfClip(firstID).has_value()) << "the import's record no longer covers the relinked clip";

    // A file the clip already names is no refusal; an unknown clip changes nothing.
    EXPECT_EQ(store.relinkClip(firstID, QUrl::fromLocalFile(renamed)), std::nullopt);
    EXPECT_EQ(store.relinkClip(QUuid::createUuid(), QUrl::fromLocalFile(second)), std::nullopt);
}

TEST_F(OfflineMedia, RelinkRefusesWhatCannotBeTheClipsFile)
{
    const DomainError invalid = DomainError::invalidFileName();
    EXPECT_EQ(invalid.localizedDescription, QStringLiteral("The file name is invalid."));

    QDir(dir.path()).mkpath(QStringLiteral("folder.mkv"));
    QFile text(dir.path() + QStringLiteral("/notes.txt"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("notes");
    text.close();
    const QString link = dir.path() + QStringLiteral("/link.mkv");
    const QString twin = TestMedia::copyTo(QStringLiteral("clip.mkv"), dir.path(), QStringLiteral("twin.mkv"));
    ASSERT_EQ(::symlink(twin.toUtf8().constData(), link.toUtf8().constData()), 0);

    const QList<QString> refused{dir.path() + QStringLiteral("/folder.mkv"), text.fileName(), dir.path() + QStringLiteral("/gone.mkv"),
                                 second, link};
    for (const QString &path : refused) {
        const std::optional<DomainError> error = store.relinkClip(firstID, QUrl::fromLocalFile(path));
        ASSERT_TRUE(error.has_value()) << path.toStdString();
        EXPECT_EQ(*error, invalid) << path.toStdString();
    }

    // A file one byte larger than the recorded size is another file.
    const QString larger = TestMedia::copyTo(QStringLiteral("clip.mkv"), dir.path(), QStringLiteral("larger.mkv"));
    QFile grow(larger);
    ASSERT_TRUE(grow.open(QIODevice::Append));
    grow.write("x");
    grow.close();
    const std::optional<DomainError> sizeError = store.relinkClip(firstID, QUrl::fromLocalFile(larger));
    ASSERT_TRUE(sizeError.has_value());
    EXPECT_EQ(sizeError->domain, QStringLiteral("Triagon"));
    EXPECT_EQ(sizeError->code, 1);
    EXPECT_EQ(sizeError->localizedDescription, differentSizeText);

    EXPECT_EQ(clipWith(firstID).url, QUrl::fromLocalFile(first)) << "a refusal changes nothing";
    EXPECT_EQ(store.undoStack().size(), 1);

    // Without a recorded size any regular video file that no other clip uses will do.
    QList<Clip> clips = store.clips();
    clips[0].fileSize = 0;
    store.setClips(clips);
    EXPECT_EQ(store.relinkClip(firstID, QUrl::fromLocalFile(larger)), std::nullopt);
    EXPECT_EQ(clipWith(firstID).url, QUrl::fromLocalFile(larger));
}
