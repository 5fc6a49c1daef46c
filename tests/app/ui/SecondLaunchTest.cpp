// The real program, started more than once on one session, as a user would
// from the desktop: a later launch hands over to the running one (with the
// folders and files it was given) and ends; a lock left by a killed process
// does not block the next start; the paths of a first launch are imported
// after the saved session is back.
#include "AppTestSupport.h"
#include "app/ui/SingleInstance.h"
#include "support/TestMedia.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalSocket>
#include <QMap>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <csignal>
#include <memory>

namespace {

constexpr int waitMs = 60000;

class SecondLaunch : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home.isValid());
        for (const char *sub : {"home", "data", "config", "cache"})
            ASSERT_TRUE(QDir(home.path()).mkpath(QString::fromLatin1(sub)));
        environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("HOME"), home.filePath(QStringLiteral("home")));
        environment.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
        environment.insert(QStringLiteral("XDG_CACHE_HOME"), home.filePath(QStringLiteral("cache")));
        // This process's runtime folder, so that it finds the program's socket.
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), qEnvironmentVariable("XDG_RUNTIME_DIR"));
        sessionFolder = home.filePath(QStringLiteral("data/Triagon"));
        ASSERT_TRUE(QDir().mkpath(sessionFolder));
        probe = std::make_unique<SingleInstance>(sessionFolder);
    }

    void TearDown() override
    {
        for (const auto &process : launches) {
            if (process->state() != QProcess::NotRunning) {
                process->kill();
                process->waitForFinished(waitMs);
            }
        }
    }

    QProcess *launch(const QStringList &arguments = {}, const QString &workingFolder = QString())
    {
        auto process = std::make_unique<QProcess>();
        process->setProcessEnvironment(environment);
        process->setProcessChannelMode(QProcess::SeparateChannels);
        if (!workingFolder.isEmpty())
            process->setWorkingDirectory(workingFolder);
        process->start(QStringLiteral(TRIAGON_APP_BINARY), arguments);
        EXPECT_TRUE(process->waitForStarted(waitMs));
        launches.push_back(std::move(process));
        return launches.back().get();
    }

    QString lockPath() const { return probe->lockFilePath(); }

    qint64 lockHolder() const
    {
        QFile file(lockPath());
        return file.open(QIODevice::ReadOnly) ? file.readLine().trimmed().toLongLong() : 0;
    }

    // Up: holding the lock and listening for later launches.
    bool isUp(QProcess *process) const
    {
        if (process->state() != QProcess::Running || lockHolder() != process->processId())
            return false;
        QLocalSocket socket;
        socket.connectToServer(probe->serverName());
        return socket.waitForConnected(1000);
    }

    bool waitUntilUp(QProcess *process) const
    {
        return QTest::qWaitFor([&] { return isUp(process); }, waitMs);
    }

    static bool saidSoFar(QProcess *process, QByteArray &seen, const QByteArray &text)
    {
        seen += process->readAllStandardError();
        return seen.contains(text);
    }

    void plantSessionWithOneClip()
    {
        ClipStore::SessionData data;
        data.clips = {plantedClip(home.filePath(QStringLiteral("A001.mov")), 4)};
        data.availableTags = {QStringLiteral("Dunk")};
        data.folderOrganization = QStringLiteral("By Tag");
        data.gridColumns = 3;
        data.savedAt = QDateTime::currentDateTimeUtc();
        QFile file(sessionFolder + QStringLiteral("/session.json"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QJsonDocument(data.toJson()).toJson(QJsonDocument::Compact));
    }

    // A folder of footage: two clips and a file that is no video.
    QString makeFootage(const QString &name) const
    {
        const QString folder = home.filePath(name);
        EXPECT_TRUE(QDir().mkpath(folder));
        TestMedia::copyTo(QStringLiteral("clip.mkv"), folder, name + QStringLiteral("-1.mkv"));
        TestMedia::copyTo(QStringLiteral("clip.webm"), folder, name + QStringLiteral("-2.webm"));
        QFile notes(folder + QStringLiteral("/notes.txt"));
        EXPECT_TRUE(notes.open(QIODevice::WriteOnly));
        return folder;
    }

    // The file names of the saved session's clips, with their ratings.
    QMap<QString, int> savedRatings() const
    {
        QMap<QString, int> ratings;
        for (const QJsonValue &clip : savedClips())
            ratings.insert(clip.toObject().value(QStringLiteral("filename")).toString(),
                           clip.toObject().value(QStringLiteral("rating")).toInt());
        return ratings;
    }

    QJsonArray savedClips() const
    {
        QFile file(sessionFolder + QStringLiteral("/session.json"));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QJsonDocument::fromJson(file.readAll()).object().value(QStringLiteral("clips")).toArray();
    }

    QTemporaryDir home;
    QProcessEnvironment environment;
    QString sessionFolder;
    std::unique_ptr<SingleInstance> probe; // only computes the paths; never claims
    std::vector<std::unique_ptr<QProcess>> launches;
};

} // namespace

