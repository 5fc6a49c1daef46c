// Each way of a move without replacing, through the calls a file system
// refuses, on real files.
#include "app/NoReplaceRename.h"

#include "support/RefusingCalls.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>
#include <tuple>

namespace {

void write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Every entry of the folder with its content.
QStringList contents(const QString &folder)
{
    QStringList list;
    for (const QString &name : QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name)) {
        QFile file(QDir(folder).filePath(name));
        list.append(name + QLatin1Char('=') + QString::fromUtf8(file.open(QIODevice::ReadOnly) ? file.readAll() : "?"));
    }
    return list;
}

} // namespace

// Every way moves the file or leaves it where it was, never replaces a taken
// name and leaves no reservation behind.
TEST(NoReplaceRename, EachWayMovesTheFileAndNeverReplacesATakenName)
{
    struct Case
    {
        const char *what;
        // The errno of renameat2, link, the exclusive create, the rename.
        std::tuple<int, int, int, int> refusals;
        bool taken;
        int expected;
        qsizetype calls;
    };
    const QList<Case> cases{
        {"renameat2", {0, 0, 0, 0}, false, 0, 1},
        {"renameat2, taken", {0, 0, 0, 0}, true, EEXIST, 1},
        {"link where the flag is unknown", {EINVAL, 0, 0, 0}, false, 0, 2},
        {"link, taken", {EINVAL, 0, 0, 0}, true, EEXIST, 2},
        {"reservation where links are refused", {EINVAL, EPERM, 0, 0}, false, 0, 4},
        {"reservation, taken", {EINVAL, EPERM, 0, 0}, true, EEXIST, 3},
        {"reservation after ENOSYS and EOPNOTSUPP", {ENOSYS, EOPNOTSUPP, 0, 0}, false, 0, 4},
        {"another failure of link is the move's", {EINVAL, EACCES, 0, 0}, false, EACCES, 2},
        {"the name taken by another program just then", {EINVAL, EPERM, EEXIST, 0}, false, EEXIST, 3},
        {"the rename over the reservation refused", {EINVAL, EPERM, 0, EIO}, false, EIO, 4},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        RefusingCalls calls;
        std::tie(calls.renameNoReplaceError, calls.linkError, calls.createNewError, calls.renameError) = c.refusals;
        QTemporaryDir dir;
        write(dir.filePath("a.mov"), "clip");
        if (c.taken)
            write(dir.filePath("b.mov"), "theirs");
        EXPECT_EQ(NoReplaceRename::rename(dir.filePath("a.mov"), dir.filePath("b.mov"), calls), c.expected);
        EXPECT_EQ(calls.calls.size(), c.calls) << calls.calls.join(' ').toStdString();
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
    const QString to = dir.filePath("b.mov");
    write(dir.filePath("a.mov"), "clip");
    RefusingCalls calls = RefusingCalls::likeFuseExfat();
    calls.afterCreateNew = [&to](const QByteArray &) {
        QFile::remove(to);
        write(to, "theirs");
    };
    EXPECT_EQ(NoReplaceRename::rename(dir.filePath("a.mov"), to, calls), EEXIST);
    EXPECT_FALSE(calls.calls.contains(QStringLiteral("rename")));
    EXPECT_EQ(contents(dir.path()), (QStringList{"a.mov=clip", "b.mov=theirs"}));
}
