// The organize run against faults that real file systems produce: a full
// disk (a small tmpfs), a second drive, and entries at a clip's path that
// are not regular files. Each must end with the truthful message, and with
// the session and the commit record whole.
#include "library/ClipStore.h"
#include "organize/CommitRecord.h"
#include "organize/OrganizeCommit.h"
#include "organize/VerifiedMove.h"

#include "OrganizeTestSupport.h"
#include "Printers.h"
#include "support/SmallDisk.h"

#include <QJsonArray>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace OrganizeTest;
using Op = HookedFileOperations::Op;

namespace {

const QString noSpace = qt_error_string(ENOSPC);

struct Folders
{
    QTemporaryDir dir;
    QString footage = dir.filePath("footage");
    QString destination = dir.filePath("dest");
    QString records = dir.filePath("data/Triagon/CommitRecords");
    HookedFileOperations files;

    Clip clip(const QString &name, qint64 rating = 5) { return clipFor(makeFile(footage + QLatin1Char('/') + name, 100), rating); }

    OrganizeRequest request(const QList<Clip> &clips)
    {
        QDir().mkpath(destination);
        return byRating(clips, destination, records);
    }
};

QStringList statusesIn(const QString &recordPath)
{
    QStringList result;
    for (const QJsonValue &v : readJson(recordPath)["files"].toArray())
        result.append(v.toObject()["status"].toString());
    return result;
}

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

TEST(OrganizeRealFaults, AClipPathThatIsNotARegularFileIsLeftInPlaceSayingWhatItIs)
{
    Folders run;
    const Clip pipe = run.clip("pipe.mov");
    const Clip folder = run.clip("folder.mov");
    const Clip link = run.clip("link.mov");
    const Clip plain = run.clip("plain.mov");
    // Since the import, each of the first three paths became something else.
    for (const Clip &c : {pipe, folder, link})
        ASSERT_TRUE(QFile::remove(c.path()));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe.path()).constData(), 0644), 0);
    ASSERT_TRUE(QDir().mkdir(folder.path()));
    ASSERT_EQ(::symlink(QFile::encodeName(plain.path()).constData(), QFile::encodeName(link.path()).constData()), 0);

    const OrganizeOutcome outcome = OrganizeCommit::commit(run.request({pipe, folder, link, plain}), run.files);
    EXPECT_EQ(outcome.result.errors,
              (QStringList{QStringLiteral("pipe.mov: This is a named pipe (FIFO), not a regular file; it has been left in place."),
                           QStringLiteral("folder.mov: This is a folder, not a regular file; it has been left in place."),
                           QStringLiteral("link.mov: This is a symbolic link, not a regular file; it has been left in place.")}));
    EXPECT_EQ(outcome.result.movedCount, 1);
    struct stat info
    {
    };
    ASSERT_EQ(::lstat(QFile::encodeName(pipe.path()).constData(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
    EXPECT_TRUE(QFileInfo(folder.path()).isDir());
    EXPECT_TRUE(QFileInfo(link.path()).isSymLink());
    EXPECT_EQ(statusesIn(outcome.recordPath), (QStringList{"failed", "failed", "failed", "verified"}));
    EXPECT_TRUE(QFileInfo::exists(run.destination + QStringLiteral("/5-star/plain.mov")));
}

TEST(OrganizeRealFaults, ARecordsFolderThatCannotBeMadeIsNamed)
{
    Folders run;
    const Clip a = run.clip("a.mov");
    makeFile(run.dir.filePath("data/Triagon"), 5); // a file where the application's folder should be
    const OrganizeOutcome outcome = OrganizeCommit::commit(run.request({a}), run.files);
    ASSERT_EQ(outcome.result.errors.size(), 1);
    EXPECT_EQ(outcome.result.errors[0], OrganizeCommit::prepareFoldersPrefix() + QStringLiteral("The records folder \u201C") + run.records
                                            + QStringLiteral("\u201D could not be made: ") + qt_error_string(EEXIST) + QStringLiteral(" (")
                                            + run.dir.filePath("data/Triagon") + QLatin1Char(')'));
    EXPECT_TRUE(QFileInfo::exists(a.path()));
    EXPECT_EQ(run.files.moves, 0);
}

TEST(OrganizeRealFaults, AMissingDestinationOnAnotherDriveIsRefusedBeforeAnyFolderIsMade)
{
    Folders run;
    SmallDisk drive(run.dir.filePath("otherdrive"));
    SKIP_WITHOUT(drive);
    const Clip a = run.clip("a.mov");
    OrganizeRequest request = run.request({a});
    request.destination = QUrl::fromLocalFile(drive.folder() + QStringLiteral("/not/yet"));
    EXPECT_TRUE(VerifiedMove::hasClipOnOtherVolume(run.files, {a}, request.destination));

    const OrganizeOutcome outcome = OrganizeCommit::commit(request, run.files);
    EXPECT_EQ(outcome.result.errors, QStringList{OrganizeCommit::otherVolumeText()});
    EXPECT_FALSE(QFileInfo::exists(drive.folder() + QStringLiteral("/not")));
    EXPECT_TRUE(QFileInfo::exists(a.path()));
    EXPECT_EQ(run.files.moves, 0);

    // A missing folder on the clips' own drive still passes.
    EXPECT_FALSE(VerifiedMove::hasClipOnOtherVolume(run.files, {a}, QUrl::fromLocalFile(run.dir.filePath("new/folder"))));
}

TEST(OrganizeRealFaults, ADiskThatFillsMidRunStopsItWithTheSystemsMessageAndAWholeRecord)
{
    Folders run;
    SmallDisk data(run.dir.filePath("data"));
    SKIP_WITHOUT(data);
    const Clip a = run.clip("a.mov");
    const Clip b = run.clip("b.mov");
    const Clip c = run.clip("c.mov");
    QByteArray planned;
    run.files.after = [&](Op op, const QString &path, const QString &) {
        if (op == Op::write && planned.isEmpty())
            planned = fileBytes(path);
        if (op == Op::move && run.files.moves == 1)
            data.fill();
    };
    const OrganizeOutcome outcome = OrganizeCommit::commit(run.request({a, b, c}), run.files);
    const QString record = outcome.recordPath;
    ASSERT_FALSE(record.isEmpty());
    EXPECT_EQ(outcome.result.errors,
              (QStringList{OrganizeCommit::recordMovePrefix() + noSpace + QStringLiteral(" (") + record + QLatin1Char(')'),
                           OrganizeCommit::finalizeRecordPrefix() + noSpace + QStringLiteral(" (") + record + QLatin1Char(')')}));
    // The run stopped after the first file; the record on disk is the whole
    // one written before it.
    EXPECT_EQ(outcome.result.movedCount, 1);
    EXPECT_TRUE(QFileInfo::exists(b.path()));
    EXPECT_TRUE(QFileInfo::exists(c.path()));
    ASSERT_FALSE(planned.isEmpty());
    EXPECT_EQ(fileBytes(record), planned);
    EXPECT_EQ(statusesIn(record), (QStringList{"pending", "pending", "pending"}));
    EXPECT_EQ(QDir(run.records).entryList(QDir::Files | QDir::Hidden), QStringList{QFileInfo(record).fileName()});
}

// The store's side: the data folder (session file and records) on a full
// disk. Nothing is moved, the user reads why, and the session file keeps the
// last session.
TEST(OrganizeRealFaults, AFullDataDiskReportsTheFailureAndKeepsTheSessionAndRecords)
{
    SmallDisk data(QFileInfo(ClipStore::sessionFilePath()).absolutePath());
    SKIP_WITHOUT(data);
    StoreFolders s;
    const Clip a = s.add("a.mov", 5);
    const Clip b = s.add("b.mov", 3);
    s.store.saveSessionImmediately();
    ASSERT_FALSE(s.store.sessionSaveError().has_value());
    const QByteArray session = fileBytes(ClipStore::sessionFilePath());
    ASSERT_TRUE(data.fill());

    std::optional<ExportResult> result;
    s.store.organizeClips(ExportScope::all, QUrl::fromLocalFile(s.destination), std::nullopt, false,
                          [&](const ExportResult &r) { result = r; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return result.has_value(); }, 30000));
    ASSERT_EQ(result->errors.size(), 1);
    EXPECT_TRUE(result->errors[0].startsWith(OrganizeCommit::recordPlanPrefix() + noSpace)) << result->errors[0].toStdString();
    EXPECT_EQ(result->movedCount, 0);
    EXPECT_TRUE(QFileInfo::exists(a.path()));
    EXPECT_TRUE(QFileInfo::exists(b.path()));

    // The save after the run could not be written either: the user is told,
    // and the file still holds the session.
    ASSERT_TRUE(s.store.sessionSaveError().has_value());
    EXPECT_TRUE(s.store.sessionSaveError()->endsWith(noSpace));
    EXPECT_EQ(fileBytes(ClipStore::sessionFilePath()), session);
    const QString records = QFileInfo(ClipStore::sessionFilePath()).absolutePath() + QStringLiteral("/CommitRecords");
    EXPECT_TRUE(QDir(records).entryList(QDir::Files | QDir::Hidden).isEmpty());
}
