#include "library/ClipStore.h"
#include "media/AudioScrubEngine.h"
#include "media/ScrubPlayerPool.h"
#include "organize/OrganizeRunner.h"

#include "OrganizeTestSupport.h"
#include "Printers.h"

#include <QSemaphore>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace OrganizeTest;
using Op = HookedFileOperations::Op;

namespace {

// Clips added as an import would: their files count as loaded.
struct Session : StoreFolders
{
    Clip add(const QString &name, qint64 rating, const QStringList &tags = {}, qint64 size = 100)
    {
        const Clip clip = StoreFolders::add(name, rating, tags, size);
        QSet<QUrl> loaded = store.loadedURLs();
        loaded.insert(clip.url);
        store.setLoadedURLs(loaded);
        return clip;
    }

    // Runs an organize to its end and returns its result.
    ExportResult organize(ExportScope scope, const std::optional<QString> &folder = std::nullopt, bool manifest = false)
    {
        std::optional<ExportResult> result;
        store.organizeClips(scope, QUrl::fromLocalFile(destination), folder, manifest, [&](const ExportResult &r) { result = r; });
        EXPECT_TRUE(QTest::qWaitFor([&] { return result.has_value(); }, 30000));
        return result.value_or(ExportResult{});
    }
    QString out(const QString &relative) const { return destination + QLatin1Char('/') + relative; }
};

QStringList namesOf(const QList<Clip> &clips)
{
    QStringList names;
    for (const Clip &c : clips)
        names.append(c.filename);
    return names;
}

bool undoMentions(const ClipStore &store, const QUuid &id)
{
    // The records here are single rating changes: one about the clip purges whole.
    for (const UndoAction &action : store.undoStack()) {
        if (!action.purged({id}))
            return true;
    }
    return false;
}

} // namespace

TEST(OrganizeStore, RefusalsComeBackAtOnceWithTheirCounts)
{
    Session s;
    s.add("a.mov", 0);
    s.add("b.mov", 0);

    std::optional<ExportResult> result;
    auto keep = [&](const ExportResult &r) { result = r; };
    s.store.organizeClips(ExportScope::all, QUrl::fromLocalFile(s.destination), QStringLiteral("a/b"), false, keep);
    ASSERT_TRUE(result);
    EXPECT_EQ(*result, ExportResult::refused(QStringLiteral("Enter a folder name without slashes or colons.")));

    result.reset();
    s.store.organizeClips(ExportScope::shortlisted, QUrl::fromLocalFile(s.destination), std::nullopt, false, keep);
    ASSERT_TRUE(result);
    EXPECT_EQ(*result, ExportResult::refused(QStringLiteral("There are no clips in this export scope."), 2));
    EXPECT_FALSE(s.store.isExporting());
    EXPECT_TRUE(s.files->writes.isEmpty());
}

TEST(OrganizeStore, SecondRunIsRefusedWhileTheFirstWorks)
{
    Session s;
    const Clip a = s.add("a.mov", 3);
    QSemaphore held, release;
    s.files->before = [&](Op op, const QString &, const QString &) -> std::optional<OrganizeError> {
        if (op == Op::write && s.files->writes.isEmpty()) {
            held.release();
            release.acquire();
        }
        return std::nullopt;
    };
    std::optional<ExportResult> first;
    s.store.organizeClips(ExportScope::all, QUrl::fromLocalFile(s.destination), std::nullopt, false,
                          [&](const ExportResult &r) { first = r; });
    EXPECT_TRUE(s.store.isExporting());
    ASSERT_TRUE(held.tryAcquire(1, 10000));

    std::optional<ExportResult> second;
    s.store.organizeClips(ExportScope::all, QUrl::fromLocalFile(s.destination), std::nullopt, false,
                          [&](const ExportResult &r) { second = r; });
    ASSERT_TRUE(second);
    EXPECT_EQ(*second, ExportResult::refused(QStringLiteral("A commit is already running.")));
    // The folder-name check comes first, even while a run works.
    second.reset();
    s.store.organizeClips(ExportScope::all, QUrl::fromLocalFile(s.destination), QStringLiteral(".."), false,
                          [&](const ExportResult &r) { second = r; });
    EXPECT_EQ(second->errors, QStringList{QStringLiteral("Enter a folder name without slashes or colons.")});
    EXPECT_TRUE(s.store.isExporting());

    release.release();
    ASSERT_TRUE(QTest::qWaitFor([&] { return first.has_value(); }, 30000));
    EXPECT_EQ(first->movedCount, 1);
    EXPECT_TRUE(first->errors.isEmpty());
    EXPECT_FALSE(s.store.isExporting());
    EXPECT_TRUE(QFileInfo::exists(s.out("3-star/a.mov")));
}

