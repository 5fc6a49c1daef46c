// Each way of a move without replacing, through the calls a file system
// refuses, on real files.
#include "app/NoReplaceRename.h"

#include "support/RefusingCalls.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>

namespace {

void write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Every entry of the folder with its content, on one line.
std::string contents(const QString &folder)
{
    QStringList list;
    for (const QString &name : QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name)) {
        QFile file(QDir(folder).filePath(name));
        list.append(name + QLatin1Char('=') + QString::fromUtf8(file.open(QIODevice::ReadOnly) ? file.readAll() : "?"));
    }
    return list.join(QLatin1Char(' ')).toStdString();
}

} // namespace

// Every way moves the file or leaves it where it was, never replaces a taken
// name (also one an empty file takes, or one taken in place of the
// reservation right after it was made) and leaves no reservation behind.
TEST(NoReplaceRename, EachWayMovesTheFileAndNeverReplacesATakenName)
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
        QTemporaryDir dir;
        const QString to = dir.filePath("b.mov");
        write(dir.filePath("a.mov"), "clip");
        if (c.theirs == Theirs::emptyBefore)
            write(to, "");
        RefusingCalls calls(c.refusals);
        calls.after = [&](RefusingCalls::Call call) {
            if (c.theirs == Theirs::inPlaceOfTheReservation && call == RefusingCalls::Call::createNew) {
                QFile::remove(to);
                write(to, "theirs");
            }
        };
        EXPECT_EQ(NoReplaceRename::rename(dir.filePath("a.mov"), to, calls), c.expected);
        const char *left[] = {"a.mov=clip", "a.mov=clip b.mov=", "a.mov=clip b.mov=theirs"};
        EXPECT_EQ(contents(dir.path()), c.expected == 0 ? "b.mov=clip" : left[static_cast<int>(c.theirs)]);
    }
}
