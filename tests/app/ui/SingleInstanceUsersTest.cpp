// A hand-over goes only between processes of one user: the socket is never
// put loose in a shared folder, and each end checks the other's user id.
// The other user is played by a child process that turns into "nobody",
// which needs root; elsewhere those tests are skipped.
#include "app/LogCapture.h"
#include "app/Loggers.h"
#include "app/ui/PrivateFolder.h"
#include "app/ui/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr uid_t kNobody = 65534;

// Runs `body` in a child process turned into the user nobody and returns
// its pid; the body ends the child with _exit and uses only calls that are
// safe after fork.
pid_t runAsNobody(const std::function<void()> &body)
{
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)
            ::_exit(90);
        body();
        ::_exit(0);
    }
    return child;
}

// The exit status of `child`, while this thread's event loop runs.
int exitStatusOf(pid_t child)
{
    int status = -1;
    const bool ended = QTest::qWaitFor([&] { return ::waitpid(child, &status, WNOHANG) == child; }, 30000);
    return ended && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

sockaddr_un socketAddress(const QByteArray &path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.constData(), std::min<size_t>(path.size(), sizeof address.sun_path - 1));
    return address;
}

// Reads until the other end closes; the number of bytes read.
ssize_t readToEnd(int descriptor)
{
    char buffer[4096];
    ssize_t total = 0;
    for (ssize_t n; (n = ::read(descriptor, buffer, sizeof buffer)) > 0;)
        total += n;
    return total;
}

// A folder anyone may write in, as the temporary folder is.
bool makeShared(const QTemporaryDir &folder)
{
    return ::chmod(QFile::encodeName(folder.path()).constData(), 01777) == 0;
}

} // namespace

TEST(PrivateFolder, OnlyARealFolderOfThisUsersThatNoOneElseMayEnterIsUsed)
{
    QTemporaryDir base;
    const QDir dir(base.path());
    ASSERT_TRUE(dir.mkdir(QStringLiteral("open")));
    ::chmod(QFile::encodeName(dir.filePath(QStringLiteral("open"))).constData(), 0755);
    ASSERT_TRUE(dir.mkdir(QStringLiteral("mine")));
    ::chmod(QFile::encodeName(dir.filePath(QStringLiteral("mine"))).constData(), 0700);
    ASSERT_TRUE(QFile::link(dir.filePath(QStringLiteral("mine")), dir.filePath(QStringLiteral("link"))));
    QFile file(dir.filePath(QStringLiteral("file")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_TRUE(dir.mkdir(QStringLiteral("theirs")));
        ::chmod(QFile::encodeName(dir.filePath(QStringLiteral("theirs"))).constData(), 0700);
        ASSERT_EQ(::chown(QFile::encodeName(dir.filePath(QStringLiteral("theirs"))).constData(), kNobody, kNobody), 0);
    }
    const struct
    {
        const char *name;
        const char *fault; // contained in the answer; empty: usable
    } cases[] = {
        {"new", ""},
        {"mine", ""},
        {"open", "has mode 755, not 700"},
        {"link", "not"},
        {"file", "not a folder"},
        {"theirs", "belongs to user id 65534"},
    };
    for (const auto &c : cases) {
        if (!root && std::strcmp(c.name, "theirs") == 0)
            continue;
        const QString answer = PrivateFolder::ensure(dir.filePath(QString::fromLatin1(c.name)));
        if (*c.fault == '\0') {
            EXPECT_TRUE(answer.isEmpty()) << c.name << ": " << answer.toStdString();
        } else {
            EXPECT_TRUE(answer.contains(QString::fromLatin1(c.fault))) << c.name << ": " << answer.toStdString();
        }
    }
    struct stat made = {};
    ASSERT_EQ(::lstat(QFile::encodeName(dir.filePath(QStringLiteral("new"))).constData(), &made), 0);
    EXPECT_EQ(made.st_mode & 07777, 0700u);
}

TEST(SingleInstanceUsers, WithoutARuntimeFolderTheSocketGoesIntoAPrivateFolderOrNowhere)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "another user's folders need root to make";
    QTemporaryDir temp;
    const QByteArray kept[] = {qgetenv("XDG_RUNTIME_DIR"), qgetenv("TMPDIR")};
    qunsetenv("XDG_RUNTIME_DIR");
    qputenv("TMPDIR", QFile::encodeName(temp.path()));
    // The runtime folder Qt would make is another user's: Qt gives none.
    const QByteArray runtime = QFile::encodeName(temp.path() + QStringLiteral("/runtime-root"));
    ASSERT_EQ(::mkdir(runtime.constData(), 0700), 0);
    ASSERT_EQ(::chown(runtime.constData(), kNobody, kNobody), 0);

    const QString own = temp.path() + QStringLiteral("/triagon-0");
    EXPECT_EQ(SingleInstance::defaultSocketFolder(), own);
    EXPECT_TRUE(PrivateFolder::ensure(own).isEmpty());

    // Another user made that folder first: no socket at all, rather than one
    // where that user could listen.
    ASSERT_TRUE(QDir(own).removeRecursively());
    ASSERT_EQ(::mkdir(QFile::encodeName(own).constData(), 0700), 0);
    ASSERT_EQ(::chown(QFile::encodeName(own).constData(), kNobody, kNobody), 0);
    EXPECT_EQ(SingleInstance::defaultSocketFolder(), QString());
    QTemporaryDir session;
    SingleInstance instance(session.path());
    EXPECT_EQ(instance.serverName(), QString());
    EXPECT_EQ(instance.claim(0), SingleInstance::Claim::primary);

    kept[0].isEmpty() ? qunsetenv("XDG_RUNTIME_DIR") : qputenv("XDG_RUNTIME_DIR", kept[0]);
    kept[1].isEmpty() ? qunsetenv("TMPDIR") : qputenv("TMPDIR", kept[1]);
}

