// The organize run at the edges of real file systems: names at the length
// limit, a name that cannot be examined, and clips whose drive is gone. Each
// must end with the truthful message and no folder made in vain.
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
    QString records = dir.filePath("records");
    HookedFileOperations files;

    Clip clip(const QString &name, qint64 rating = 5) { return clipFor(makeFile(footage + QLatin1Char('/') + name, 100), rating); }
    OrganizeOutcome commit(const QList<Clip> &clips, const std::optional<QString> &newFolderName = {}, bool manifest = false)
    {
        QDir().mkpath(destination);
        OrganizeRequest r;
        r.clips = clips;
        r.destination = QUrl::fromLocalFile(destination);
        r.organization = FolderOrganization::byRating;
        r.skippedCount = 1;
        r.recordsFolder = records;
        r.newFolderName = newFolderName;
        r.generateManifest = manifest;
        return OrganizeCommit::commit(r, files);
    }
    QString out(const QString &relative) const { return destination + QLatin1Char('/') + relative; }
};

QString withPath(int code, const QString &path)
{
    return qt_error_string(code) + QStringLiteral(" (") + path + QLatin1Char(')');
}

} // namespace

// Two clips given one name that is taken in their folder, or too long to be
// created at all: the numbered names are shortened to the file system's
// limit, keep the extension and never end inside a character.
TEST(OrganizeEdgeCases, ANumberedNameIsShortenedToTheFileSystemsLimit)
{
    struct Case
    {
        const char *what;
        QString name; // the clips' name in the session
        QString stem; // the name the numbered ones start with
        QString extension;
    };
    // "é" is two bytes, "😀" four bytes (and two UTF-16 units), "e" with a
    // combining accent one character of three bytes.
    const QString e = QStringLiteral("\u00e9"), smiley = QStringLiteral("\U0001F600"), accented = QStringLiteral("e\u0301");
    const QList<Case> cases{
        {"ASCII", QString(NAME_MAX - 4, 'a') + ".mov", QString(NAME_MAX - 6, 'a'), ".mov"},
        {"two-byte characters", 'b' + e.repeated((NAME_MAX - 5) / 2) + ".mov", 'b' + e.repeated((NAME_MAX - 5) / 2 - 1), ".mov"},
        {"four-byte characters", "cc" + smiley.repeated((NAME_MAX - 6) / 4) + ".MP4", "cc" + smiley.repeated((NAME_MAX - 6) / 4 - 1),
         ".MP4"},
        {"combining accents", 'd' + accented.repeated((NAME_MAX - 5) / 3) + ".mov", 'd' + accented.repeated((NAME_MAX - 5) / 3 - 1),
         ".mov"},
        {"no extension", QString(NAME_MAX, 't'), QString(NAME_MAX - 2, 't'), ""},
        {"too long to create", QString(NAME_MAX + 40, 'x') + ".mov", QString(NAME_MAX - 6, 'x'), ".mov"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Scratch run;
        const bool fits = c.name.toUtf8().size() <= NAME_MAX;
        if (fits)
            makeFile(run.out("5-star/" + c.name), 7);
        Clip first = run.clip(QStringLiteral("C0001.MP4")), second = run.clip(QStringLiteral("C0002.MP4"));
        first.filename = second.filename = c.name; // renamed in the session
        const OrganizeOutcome outcome = run.commit({first, second});
        EXPECT_TRUE(outcome.result.errors.isEmpty()) << outcome.result.errors.join('\n').toStdString();
        const QString landed = run.out("5-star/" + c.stem + "_1" + c.extension);
        ASSERT_LE((c.stem + "_2" + c.extension).toUtf8().size(), NAME_MAX);
        EXPECT_EQ(QFileInfo(landed).size(), 100);
        EXPECT_EQ(QFileInfo(run.out("5-star/" + c.stem + "_2" + c.extension)).size(), 100);
        EXPECT_EQ(readJson(outcome.recordPath)["files"].toArray()[0].toObject()["to"].toString(), landed);
        EXPECT_EQ(QFileInfo(run.out("5-star/" + c.name)).size(), fits ? 7 : 0);
    }
}

// A place that cannot be examined is not free: the numbering stops there and
// the clip fails with the reason instead of being planned onto it.
TEST(OrganizeEdgeCases, OnlyAMissingNameCountsAsFree)
{
    Scratch run;
    const Clip a = run.clip(QStringLiteral("a.mov")), b = run.clip(QStringLiteral("b.mov"));
    const QString blocked = run.out("5-star/a.mov");
    run.files.before = [&](Op op, const QString &path, const QString &) -> std::optional<OrganizeError> {
        if (op == Op::entry && path == blocked)
            return OrganizeError::fromErrno(EIO, path);
        return std::nullopt;
    };
    const OrganizeOutcome outcome = run.commit({a, b});
    EXPECT_EQ(outcome.result.errors, QStringList{QStringLiteral("a.mov: ") + withPath(EIO, blocked)});
    EXPECT_EQ(outcome.result.movedCount, 1);
    EXPECT_TRUE(QFileInfo::exists(a.path()));
    EXPECT_FALSE(QFileInfo::exists(blocked));
    EXPECT_EQ(QFileInfo(run.out("5-star/b.mov")).size(), 100);
}

TEST(OrganizeEdgeCases, ClipsWhoseDriveIsGoneAreRefusedAndNothingIsMade)
{
    Scratch run;
    const Clip a = run.clip(QStringLiteral("DCIM/C0000.MP4"), 5), b = run.clip(QStringLiteral("DCIM/C0001.MP4"), 3);
    // The drive is unplugged: its mount point stays behind, empty, on the
    // system disk, and the destination lies under it.
    ASSERT_TRUE(QDir(run.footage).removeRecursively());
    run.destination = run.footage;
    const OrganizeOutcome outcome = run.commit({a, b}, QStringLiteral("Organized"), true);
    EXPECT_EQ(outcome.result,
              ExportResult::refused(
                  QStringLiteral("The clips in this export scope are offline. Reconnect the drive that holds them, then try again."), 1));
    EXPECT_TRUE(QDir(run.footage).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(run.records));
    EXPECT_EQ(run.files.moves, 0);
}

TEST(OrganizeEdgeCases, OnlyTheFoldersOfClipsOnDiskAreMade)
{
    Scratch run;
    const Clip here = run.clip(QStringLiteral("here/C0000.MP4"), 5);
    const Clip gone = run.clip(QStringLiteral("gone/C0001.MP4"), 3);
    const Clip alsoGone = run.clip(QStringLiteral("gone/C0002.MP4"), 5);
    ASSERT_TRUE(QDir(run.footage + QStringLiteral("/gone")).removeRecursively());
    const OrganizeOutcome outcome = run.commit({here, gone, alsoGone});
    EXPECT_EQ(outcome.result.errors, (QStringList{QStringLiteral("C0001.MP4: ") + withPath(ENOENT, gone.path()),
                                                  QStringLiteral("C0002.MP4: ") + withPath(ENOENT, alsoGone.path())}));
    EXPECT_EQ(QDir(run.destination).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{QStringLiteral("5-star")});
    EXPECT_TRUE(QFileInfo::exists(run.out("5-star/C0000.MP4")));

    // With nothing left to move and no manifest, not even the export folder.
    Scratch none;
    const Clip missing = none.clip(QStringLiteral("C0000.MP4")), folder = none.clip(QStringLiteral("C0001.MP4"));
    ASSERT_TRUE(QFile::remove(missing.path()));
    ASSERT_TRUE(QFile::remove(folder.path()));
    ASSERT_TRUE(QDir().mkdir(folder.path())); // present, but not a file that can move
    const OrganizeOutcome nothing = none.commit({missing, folder}, QStringLiteral("Organized"));
    EXPECT_EQ(nothing.result.errors.size(), 2);
    EXPECT_FALSE(nothing.result.exportFolder);
    EXPECT_TRUE(QDir(none.destination).isEmpty());
}
