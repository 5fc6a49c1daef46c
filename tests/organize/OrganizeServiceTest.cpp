// The organize service works on any ClipEditor: driven here through a plain
// in-test editor (no store), with real files moved by the real runner.
#include "OrganizeTestSupport.h"
#include "Printers.h"
#include "organize/FolderPlan.h"
#include "organize/OrganizeService.h"
#include "support/PlainClipEditor.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace OrganizeTest;

namespace {

struct ServiceFolders
{
    QTemporaryDir dir;
    QString footage = dir.filePath("footage");
    QString destination = dir.filePath("dest");
    QString records = dir.filePath("records");
    PlainClipEditor editor;
    OrganizeService service{editor, [this] { return records; }};
    std::shared_ptr<HookedFileOperations> files = std::make_shared<HookedFileOperations>();

    ServiceFolders()
    {
        QDir().mkpath(destination);
        service.runner().setFileOperations(files);
    }
    Clip add(const QString &name, qint64 rating)
    {
        const Clip clip = clipFor(makeFile(footage + QLatin1Char('/') + name, 100), rating);
        QList<Clip> clips = editor.clips();
        clips.append(clip);
        editor.setClips(clips);
        return clip;
    }
};

} // namespace

TEST(OrganizeService, ARunStopsTheReadersFirstAndHandsTheMovesBackToTheEditor)
{
    ServiceFolders f;
    const Clip a = f.add(QStringLiteral("A.MP4"), 5);
    const Clip b = f.add(QStringLiteral("B.MP4"), 3);
    f.editor.calls.clear();
    // The readers stop before the file work starts, not while it runs.
    std::optional<bool> runningAtStop;
    f.editor.onStopReadingFiles = [&f, &runningAtStop] { runningAtStop = f.service.runner().isRunning(); };
    QSignalSpy progress(&f.service, &OrganizeService::progressChanged);

    std::optional<ExportResult> result;
    f.service.organizeClips(ExportScope::all, QUrl::fromLocalFile(f.destination), std::nullopt, false,
                            [&result](const ExportResult &r) { result = r; });
    EXPECT_TRUE(f.service.isExporting());
    ASSERT_TRUE(QTest::qWaitFor([&result] { return result.has_value(); }, 60000));

    EXPECT_EQ(result->movedCount, 2);
    EXPECT_EQ(runningAtStop, false);
    // No clip is left, so the session file goes rather than being saved.
    EXPECT_EQ(f.editor.calls, (QStringList{"stopReadingFiles", "applyOrganizedMoves", "clearSessionFile"}));
    EXPECT_EQ(f.editor.moved, (QSet<QUuid>{a.id, b.id}));
    EXPECT_TRUE(f.editor.relocated.isEmpty());
    EXPECT_TRUE(QFileInfo::exists(f.destination + QLatin1Char('/') + FolderPlan::ratingFolderName(5) + QStringLiteral("/A.MP4")));
    EXPECT_TRUE(f.service.lastCommitRecordPath().startsWith(f.records + QLatin1Char('/')));
    EXPECT_FALSE(f.service.isExporting());
    EXPECT_EQ(f.service.exportProgress(), 1.0);
    EXPECT_GE(progress.count(), 2);
}

TEST(OrganizeService, ARefusalAsksNothingOfTheSession)
{
    ServiceFolders f;
    f.add(QStringLiteral("A.MP4"), 5);
    f.editor.calls.clear();
    QSignalSpy progress(&f.service, &OrganizeService::progressChanged);

    std::optional<ExportResult> result;
    // The in-test editor's shortlist is empty.
    f.service.organizeClips(ExportScope::shortlisted, QUrl::fromLocalFile(f.destination), std::nullopt, false,
                            [&result](const ExportResult &r) { result = r; });
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->movedCount, 0);
    EXPECT_EQ(result->skippedCount, 1);
    EXPECT_TRUE(f.editor.calls.isEmpty());
    EXPECT_EQ(progress.count(), 0);
    EXPECT_FALSE(f.service.isExporting());
    EXPECT_TRUE(f.service.lastCommitRecordPath().isEmpty());
}
