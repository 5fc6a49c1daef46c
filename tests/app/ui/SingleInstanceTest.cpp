#include "app/ui/SingleInstance.h"
#include "library/ClipStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <thread>

namespace {

// Claims in a thread of its own, as a second process would, while this
// thread's event loop lets the first one answer.
std::optional<SingleInstance::Claim> claimElsewhere(const QString &folder, int patienceMs, const QStringList &paths = {},
                                                    const QByteArray &activationToken = {})
{
    std::atomic_bool done = false;
    std::optional<SingleInstance::Claim> result;
    std::thread later([&] {
        SingleInstance instance(folder);
        result = instance.claim(patienceMs, paths, activationToken);
        done = true;
    });
    const bool ended = QTest::qWaitFor([&] { return done.load(); }, patienceMs + 30000);
    later.join();
    if (!ended)
        return std::nullopt;
    return result;
}

qint64 lockHolder(const QString &lockPath)
{
    QFile file(lockPath);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    return file.readLine().trimmed().toLongLong();
}

} // namespace

TEST(SingleInstance, ALaterClaimHandsOverAndTheFirstKeepsTheSession)
{
    QTemporaryDir folder;
    SingleInstance first(folder.path());
    QSignalSpy asked(&first, &SingleInstance::activationRequested);
    ASSERT_EQ(first.claim(), SingleInstance::Claim::primary);
    EXPECT_TRUE(first.isPrimary());
    EXPECT_TRUE(QFileInfo::exists(first.lockFilePath()));
    EXPECT_EQ(QFileInfo(first.lockFilePath()).absolutePath(), QDir(folder.path()).absolutePath());

    EXPECT_EQ(claimElsewhere(folder.path(), 10000), SingleInstance::Claim::handedOver);
    EXPECT_EQ(asked.count(), 1);
    EXPECT_TRUE(first.isPrimary());
    EXPECT_EQ(lockHolder(first.lockFilePath()), QCoreApplication::applicationPid());

    // Again: every later launch is handed over.
    EXPECT_EQ(claimElsewhere(folder.path(), 10000), SingleInstance::Claim::handedOver);
    EXPECT_EQ(asked.count(), 2);
}

TEST(SingleInstance, EachSessionFolderHasItsOwnLockAndSocket)
{
    QTemporaryDir one;
    QTemporaryDir two;
    SingleInstance first(one.path());
    ASSERT_EQ(first.claim(), SingleInstance::Claim::primary);
    SingleInstance other(two.path());
    EXPECT_NE(other.serverName(), first.serverName());
    EXPECT_EQ(other.claim(), SingleInstance::Claim::primary);
    EXPECT_LT(other.serverName().toUtf8().size(), 100) << "a socket path has a small limit";
}

TEST(SingleInstance, AHolderThatNeverAnswersEndsTheLaterClaimWithNoAnswer)
{
    QTemporaryDir folder;
    SingleInstance first(folder.path());
    ASSERT_EQ(first.claim(), SingleInstance::Claim::primary);
    // This thread never runs its event loop while the later claim waits.
    SingleInstance later(folder.path());
    EXPECT_EQ(later.claim(300), SingleInstance::Claim::noAnswer);
    EXPECT_FALSE(later.isPrimary());
    EXPECT_EQ(lockHolder(first.lockFilePath()), QCoreApplication::applicationPid());
}

TEST(SingleInstance, AStrangerOnTheSocketIsDroppedWithoutAnActivation)
{
    QTemporaryDir folder;
    SingleInstance first(folder.path());
    QSignalSpy asked(&first, &SingleInstance::activationRequested);
    ASSERT_EQ(first.claim(), SingleInstance::Claim::primary);
    const QByteArray requests[] = {
        QByteArray(200, 'x'),
        QByteArrayLiteral("open not base64!\n"),
        QByteArrayLiteral("open ") + QByteArrayLiteral("[1,2]").toBase64() + '\n',
        QByteArrayLiteral("open \n"),
        QByteArrayLiteral("activatex\n"),
    };
    for (const QByteArray &request : requests) {
        QLocalSocket stranger;
        stranger.connectToServer(first.serverName());
        ASSERT_TRUE(stranger.waitForConnected(5000));
        stranger.write(request);
        stranger.flush();
        ASSERT_TRUE(QTest::qWaitFor([&] { return stranger.state() == QLocalSocket::UnconnectedState; }, 10000)) << request.constData();
        EXPECT_FALSE(stranger.readAll().contains("ok")) << request.constData();
    }
    EXPECT_EQ(asked.count(), 0);
}

TEST(SingleInstance, ReleasingTheLockLetsTheNextLaunchStart)
{
    QTemporaryDir folder;
    QString lockPath;
    {
        SingleInstance first(folder.path());
        ASSERT_EQ(first.claim(), SingleInstance::Claim::primary);
        lockPath = first.lockFilePath();
    }
    EXPECT_FALSE(QFileInfo::exists(lockPath));
    SingleInstance next(folder.path());
    EXPECT_EQ(next.claim(0), SingleInstance::Claim::primary);
}

TEST(SingleInstance, ALaterClaimHandsItsPathsAndTokenOver)
{
    QTemporaryDir folder;
    SingleInstance first(folder.path());
    QSignalSpy asked(&first, &SingleInstance::activationRequested);
    ASSERT_EQ(first.claim(), SingleInstance::Claim::primary);

    // Paths with what a line-based request could trip over, and enough of
    // them that the request arrives in many pieces.
    QStringList many;
    for (int i = 0; i < 3000; ++i)
        many.append(QStringLiteral("/footage/day %1/clip\nwith newline ✓ %2.mov").arg(i / 100).arg(i));
    const struct
    {
        QStringList paths;
        QByteArray token;
    } cases[] = {
        {{QStringLiteral("/footage/day1")}, QByteArray()},
        {{QStringLiteral("/footage/a b.mov"), QStringLiteral("/footage/Ä\"q\".mkv")}, QByteArrayLiteral("token-1234_TIME99")},
        {{}, QByteArrayLiteral("only-a-token")},
        {many, QByteArray()},
    };
    for (const auto &c : cases) {
        asked.clear();
        EXPECT_EQ(claimElsewhere(folder.path(), 10000, c.paths, c.token), SingleInstance::Claim::handedOver);
        ASSERT_EQ(asked.count(), 1);
        EXPECT_EQ(asked.at(0).at(0).toStringList(), c.paths);
        EXPECT_EQ(asked.at(0).at(1).toByteArray(), c.token);
    }
}
