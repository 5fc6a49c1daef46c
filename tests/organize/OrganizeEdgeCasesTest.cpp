// The organize run at the edges of real file systems: names at the length
// limit, a destination folder that goes away mid-run, and clips whose drive
// is gone. Each must end with the truthful message and no folder made in vain.
#include "organize/OrganizeCommit.h"

#include "OrganizeTestSupport.h"
#include "Printers.h"

#include <QJsonArray>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <climits>

using namespace OrganizeTest;
using Op = HookedFileOperations::Op;

namespace {

struct Scratch
{
    QTemporaryDir dir;
    QString footage = dir.filePath("footage");
    QString destination = dir.filePath("dest");
    QString records = dir.filePath("data/Triagon/CommitRecords");
    HookedFileOperations files;

    Clip clip(const QString &name, qint64 rating = 5, qint64 size = 100)
    {
        return clipFor(makeFile(footage + QLatin1Char('/') + name, size), rating);
    }
    OrganizeRequest request(const QList<Clip> &clips)
    {
        QDir().mkpath(destination);
        OrganizeRequest r;
        r.clips = clips;
        r.destination = QUrl::fromLocalFile(destination);
        r.organization = FolderOrganization::byRating;
        r.skippedCount = 1;
        r.recordsFolder = records;
        return r;
    }
    QString out(const QString &relative) const { return destination + QLatin1Char('/') + relative; }
};

qsizetype utf8Bytes(const QString &name)
{
    return name.toUtf8().size();
}

QString repeated(const QString &piece, int times)
{
    return piece.repeated(times);
}

} // namespace