TEST(OrganizeStore, TheOutcomeReachesTheSession)
{
    Session s;
    const Clip moved = s.add("moved.mov", 5, {QStringLiteral("Dunk")});
    const Clip outside = s.add("outside.mov", 0);
    const Clip stuck = s.add("stuck.mov", 4);
    const Clip grown = s.add("grown.mov", 2);
    s.store.setRating(3, moved.id);
    s.store.setRating(4, moved.id);
    s.store.setRating(3, stuck.id);
    s.store.setRating(4, stuck.id);
    s.store.setRating(2, outside.id);
    s.store.setRating(2, outside.id); // the same rating again clears it
    s.store.setSelectedClipIDs({moved.id, outside.id});
    appendBytes(grown.path(), "more");
    // stuck.mov changes size on the way and cannot be moved back.
    s.files->before = [&](Op op, const QString &from, const QString &) -> std::optional<OrganizeError> {
        if (op == Op::move && from == s.out("4-star/stuck.mov"))
            return OrganizeError::fromErrno(EROFS);
        return std::nullopt;
    };
    s.files->after = [&](Op op, const QString &, const QString &to) {
        if (op == Op::move && to == s.out("4-star/stuck.mov"))
            appendBytes(to, "x");
    };
    QList<double> progress;
    QObject::connect(&s.store, &ClipStore::exportProgressChanged, [&] {
        if (progress.isEmpty() || progress.last() != s.store.exportProgress())
            progress.append(s.store.exportProgress());
    });

    const ExportResult result = s.organize(ExportScope::shortlisted);
    EXPECT_EQ(result.movedCount, 2);
    EXPECT_EQ(result.skippedCount, 1);
    EXPECT_EQ(result.errors.size(), 3);
    EXPECT_EQ(result.exportFolder, QUrl::fromLocalFile(s.destination));

    EXPECT_EQ(namesOf(s.store.clips()), (QStringList{"outside.mov", "stuck.mov", "grown.mov"}));
    const Clip &relocated = s.store.clips()[1];
    EXPECT_EQ(relocated.url, QUrl::fromLocalFile(s.out("4-star/stuck.mov")));
    EXPECT_EQ(relocated.filename, QStringLiteral("stuck.mov"));
    EXPECT_FALSE(relocated.isMissing);
    EXPECT_EQ(s.store.clips()[2].url, grown.url);
    EXPECT_FALSE(s.store.loadedURLs().contains(moved.url));
    EXPECT_FALSE(s.store.loadedURLs().contains(stuck.url));
    EXPECT_TRUE(s.store.loadedURLs().contains(relocated.url));
    EXPECT_FALSE(undoMentions(s.store, moved.id));
    EXPECT_FALSE(undoMentions(s.store, stuck.id));
    EXPECT_TRUE(undoMentions(s.store, outside.id));
    EXPECT_EQ(s.store.selectedClipIDs(), QSet<QUuid>{outside.id});
    EXPECT_EQ(s.store.exportProgress(), 1.0);
    EXPECT_EQ(s.store.exportCurrentFile(), QString());
    EXPECT_FALSE(s.store.isExporting());

    // Saved at once, with the clips that remain.
    EXPECT_FALSE(s.store.isSessionSaveScheduled());
    const auto saved = ClipStore::readSessionFile();
    ASSERT_TRUE(saved);
    EXPECT_EQ(namesOf(saved->first.clips), (QStringList{"outside.mov", "stuck.mov", "grown.mov"}));

    // The progress seen during the run stayed below 1; 1 came with the outcome.
    ASSERT_GE(progress.size(), 2);
    EXPECT_EQ(progress.first(), 0.0);
    EXPECT_LT(progress[progress.size() - 2], 1.0);
    EXPECT_EQ(progress.last(), 1.0);

    // The record sits beside the session file.
    EXPECT_EQ(ClipStore::commitRecordsFolderPath(),
              QFileInfo(ClipStore::sessionFilePath()).absolutePath() + QStringLiteral("/CommitRecords"));
    EXPECT_TRUE(s.store.lastCommitRecordPath().startsWith(ClipStore::commitRecordsFolderPath() + QLatin1Char('/')));
    EXPECT_TRUE(QFileInfo::exists(s.store.lastCommitRecordPath()));
    EXPECT_TRUE(s.store.lastCommitRecordPath().startsWith(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)));
}

