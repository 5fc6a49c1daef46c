// Saving the session must survive the process being killed at any moment:
// the file on disk is always a whole session, the one before the interrupted
// save or the one it was writing, never a mix, a truncation or nothing.
#include "StoreTestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>

using namespace StoreTest;

namespace {

constexpr int kClips = 10000;
// A sanitized child takes seconds to start and to make its clips: there the
// same check runs over fewer kills, to keep the sanitized suite's time.
#if defined(__SANITIZE_ADDRESS__)
constexpr int kKills = 20;
#else
constexpr int kKills = 100;
#endif

// Session number n: every clip carries n in its duration and the session's
// source folder names it, so a file mixing two sessions shows.
ClipStore::SessionData numberedSession(qint64 n, const QList<Clip> &clips)
{
    ClipStore::SessionData data;
    data.clips = clips;
    for (Clip &c : data.clips)
        c.duration = double(n);
    data.sourceFolderURL = QUrl::fromLocalFile(QStringLiteral("/session/") + QString::number(n));
    data.availableTags = {QStringLiteral("Dunk")};
    data.folderOrganization = QStringLiteral("By Tag");
    data.gridColumns = 3;
    data.savedAt = QDateTime::currentDateTimeUtc();
    return data;
}

// The number of the session in the file, read as the next launch reads it;
// fails the test on a torn file.
qint64 sessionNumberOnDisk()
{
    const auto read = ClipStore::readSessionFile();
    EXPECT_TRUE(read.has_value()) << "the session file is missing or unreadable";
    if (!read)
        return -1;
    const ClipStore::SessionData *data = &read->first;
    EXPECT_EQ(data->clips.size(), kClips);
    EXPECT_TRUE(data->sourceFolderURL.has_value());
    const qint64 n = data->sourceFolderURL ? data->sourceFolderURL->fileName().toLongLong() : -1;
    for (const Clip &c : data->clips) {
        if (c.duration != double(n)) {
            ADD_FAILURE() << "clips of session " << c.duration << " in the file of session " << n;
            break;
        }
    }
    return n;
}

} // namespace

// Run only as the child of the test below: saves numbered sessions one after
// another from the number given, printing each number once it is on disk
// with the microseconds the save took.
TEST(SessionSaveKill, DISABLED_SaveLoop)
{
    const qint64 first = qEnvironmentVariable("TRIAGON_SAVE_LOOP_FIRST").toLongLong();
    QList<Clip> clips;
    clips.reserve(kClips);
    for (int i = 0; i < kClips; ++i)
        clips.append(clip(QStringLiteral("C%1.MOV").arg(i, 5, 10, QLatin1Char('0')), i % 6, {QStringLiteral("Dunk")}));
    for (qint64 n = first;; ++n) {
        QElapsedTimer clock;
        clock.start();
        QString error;
        ASSERT_TRUE(ClipStore::writeSessionFile(numberedSession(n, clips), &error)) << error.toStdString();
        std::printf("saved %lld %lld\n", static_cast<long long>(n), static_cast<long long>(clock.nsecsElapsed() / 1000));
        std::fflush(stdout);
    }
}

TEST(SessionSaveKill, TheFileHoldsTheSessionBeforeOrAfterAKilledSave)
{
    const QString folder = QFileInfo(ClipStore::sessionFilePath()).absolutePath();
    QDir(folder).removeRecursively();
    QRandomGenerator random(20261209);

    qint64 lastSaved = -1; // the newest number the child said is on disk
    for (int kill = 0; kill < kKills; ++kill) {
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("TRIAGON_SAVE_LOOP_FIRST"), QString::number(lastSaved + 1));
        environment.insert(QStringLiteral("TRIAGON_TEST_HOME"), qEnvironmentVariable("HOME"));
        child.setProcessEnvironment(environment);
        child.setProcessChannelMode(QProcess::SeparateChannels);
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=SessionSaveKill.DISABLED_SaveLoop"),
                                                              QStringLiteral("--gtest_also_run_disabled_tests")});
        ASSERT_TRUE(child.waitForStarted(10000));
        // Wait for its first save, which says how long a save takes on this
        // machine and build, then kill it at a random moment of the next two.
        QByteArray output;
        while (!output.contains("saved ") && child.state() == QProcess::Running) {
            child.waitForReadyRead(10000);
            output += child.readAllStandardOutput();
        }
        ASSERT_TRUE(output.contains("saved ")) << output.toStdString() << child.readAllStandardError().toStdString();
        const QList<QByteArray> first = output.mid(output.indexOf("saved ")).split('\n').first().split(' ');
        const qint64 saveMicroseconds = std::max<qint64>(1000, first.value(2).toLongLong());
        QThread::usleep(unsigned(random.bounded(qint64(0), 2 * saveMicroseconds)));
        ::kill(pid_t(child.processId()), SIGKILL);
        ASSERT_TRUE(child.waitForFinished(10000));
        output += child.readAllStandardOutput();

        qint64 reported = lastSaved;
        for (const QByteArray &line : output.split('\n')) {
            if (line.startsWith("saved "))
                reported = line.split(' ').value(1).toLongLong();
        }
        const qint64 onDisk = sessionNumberOnDisk();
        // The last save it reported, or the one it was in the middle of.
        EXPECT_TRUE(onDisk == reported || onDisk == reported + 1)
            << "kill " << kill << ": the file holds session " << onDisk << " after save " << reported << " was reported";
        if (testing::Test::HasFailure())
            return;
        lastSaved = onDisk;
    }
    EXPECT_GE(lastSaved, 1) << "the saves never ran";
    // After the reads of the next launches, nothing half-written is left
    // beside the session file.
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList{QStringLiteral("session.json")});
}
