// The import and the session restore reach the session only through a
// ClipEditor: over one with no store behind it, what they ask of the session,
// and in which order, is the whole of what they do to it.
#include "StoreTestSupport.h"
#include "support/PlainClipEditor.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace StoreTest;

namespace {

QList<QUrl> takes(int count)
{
    QList<QUrl> urls;
    for (int i = 1; i <= count; ++i)
        urls.append(QUrl::fromLocalFile(QStringLiteral("/footage/take%1.mov").arg(i)));
    return urls;
}

// An importer over the editor with a probe that reads no file and a date
// read that finds the same date for every file; no poster generator.
struct PlainImport
{
    PlainClipEditor editor;
    ClipImporter importer{editor, [] { return nullptr; }};
    const QDateTime recorded = QDateTime(QDate(2024, 5, 1), QTime(12, 0), Qt::UTC);
    // The date reads wait for it, so that the import's own edits are all in
    // before the first date arrives.
    std::shared_ptr<QSemaphore> datesGate = std::make_shared<QSemaphore>(0);

    PlainImport()
    {
        importer.setProbeFunction([](const QUrl &url, const std::atomic_bool *) {
            Clip clip;
            clip.id = QUuid::createUuid();
            clip.url = url;
            clip.filename = url.fileName();
            return clip; // its recording date left for the date probe
        });
        importer.setDateFunction([date = recorded, gate = datesGate](const QUrl &, const std::atomic_bool *) {
            if (gate->tryAcquire(1, 30000))
                gate->release();
            return std::optional<QDateTime>(date);
        });
    }
    ~PlainImport() { datesGate->release(); }
    bool import(const QList<QUrl> &files)
    {
        QSignalSpy finished(&importer, &ClipImporter::importsFinished);
        importer.addURLs(std::nullopt, files);
        return finished.wait(30000);
    }
};

} // namespace

TEST(EditorRoad, AnImportEditsTheSessionInBatchesThenRecordsOneUndoAndASave)
{
    PlainImport f;
    QSignalSpy dated(&f.importer, &ClipImporter::recordingDatesFinished);
    QSignalSpy prewarmed(&f.importer, &ClipImporter::prewarmFinished);
    ASSERT_TRUE(f.import(takes(20)));

    EXPECT_EQ(f.editor.calls, (QStringList{"setLoading", "setLoadingProgress", "setLoadedURLs", "appendClips", "setLoadingProgress",
                                           "appendClips", "setLoadingProgress", "registerUndo", "scheduleSessionSave", "setLoading"}));
    EXPECT_FALSE(f.editor.isLoading);
    EXPECT_EQ(f.editor.loadingProgress, 1.0);
    ASSERT_EQ(f.editor.undo.size(), 1);
    EXPECT_EQ(f.editor.undo.first().description(), QStringLiteral("Add 20 clips"));
    EXPECT_EQ(f.editor.loadedURLs().size(), 20);

    // The post-import work: the dates read in windows of 8, each window one
    // assignment and one save; no generator, so nothing to prewarm.
    f.editor.calls.clear();
    f.datesGate->release();
    ASSERT_TRUE(dated.wait(30000));
    EXPECT_EQ(f.editor.calls,
              (QStringList{"setClips", "scheduleSessionSave", "setClips", "scheduleSessionSave", "setClips", "scheduleSessionSave"}));
    for (const Clip &clip : f.editor.clips()) {
        EXPECT_EQ(clip.recordedAt, f.recorded);
        EXPECT_EQ(clip.recordingDateChecked, true);
    }
    EXPECT_TRUE(prewarmed.count() == 1 || prewarmed.wait(30000));

    // The same files again: nothing new, no undo, no save.
    f.editor.calls.clear();
    ASSERT_TRUE(f.import(takes(20)));
    EXPECT_EQ(f.editor.calls, (QStringList{"setLoading", "setLoadingProgress", "setLoading"}));
    EXPECT_EQ(f.editor.clips().size(), 20);
    EXPECT_EQ(f.editor.undo.size(), 1);
}