// A clip whose name is as long as the file system allows, organized into a
// folder where that name is taken: the numbered name is shortened to fit,
// keeps its extension and never ends inside a character.
TEST(OrganizeEdgeCases, ANumberedNameIsShortenedToTheFileSystemsLimit)
{
    struct Case
    {
        const char *what;
        QString name;     // the clip's name, also the one taken in the folder
        QString expected; // where the clip lands
    };
    const QString ascii = repeated(QStringLiteral("a"), NAME_MAX - 4) + QStringLiteral(".mov");
    // "é" is two bytes: cutting one byte would split it.
    const QString accents = QStringLiteral("b") + repeated(QStringLiteral("\u00e9"), (NAME_MAX - 5) / 2) + QStringLiteral(".mov");
    // "😀" is four bytes in UTF-8 and two UTF-16 units.
    const QString emoji = QStringLiteral("cc") + repeated(QStringLiteral("\U0001F600"), (NAME_MAX - 6) / 4) + QStringLiteral(".MP4");
    // A base letter with its combining accent is one character of three bytes.
    const QString combining = QStringLiteral("d") + repeated(QStringLiteral("e\u0301"), (NAME_MAX - 1 - 4) / 3) + QStringLiteral(".mov");
    const QString noExtension = repeated(QStringLiteral("t"), NAME_MAX);
    const QList<Case> cases{
        {"ASCII", ascii, repeated(QStringLiteral("a"), NAME_MAX - 4 - 2) + QStringLiteral("_1.mov")},
        {"two-byte characters", accents,
         QStringLiteral("b") + repeated(QStringLiteral("\u00e9"), (NAME_MAX - 5) / 2 - 1) + QStringLiteral("_1.mov")},
        {"four-byte characters", emoji,
         QStringLiteral("cc") + repeated(QStringLiteral("\U0001F600"), (NAME_MAX - 6) / 4 - 1) + QStringLiteral("_1.MP4")},
        {"combining accents", combining,
         QStringLiteral("d") + repeated(QStringLiteral("e\u0301"), (NAME_MAX - 1 - 4) / 3 - 1) + QStringLiteral("_1.mov")},
        {"no extension", noExtension, repeated(QStringLiteral("t"), NAME_MAX - 2) + QStringLiteral("_1")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_LE(utf8Bytes(c.name), NAME_MAX);
        ASSERT_LE(utf8Bytes(c.expected), NAME_MAX);
        Scratch run;
        makeFile(run.out(QStringLiteral("5-star/") + c.name), 7);
        Clip clip = run.clip(QStringLiteral("C0001.MP4"));
        clip.filename = c.name; // renamed in the session
        const OrganizeOutcome outcome = OrganizeCommit::commit(run.request({clip}), run.files);
        EXPECT_TRUE(outcome.result.errors.isEmpty()) << outcome.result.errors.join('\n').toStdString();
        EXPECT_EQ(outcome.result.movedCount, 1);
        EXPECT_EQ(QFileInfo(run.out(QStringLiteral("5-star/") + c.name)).size(), 7);
        EXPECT_EQ(QFileInfo(run.out(QStringLiteral("5-star/") + c.expected)).size(), 100);
        EXPECT_EQ(readJson(outcome.recordPath)["files"].toArray()[0].toObject()["to"].toString(),
                  run.out(QStringLiteral("5-star/") + c.expected));
    }
}

TEST(OrganizeEdgeCases, ANameTooLongForTheFileSystemIsNumberedToFitAndTwoClashesCountOn)
{
    Scratch run;
    // A session name past the limit cannot be created as it stands.
    const QString tooLong = repeated(QStringLiteral("x"), NAME_MAX + 40) + QStringLiteral(".mov");
    Clip first = run.clip(QStringLiteral("one.mov"));
    Clip second = run.clip(QStringLiteral("two.mov"));
    first.filename = second.filename = tooLong;
    const OrganizeOutcome outcome = OrganizeCommit::commit(run.request({first, second}), run.files);
    EXPECT_TRUE(outcome.result.errors.isEmpty()) << outcome.result.errors.join('\n').toStdString();
    const QString base = repeated(QStringLiteral("x"), NAME_MAX - 4 - 2);
    EXPECT_EQ(QFileInfo(run.out(QStringLiteral("5-star/") + base + QStringLiteral("_1.mov"))).size(), 100);
    EXPECT_EQ(QFileInfo(run.out(QStringLiteral("5-star/") + base + QStringLiteral("_2.mov"))).size(), 100);
}

// A place that cannot be examined is not free: the numbering stops there and
// the clip fails with the reason instead of being planned onto it.
TEST(OrganizeEdgeCases, OnlyAMissingNameCountsAsFree)
{
    Scratch run;
    const Clip a = run.clip(QStringLiteral("a.mov"));
    const Clip b = run.clip(QStringLiteral("b.mov"));
    const QString blocked = run.out(QStringLiteral("5-star/a.mov"));
    run.files.before = [&](Op op, const QString &path, const QString &) -> std::optional<OrganizeError> {
        if (op == Op::entry && path == blocked)
            return OrganizeError::fromErrno(EIO, path);
        return std::nullopt;
    };
    const OrganizeOutcome outcome = OrganizeCommit::commit(run.request({a, b}), run.files);
    EXPECT_EQ(outcome.result.errors, QStringList{QStringLiteral("a.mov: ") + qt_error_string(EIO) + QStringLiteral(" (") + blocked + ')'});
    EXPECT_EQ(outcome.result.movedCount, 1);
    EXPECT_TRUE(QFileInfo::exists(a.path()));
    EXPECT_FALSE(QFileInfo::exists(blocked));
    EXPECT_EQ(QFileInfo(run.out(QStringLiteral("5-star/b.mov"))).size(), 100);
}

TEST(OrganizeEdgeCases, ADestinationFolderRemovedMidRunIsNamedInEachRemainingError)
{
    Scratch run;
    const Clip a = run.clip(QStringLiteral("C0000.MP4"));
    const Clip b = run.clip(QStringLiteral("C0001.MP4"));
    const Clip c = run.clip(QStringLiteral("C0002.MP4"));
    const QString folder = run.out(QStringLiteral("5-star"));
    // Once the first file is moved and recorded, the user drags the folder away.
    run.files.after = [&](Op op, const QString &, const QString &) {
        if (op == Op::write && run.files.writes.size() == 2) {
            ASSERT_TRUE(QDir().rename(folder, run.out(QStringLiteral("elsewhere"))));
        }
    };
    const OrganizeOutcome outcome = OrganizeCommit::commit(run.request({a, b, c}), run.files);
    const QString gone = qt_error_string(ENOENT) + QStringLiteral(" (") + folder + QLatin1Char(')');
    EXPECT_EQ(outcome.result.errors, (QStringList{QStringLiteral("C0001.MP4: ") + gone, QStringLiteral("C0002.MP4: ") + gone}));
    EXPECT_TRUE(QFileInfo::exists(b.path()));
    EXPECT_TRUE(QFileInfo::exists(c.path()));
    EXPECT_TRUE(QFileInfo::exists(run.out(QStringLiteral("elsewhere/C0000.MP4"))));
}

TEST(OrganizeEdgeCases, ClipsWhoseDriveIsGoneAreRefusedAndNothingIsMade)
{
    Scratch run;
    const Clip a = run.clip(QStringLiteral("DCIM/C0000.MP4"), 5);
    const Clip b = run.clip(QStringLiteral("DCIM/C0001.MP4"), 3);
    // The drive is unplugged: its mount point stays behind, empty, on the
    // system disk, and the destination lies under it.
    ASSERT_TRUE(QDir(run.footage).removeRecursively());
    ASSERT_TRUE(QDir().mkpath(run.footage));
    OrganizeRequest request = run.request({a, b});
    request.destination = QUrl::fromLocalFile(run.footage);
    request.newFolderName = QStringLiteral("Organized");
    request.generateManifest = true;
    const OrganizeOutcome outcome = OrganizeCommit::commit(request, run.files);
    EXPECT_EQ(outcome.result, ExportResult::refused(OrganizeCommit::offlineText(), 1));
    EXPECT_EQ(OrganizeCommit::offlineText(),
              QStringLiteral("The clips in this export scope are offline. Reconnect the drive that holds them, then try again."));
    EXPECT_TRUE(QDir(run.footage).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(run.records));
    EXPECT_EQ(run.files.moves, 0);
    EXPECT_TRUE(outcome.recordPath.isEmpty());
}

TEST(OrganizeEdgeCases, OnlyTheFoldersOfClipsOnDiskAreMade)
{
    Scratch run;
    const Clip here = run.clip(QStringLiteral("here/C0000.MP4"), 5);
    const Clip gone = run.clip(QStringLiteral("gone/C0001.MP4"), 3);
    const Clip alsoGone = run.clip(QStringLiteral("gone/C0002.MP4"), 5);
    ASSERT_TRUE(QDir(run.footage + QStringLiteral("/gone")).removeRecursively());
    const OrganizeOutcome outcome = OrganizeCommit::commit(run.request({here, gone, alsoGone}), run.files);
    EXPECT_EQ(outcome.result.errors,
              (QStringList{QStringLiteral("C0001.MP4: ") + qt_error_string(ENOENT) + QStringLiteral(" (") + gone.path() + ')',
                           QStringLiteral("C0002.MP4: ") + qt_error_string(ENOENT) + QStringLiteral(" (") + alsoGone.path() + ')'}));
    EXPECT_EQ(outcome.result.movedCount, 1);
    EXPECT_TRUE(QFileInfo::exists(run.out(QStringLiteral("5-star/C0000.MP4"))));
    EXPECT_FALSE(QFileInfo::exists(run.out(QStringLiteral("3-star"))));
    EXPECT_EQ(QDir(run.destination).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{QStringLiteral("5-star")});
}

TEST(OrganizeEdgeCases, WithNothingToMoveAndNoManifestNoExportFolderIsMade)
{
    Scratch run;
    const Clip gone = run.clip(QStringLiteral("C0000.MP4"));
    const Clip folder = run.clip(QStringLiteral("C0001.MP4"));
    ASSERT_TRUE(QFile::remove(gone.path()));
    ASSERT_TRUE(QFile::remove(folder.path()));
    ASSERT_TRUE(QDir().mkdir(folder.path())); // present, but not a file that can move
    OrganizeRequest request = run.request({gone, folder});
    request.newFolderName = QStringLiteral("Organized");
    const OrganizeOutcome outcome = OrganizeCommit::commit(request, run.files);
    EXPECT_EQ(outcome.result.errors.size(), 2);
    EXPECT_EQ(outcome.result.movedCount, 0);
    EXPECT_FALSE(outcome.result.exportFolder);
    EXPECT_TRUE(QDir(run.destination).isEmpty());
    EXPECT_TRUE(QFileInfo(folder.path()).isDir());
}
