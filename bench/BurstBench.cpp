// triagon-bench burst [TRIALS]: a rating every 0.25 s in a child process that
// is killed with SIGKILL at a random moment 3 to 6 s into the burst; reports
// the decisions the session file lost and the age of the oldest one at the
// kill (the save is due no later than 2 s after the first unsaved edit).
#include "Bench.h"

#include "library/ClipStore.h"
#include "media/MediaEngines.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <ctime>

namespace {

constexpr int kClips = 64;
constexpr const char *kChildVariable = "TRIAGON_BENCH_BURST_CHILD";

qint64 monotonicNs()
{
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

// The child: rates clip after clip until it is killed.
int rateUntilKilled()
{
    MediaEngines engines;
    ClipStore store;
    store.setMediaEngines(&engines);
    std::printf("session %s\n", qUtf8Printable(ClipStore::sessionFilePath()));
    QList<Clip> clips;
    for (int i = 0; i < kClips; ++i) {
        Clip c;
        c.id = QUuid::createUuid();
        c.url = QUrl::fromLocalFile(QStringLiteral("/footage/C%1.MOV").arg(i, 3, 10, QLatin1Char('0')));
        c.filename = c.url.fileName();
        c.duration = 10;
        clips.append(c);
    }
    store.setClips(clips);
    store.saveSessionImmediately();
    qsizetype next = 0;
    QTimer edits;
    edits.setTimerType(Qt::PreciseTimer);
    QObject::connect(&edits, &QTimer::timeout, [&] {
        if (next >= kClips)
            return;
        store.setRating(next % 5 + 1, store.clips()[next].id);
        std::printf("edit %lld %lld\n", static_cast<long long>(next), static_cast<long long>(monotonicNs()));
        std::fflush(stdout);
        ++next;
    });
    edits.start(250);
    return QEventLoop().exec();
}

int run(const QStringList &arguments)
{
    if (qEnvironmentVariableIsSet(kChildVariable))
        return rateUntilKilled();
    bool ok = true;
    const int trials = arguments.isEmpty() ? 20 : arguments.first().toInt(&ok);
    if (!ok || trials < 1 || arguments.size() > 1) {
        std::fprintf(stderr, "usage: triagon-bench burst [TRIALS]\n");
        return 2;
    }
    QRandomGenerator random(20261210);
    qint64 oldestLostNs = 0;
    qsizetype mostLost = 0;
    qsizetype lostOlderThanBound = 0;
    for (int trial = 0; trial < trials; ++trial) {
        QTemporaryDir home;
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QString::fromLatin1(kChildVariable), QStringLiteral("1"));
        // Never the user's own session: a private home.
        environment.insert(QStringLiteral("HOME"), home.path());
        environment.insert(QStringLiteral("XDG_DATA_HOME"), home.path());
        child.setProcessEnvironment(environment);
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("burst")});
        if (!child.waitForStarted(10000))
            return 1;
        QByteArray output;
        while (!output.contains("edit 0 ") && child.state() == QProcess::Running) {
            child.waitForReadyRead(1000);
            output += child.readAllStandardOutput();
        }
        QThread::msleep(static_cast<unsigned long>(random.bounded(3000, 6000)));
        const qint64 killedAt = monotonicNs();
        ::kill(pid_t(child.processId()), SIGKILL);
        child.waitForFinished(10000);
        output += child.readAllStandardOutput();

        const qsizetype at = output.indexOf("session ");
        QFile file(QString::fromUtf8(output.mid(at + 8, output.indexOf('\n', at) - at - 8)));
        if (at < 0 || !file.open(QIODevice::ReadOnly))
            return 1;
        const auto saved = ClipStore::decodeSessionFile(file.readAll());
        if (!saved || saved->clips.size() != kClips)
            return 1;
        qsizetype lost = 0;
        for (const QByteArray &line : output.split('\n')) {
            const QList<QByteArray> words = line.split(' ');
            if (words.size() != 3 || words[0] != "edit")
                continue;
            const qsizetype i = words[1].toLongLong();
            if (i < kClips && saved->clips[i].rating == 0) {
                ++lost;
                const qint64 age = killedAt - words[2].toLongLong();
                oldestLostNs = std::max(oldestLostNs, age);
                if (age > 2'500'000'000)
                    ++lostOlderThanBound;
            }
        }
        mostLost = std::max(mostLost, lost);
    }
    bench::print("trials", trials, 0);
    bench::print("lost_decisions_max", static_cast<double>(mostLost), 0);
    bench::print("lost_older_than_2500ms", static_cast<double>(lostOlderThanBound), 0);
    bench::print("oldest_lost_decision_ms", oldestLostNs / 1e6, 0);
    return 0;
}

const BenchCommand command("burst", "[TRIALS]   kill -9 during a rating burst: decisions lost (default 20 trials)", run);

} // namespace
