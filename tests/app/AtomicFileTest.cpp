#include "app/AtomicFile.h"

#include "support/SmallDisk.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList entriesOf(const QString &folder)
{
    QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    names.removeAll(QStringLiteral(".filler"));
    return names;
}

} // namespace

TEST(AtomicFile, ReplacesWholeKeepsPermissionsAndWritesThroughALink)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("record.json");
    EXPECT_FALSE(AtomicFile::write(path, "first"));
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    EXPECT_FALSE(AtomicFile::write(path, "second"));
    EXPECT_EQ(fileBytes(path), QByteArray("second"));
    struct stat info
    {
    };
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    // A link stays a link; the file it points to gets the bytes.
    const QString link = dir.filePath("link.json");
    ASSERT_EQ(::symlink(QFile::encodeName(path).constData(), QFile::encodeName(link).constData()), 0);
    EXPECT_FALSE(AtomicFile::write(link, "third"));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(fileBytes(path), QByteArray("third"));

    // A folder that is gone: the system's reason, nothing left behind.
    const auto gone = AtomicFile::write(dir.filePath("gone/x.json"), "x");
    ASSERT_TRUE(gone);
    EXPECT_EQ(gone->systemError, ENOENT);
    EXPECT_EQ(gone->message, qt_error_string(ENOENT));
    EXPECT_EQ(entriesOf(dir.path()), (QStringList{QStringLiteral("link.json"), QStringLiteral("record.json")}));
}

TEST(AtomicFile, ANewFileNeverReplacesAnything)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("manifest.json");
    EXPECT_FALSE(AtomicFile::write(path, "one", AtomicFile::Target::mustBeNew));
    const auto taken = AtomicFile::write(path, "two", AtomicFile::Target::mustBeNew);
    ASSERT_TRUE(taken);
    EXPECT_EQ(taken->systemError, EEXIST);
    EXPECT_EQ(fileBytes(path), QByteArray("one"));
    const QString dangling = dir.filePath("dangling.json");
    ASSERT_EQ(::symlink("/nonexistent/target", QFile::encodeName(dangling).constData()), 0);
    EXPECT_TRUE(AtomicFile::write(dangling, "x", AtomicFile::Target::mustBeNew));
    EXPECT_TRUE(QFileInfo(dangling).isSymLink());
    EXPECT_EQ(entriesOf(dir.path()), (QStringList{QStringLiteral("dangling.json"), QStringLiteral("manifest.json")}));
}

// The fault at the root of it: a write the disk cannot take must fail with
// the system's reason and leave the old file, whether the bytes are few
// (they would sit in a write buffer until the end) or many.
TEST(AtomicFile, AFullDiskFailsWithTheSystemsReasonAndKeepsTheOldFile)
{
    QTemporaryDir dir;
    SmallDisk disk(dir.filePath("disk"));
    SKIP_WITHOUT(disk);
    const QString path = disk.folder() + QStringLiteral("/session.json");
    const QByteArray old(3000, 'o');
    ASSERT_FALSE(AtomicFile::write(path, old));
    ASSERT_TRUE(disk.fill());
    for (const qsizetype size : {qsizetype(10), qsizetype(3000), qsizetype(200000)}) {
        SCOPED_TRACE(size);
        const auto failure = AtomicFile::write(path, QByteArray(size, 'n'));
        ASSERT_TRUE(failure);
        EXPECT_EQ(failure->systemError, ENOSPC);
        EXPECT_EQ(failure->message, QStringLiteral("No space left on device"));
        EXPECT_EQ(fileBytes(path), old);
        EXPECT_EQ(entriesOf(disk.folder()), QStringList{QStringLiteral("session.json")});
        EXPECT_TRUE(AtomicFile::write(disk.folder() + QStringLiteral("/new.json"), QByteArray(size, 'n'), AtomicFile::Target::mustBeNew));
        EXPECT_EQ(entriesOf(disk.folder()), QStringList{QStringLiteral("session.json")});
    }
    disk.release();
    EXPECT_FALSE(AtomicFile::write(path, "room again"));
    EXPECT_EQ(fileBytes(path), QByteArray("room again"));
}

