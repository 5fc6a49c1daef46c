// The import and the session restore reach the session only through a
// ClipEditor: over one with no store behind it, what they ask of the session,
// and in which order, is the whole of what they do to it.
#include "StoreTestSupport.h"
#include "support/PlainClipEditor.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace StoreTest;

TEST(EditorRoad, AnImportEditsTheSessionInBatchesThenRecordsOneUndoAndASave)
{
    PlainClipEditor editor;
    ClipImporter importer(editor, [] { return nullptr; });
    // A probe that reads no file; its dates already checked, so no date read follows.
    importer.setProbeFunction([](const QUrl &url, const std::atomic_bool *) {
        Clip probed = clip(url.fileName());
        probed.recordingDateChecked = true;
        return probed;
    });
    QList<QUrl> files;
    for (int i = 1; i <= 20; ++i)
        files.append(QUrl::fromLocalFile(QStringLiteral("/footage/take%1.mov").arg(i)));
    QSignalSpy finished(&importer, &ClipImporter::importsFinished);
    importer.addURLs(std::nullopt, files);
    ASSERT_TRUE(finished.wait(30000));

    EXPECT_EQ(editor.calls, (QStringList{"setLoading", "setLoadingProgress", "setLoadedURLs", "appendClips", "setLoadingProgress",
                                         "appendClips", "setLoadingProgress", "registerUndo", "scheduleSessionSave", "setLoading"}));
    ASSERT_EQ(editor.undo.size(), 1);
    EXPECT_EQ(editor.undo.first().description(), QStringLiteral("Add 20 clips"));
    EXPECT_EQ(editor.clips().size(), 20);
    EXPECT_EQ(editor.loadedURLs().size(), 20);
}

TEST(EditorRoad, ARestoreReplacesTheSessionStepByStep)
{
    QDir().mkpath(QFileInfo(ClipStore::sessionFilePath()).absolutePath());
    ClipStore::SessionData data;
    data.clips = {clip(QStringLiteral("a.mov")), clip(QStringLiteral("b.mov"))};
    data.folderOrganization = QStringLiteral("By Rating");
    data.gridColumns = 4;
    data.savedAt = QDateTime::currentDateTimeUtc();
    ASSERT_TRUE(ClipStore::writeSessionFile(data));

    PlainClipEditor editor;
    SessionRestorer restorer(editor);
    std::optional<bool> restored;
    restorer.restoreSessionAtLaunch([](qint64) { return QStringLiteral("Banger"); }, [&](bool done) { restored = done; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return restored.has_value(); }, 30000));
    EXPECT_EQ(restored, true);
    EXPECT_EQ(editor.calls,
              (QStringList{"rebuildLoadedURLs", "disableSaving", "clearUndoHistory", "setClips", "setLoadedURLs", "setSourceFolderURL",
                           "setAvailableTags", "setFolderOrganization", "setGridColumns", "schedulePostImportWork", "enableSaving"}));
    EXPECT_EQ(editor.clips().size(), 2);
    EXPECT_EQ(editor.loadedURLs().size(), 2);
    QFile::remove(ClipStore::sessionFilePath());
}