TEST(OrganizeStore, MovingEveryClipRemovesTheSessionFile)
{
    Session s;
    s.add("a.mov", 1);
    s.add("b.mov", 0);
    s.store.saveSessionImmediately();
    ASSERT_TRUE(QFileInfo::exists(ClipStore::sessionFilePath()));
    const ExportResult result = s.organize(ExportScope::all, QStringLiteral("Triagon"), true);
    EXPECT_EQ(result.movedCount, 2);
    EXPECT_TRUE(s.store.clips().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(ClipStore::sessionFilePath()));
    EXPECT_EQ(result.manifestURL, QUrl::fromLocalFile(s.out("Triagon/triagon-manifest.json")));
    EXPECT_EQ(contentOf(s.out("Triagon/triagon-manifest.json")), contentOf(s.store.lastCommitRecordPath()));
}

TEST(OrganizeStore, ARunTheWorkerRefusesStillSavesAndRechecksTheFiles)
{
    Session s;
    const Clip a = s.add("a.mov", 5);
    const Clip gone = s.add("gone.mov", 5);
    QFile::remove(gone.path());
    s.files->volumeOf = [&](const QString &path) -> std::optional<quint64> { return path == s.destination ? 1 : 2; };
    const ExportResult result = s.organize(ExportScope::shortlisted);
    EXPECT_EQ(result, ExportResult::refused(QStringLiteral("Choose a destination on the same drive as every clip in this group.")));
    EXPECT_EQ(s.store.clips().size(), 2);
    EXPECT_TRUE(s.store.clips()[1].isMissing);
    EXPECT_TRUE(QFileInfo::exists(ClipStore::sessionFilePath()));
    EXPECT_TRUE(QFileInfo::exists(a.path()));
    EXPECT_FALSE(s.store.isExporting());
}

TEST(OrganizeStore, ScrubPlayersAndSoundAreReleasedBeforeFilesMove)
{
    Session s;
    const Clip a = s.add("a.mov", 5);
    s.store.scrubPlayerPool()->player(a.path());
    s.store.audioScrubEngine()->setActiveURL(a.path());
    ASSERT_EQ(s.store.scrubPlayerPool()->count(), 1);
    std::optional<ExportResult> result;
    s.store.organizeClips(ExportScope::all, QUrl::fromLocalFile(s.destination), std::nullopt, false,
                          [&](const ExportResult &r) { result = r; });
    // Released before the file work was handed off.
    EXPECT_EQ(s.store.scrubPlayerPool()->count(), 0);
    EXPECT_EQ(s.store.audioScrubEngine()->activeURL(), QString());
    ASSERT_TRUE(QTest::qWaitFor([&] { return result.has_value(); }, 30000));
    EXPECT_EQ(result->movedCount, 1);
}