TEST_F(SecondLaunch, HandsOverToTheRunningProgramAndEnds)
{
    plantSessionWithOneClip();
    QProcess *first = launch();
    ASSERT_TRUE(waitUntilUp(first)) << first->readAllStandardError().toStdString();

    QProcess *second = launch();
    ASSERT_TRUE(second->waitForFinished(waitMs)) << "a second program ran on the same session";
    EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second->exitCode(), 0);
    QByteArray firstLog;
    EXPECT_TRUE(QTest::qWaitFor([&] { return saidSoFar(first, firstLog, "A second launch handed over to this one"); }, waitMs))
        << firstLog.toStdString();
    EXPECT_EQ(first->state(), QProcess::Running);
    EXPECT_EQ(lockHolder(), first->processId());

    // Quitting the first one saves its session and frees the lock.
    first->terminate();
    ASSERT_TRUE(first->waitForFinished(waitMs));
    EXPECT_EQ(first->exitCode(), 0);
    EXPECT_FALSE(QFileInfo::exists(lockPath()));
    const QJsonArray clips = savedClips();
    ASSERT_EQ(clips.size(), 1);
    EXPECT_EQ(clips[0].toObject().value(QStringLiteral("rating")).toInt(), 4);
}

// What a launch does not open is named on its standard error and in the
// running window, on the first launch and on a hand-over alike.
TEST_F(SecondLaunch, EveryLaunchNamesWhatItDoesNotOpen)
{
    const QString transport = home.filePath(QStringLiteral("B002.m2ts"));
    const QString proxy = home.filePath(QStringLiteral("C003.LRV"));
    for (const QString &path : {transport, proxy}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    QProcess *first = launch({transport});
    ASSERT_TRUE(waitUntilUp(first)) << first->readAllStandardError().toStdString();
    QByteArray firstLog;
    EXPECT_TRUE(QTest::qWaitFor([&] { return saidSoFar(first, firstLog, "Not opened: " + transport.toUtf8()); }, waitMs))
        << firstLog.toStdString();
    EXPECT_TRUE(firstLog.contains("triagon: skipped " + transport.toUtf8())) << firstLog.toStdString();

    QProcess *second = launch({proxy});
    ASSERT_TRUE(second->waitForFinished(waitMs));
    EXPECT_EQ(second->exitCode(), 0);
    EXPECT_TRUE(second->readAllStandardError().contains("triagon: skipped " + proxy.toUtf8()));
    EXPECT_TRUE(QTest::qWaitFor([&] { return saidSoFar(first, firstLog, "Not opened: " + proxy.toUtf8()); }, waitMs))
        << firstLog.toStdString();
    first->terminate();
    ASSERT_TRUE(first->waitForFinished(waitMs));
}

// A running program that is stopped (kill -STOP) while a launch waits for
// it: when it wakes within the launch's patience it takes the request once
// and the launch says so; when it wakes later, the launch has said it
// failed and the program never acts on it.
TEST_F(SecondLaunch, AStoppedProgramActsOnceOnWhatALaunchSaidItHandedOverAndNeverOnWhatItSaidFailed)
{
    const QString day1 = makeFootage(QStringLiteral("day1"));
    const QString day2 = makeFootage(QStringLiteral("day2"));
    QProcess *first = launch();
    ASSERT_TRUE(waitUntilUp(first)) << first->readAllStandardError().toStdString();
    const auto handOvers = [](const QByteArray &log) { return log.count("A second launch handed over to this one with 1 path(s)"); };

    // Stopped past the launch's patience: the launch fails, the request is dropped on waking.
    ASSERT_EQ(::kill(pid_t(first->processId()), SIGSTOP), 0);
    QProcess *failed = launch({day1});
    QByteArray failedLog;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return saidSoFar(failed, failedLog, "triagon: not handed over to the running Triagon (it did not answer): " + day1.toUtf8());
        },
        waitMs))
        << failedLog.toStdString();
    // Its alert, which nobody here closes, would end it with status 1.
    failed->kill();
    ASSERT_EQ(::kill(pid_t(first->processId()), SIGCONT), 0);
    QByteArray firstLog;
    EXPECT_TRUE(QTest::qWaitFor([&] { return saidSoFar(first, firstLog, "the request was dropped"); }, waitMs)) << firstLog.toStdString();

    // Stopped for a moment only: the launch waits, then reports the hand-over.
    ASSERT_EQ(::kill(pid_t(first->processId()), SIGSTOP), 0);
    QProcess *handed = launch({day2});
    QTest::qWait(3000);
    ASSERT_EQ(::kill(pid_t(first->processId()), SIGCONT), 0);
    ASSERT_TRUE(handed->waitForFinished(waitMs));
    EXPECT_EQ(handed->exitCode(), 0) << handed->readAllStandardError().toStdString();
    EXPECT_TRUE(QTest::qWaitFor([&] { return saidSoFar(first, firstLog, "with 1 path(s)"); }, waitMs)) << firstLog.toStdString();
    const QMap<QString, int> expected = {{QStringLiteral("day2-1.mkv"), 0}, {QStringLiteral("day2-2.webm"), 0}};
    EXPECT_TRUE(QTest::qWaitFor([&] { return savedRatings() == expected; }, waitMs)) << QJsonDocument(savedClips()).toJson().constData();
    first->terminate();
    ASSERT_TRUE(first->waitForFinished(waitMs));
    firstLog += first->readAllStandardError();
    EXPECT_EQ(handOvers(firstLog), 1) << firstLog.toStdString();
    EXPECT_EQ(savedRatings(), expected);
}