TEST(SingleInstanceUsers, ALaunchSendsNothingToASocketOfAnotherUser)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "playing another user needs root";
    QTemporaryDir session;
    QTemporaryDir shared;
    ASSERT_TRUE(makeShared(shared));
    const SingleInstance probe(session.path(), shared.path());
    QLockFile holder(probe.lockFilePath());
    ASSERT_TRUE(holder.tryLock(0));

    // The other user listens first, where this user's launch looks.
    const sockaddr_un address = socketAddress(QFile::encodeName(probe.serverName()));
    int ready[2];
    int report[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(report), 0);
    const pid_t listener = runAsNobody([&] {
        const int server = ::socket(AF_UNIX, SOCK_STREAM, 0);
        if (::bind(server, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0 || ::listen(server, 4) != 0)
            ::_exit(91);
        if (::write(ready[1], "r", 1) != 1)
            ::_exit(92);
        const int connection = ::accept(server, nullptr, nullptr);
        const ssize_t received = readToEnd(connection);
        if (::write(report[1], &received, sizeof received) != sizeof received)
            ::_exit(93);
    });
    ::close(ready[1]);
    ::close(report[1]);
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);

    SingleInstance later(session.path(), shared.path());
    EXPECT_EQ(later.claim(10000, {.paths = {QStringLiteral("/footage/day1")}}), SingleInstance::Claim::refused);
    ssize_t received = -1;
    EXPECT_EQ(::read(report[0], &received, sizeof received), static_cast<ssize_t>(sizeof received));
    EXPECT_EQ(received, 0) << "the other user read the request";
    EXPECT_EQ(exitStatusOf(listener), 0);
    ::close(ready[0]);
    ::close(report[0]);
}

TEST(SingleInstanceUsers, ARunningTriagonRefusesARequestFromAnotherUser)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "playing another user needs root";
    QTemporaryDir session;
    QTemporaryDir shared;
    ASSERT_TRUE(makeShared(shared));
    SingleInstance first(session.path(), shared.path());
    QSignalSpy asked(&first, &SingleInstance::activationRequested);
    LogCapture log(sessionLogger().categoryName());
    ASSERT_EQ(first.claim(), SingleInstance::Claim::primary);
    // Anyone may connect: only the user id refuses the other user.
    const QByteArray socketPath = QFile::encodeName(first.serverName());
    ASSERT_EQ(::chmod(socketPath.constData(), 0777), 0);

    // A request as earlier launches send it, which would be acted on at once.
    const QByteArray request = HandOverRequest{.paths = {QStringLiteral("/footage/day1")}, .confirm = false}.line();
    const sockaddr_un address = socketAddress(socketPath);
    int report[2];
    ASSERT_EQ(::pipe(report), 0);
    const pid_t stranger = runAsNobody([&] {
        const int connection = ::socket(AF_UNIX, SOCK_STREAM, 0);
        if (::connect(connection, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0)
            ::_exit(91);
        if (::write(connection, request.constData(), static_cast<size_t>(request.size())) != request.size())
            ::_exit(92);
        const ssize_t received = readToEnd(connection);
        if (::write(report[1], &received, sizeof received) != sizeof received)
            ::_exit(93);
    });
    ::close(report[1]);
    EXPECT_EQ(exitStatusOf(stranger), 0);
    ssize_t received = -1;
    EXPECT_EQ(::read(report[0], &received, sizeof received), static_cast<ssize_t>(sizeof received));
    ::close(report[0]);
    EXPECT_EQ(received, 0) << "the other user was answered";
    EXPECT_EQ(asked.count(), 0);
    EXPECT_EQ(log.count(QtWarningMsg, QStringLiteral("Refused a hand-over from user id 65534")), 1);
}
