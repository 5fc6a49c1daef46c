// A hand-over goes only between processes of one user: the socket is never
// put loose in a shared folder, and each end checks the other's user id. The
// other user is a child process turned into "nobody", which needs root.
#include "app/LogCapture.h"
#include "app/Loggers.h"
#include "app/ui/PrivateFolder.h"
#include "app/ui/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <optional>
#include <thread>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr uid_t kNobody = 65534;

// Runs `body` in a child turned into nobody (only calls safe after fork);
// the child's status, 0 when its body returned true, while this thread's
// event loop runs.
int statusAsNobody(const std::function<bool()> &body)
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(::setgid(kNobody) == 0 && ::setuid(kNobody) == 0 && body() ? 0 : 1);
    int status = -1;
    const bool ended = QTest::qWaitFor([&] { return ::waitpid(child, &status, WNOHANG) == child; }, 30000);
    return ended && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

sockaddr_un socketAddress(const QString &path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    std::memcpy(address.sun_path, name.constData(), std::min<size_t>(name.size(), sizeof address.sun_path - 1));
    return address;
}

// Whether the other end closed (or dropped the connection) without sending a byte.
bool closesSilently(int descriptor)
{
    char byte = 0;
    return ::read(descriptor, &byte, 1) <= 0;
}

void chmodPath(const QString &path, mode_t mode)
{
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode), 0) << path.toStdString();
}

void giveToNobody(const QString &path)
{
    ASSERT_EQ(::chown(QFile::encodeName(path).constData(), kNobody, kNobody), 0) << path.toStdString();
}

} // namespace

TEST(PrivateFolder, OnlyARealFolderOfThisUsersThatNoOneElseMayEnterIsUsed)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "another user's folder needs root to make";
    QTemporaryDir base;
    const QDir dir(base.path());
    for (const auto &[name, mode] : {std::pair{"mine", 0700}, std::pair{"open", 0755}, std::pair{"theirs", 0700}}) {
        ASSERT_TRUE(dir.mkdir(QString::fromLatin1(name)));
        chmodPath(dir.filePath(QString::fromLatin1(name)), static_cast<mode_t>(mode));
    }
    giveToNobody(dir.filePath(QStringLiteral("theirs")));
    ASSERT_TRUE(QFile::link(dir.filePath(QStringLiteral("mine")), dir.filePath(QStringLiteral("link"))));
    const struct
    {
        const char *name;
        const char *fault; // contained in the answer; empty: usable
    } cases[] = {{"new", ""},
                 {"mine", ""},
                 {"open", "has mode 755"},
                 {"link", "is not a folder"},
                 {"theirs", "belongs to user nobody (user id 65534)"}};
    for (const auto &c : cases) {
        const QString answer = PrivateFolder::ensure(dir.filePath(QString::fromLatin1(c.name)));
        EXPECT_TRUE(*c.fault ? answer.contains(QString::fromLatin1(c.fault)) : answer.isEmpty()) << c.name << ": " << answer.toStdString();
    }
    struct stat made = {};
    EXPECT_TRUE(::stat(QFile::encodeName(dir.filePath(QStringLiteral("new"))).constData(), &made) == 0 && (made.st_mode & 07777) == 0700);

    // Without a runtime folder (the one Qt would make is another user's),
    // the socket goes into this user's own folder of the temporary folder,
    // and nowhere when another user made that one first.
    const QByteArray kept[] = {qgetenv("XDG_RUNTIME_DIR"), qgetenv("TMPDIR")};
    qunsetenv("XDG_RUNTIME_DIR");
    qputenv("TMPDIR", QFile::encodeName(base.path()));
    ASSERT_TRUE(dir.mkdir(QStringLiteral("runtime-root")));
    giveToNobody(dir.filePath(QStringLiteral("runtime-root")));
    const QString own = dir.filePath(QStringLiteral("triagon-0"));
    EXPECT_EQ(SingleInstance::defaultSocketFolder().path, own);
    ASSERT_TRUE(QDir(own).removeRecursively() && dir.mkdir(QStringLiteral("triagon-0")));
    giveToNobody(own);
    EXPECT_EQ(SingleInstance::defaultSocketFolder().path, QString());
    EXPECT_EQ(SingleInstance(base.path()).serverName(), QString());
    kept[0].isEmpty() ? qunsetenv("XDG_RUNTIME_DIR") : qputenv("XDG_RUNTIME_DIR", kept[0]);
    kept[1].isEmpty() ? qunsetenv("TMPDIR") : qputenv("TMPDIR", kept[1]);
}

class SingleInstanceUsers : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (::geteuid() != 0)
            GTEST_SKIP() << "playing another user needs root";
        // Anyone may write there, as in the temporary folder.
        chmodPath(shared.path(), 01777);
    }

    QTemporaryDir session;
    QTemporaryDir shared;
};

