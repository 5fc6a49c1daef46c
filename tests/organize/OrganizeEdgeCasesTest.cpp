// The organize run at the edges of real file systems: long names, names that cannot be examined, drives gone.
#include "organize/OrganizeCommit.h"

#include "OrganizeTestSupport.h"
#include "Printers.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <climits>
#include <tuple>

using namespace OrganizeTest;
using Op = HookedFileOperations::Op;

namespace {

struct Scratch
{
    QTemporaryDir dir;
    QString footage = dir.filePath("footage"), destination = dir.filePath("dest"), records = dir.filePath("records");
    HookedFileOperations files;

    Clip clip(const QString &name, qint64 rating = 5) { return clipFor(makeFile(footage + '/' + name, 100), rating); }
    OrganizeOutcome commit(const QList<Clip> &clips, const std::optional<QString> &newFolderName = {}, bool manifest = false)
    {
        QDir().mkpath(destination);
        return OrganizeCommit::commit({.clips = clips,
                                       .destination = QUrl::fromLocalFile(destination),
                                       .organization = FolderOrganization::byRating,
                                       .newFolderName = newFolderName,
                                       .generateManifest = manifest,
                                       .recordsFolder = records,
                                       .appVersion = {}},
                                      files);
    }
    QString out(const QString &relative) const { return destination + '/' + relative; }
};

QString withPath(int code, const QString &path)
{
    return qt_error_string(code) + QStringLiteral(" (") + path + QLatin1Char(')');
}

} // namespace

// Two clips given one name that is taken in their folder, or too long to be
// created at all: the numbered names fit the limit in UTF-8 bytes, keep the
// extension and never end inside a character.
TEST(OrganizeEdgeCases, ANumberedNameFitsTheNameLimitAndOnlyAMissingNameIsFree)
{
    // The clips' name and the numbered names' stem and extension. "é" is two
    // bytes, "😀" four (two UTF-16 units), "e" with a combining accent one character of three.
    const QString e = QStringLiteral("\u00e9"), smiley = QStringLiteral("\U0001F600"), accented = QStringLiteral("e\u0301");
    const QList<std::tuple<const char *, QString, QString, QString>> cases{
        {"ASCII", QString(NAME_MAX - 4, 'a') + ".mov", QString(NAME_MAX - 6, 'a'), ".mov"},
        {"two-byte", 'b' + e.repeated((NAME_MAX - 5) / 2) + ".mov", 'b' + e.repeated((NAME_MAX - 5) / 2 - 1), ".mov"},
        {"four-byte", "cc" + smiley.repeated((NAME_MAX - 6) / 4) + ".MP4", "cc" + smiley.repeated((NAME_MAX - 6) / 4 - 1), ".MP4"},
        {"combining", 'd' + accented.repeated((NAME_MAX - 5) / 3) + ".mov", 'd' + accented.repeated((NAME_MAX - 5) / 3 - 1), ".mov"},
        {"no extension", QString(NAME_MAX, 't'), QString(NAME_MAX - 2, 't'), ""},
        {"too long to create", QString(NAME_MAX + 40, 'x') + ".mov", QString(NAME_MAX - 6, 'x'), ".mov"},
    };
    for (const auto &[what, name, stem, extension] : cases) {
        SCOPED_TRACE(what);
        Scratch run;
        if (name.toUtf8().size() <= NAME_MAX)
            makeFile(run.out("5-star/" + name), 7);
        Clip first = run.clip("C0001.MP4"), second = run.clip("C0002.MP4");
        first.filename = second.filename = name; // renamed in the session
        EXPECT_EQ(run.commit({first, second}).result.errors, QStringList());
        for (const char *number : {"_1", "_2"})
            EXPECT_EQ(QFileInfo(run.out("5-star/" + stem + number + extension)).size(), 100) << number;
    }

    // A name that cannot be examined is not free: its clip fails with the
    // reason instead of being moved onto it.
    Scratch run;
    const Clip a = run.clip("a.mov"), b = run.clip("b.mov");
    const QString blocked = run.out("5-star/a.mov");
    run.files.before = [&](Op op, const QString &path, const QString &) -> std::optional<OrganizeError> {
        return op == Op::entry && path == blocked ? std::optional(OrganizeError::fromErrno(EIO, path)) : std::nullopt;
    };
    EXPECT_EQ(run.commit({a, b}).result.errors, QStringList{"a.mov: " + withPath(EIO, blocked)});
    EXPECT_TRUE(QFileInfo::exists(a.path()));
    EXPECT_FALSE(QFileInfo::exists(blocked));
    EXPECT_EQ(QFileInfo(run.out("5-star/b.mov")).size(), 100);
}

// Folders are made only for clips whose file is there, the export folder only
// when a file or the manifest needs it.
TEST(OrganizeEdgeCases, OfflineClipsAreRefusedAndOnlyTheFoldersOfClipsOnDiskAreMade)
{
    // An unplugged drive leaves its mount point behind, empty, on the system
    // disk: a destination under it must stay as it is.
    Scratch unplugged;
    const Clip a = unplugged.clip("DCIM/C0000.MP4", 5), b = unplugged.clip("DCIM/C0001.MP4", 3);
    ASSERT_TRUE(QDir(unplugged.footage).removeRecursively());
    unplugged.destination = unplugged.footage;
    EXPECT_EQ(unplugged.commit({a, b}, QStringLiteral("Organized"), true).result,
              ExportResult::refused("The clips in this export scope are offline. Reconnect the drive that holds them, then try again."));
    EXPECT_TRUE(QDir(unplugged.footage).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(unplugged.records));

    Scratch run;
    const Clip here = run.clip("here/C0000.MP4", 5), gone = run.clip("gone/C0001.MP4", 3);
    ASSERT_TRUE(QDir(run.footage + "/gone").removeRecursively());
    EXPECT_EQ(run.commit({here, gone}).result.errors, QStringList{"C0001.MP4: " + withPath(ENOENT, gone.path())});
    EXPECT_EQ(QDir(run.destination).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"5-star"});
    EXPECT_TRUE(QFileInfo::exists(run.out("5-star/C0000.MP4")));

    Scratch none; // one file gone, the other not a file that can move, no manifest
    const Clip missing = none.clip("C0000.MP4"), folder = none.clip("C0001.MP4");
    ASSERT_TRUE(QFile::remove(missing.path()) && QFile::remove(folder.path()) && QDir().mkdir(folder.path()));
    const OrganizeOutcome nothing = none.commit({missing, folder}, QStringLiteral("Organized"));
    EXPECT_EQ(nothing.result.errors.size(), 2);
    EXPECT_FALSE(nothing.result.exportFolder);
    EXPECT_TRUE(QDir(none.destination).isEmpty());
}
