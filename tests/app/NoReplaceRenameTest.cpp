// Each way of a move without replacing, through the calls a file system
// refuses, on real files.
#include "app/NoReplaceRename.h"

#include "support/RefusingCalls.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>
#include <sys/stat.h>

namespace {

void write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray read(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
}

// Every entry of the folder with its content.
QStringList contents(const QString &folder)
{
    QStringList list;
    for (const QString &name : QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name))
        list.append(name + QLatin1Char('=') + QString::fromUtf8(read(QDir(folder).filePath(name))));
    return list;
}

} // namespace

TEST(NoReplaceRename, EachWayMovesTheFileAndNeverReplacesATakenName)
{
    struct Case
    {
        const char *what;
        int renameNoReplaceError;
        int linkError;
        bool taken;
        int expected;
        QStringList calls;
    };
    const QStringList all{"renameNoReplace", "link", "createNew", "rename"};
    const QList<Case> cases{
        {"renameat2", 0, 0, false, 0, {"renameNoReplace"}},
        {"renameat2, taken", 0, 0, true, EEXIST, {"renameNoReplace"}},
        {"link where the flag is unknown", EINVAL, 0, false, 0, {"renameNoReplace", "link"}},
        {"link, taken", EINVAL, 0, true, EEXIST, {"renameNoReplace", "link"}},
        {"reservation where links are refused", EINVAL, EPERM, false, 0, all},
        {"reservation, taken", EINVAL, EPERM, true, EEXIST, {"renameNoReplace", "link", "createNew"}},
        {"reservation after ENOSYS and EOPNOTSUPP", ENOSYS, EOPNOTSUPP, false, 0, all},
        {"another failure of link is the move's", EINVAL, EACCES, false, EACCES, {"renameNoReplace", "link"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        const QString from = dir.filePath("a.mov");
        const QString to = dir.filePath("b.mov");
        write(from, "clip");
        if (c.taken)
            write(to, "theirs");
        RefusingCalls calls;
        calls.renameNoReplaceError = c.renameNoReplaceError;
        calls.linkError = c.linkError;

        EXPECT_EQ(NoReplaceRename::rename(from, to, calls), c.expected);
        EXPECT_EQ(calls.calls, c.calls);
        if (c.expected == 0)
            EXPECT_EQ(contents(dir.path()), QStringList{"b.mov=clip"});
        else
            EXPECT_EQ(contents(dir.path()), (c.taken ? QStringList{"a.mov=clip", "b.mov=theirs"} : QStringList{"a.mov=clip"}));
    }
}

// The reservation is looked at right before the rename: a file that took its
// place in the meantime is never replaced, and never removed.
TEST(NoReplaceRename, AReservationReplacedByAnotherFileIsLeftToIt)
{
    QTemporaryDir dir;
    const QString from = dir.filePath("a.mov");
    const QString to = dir.filePath("b.mov");
    write(from, "clip");
    RefusingCalls calls = RefusingCalls::likeFuseExfat();
    // The exclusive create answers, then another program puts its file there.
    calls.afterCreateNew = [&to](const QByteArray &) {
        QFile::remove(to);
        write(to, "theirs");
    };
    EXPECT_EQ(NoReplaceRename::rename(from, to, calls), EEXIST);
    EXPECT_FALSE(calls.calls.contains(QStringLiteral("rename")));
    EXPECT_EQ(contents(dir.path()), (QStringList{"a.mov=clip", "b.mov=theirs"}));
}

// A refusal at the exclusive create or at the rename over the reservation
// leaves the file where it was and no reservation behind.
TEST(NoReplaceRename, AFailedReservationOrRenameLeavesNothingBehind)
{
    for (const auto &[createNewError, renameError, expected] :
         {std::tuple{EEXIST, 0, EEXIST}, std::tuple{EACCES, 0, EACCES}, std::tuple{0, EIO, EIO}, std::tuple{0, EPERM, EPERM}}) {
        SCOPED_TRACE(testing::Message() << createNewError << " " << renameError);
        QTemporaryDir dir;
        write(dir.filePath("a.mov"), "clip");
        RefusingCalls calls = RefusingCalls::likeFuseExfat();
        calls.createNewError = createNewError;
        calls.renameError = renameError;
        EXPECT_EQ(NoReplaceRename::rename(dir.filePath("a.mov"), dir.filePath("b.mov"), calls), expected);
        EXPECT_EQ(contents(dir.path()), QStringList{"a.mov=clip"});
    }
}

// A stop between the reservation and the rename leaves the file at its old
// name and an empty file at the new one: nothing else.
TEST(NoReplaceRename, AStopBeforeTheRenameLeavesTheFileAndAnEmptyReservation)
{
    QTemporaryDir dir;
    write(dir.filePath("a.mov"), "clip");
    RefusingCalls calls = RefusingCalls::likeFuseExfat();
    struct Stopped
    {
    };
    calls.before = [](const QString &call, const QByteArray &, const QByteArray &) {
        if (call == QStringLiteral("rename"))
            throw Stopped{};
    };
    EXPECT_THROW(NoReplaceRename::rename(dir.filePath("a.mov"), dir.filePath("b.mov"), calls), Stopped);
    EXPECT_EQ(contents(dir.path()), (QStringList{"a.mov=clip", "b.mov="}));
    struct stat info
    {
    };
    ASSERT_EQ(::lstat(QFile::encodeName(dir.filePath("b.mov")).constData(), &info), 0);
    EXPECT_TRUE(S_ISREG(info.st_mode));
}
