#include "organize/FileOperations.h"
#include "organize/VerifiedMove.h"

#include "OrganizeTestSupport.h"
#include "Printers.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <tuple>
#include <unistd.h>

using namespace OrganizeTest;

namespace {

// A temporary folder on another file system than `other`, when the machine
// has one (/dev/shm is a tmpfs on most systems).
std::optional<QString> folderOnOtherVolume(const QString &other)
{
    struct stat a
    {
    }, b{};
    if (::stat("/dev/shm", &a) != 0 || ::stat(QFile::encodeName(other).constData(), &b) != 0 || a.st_dev == b.st_dev)
        return std::nullopt;
    return QStringLiteral("/dev/shm");
}

} // namespace

TEST(FileOperations, MoveNeverReplacesAnExistingEntry)
{
    QTemporaryDir dir;
    const QString a = makeFile(dir.filePath("a.mov"), 100);
    const QString b = makeFile(dir.filePath("b.mov"), 50);
    const QByteArray before = contentOf(b);
    FileOperations files;

    const auto error = files.moveWithoutReplacing(a, b);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code, EEXIST);
    EXPECT_EQ(error->localizedDescription, qt_error_string(EEXIST) + QStringLiteral(" (") + b + QLatin1Char(')'));
    EXPECT_EQ(contentOf(b), before);
    EXPECT_EQ(QFileInfo(a).size(), 100);

    // A dangling link is an entry too: it is never replaced either.
    ASSERT_EQ(::symlink("/nonexistent/target", QFile::encodeName(dir.filePath("link.mov")).constData()), 0);
    EXPECT_TRUE(files.moveWithoutReplacing(a, dir.filePath("link.mov")));
    EXPECT_TRUE(QFileInfo(dir.filePath("link.mov")).isSymLink());

    EXPECT_FALSE(files.moveWithoutReplacing(a, dir.filePath("c.mov")));
    EXPECT_FALSE(QFileInfo::exists(a));
    EXPECT_EQ(QFileInfo(dir.filePath("c.mov")).size(), 100);
}

// A failed move names the path at fault: the missing file, or the folder it
// goes into when that is missing or no folder (a taken name and a move across
// drives are checked beside the moves that make them).
TEST(FileOperations, AFailedMoveSaysWhichPathFailed)
{
    QTemporaryDir dir;
    const QString file = makeFile(dir.filePath("a.mov"), 10);
    makeFile(dir.filePath("plain"), 5);
    FileOperations files;
    for (const auto &[from, to, code, named] :
         {std::tuple{"none.mov", "b.mov", ENOENT, "none.mov"}, std::tuple{"a.mov", "gone/b.mov", ENOENT, "gone"},
          std::tuple{"a.mov", "plain/b.mov", ENOTDIR, "plain"}}) {
        SCOPED_TRACE(to);
        const auto error = files.moveWithoutReplacing(dir.filePath(from), dir.filePath(to));
        ASSERT_TRUE(error);
        EXPECT_EQ(error->code, code);
        EXPECT_EQ(error->localizedDescription, qt_error_string(code) + QStringLiteral(" (") + dir.filePath(named) + QLatin1Char(')'));
        EXPECT_EQ(QFileInfo(file).size(), 10);
    }
}

TEST(FileOperations, TheLinkFallbackMovesWithoutReplacingEither)
{
    QTemporaryDir dir;
    const QString a = makeFile(dir.filePath("a.mov"), 10);
    const QString b = makeFile(dir.filePath("b.mov"), 20);
    const auto clash = FileOperations::linkAndUnlink(a, b);
    ASSERT_TRUE(clash);
    EXPECT_EQ(clash->code, EEXIST);
    EXPECT_EQ(QFileInfo(b).size(), 20);
    EXPECT_TRUE(QFileInfo::exists(a));

    EXPECT_FALSE(FileOperations::linkAndUnlink(a, dir.filePath("c.mov")));
    EXPECT_FALSE(QFileInfo::exists(a));
    EXPECT_EQ(QFileInfo(dir.filePath("c.mov")).size(), 10);
    struct stat info
    {
    };
    ASSERT_EQ(::stat(QFile::encodeName(dir.filePath("c.mov")).constData(), &info), 0);
    EXPECT_EQ(info.st_nlink, 1u);
}

