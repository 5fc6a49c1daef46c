#include "audiotriage/AudioTriageRun.h"

#include "audiotriage/LoudnessQueue.h"
#include "library/ClipStore.h"

#include <QFutureWatcher>
#include <QTimer>

#include <algorithm>

AudioTriageRun *AudioTriageRun::start(ClipStore &store, const QList<Clip> &clips)
{
    auto *run = new AudioTriageRun(store, clips);
    QTimer::singleShot(0, run, &AudioTriageRun::step);
    return run;
}

AudioTriageRun::AudioTriageRun(ClipStore &store, const QList<Clip> &clips)
    : QObject(&store), m_store(store), m_generation(store.sessionGeneration()), m_clips(clips)
{
}

QList<AudioTriageResult> AudioTriageRun::ranked(QList<AudioTriageResult> results)
{
    std::stable_sort(results.begin(), results.end(), [](const AudioTriageResult &a, const AudioTriageResult &b) {
        return a.metrics.loudnessScore() > b.metrics.loudnessScore();
    });
    return results;
}

bool AudioTriageRun::sessionReplaced() const
{
    return m_store.sessionGeneration() != m_generation;
}

void AudioTriageRun::step()
{
    while (m_next < m_clips.size()) {
        if (sessionReplaced()) {
            finish({});
            return;
        }
        const Clip &clip = m_clips[m_next];
        m_currentIndex = m_next + 1;
        m_currentName = clip.filename;
        Q_EMIT progress(m_currentIndex, m_currentName);
        if (sessionReplaced())
            continue;
        const auto known = m_store.audioMetrics().constFind(clip.id);
        if (known != m_store.audioMetrics().constEnd()) {
            m_results.append({clip, *known});
            ++m_next;
            continue;
        }
        auto *watcher = new QFutureWatcher<LoudnessAnalysis::Result>(this);
        connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher] {
            watcher->deleteLater();
            // A measurement that was dropped has no result: the clip is
            // listed without a stored record.
            measured(watcher->future().resultCount() > 0 ? watcher->result()
                                                         : LoudnessAnalysis::Result{{}, LoudnessAnalysis::Outcome::Cancelled});
        });
        watcher->setFuture(LoudnessQueue::of(m_store).measure(clip.id, clip.path()));
        return;
    }
    if (sessionReplaced()) {
        finish({});
        return;
    }
    finish(ranked(m_results));
}

void AudioTriageRun::measured(const LoudnessAnalysis::Result &result)
{
    if (sessionReplaced()) {
        finish({});
        return;
    }
    const Clip &clip = m_clips[m_next];
    // An offline file says nothing about the clip's sound: it is measured
    // again once it is back (relinked or reconnected).
    if (result.outcome != LoudnessAnalysis::Outcome::FileMissing && result.outcome != LoudnessAnalysis::Outcome::Cancelled)
        m_store.setAudioMetrics(clip.id, result.metrics);
    m_results.append({clip, result.metrics});
    ++m_next;
    step();
}

void AudioTriageRun::finish(const QList<AudioTriageResult> &sortedResults)
{
    m_finished = true;
    Q_EMIT finished(sortedResults);
    deleteLater();
}
