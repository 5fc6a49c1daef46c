#include "audiotriage/LoudnessQueue.h"

#include "library/ClipStore.h"

#include <QtConcurrent/QtConcurrentRun>

LoudnessQueue &LoudnessQueue::of(ClipStore &store)
{
    if (auto *queue = store.findChild<LoudnessQueue *>(QString(), Qt::FindDirectChildrenOnly))
        return *queue;
    return *new LoudnessQueue(&store);
}

LoudnessQueue::LoudnessQueue(QObject *parent) : QObject(parent)
{
    m_pool.setMaxThreadCount(1);
    m_pool.setObjectName(QStringLiteral("LoudnessQueue"));
}

LoudnessQueue::~LoudnessQueue()
{
    m_pool.clear();
    m_shuttingDown = true;
    m_pool.waitForDone();
}

QFuture<LoudnessAnalysis::Result> LoudnessQueue::measure(const QUuid &clipID, const QString &path)
{
    for (auto it = m_pending.begin(); it != m_pending.end();) {
        if (it->second.isFinished())
            it = m_pending.erase(it);
        else
            ++it;
    }
    const auto pending = m_pending.constFind(clipID);
    if (pending != m_pending.constEnd() && pending->first == path)
        return pending->second;
    QFuture<LoudnessAnalysis::Result> future = QtConcurrent::run(&m_pool,
                                                                 [this, path] { return LoudnessAnalysis::measure(path, &m_shuttingDown); });
    m_pending.insert(clipID, {path, future});
    return future;
}
