// triagon-bench session N: N synthetic clips saved to the session file and
// restored from it through the store (median of several rounds).
#include "Bench.h"

#include "library/ClipStore.h"
#include "media/MediaEngines.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>

namespace {

constexpr int rounds = 7;

QList<Clip> syntheticClips(int count)
{
    const QStringList tags{QStringLiteral("Dunk"), QStringLiteral("Three"), QStringLiteral("Huddle"), QStringLiteral("Banger")};
    QList<Clip> clips;
    clips.reserve(count);
    for (int i = 0; i < count; ++i) {
        Clip c;
        c.id = QUuid::createUuid();
        c.url = QUrl::fromLocalFile(QStringLiteral("/media/footage/Day %1/A%2_C%3.MOV")
                                        .arg(i / 500 + 1)
                                        .arg(i % 97, 3, 10, QLatin1Char('0'))
                                        .arg(i, 5, 10, QLatin1Char('0')));
        c.filename = c.url.fileName();
        c.duration = 4.5 + (i % 60);
        c.width = i % 5 == 0 ? 1080 : 3840;
        c.height = i % 5 == 0 ? 1920 : 2160;
        c.fileSize = 50'000'000 + i * 1000;
        c.codec = QStringLiteral("HEVC");
        c.frameRate = 29.97;
        c.rating = i % 6;
        if (i % 3 == 0)
            c.tags = {tags[i % tags.size()]};
        if (i % 50 == 0)
            c.markerFlag = MarkerFlag::marker();
        c.recordedAt = QDateTime::fromSecsSinceEpoch(1714558830 + i * 7, Qt::UTC);
        c.recordingDateChecked = true;
        clips.append(c);
    }
    return clips;
}

int run(const QStringList &arguments)
{
    bool ok = false;
    const int count = arguments.size() == 1 ? arguments.first().toInt(&ok) : 0;
    if (!ok || count < 0) {
        std::fprintf(stderr, "usage: triagon-bench session N\n");
        return 2;
    }
    // Never touch the user's own session: a private data folder.
    QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_DATA_HOME", home.path().toUtf8());
    QStandardPaths::setTestModeEnabled(true);

    QList<double> saves;
    QList<double> restores;
    qsizetype restoredCount = 0;
    const QList<Clip> clips = syntheticClips(count);
    for (int round = 0; round < rounds; ++round) {
        {
            MediaEngines engines;
            ClipStore store;
            store.setMediaEngines(&engines);
            store.setClips(clips);
            QElapsedTimer timer;
            timer.start();
            store.saveSessionImmediately();
            saves.append(timer.nsecsElapsed() / 1e6);
        }
        MediaEngines engines;
        ClipStore store;
        store.setMediaEngines(&engines);
        bool done = false;
        QElapsedTimer timer;
        timer.start();
        store.restoreSessionAtLaunch([](qint64 n) { return QStringLiteral("Banger x%1").arg(n); }, [&](bool) { done = true; });
        while (!done)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 1);
        restores.append(timer.nsecsElapsed() / 1e6);
        restoredCount = store.clips().size();
        store.clearSessionFile();
    }
    bench::print("clips", static_cast<double>(restoredCount), 0);
    bench::print("save_ms", bench::median(saves), 2);
    bench::print("restore_ms", bench::median(restores), 2);
    return restoredCount == count ? 0 : 1;
}

const BenchCommand command("session", "N   save and restore of a session of N synthetic clips (median)", run);

} // namespace
