#pragma once

#include "media/DecodeThreadAllotment.h"
#include "media/PosterAssetPool.h"
#include "media/PosterCache.h"
#include "media/ThumbnailGenerator.h"

#include <QHash>
#include <QList>
#include <QMutex>
#include <QPointer>
#include <QPromise>
#include <QThreadPool>
#include <QWaitCondition>

#include <atomic>
#include <deque>
#include <memory>

// The state of a ThumbnailGenerator that its decodes share: the request
// queues, the running decodes, the poster cache and the kept files. Held by
// the generator and by every running decode.
struct ThumbnailGenerator::Core : std::enable_shared_from_this<ThumbnailGenerator::Core>
{
    struct Waiter
    {
        std::shared_ptr<QPromise<QImage>> promise;
        QPointer<QObject> receiver;
        bool hasReceiver = false;
        Callback callback;
    };
    struct Job
    {
        QString key;
        QString path;
        double frameTime = 0;
        QSize maxSize;
        bool background = false;
    };

    Core(DecodeFunction decode, ThumbnailGenerator *owner, QThreadPool *pool);

    void request(const QString &path, double seconds, QSize maxSize, Priority priority, Waiter waiter);
    void startWaitingLocked();
    void runDecode(const Job &job);
    QImage decodeFromPool(const Job &job);
    void deliver(const QList<Waiter> &waiters, const QImage &poster);
    void shutDown();
    // Waits until no decode made ahead of time runs, at most `milliseconds` (-1: for ever).
    void waitForBackground(int milliseconds);

    const DecodeFunction decode; // empty: decodeFromPool
    // Threads of the lowest priority for requests made ahead of time, for
    // the whole process: never waited for, so a decode that a busy machine
    // hardly runs never holds up the end of a generator or of the process.
    static QThreadPool &backgroundPool();

    ThumbnailGenerator *const owner; // for deliveries; valid until stopping is set
    QThreadPool *const pool;         // the owner's; valid until stopping is set
    PosterCache cache{maxCacheSize, maxCacheBytes};
    PosterAssetPool assets;
    DecodeThreadAllotment threads;
    std::atomic_bool stopping{false};
    // Guards everything below and the cache-check-then-start sequence.
    QMutex mutex;
    QWaitCondition backgroundIdle;
    QHash<QString, QList<Waiter>> inFlight;
    std::deque<Job> waiting[2]; // by Priority
    int running = 0;
    int backgroundRunning = 0;
};
