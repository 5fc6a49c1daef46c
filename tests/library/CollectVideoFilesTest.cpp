#include "StoreTestSupport.h"
#include "library/CollectVideoFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void touch(const QString &path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write("x");
}

QStringList relativePaths(const QList<QUrl> &urls, const QString &root)
{
    QStringList result;
    for (const QUrl &url : urls)
        result.append(QDir(root).relativeFilePath(url.toLocalFile()));
    return result;
}

} // namespace

TEST(CollectVideoFiles, TakesVideoFilesAtAnyDepthInFileManagerOrder)
{
    QTemporaryDir dir;
    const QString root = dir.path();
    touch(root + QStringLiteral("/clip10.mov"));
    touch(root + QStringLiteral("/clip2.mov"));
    touch(root + QStringLiteral("/A001.MOV"));
    touch(root + QStringLiteral("/b.Mts"));
    touch(root + QStringLiteral("/notes.txt"));
    touch(root + QStringLiteral("/README"));
    touch(root + QStringLiteral("/day 2/deep/er/c.mkv"));
    touch(root + QStringLiteral("/Day 10/d.webm"));
    QDir(root).mkpath(QStringLiteral("folder.mov")); // a folder with a video name is walked, not taken

    EXPECT_EQ(relativePaths(collectVideoFiles(QUrl::fromLocalFile(root)), root),
              (QStringList{QStringLiteral("A001.MOV"), QStringLiteral("b.Mts"), QStringLiteral("clip2.mov"), QStringLiteral("clip10.mov"),
                           QStringLiteral("day 2/deep/er/c.mkv"), QStringLiteral("Day 10/d.webm")}));
}

TEST(CollectVideoFiles, SkipsHiddenFilesAndEverythingInHiddenFolders)
{
    QTemporaryDir dir;
    const QString root = dir.path();
    touch(root + QStringLiteral("/.hidden.mov"));
    touch(root + QStringLiteral("/.cache/inside.mov"));
    touch(root + QStringLiteral("/.cache/sub/deeper.mp4"));
    touch(root + QStringLiteral("/shown/._resource.mov"));
    touch(root + QStringLiteral("/shown/take.mov"));

    EXPECT_EQ(relativePaths(collectVideoFiles(QUrl::fromLocalFile(root)), root), QStringList{QStringLiteral("shown/take.mov")});
}

TEST(CollectVideoFiles, NeverFollowsSymbolicLinksAndSurvivesLinkLoops)
{
    QTemporaryDir dir;
    QTemporaryDir outside;
    const QString root = dir.path();
    touch(root + QStringLiteral("/real.mov"));
    touch(outside.path() + QStringLiteral("/elsewhere.mov"));
    ASSERT_EQ(
        ::symlink((root + QStringLiteral("/real.mov")).toUtf8().constData(), (root + QStringLiteral("/link.mov")).toUtf8().constData()), 0);
    ASSERT_EQ(::symlink(outside.path().toUtf8().constData(), (root + QStringLiteral("/linked folder")).toUtf8().constData()), 0);
    // A loop: a folder holding a link to its own parent, and a dangling link.
    QDir(root).mkpath(QStringLiteral("loop"));
    ASSERT_EQ(::symlink(root.toUtf8().constData(), (root + QStringLiteral("/loop/up")).toUtf8().constData()), 0);
    ASSERT_EQ(::symlink("/nonexistent/gone.mov", (root + QStringLiteral("/dangling.mov")).toUtf8().constData()), 0);

    EXPECT_EQ(relativePaths(collectVideoFiles(QUrl::fromLocalFile(root)), root), QStringList{QStringLiteral("real.mov")});
}

TEST(CollectVideoFiles, VanishedFolderGivesNothing)
{
    QTemporaryDir dir;
    StoreTest::LogCapture log;
    EXPECT_TRUE(collectVideoFiles(QUrl::fromLocalFile(dir.path() + QStringLiteral("/gone"))).isEmpty());
    ASSERT_EQ(log.messages().size(), 1);
    EXPECT_TRUE(log.messages()[0].contains(dir.path() + QStringLiteral("/gone")));
    EXPECT_TRUE(collectVideoFiles(QUrl()).isEmpty());
}

TEST(CollectVideoFiles, UnreadableFolderIsPassedOverAndTheRestIsWalked)
{
    QTemporaryDir dir;
    const QString root = dir.path();
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not stop the superuser from reading a folder";
    touch(root + QStringLiteral("/locked/secret.mov"));
    touch(root + QStringLiteral("/open/visible.mov"));
    ASSERT_TRUE(QFile::setPermissions(root + QStringLiteral("/locked"), QFileDevice::Permissions()));
    const QStringList found = relativePaths(collectVideoFiles(QUrl::fromLocalFile(root)), root);
    QFile::setPermissions(root + QStringLiteral("/locked"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(found, QStringList{QStringLiteral("open/visible.mov")});
}

TEST(CollectVideoFiles, CancelledWalkReturnsNothing)
{
    QTemporaryDir dir;
    touch(dir.path() + QStringLiteral("/a.mov"));
    std::atomic<bool> cancelled{true};
    EXPECT_TRUE(collectVideoFiles(QUrl::fromLocalFile(dir.path()), &cancelled).isEmpty());
}

TEST(CollectVideoFiles, NamesThatAreNotUtf8AreLeftOutAndCounted)
{
    QTemporaryDir dir;
    const QString root = dir.path();
    const QByteArray raw = QFile::encodeName(root);
    const auto touchRaw = [](const QByteArray &path) {
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        ASSERT_GE(fd, 0);
        ::close(fd);
    };
    touchRaw(raw + "/clip\xFF.mov");
    touchRaw(raw + "/notes\xFF.txt"); // not footage: neither taken nor counted
    ASSERT_EQ(::mkdir((raw + "/day\xFE").constData(), 0755), 0);
    touchRaw(raw + "/day\xFE/inside.mov");
    touch(root + QStringLiteral("/caf\u00E9.mov"));
    StoreTest::LogCapture log;
    int skipped = 0;
    EXPECT_EQ(relativePaths(collectVideoFiles(QUrl::fromLocalFile(root), nullptr, &skipped), root),
              QStringList{QStringLiteral("caf\u00E9.mov")});
    EXPECT_EQ(skipped, 1);
    // In the order the folder lists them.
    QStringList warnings = log.messagesOf(QtWarningMsg);
    warnings.sort();
    EXPECT_EQ(warnings, (QStringList{QStringLiteral("Skipping file whose name is not valid UTF-8: %1/clip\\xFF.mov").arg(root),
                                     QStringLiteral("Skipping folder whose name is not valid UTF-8: %1/day\\xFE").arg(root)}));
}
