#pragma once

#include "audiotriage/AudioTriageResult.h"
#include "audiotriage/AudioTriageRun.h"
#include "library/model/Clip.h"
#include "support/TestMedia.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>
#include <QUrl>
#include <QUuid>
#include <gtest/gtest.h>

#include <functional>

// Clips over real files and the waiting that the runs need.
namespace AudioTriageTest {

// A clip over `path` (which need not exist), named after its file.
inline Clip clipAt(const QString &path)
{
    Clip clip;
    clip.id = QUuid::createUuid();
    clip.url = QUrl::fromLocalFile(path);
    clip.filename = clip.urlFileName();
    clip.duration = 5;
    clip.width = 320;
    clip.height = 240;
    return clip;
}

// A clip over one of the generated media files.
inline Clip mediaClip(const QString &name)
{
    return clipAt(TestMedia::path(name));
}

// Runs the event loop until the condition holds; the deadline only keeps a
// broken run from hanging the suite.
inline bool waitUntil(const std::function<bool()> &condition)
{
    QDeadlineTimer deadline(120000);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(1);
    }
    return true;
}

// What a run reported.
struct RunRecord
{
    QList<QPair<qsizetype, QString>> progress;
    std::optional<QList<AudioTriageResult>> results;
};

inline void record(AudioTriageRun *run, RunRecord &into)
{
    QObject::connect(run, &AudioTriageRun::progress, run, [&into](qsizetype index, const QString &name) {
        into.progress.append({index, name});
    });
    QObject::connect(run, &AudioTriageRun::finished, run, [&into](const QList<AudioTriageResult> &results) { into.results = results; });
}

inline QStringList names(const QList<AudioTriageResult> &results)
{
    QStringList list;
    for (const AudioTriageResult &r : results)
        list.append(r.clip.filename);
    return list;
}

} // namespace AudioTriageTest