TEST(FileOperations, MoveAcrossVolumesFailsAndNeverCopies)
{
    QTemporaryDir dir;
    const std::optional<QString> other = folderOnOtherVolume(dir.path());
    if (!other)
        GTEST_SKIP() << "no second file system available";
    QTemporaryDir target(*other + QStringLiteral("/triagon-organize-XXXXXX"));
    ASSERT_TRUE(target.isValid());
    const QString a = makeFile(dir.filePath("a.mov"), 64);
    FileOperations files;
    const auto error = files.moveWithoutReplacing(a, target.filePath("a.mov"));
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code, EXDEV);
    EXPECT_EQ(error->localizedDescription,
              qt_error_string(EXDEV) + QStringLiteral(" (") + a + QStringLiteral(" \u2192 ") + target.filePath("a.mov") + QLatin1Char(')'));
    EXPECT_EQ(QFileInfo(a).size(), 64);
    EXPECT_FALSE(QFileInfo::exists(target.filePath("a.mov")));
    // The same-volume check sees the other file system.
    EXPECT_TRUE(VerifiedMove::hasClipOnOtherVolume(files, {clipFor(a)}, QUrl::fromLocalFile(target.path())));
    EXPECT_FALSE(VerifiedMove::hasClipOnOtherVolume(files, {clipFor(a)}, QUrl::fromLocalFile(dir.path())));
}

TEST(FileOperations, EntriesAreReadWithoutFollowingLinks)
{
    QTemporaryDir dir;
    const QString real = makeFile(dir.filePath("real.mov"), 4096);
    ASSERT_EQ(::symlink(QFile::encodeName(real).constData(), QFile::encodeName(dir.filePath("link.mov")).constData()), 0);
    FileOperations files;
    const auto link = std::get<FileOperations::Entry>(files.entry(dir.filePath("link.mov")));
    EXPECT_EQ(link.kind, FileOperations::Entry::Kind::symbolicLink);
    EXPECT_NE(link.size, 4096);
    const auto file = std::get<FileOperations::Entry>(files.entry(real));
    EXPECT_EQ(file.kind, FileOperations::Entry::Kind::regularFile);
    EXPECT_EQ(file.size, 4096);
    const auto missing = files.entry(dir.filePath("none.mov"));
    ASSERT_TRUE(std::holds_alternative<OrganizeError>(missing));
    EXPECT_EQ(std::get<OrganizeError>(missing).code, ENOENT);
}

TEST(FileOperations, FoldersAreMadeWithTheirParentsAndNothingElseIsInTheWay)
{
    QTemporaryDir dir;
    FileOperations files;
    EXPECT_FALSE(files.makeFolder(dir.filePath("a/b/c")));
    EXPECT_TRUE(QFileInfo(dir.filePath("a/b/c")).isDir());
    EXPECT_FALSE(files.makeFolder(dir.filePath("a/b/c"))); // existing: no failure
    makeFile(dir.filePath("file"), 1);
    const auto error = files.makeFolder(dir.filePath("file"));
    ASSERT_TRUE(error);
    EXPECT_EQ(error->localizedDescription, qt_error_string(EEXIST) + QStringLiteral(" (") + dir.filePath("file") + QLatin1Char(')'));
    EXPECT_TRUE(files.makeFolder(dir.filePath("file/sub")));
}