TEST(EditorRoad, AnImportOutdatedByANewSessionLeavesTheSessionAlone)
{
    PlainImport f;
    QSignalSpy finished(&f.importer, &ClipImporter::importsFinished);
    f.importer.addURLs(std::nullopt, takes(3));
    f.editor.rebuildLoadedURLs(); // a new generation before the import body runs
    ASSERT_TRUE(finished.wait(30000));
    EXPECT_EQ(f.editor.calls, (QStringList{"setLoading", "setLoadingProgress", "rebuildLoadedURLs", "setLoading"}));
    EXPECT_TRUE(f.editor.clips().isEmpty());
    EXPECT_TRUE(f.editor.undo.isEmpty());
}

TEST(EditorRoad, RestoreAndNewSessionReplaceTheSessionStepByStep)
{
    QDir().mkpath(QFileInfo(ClipStore::sessionFilePath()).absolutePath());
    enum class File { none, saved, unreadable };
    struct Case
    {
        const char *name;
        File file;
        bool restored;
        QStringList calls;
    };
    const QList<Case> cases{
        {"no session file", File::none, false, {"rebuildLoadedURLs", "disableSaving", "enableSaving"}},
        {"an unreadable file", File::unreadable, false, {"rebuildLoadedURLs", "disableSaving", "enableSaving"}},
        {"a saved session",
         File::saved,
         true,
         {"rebuildLoadedURLs", "disableSaving", "clearUndoHistory", "setClips", "setLoadedURLs", "setSourceFolderURL", "setAvailableTags",
          "setFolderOrganization", "setGridColumns", "schedulePostImportWork", "enableSaving"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(ClipStore::sessionFilePath());
        switch (c.file) {
        case File::none:
            break;
        case File::saved: {
            ClipStore::SessionData data;
            data.clips = {clip(QStringLiteral("a.mov")), clip(QStringLiteral("b.mov"))};
            data.availableTags = {QStringLiteral("Dunk")};
            data.folderOrganization = QStringLiteral("By Rating");
            data.gridColumns = 4;
            data.savedAt = QDateTime::currentDateTimeUtc();
            ASSERT_TRUE(ClipStore::writeSessionFile(data));
            break;
        }
        case File::unreadable: {
            QFile file(ClipStore::sessionFilePath());
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write("not a session");
            break;
        }
        }
        PlainClipEditor editor;
        SessionRestorer restorer(editor);
        QSignalSpy unreadable(&restorer, &SessionRestorer::sessionFileUnreadable);
        std::optional<bool> restored;
        qsizetype toldBeforeTheEnd = -1;
        restorer.restoreSessionAtLaunch([](qint64) { return QStringLiteral("Banger"); },
                                        [&](bool done) {
                                            restored = done;
                                            toldBeforeTheEnd = unreadable.count();
                                        });
        EXPECT_TRUE(restorer.isRestoring());
        ASSERT_TRUE(QTest::qWaitFor([&] { return restored.has_value(); }, 30000));
        EXPECT_EQ(restored, c.restored);
        EXPECT_FALSE(restorer.isRestoring());
        EXPECT_EQ(editor.calls, c.calls);
        EXPECT_EQ(editor.loadedURLs().size(), c.file == File::saved ? 2 : 0);
        EXPECT_EQ(toldBeforeTheEnd, c.file == File::unreadable ? 1 : 0);
        for (const QString &aside : ClipStore::unreadableSessionFilePaths())
            QFile::remove(aside);
    }

    // A new session: the import state reset first, the session file last.
    PlainClipEditor editor;
    editor.setClips({clip(QStringLiteral("a.mov"))});
    editor.calls.clear();
    SessionRestorer(editor).startNewSession(
        {QStringLiteral(" Wide "), QString(), QStringLiteral(".."), QStringLiteral("a/b"), QStringLiteral("Plain")});
    EXPECT_EQ(editor.calls, (QStringList{"rebuildLoadedURLs", "cancelPrewarm", "setAvailableTags", "setClips", "setLoadedURLs",
                                         "setSourceFolderURL", "setSelectedClipIDs", "setHoveredClipID", "setClipToOpen",
                                         "setRenamingClipID", "clearUndoHistory", "clearFilters", "setAudioMetrics", "clearSessionFile"}));
    EXPECT_EQ(editor.availableTags(), (QStringList{" Wide ", "Plain"}));
    EXPECT_TRUE(editor.clips().isEmpty());
    EXPECT_TRUE(editor.loadedURLs().isEmpty());
    QFile::remove(ClipStore::sessionFilePath());
}
