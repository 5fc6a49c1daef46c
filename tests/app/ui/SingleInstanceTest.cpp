#include "app/LogCapture.h"
#include "app/Loggers.h"
#include "app/ui/SingleInstance.h"
#include "library/ClipStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
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
std::optional<SingleInstance::Claim> claimElsewhere(const QString &folder, int patienceMs, const HandOverRequest &request = {})
{
    std::atomic_bool done = false;
    std::optional<SingleInstance::Claim> result;
    std::thread later([&] {
        SingleInstance instance(folder);
        result = instance.claim(patienceMs, request);
        done = true;
    });
    const bool ended = QTest::qWaitFor([&] { return done.load(); }, patienceMs + 30000);
    later.join();
    if (!ended)
        return std::nullopt;
    return result;
}

// The holder acts on a confirmed request when it reads the launch's "go",
// which may be just after the launch ended: waits until it has acted
// `count` times in all.
int activationsOnceTaken(QSignalSpy &asked, int count)
{
    static_cast<void>(QTest::qWaitFor([&] { return asked.count() >= count; }, 10000));
    return static_cast<int>(asked.count());
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
    EXPECT_EQ(activationsOnceTaken(asked, 1), 1);
    EXPECT_TRUE(first.isPrimary());
    EXPECT_EQ(lockHolder(first.lockFilePath()), QCoreApplication::applicationPid());

    // Again: every later launch is handed over.
    EXPECT_EQ(claimElsewhere(folder.path(), 10000), SingleInstance::Claim::handedOver);
    EXPECT_EQ(activationsOnceTaken(asked, 2), 2);
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

TEST(SingleInstance, AHolderThatWakesAfterTheLaunchGaveUpDropsItsRequest)
{
    QTemporaryDir folder;
    SingleInstance first(folder.path());
    QSignalSpy asked(&first, &SingleInstance::activationRequested);
    LogCapture log(sessionLogger().categoryName());
    ASSERT_EQ(first.claim(), SingleInstance::Claim::primary);
    // This thread runs no event loop while the later claim waits: the holder
    // is as good as stopped (kill -STOP).
    EXPECT_EQ(SingleInstance(folder.path()).claim(300, {.paths = {QStringLiteral("/day1")}}), SingleInstance::Claim::noAnswer);
    // Woken, it reads the request, finds the launch gone and acts on nothing.
    const QString dropped = QStringLiteral("A later launch gave up before it confirmed its request; the request was dropped");
    ASSERT_TRUE(QTest::qWaitFor([&] { return log.count(QtInfoMsg, dropped) == 1; }, 10000));
    EXPECT_EQ(asked.count(), 0);
}

TEST(SingleInstance, AnEarlierVersionIsActivatedWithoutThePaths)
{
    QTemporaryDir folder;
    const SingleInstance probe(folder.path());
    QLockFile holder(probe.lockFilePath());
    ASSERT_TRUE(holder.tryLock(0));
    // What the first versions did: "activate" is answered, anything else dropped.
    QLocalServer earlier;
    ASSERT_TRUE(earlier.listen(probe.serverName()));
    QList<QByteArray> seen;
    QObject::connect(&earlier, &QLocalServer::newConnection, [&] {
        QLocalSocket *socket = earlier.nextPendingConnection();
        QObject::connect(socket, &QLocalSocket::readyRead, socket, [&seen, socket] {
            seen.append(socket->readAll());
            seen.constLast() == HandOverRequest::activateLine ? void(socket->write(HandOverRequest::answerOk)) : socket->abort();
        });
    });
    EXPECT_EQ(claimElsewhere(folder.path(), 10000, {.paths = {QStringLiteral("/day1")}}), SingleInstance::Claim::activatedOnly);
    ASSERT_EQ(seen.size(), 2);
    EXPECT_TRUE(seen[0].startsWith("open "));
    EXPECT_EQ(seen[1], HandOverRequest::activateLine);
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
        // A request answered "ready" and then anything but "go".
        HandOverRequest{.paths = {QStringLiteral("/footage/day1")}}.line() + "gone\n",
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
    const QStringList skipped{QStringLiteral("/footage/A001.ts"), QStringLiteral("/footage/gone.mov")};
    const HandOverRequest cases[] = {
        {.paths = {QStringLiteral("/footage/day1")}},
        {.paths = {QStringLiteral("/footage/a b.mov"), QStringLiteral("/footage/Ä\"q\".mkv")},
         .activationToken = QByteArrayLiteral("token-1234_TIME99")},
        {.activationToken = QByteArrayLiteral("only-a-token")},
        {.notOpened = skipped},
        {},
        {.paths = many},
    };
    for (const HandOverRequest &c : cases) {
        asked.clear();
        EXPECT_EQ(claimElsewhere(folder.path(), 10000, c), SingleInstance::Claim::handedOver);
        ASSERT_EQ(activationsOnceTaken(asked, 1), 1);
        EXPECT_EQ(asked.at(0).at(0).toStringList(), c.paths);
        EXPECT_EQ(asked.at(0).at(1).toByteArray(), c.activationToken);
        EXPECT_EQ(asked.at(0).at(2).toStringList(), c.notOpened);
    }
}