TEST_F(SingleInstanceUsers, ALaunchSendsNothingToASocketOfAnotherUser)
{
    const SingleInstance probe(session.path(), shared.path());
    QLockFile holder(probe.lockFilePath());
    ASSERT_TRUE(holder.tryLock(0));
    const sockaddr_un address = socketAddress(probe.serverName());
    // The other user listens first where this user's launch looks; the
    // launch runs in a thread of its own and tries until it is listening.
    std::optional<SingleInstance::Claim> claim;
    std::thread launch([&] { claim = SingleInstance(session.path(), shared.path()).claim(20000, {.paths = {QStringLiteral("/day1")}}); });
    const int status = statusAsNobody([&] {
        const int server = ::socket(AF_UNIX, SOCK_STREAM, 0);
        return ::bind(server, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0 && ::listen(server, 4) == 0
               && closesSilently(::accept(server, nullptr, nullptr));
    });
    launch.join();
    EXPECT_EQ(status, 0) << "the other user read the request";
    EXPECT_EQ(claim, SingleInstance::Claim::refused);
}

TEST_F(SingleInstanceUsers, ARunningTriagonRefusesARequestFromAnotherUser)
{
    SingleInstance first(session.path(), shared.path());
    QSignalSpy asked(&first, &SingleInstance::activationRequested);
    LogCapture log(sessionLogger().categoryName());
    ASSERT_EQ(first.claim(), SingleInstance::Claim::primary);
    // Anyone may connect: only the user id refuses the other user, also a
    // request as earlier launches send it, which would be acted on at once.
    chmodPath(first.serverName(), 0777);
    const sockaddr_un address = socketAddress(first.serverName());
    const QByteArray request = HandOverRequest{.paths = {QStringLiteral("/day1")}, .confirm = false}.line();
    EXPECT_EQ(statusAsNobody([&] {
                  const int connection = ::socket(AF_UNIX, SOCK_STREAM, 0);
                  if (::connect(connection, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0)
                      return false;
                  // The holder may drop the connection before the request is written.
                  static_cast<void>(::send(connection, request.constData(), static_cast<size_t>(request.size()), MSG_NOSIGNAL));
                  return closesSilently(connection);
              }),
              0);
    EXPECT_EQ(asked.count(), 0);
    EXPECT_EQ(log.count(QtWarningMsg, QStringLiteral("Refused a hand-over from user id 65534")), 1);
}

// A later launch of the real program where the runtime folder and both
// fallbacks in the temporary folder are another user's, made by that user
// before the running Triagon (here: this process, holding the session's
// lock) started: the launch names the cause and the way out, not a Triagon
// that does not answer.
TEST_F(SingleInstanceUsers, ALaunchWithoutAPrivateFolderSaysWhyItCannotReachTheRunningTriagon)
{
    const QDir dir(shared.path());
    const QString own = dir.filePath(QStringLiteral("triagon-0"));
    ASSERT_EQ(statusAsNobody([&] {
                  bool made = true;
                  for (const char *name : {"runtime", "runtime-root", "triagon-0"})
                      made = made && ::mkdir(QFile::encodeName(dir.filePath(QString::fromLatin1(name))).constData(), 0700) == 0;
                  return made;
              }),
              0);
    QLockFile holder(SingleInstance(session.filePath(QStringLiteral("data/Triagon"))).lockFilePath());
    ASSERT_TRUE(QDir().mkpath(session.filePath(QStringLiteral("data/Triagon"))) && holder.tryLock(0));

    // The rest of the environment is this test's private home, and offscreen.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_DATA_HOME"), session.filePath(QStringLiteral("data")));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.filePath(QStringLiteral("runtime")));
    environment.insert(QStringLiteral("TMPDIR"), shared.path());
    QProcess launch;
    launch.setProcessEnvironment(environment);
    launch.start(QStringLiteral(TRIAGON_APP_BINARY), {session.path()});
    // Its alert, which nobody here closes, would end it with status 1.
    QByteArray said;
    const QByteArray cause =
        "Later launches cannot reach the running Triagon: there is no private folder for the hand-over: " + own.toUtf8()
        + " belongs to user nobody (user id 65534). Set XDG_RUNTIME_DIR to a folder of your own with mode 700, or remove " + own.toUtf8()
        + "; then quit Triagon and open it again.\n";
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            said += launch.readAllStandardError();
            return said.contains(cause) && said.contains("(there is no private folder for the hand-over): " + session.path().toUtf8());
        },
        60000))
        << said.toStdString();
    EXPECT_FALSE(said.contains("did not answer")) << said.toStdString();
    launch.kill();
    launch.waitForFinished();
}
