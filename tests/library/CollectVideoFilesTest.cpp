#include "StoreTestSupport.h"
#include "library/CollectVideoFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

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
    ASSERT_EQ(::symlink((root + QStringLiteral("/real.mov")).toUtf8().constData(), (root + QStringLiteral("/link.mov")).toUtf8().constData()), 0);
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
