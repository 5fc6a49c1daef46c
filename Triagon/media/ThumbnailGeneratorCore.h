#pragma once

#include "media/DecodeThreadAllotment.h"
#include "media/PosterAssetPool.h"
#include "media/PosterCache.h"
#include "media/ThumbnailGenerator.h"

#include <QDeadlineTimer>
#include <QHash>
#include <QList>
#include <QMutex>
#include <QPointer>
#include <QPromise>
#include <QThreadPool>
#include <QWaitCondition>

#include <atomic>
#include <deque>
#include <list>
#include <memory>
#include <thread>

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
        Ticket ticket = 0; // callbacks only: withdraw() finds it by this
        bool background = false;
    };
    struct Job
    {
        QString key;
        QString path;
        double frameTime = 0;
        QSize maxSize;
        bool background = false;
    };

    // A file being opened for a decode: when that takes longer than
    // slowOpenMs, the decode's slot goes to the next request.
    struct Opening
    {
        QDeadlineTimer slowAt;
        bool slotGivenBack = false;
    };

    Core(DecodeFunction decode, ThumbnailGenerator *owner, QThreadPool *pool);
    ~Core();

    void request(const QString &path, double seconds, QSize maxSize, Priority priority, Waiter waiter);
    bool withdraw(Ticket ticket);
    // Forgets the tickets of waiters that are answered or dropped.
    void forgetTicketsLocked(const QList<Waiter> &waiters);
    void startWaitingLocked();
    void runDecode(const Job &job);
    // The generator's own decode. *holdsSlot tells whether the decode still
    // holds its slot when it ends; *requeued that the request waits for a
    // slot again (its file, opened slowly, is kept in the asset pool).
    QImage decodeFromPool(const Job &job, bool *holdsSlot, bool *requeued);
    // Takes the file's asset, opened now when it is not kept; false in
    // *holdsSlot when the slot was given back meanwhile.
    FFmpegFormat openAsset(const QString &path, bool *holdsSlot);
    // Puts a request whose slot was given back first in line again; false
    // when the generator is stopping.
    bool requeue(const Job &job);
    // The watching thread: gives the slots of slow openings back.
    void watchOpenings();
    void deliver(const QList<Waiter> &waiters, const QImage &poster);
    void shutDown();
    // Waits until no decode made ahead of time runs, at most `milliseconds` (-1: for ever).
    void waitForBackground(int milliseconds);

    const DecodeFunction decode; // empty: decodeFromPool
    // Threads of the lowest priority for requests made ahead of time, for
    // the whole process: never waited for, so a decode that a busy machine
    // hardly runs never holds up the end of a generator or of the process.
    static QThreadPool &backgroundPool();
    // Threads for requests for the screen, for the whole process, for the
    // generator's own decoder: a thread stuck opening a file never holds up
    // the end of a generator or of the process.
    static QThreadPool &screenPool();
    // Threads each pool needs: one per slot, and one per slow opening that
    // gave its slot back.
    static int poolThreads() { return decodeSlots + maxSlowOpens; }

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
    // The key each withdrawable waiter of inFlight waits for.
    QHash<Ticket, QString> tickets;
    Ticket lastTicket = 0;
    std::deque<Job> waiting[2]; // by Priority
    int running = 0;            // decodes that hold a slot
    int backgroundRunning = 0;
    // Openings under way (iterators stay valid), those among them that gave
    // their slot back, and the thread that watches them (made on first use).
    std::list<Opening> openings;
    int slowOpens = 0;
    QWaitCondition openingsChanged;
    std::thread watcher;
    bool watcherStop = false;
};
