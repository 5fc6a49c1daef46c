#include "organize/VerifiedMove.h"

#include "OrganizeTestSupport.h"
#include "Printers.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace OrganizeTest;
using Op = HookedFileOperations::Op;

TEST(VerifiedMove, FileOfTheExpectedSizeIsLeftWhereItArrived)
{
    QTemporaryDir dir;
    const QString to = makeFile(dir.filePath("to.mov"), 300);
    HookedFileOperations files;
    EXPECT_FALSE(VerifiedMove::moveVerifyingSize(files, dir.filePath("from.mov"), to, 300));
    EXPECT_EQ(files.moves, 0);
    EXPECT_TRUE(QFileInfo::exists(to));
}

TEST(VerifiedMove, SizeChangeMovesTheFileBack)
{
    QTemporaryDir dir;
    const QString to = makeFile(dir.filePath("to.mov"), 301);
    FileOperations files;
    const auto error = VerifiedMove::moveVerifyingSize(files, dir.filePath("from.mov"), to, 300);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->domain, QStringLiteral("Triagon"));
    EXPECT_EQ(error->code, 4);
    EXPECT_EQ(error->localizedDescription,
              QStringLiteral("The file size changed during the move. The file was returned to its original folder."));
    EXPECT_EQ(QFileInfo(dir.filePath("from.mov")).size(), 301);
    EXPECT_FALSE(QFileInfo::exists(to));
}

TEST(VerifiedMove, FailedMoveBackLeavesTheFileAndSaysWhy)
{
    QTemporaryDir dir;
    const QString to = makeFile(dir.filePath("to.mov"), 301);
    // Something took the old place meanwhile: the move back must not replace it.
    const QString from = makeFile(dir.filePath("from.mov"), 7);
    FileOperations files;
    const auto error = VerifiedMove::moveVerifyingSize(files, from, to, 300);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code, 3);
    EXPECT_EQ(error->localizedDescription,
              QStringLiteral("The file size changed during the move. Could not return the file to its original folder: ")
                  + qt_error_string(EEXIST) + QStringLiteral(" (") + from + QLatin1Char(')'));
    EXPECT_EQ(QFileInfo(from).size(), 7);
    EXPECT_EQ(QFileInfo(to).size(), 301);
}

TEST(VerifiedMove, UnreadableDestinationIsMovedBackWithTheSystemsReason)
{
    QTemporaryDir dir;
    const QString to = makeFile(dir.filePath("to.mov"), 300);
    HookedFileOperations files;
    files.before = [&](Op op, const QString &a, const QString &) -> std::optional<OrganizeError> {
        if (op == Op::entry && a == to)
            return OrganizeError::fromErrno(EACCES);
        return std::nullopt;
    };
    const auto error = VerifiedMove::moveVerifyingSize(files, dir.filePath("from.mov"), to, 300);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code, 4);
    EXPECT_TRUE(error->localizedDescription.startsWith(qt_error_string(EACCES) + QStringLiteral(" The file was returned")))
        << error->localizedDescription.toStdString();
    EXPECT_TRUE(QFileInfo::exists(dir.filePath("from.mov")));
}

TEST(VerifiedMove, OtherVolumeCheckLooksAtEachFolderOnceAndNeverRefusesTheUnknown)
{
    QTemporaryDir dir;
    QList<Clip> clips;
    for (int i = 0; i < 5; ++i)
        clips.append(clipFor(makeFile(dir.filePath(QStringLiteral("day1/c%1.mov").arg(i)), 10)));
    clips.append(clipFor(makeFile(dir.filePath("day2/x.mov"), 10)));
    Clip offline = clipFor(dir.filePath("offline/y.mov"));
    clips.append(offline);

    HookedFileOperations files;
    const QUrl destination = QUrl::fromLocalFile(dir.filePath("out"));
    // A destination that does not exist yet is judged by its nearest
    // existing folder, where it would be made.
    EXPECT_FALSE(VerifiedMove::hasClipOnOtherVolume(files, clips, destination));
    EXPECT_EQ(files.volumeLookups.mid(0, 2), (QStringList{dir.filePath("out"), dir.path()}));
    EXPECT_EQ(files.volumeLookups.size(), 5);
    files.volumeOf = [&](const QString &path) -> std::optional<quint64> {
        if (path == dir.filePath("out"))
            return std::nullopt;
        return path == dir.path() ? 2 : 1;
    };
    EXPECT_TRUE(VerifiedMove::hasClipOnOtherVolume(files, clips, destination));
    files.volumeOf = nullptr;

    QDir().mkpath(dir.filePath("out"));
    files.volumeLookups.clear();
    EXPECT_FALSE(VerifiedMove::hasClipOnOtherVolume(files, clips, destination));
    // The destination, then day1, day2 and the offline folder once each.
    EXPECT_EQ(files.volumeLookups.size(), 4);

    files.volumeOf = [&](const QString &path) -> std::optional<quint64> {
        if (path.endsWith(QStringLiteral("/offline")))
            return std::nullopt;
        return path.endsWith(QStringLiteral("/day2")) ? 2 : 1;
    };
    EXPECT_TRUE(VerifiedMove::hasClipOnOtherVolume(files, clips, destination));
    clips.removeAt(5);
    EXPECT_FALSE(VerifiedMove::hasClipOnOtherVolume(files, clips, destination));
}