// Content in pieces is the pieces one after another, also past the system's
// limit of pieces per call and with empty pieces anywhere among them.
TEST(AtomicFile, PiecesAreWrittenInTheirOrderHoweverMany)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("record.json");
    QList<QByteArray> parts;
    QByteArray whole;
    for (int i = 0; i < 2600; ++i) {
        // Sizes 0 to 996, cycling through the letters.
        const QByteArray part(i % 7 == 0 ? 0 : (i * 37) % 997, char('a' + i % 26));
        parts.append(part);
        whole += part;
    }
    AtomicFile::Pieces pieces;
    for (const QByteArray &part : std::as_const(parts))
        pieces.append(part);
    ASSERT_FALSE(AtomicFile::write(path, pieces));
    EXPECT_EQ(fileBytes(path), whole);

    // None at all, or only empty ones: an empty file.
    ASSERT_FALSE(AtomicFile::write(path, AtomicFile::Pieces{}));
    EXPECT_EQ(fileBytes(path), QByteArray());
    ASSERT_FALSE(AtomicFile::write(path, AtomicFile::Pieces{QByteArrayView(), QByteArrayView("")}));
    EXPECT_TRUE(QFileInfo(path).exists());
    EXPECT_EQ(fileBytes(path), QByteArray());
    EXPECT_EQ(entriesOf(dir.path()), QStringList{QStringLiteral("record.json")});
}

// Pieces that the disk takes only in part (the first call writes some of
// them, the next finds no room) fail as a single buffer does.
TEST(AtomicFile, PiecesThatOnlyPartlyFitFailAndKeepTheOldFile)
{
    QTemporaryDir dir;
    SmallDisk disk(dir.filePath("disk"));
    SKIP_WITHOUT(disk);
    const QString path = disk.folder() + QStringLiteral("/record.json");
    const QByteArray old(3000, 'o');
    ASSERT_FALSE(AtomicFile::write(path, old));
    ASSERT_TRUE(disk.fill(3 * 4096));
    const QByteArray part(1500, 'n');
    const AtomicFile::Pieces pieces(100, QByteArrayView(part));
    const auto failure = AtomicFile::write(path, pieces);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->systemError, ENOSPC);
    EXPECT_EQ(fileBytes(path), old);
    EXPECT_EQ(entriesOf(disk.folder()), QStringList{QStringLiteral("record.json")});
    disk.release();
    EXPECT_FALSE(AtomicFile::write(path, pieces));
    EXPECT_EQ(fileBytes(path), part.repeated(100));
}

TEST(AtomicFile, TellsItsOwnLeftoversFromOtherFiles)
{
    EXPECT_TRUE(AtomicFile::isLeftoverOf(QStringLiteral(".session.json.aB3dE9"), QStringLiteral("session.json")));
    EXPECT_TRUE(AtomicFile::isLeftoverOf(QStringLiteral("session.json.aB3dE9"), QStringLiteral("session.json")));
    EXPECT_FALSE(AtomicFile::isLeftoverOf(QStringLiteral("session.json"), QStringLiteral("session.json")));
    EXPECT_FALSE(AtomicFile::isLeftoverOf(QStringLiteral("session.json.bak"), QStringLiteral("session.json")));
    EXPECT_FALSE(AtomicFile::isLeftoverOf(QStringLiteral(".session.json.aB3dE"), QStringLiteral("session.json")));
    EXPECT_FALSE(AtomicFile::isLeftoverOf(QStringLiteral(".session.json.aB3dE9x"), QStringLiteral("session.json")));
    EXPECT_FALSE(AtomicFile::isLeftoverOf(QStringLiteral("other.json.aB3dE9"), QStringLiteral("session.json")));
}
