#pragma once

#include "media/DecodeThreadAllotment.h"
#include "media/PosterAssetPool.h"
#include "media/PosterCache.h"

#include <QFuture>
#include <QHash>
#include <QImage>
#include <QList>
#include <QMutex>
#include <QObject>
#include <QPointer>
#include <QPromise>
#include <QSize>
#include <QString>
#include <QThreadPool>
#include <QUrl>

#include <atomic>
#include <deque>
#include <functional>
#include <memory>

// The poster generator: one still frame of a video file near a given time,
// fitted into a maximum size, upright. Any frame within half a second of the
// time will do, so a keyframe there is taken instead of decoding on to the
// exact frame. At most four frames decode at the same time and further
// requests wait in the order they were made (requests made in the
// background wait behind the others); concurrent requests for the same
// poster share one decode; the most recently used posters stay cached (by
// count and by bytes); opened files are kept for further posters of the same
// file (PosterAssetPool). The decodes together never use more threads than
// the machine has processors.
//
// Thread-safe: thumbnail() may be called from any thread. Decodes run on the
// generator's own thread pools (background requests on threads of the lowest
// priority). The generator must outlive nothing: shutDown() and its
// destructor drop waiting requests (their futures end cancelled, their
// callbacks are not called) and stop running decodes early.
class ThumbnailGenerator : public QObject
{
    Q_OBJECT

public:
    // Makes one poster: the file, the frame time (already at least 0.01 s)
    // and the size to fit. A null image when no frame can be made. Must be
    // callable from several threads at once.
    using DecodeFunction = std::function<QImage(const QString &path, double seconds, QSize maxSize)>;
    using Callback = std::function<void(const QImage &poster)>;

    // Who waits for a poster: a card or a preview on screen, or work ahead
    // of time (the prewarm after an import or a launch).
    enum class Priority { UserInitiated, Background };

    static constexpr int decodeSlots = 4;
    static constexpr int maxCacheSize = 1200;
    static constexpr qint64 maxCacheBytes = 256ll * 1024 * 1024;
    static constexpr int posterCacheCountLimit = 1500;
    static constexpr qint64 posterCacheByteLimit = 256ll * 1024 * 1024;
    // A frame this far before or after the requested time is as good as the
    // frame at that time.
    static constexpr double timeTolerance = 0.5;

    explicit ThumbnailGenerator(QObject *parent = nullptr);
    // With another decoder in place of the generator's own (tests use it to hold decodes).
    explicit ThumbnailGenerator(DecodeFunction decode, QObject *parent = nullptr);
    ~ThumbnailGenerator() override;

    // The poster of path at `seconds`, fitted into maxSize. The future
    // finishes on a decode thread (continue with .then(context, ...) to come
    // back to a thread of your own); its result is a null image when no
    // frame could be made. A cached poster gives a finished future at once.
    QFuture<QImage> thumbnail(const QString &path, double seconds, QSize maxSize);
    QFuture<QImage> thumbnail(const QString &path, double seconds, QSize maxSize, Priority priority);
    // The same, delivered to `done` on the generator's thread (the GUI
    // thread), always asynchronously, and only while receiver still exists.
    // receiver must live on the generator's thread.
    void thumbnail(const QString &path, double seconds, QSize maxSize, QObject *receiver, Callback done);
    void thumbnail(const QString &path, double seconds, QSize maxSize, QObject *receiver, Callback done, Priority priority);

    // Whether the poster is cached or being made (a prewarm skips it then).
    bool isCachedOrInFlight(const QString &path, double seconds, QSize maxSize) const;

    // Drops every waiting request and stops the running decodes early (their
    // requests get no poster); later requests get none. For quitting.
    void shutDown();

    // The callers' own poster cache: the generator never reads or writes it.
    // Cards read it to show a poster at once and store what they receive,
    // under posterCacheKey().
    PosterCache &posterCache() { return m_posterCache; }

    // "<path>_<seconds, two decimals>_<width>", the time as requested.
    static QString requestKey(const QString &path, double seconds, qint64 width);
    // The key under which every caller stores and finds a poster in
    // posterCache(): built from the file URL, time and width.
    static QString posterCacheKey(const QUrl &fileUrl, double seconds, qint64 width);

    // A one-off poster without the generator: opens the file, lands on a
    // frame within the time tolerance and scales it. Null for an unreadable
    // file, a file without video, or a time more than half a second past the
    // last frame.
    static QImage decodePoster(const QString &path, double seconds, QSize maxSize);

    // For diagnostics and tests.
    int cachedCount() const { return m_cache.count(); }
    qint64 cachedBytes() const { return m_cache.totalBytes(); }
    int inFlightCount() const;
    const PosterAssetPool &assetPool() const { return m_assets; }
    // The most frame threads the decodes have used at once.
    int peakDecodeThreads() const { return m_threads.peak(); }

private:
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
    void request(const QString &path, double seconds, QSize maxSize, Priority priority, Waiter waiter);
    void startWaitingLocked();
    void runDecode(const Job &job);
    QImage decodeFromPool(const Job &job);
    void deliver(const QList<Waiter> &waiters, const QImage &poster);

    DecodeFunction m_decode; // empty: decodeFromPool
    PosterCache m_posterCache{posterCacheCountLimit, posterCacheByteLimit};
    PosterCache m_cache{maxCacheSize, maxCacheBytes};
    PosterAssetPool m_assets;
    DecodeThreadAllotment m_threads;
    std::atomic_bool m_stopping{false};
    // Guards m_inFlight, the queues and the cache-check-then-start sequence.
    mutable QMutex m_mutex;
    QHash<QString, QList<Waiter>> m_inFlight;
    std::deque<Job> m_waiting[2]; // by Priority
    int m_running = 0;
    QThreadPool m_pool;
    QThreadPool m_backgroundPool;
};
