#pragma once

#include "audiotriage/LoudnessAnalysis.h"

#include <QFuture>
#include <QHash>
#include <QObject>
#include <QPair>
#include <QString>
#include <QThreadPool>
#include <QUuid>

#include <atomic>

class ClipStore;

// Measures the loudness of clips on a thread of its own, one clip at a
// time, for every audio triage run of one store: a run that starts while an
// earlier one is still going (its sheet was closed) waits for the clip under
// way instead of decoding a second track at the same time, and a clip asked
// for twice is measured once. Lives on the GUI thread.
class LoudnessQueue : public QObject
{
    Q_OBJECT
public:
    // The store's queue, made as a child of the store on first use.
    static LoudnessQueue &of(ClipStore &store);

    explicit LoudnessQueue(QObject *parent = nullptr);
    // Drops what waits, stops the measurement under way and waits for it.
    ~LoudnessQueue() override;

    // The measurement of the clip's file: the one already waiting or under
    // way for the same clip and file, else a new one after those queued.
    QFuture<LoudnessAnalysis::Result> measure(const QUuid &clipID, const QString &path);

private:
    QThreadPool m_pool;
    std::atomic_bool m_shuttingDown{false};
    QHash<QUuid, QPair<QString, QFuture<LoudnessAnalysis::Result>>> m_pending;
};
