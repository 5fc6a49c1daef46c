#pragma once

#include "audiotriage/AudioTriageResult.h"
#include "audiotriage/LoudnessAnalysis.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QUuid>

class ClipStore;

// One audio triage analysis: goes through a list of clips in order, one
// clip after another, reuses the record the store already holds for a clip
// and otherwise has the clip measured off the GUI thread (LoudnessQueue),
// stores each new record in the store at once and finally ranks the results
// by loudness score, highest first (equal scores keep the list's order).
//
// The run belongs to the store, not to the sheet that started it: it goes on
// to the end of its list when the sheet closes, so the store keeps receiving
// the records, and it deletes itself after finished(). It has no cancel.
//
// A clip whose file is offline is listed with a zero record, but the record
// is not stored, so the clip is measured when it is back. When the store's
// session is replaced during the run, the run drops what it measured, stops,
// and finishes with no results.
class AudioTriageRun : public QObject
{
    Q_OBJECT
public:
    // Starts a run over `clips` (copied). Its first step comes from the event
    // loop, so signals connected right after the call are never missed.
    static AudioTriageRun *start(ClipStore &store, const QList<Clip> &clips);

    qsizetype total() const { return m_clips.size(); }
    // 1-based number of the clip being read; 0 before the first step.
    qsizetype currentIndex() const { return m_currentIndex; }
    const QString &currentName() const { return m_currentName; }
    bool isFinished() const { return m_finished; }

    // The results ordered by loudness score, highest first; a stable sort.
    static QList<AudioTriageResult> ranked(QList<AudioTriageResult> results);

Q_SIGNALS:
    // Before each clip: its 1-based number and its file name.
    void progress(qsizetype index, const QString &filename);
    // At the end, with the ranked results (none when the session was replaced).
    void finished(const QList<AudioTriageResult> &sortedResults);

private:
    AudioTriageRun(ClipStore &store, const QList<Clip> &clips);
    void step();
    void measured(const LoudnessAnalysis::Result &result);
    void finish(const QList<AudioTriageResult> &sortedResults);
    bool sessionReplaced() const;

    ClipStore &m_store;
    const QUuid m_generation;
    QList<Clip> m_clips;
    qsizetype m_next = 0;
    qsizetype m_currentIndex = 0;
    QString m_currentName;
    QList<AudioTriageResult> m_results;
    bool m_finished = false;
};