TEST(FileOperations, AtomicWriteReplacesWholeAndCopyNeedsAFreeName)
{
    QTemporaryDir dir;
    FileOperations files;
    const QString record = dir.filePath("record.json");
    EXPECT_FALSE(files.writeFileAtomically(record, "first", AtomicFile::Durability::onDisk));
    EXPECT_FALSE(files.writeFileAtomically(record, "second", AtomicFile::Durability::inSystem));
    EXPECT_EQ(contentOf(record), QByteArray("second"));
    // A write into a folder that is gone fails and leaves nothing.
    EXPECT_TRUE(files.writeFileAtomically(dir.filePath("gone/record.json"), "x", AtomicFile::Durability::onDisk));

    EXPECT_FALSE(files.copyToNewFile(record, dir.filePath("copy.json")));
    EXPECT_EQ(contentOf(dir.filePath("copy.json")), QByteArray("second"));
    makeFile(dir.filePath("taken.json"), 3);
    const QByteArray taken = contentOf(dir.filePath("taken.json"));
    const auto error = files.copyToNewFile(record, dir.filePath("taken.json"));
    ASSERT_TRUE(error);
    EXPECT_EQ(contentOf(dir.filePath("taken.json")), taken);
    // No temporary file is left behind.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 3);
}

// Only an empty regular file is ever removed: a clip, a link (also one to an
// empty file) and a folder stay.
TEST(FileOperations, OnlyAnEmptyRegularFileIsRemoved)
{
    QTemporaryDir dir;
    makeFile(dir.filePath("empty.mov"), 0);
    makeFile(dir.filePath("clip.mov"), 10);
    ASSERT_TRUE(QFile::link(dir.filePath("empty.mov"), dir.filePath("link.mov")));
    QDir().mkpath(dir.filePath("folder"));
    FileOperations files;
    for (const auto &[name, code] : {std::tuple{"clip.mov", EEXIST}, std::tuple{"link.mov", EEXIST}, std::tuple{"folder", EEXIST},
                                     std::tuple{"none.mov", ENOENT}, std::tuple{"empty.mov", 0}}) {
        SCOPED_TRACE(name);
        const auto error = files.removeEmptyFile(dir.filePath(name));
        EXPECT_EQ(error ? error->code : 0, code);
        EXPECT_EQ(files.exists(dir.filePath(name)), code == EEXIST);
    }
}

// Each way of a move without replacing, through the calls a file system
// refuses: the file moves or stays where it was, a taken name (also one an
// empty file takes, or one taken in place of the reservation right after it
// was made) is never replaced, and no reservation is left behind.
TEST(FileOperations, EachWayOfAMoveNeverReplacesATakenName)
{
    enum class Theirs { none, emptyBefore, inPlaceOfTheReservation };
    const struct
    {
        const char *what;
        RefusingCalls::Refusals refusals;
        Theirs theirs;
        int expected;
    } cases[] = {
        {"link where the flag is unknown", {EINVAL}, Theirs::none, 0},
        {"reservation where links are refused", RefusingCalls::likeFuseExfat, Theirs::none, 0},
        {"reservation, taken", RefusingCalls::likeFuseExfat, Theirs::emptyBefore, EEXIST},
        {"another failure of link is the move's", {EINVAL, EACCES}, Theirs::none, EACCES},
        {"the name taken by another program just then", {EINVAL, EPERM, EEXIST}, Theirs::none, EEXIST},
        {"the rename over the reservation refused", {EINVAL, EPERM, 0, EIO}, Theirs::none, EIO},
        {"the reservation replaced by another file", RefusingCalls::likeFuseExfat, Theirs::inPlaceOfTheReservation, EEXIST},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        Footage dir;
        makeFile(dir.at("a.mov"), 4);
        if (c.theirs == Theirs::emptyBefore)
            makeFile(dir.at("b.mov"), 0);
        RefusingCalls calls(c.refusals);
        calls.after = [&](RefusingCalls::Call call) {
            if (c.theirs == Theirs::inPlaceOfTheReservation && call == RefusingCalls::Call::createNew) {
                QFile::remove(dir.at("b.mov"));
                makeFile(dir.at("b.mov"), 6);
            }
        };
        const auto error = FileOperations(calls).moveWithoutReplacing(dir.at("a.mov"), dir.at("b.mov"));
        EXPECT_EQ(error ? error->code : 0, c.expected);
        const char *left[] = {"a.mov=4", "a.mov=4 b.mov=0", "a.mov=4 b.mov=6"};
        EXPECT_EQ(dir.files(), c.expected == 0 ? "b.mov=4" : left[static_cast<int>(c.theirs)]);
    }
}