TEST_F(SecondLaunch, ALockLeftByAKilledProgramDoesNotBlockTheNextStart)
{
    QProcess *first = launch();
    ASSERT_TRUE(waitUntilUp(first)) << first->readAllStandardError().toStdString();
    first->kill(); // SIGKILL: no clean-up at all
    ASSERT_TRUE(first->waitForFinished(waitMs));
    ASSERT_TRUE(QFileInfo::exists(lockPath())) << "the killed program's lock is left behind";

    QProcess *next = launch();
    ASSERT_TRUE(waitUntilUp(next)) << "the next start is blocked: " << next->readAllStandardError().toStdString();

    // And it takes later launches over as the first did.
    QProcess *later = launch();
    ASSERT_TRUE(later->waitForFinished(waitMs));
    EXPECT_EQ(later->exitCode(), 0);
    EXPECT_EQ(next->state(), QProcess::Running);
    next->terminate();
    ASSERT_TRUE(next->waitForFinished(waitMs));
    EXPECT_EQ(next->exitCode(), 0);
}

TEST_F(SecondLaunch, PathsOfAFirstLaunchAreImportedAfterTheSessionAndALaterLaunchHandsItsPathsOver)
{
    plantSessionWithOneClip();
    const QString day1 = makeFootage(QStringLiteral("day1"));
    makeFootage(QStringLiteral("day2"));
    // One folder and one file, as given on a command line; the text file of
    // the folder and the one named are skipped.
    const QString loose = TestMedia::copyTo(QStringLiteral("clip.mkv"), home.path(), QStringLiteral("loose.mkv"));
    QProcess *first = launch({day1, loose, day1 + QStringLiteral("/notes.txt")});
    ASSERT_TRUE(waitUntilUp(first)) << first->readAllStandardError().toStdString();
    QMap<QString, int> expected = {{QStringLiteral("A001.mov"), 4},
                                   {QStringLiteral("day1-1.mkv"), 0},
                                   {QStringLiteral("day1-2.webm"), 0},
                                   {QStringLiteral("loose.mkv"), 0}};
    // The session is saved shortly after the import.
    EXPECT_TRUE(QTest::qWaitFor([&] { return savedRatings() == expected; }, waitMs)) << QJsonDocument(savedClips()).toJson().constData();
    // The file named that is no video is named by the launch.
    const QByteArray notVideo = ": not a folder or a video file Triagon opens (";
    QByteArray firstLog;
    EXPECT_TRUE(saidSoFar(first, firstLog, "triagon: skipped " + day1.toUtf8() + "/notes.txt" + notVideo)) << firstLog.toStdString();

    // A path relative to the later launch's own working folder, one that
    // names nothing and a file that is no video: that launch names both, and
    // hands over only the folder.
    QProcess *second = launch({QStringLiteral("day2"), QStringLiteral("missing.mov"), QStringLiteral("day2/notes.txt")}, home.path());
    ASSERT_TRUE(second->waitForFinished(waitMs)) << "a second program ran on the same session";
    EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
    const QByteArray secondLog = second->readAllStandardError();
    EXPECT_EQ(second->exitCode(), 0) << secondLog.toStdString();
    EXPECT_TRUE(
        secondLog.contains("triagon: skipped " + home.filePath(QStringLiteral("missing.mov")).toUtf8() + ": no such file or folder\n"))
        << secondLog.toStdString();
    EXPECT_TRUE(secondLog.contains("triagon: skipped " + home.filePath(QStringLiteral("day2/notes.txt")).toUtf8() + notVideo))
        << secondLog.toStdString();
    EXPECT_TRUE(QTest::qWaitFor([&] { return saidSoFar(first, firstLog, "handed over to this one with 1 path(s)"); }, waitMs))
        << firstLog.toStdString();
    expected.insert(QStringLiteral("day2-1.mkv"), 0);
    expected.insert(QStringLiteral("day2-2.webm"), 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return savedRatings() == expected; }, waitMs)) << QJsonDocument(savedClips()).toJson().constData();
    EXPECT_EQ(lockHolder(), first->processId());
    first->terminate();
    ASSERT_TRUE(first->waitForFinished(waitMs));
    EXPECT_EQ(first->exitCode(), 0);
    EXPECT_EQ(savedRatings(), expected);
}
