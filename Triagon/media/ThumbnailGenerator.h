#pragma once

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

#include <functional>
#include <memory>

// The poster generator: one still frame of a video file at a given time,
// fitted into a maximum size, upright. At most four frames decode at the
// same time and further requests wait in the order they were made;
// concurrent requests for the same poster share one decode; the most
// recently used posters stay cached (by count and by bytes).
//
// Thread-safe: thumbnail() may be called from any thread. Decodes run on the
// generator's own thread pool. The generator must outlive nothing: its
// destructor drops waiting requests (their futures end cancelled, their
// callbacks are not called) and waits for running decodes.
class ThumbnailGenerator : public QObject
{
    Q_OBJECT

public:
    // Makes one poster: the file, the frame time (already at least 0.01 s)
    // and the size to fit. A null image when no frame can be made. Must be
    // callable from several threads at once.
    using DecodeFunction = std::function<QImage(const QString &path, double seconds, QSize maxSize)>;
    using Callback = std::function<void(const QImage &poster)>;

    static constexpr int decodeSlots = 4;
    static constexpr int maxCacheSize = 1200;
    static constexpr qint64 maxCacheBytes = 256ll * 1024 * 1024;
    static constexpr int posterCacheCountLimit = 1500;
    static constexpr qint64 posterCacheByteLimit = 256ll * 1024 * 1024;

    explicit ThumbnailGenerator(QObject *parent = nullptr);
    // With another decoder in place of decodePoster (tests use it to hold decodes).
    explicit ThumbnailGenerator(DecodeFunction decode, QObject *parent = nullptr);
    ~ThumbnailGenerator() override;

    // The poster of path at `seconds`, fitted into maxSize. The future
    // finishes on a decode thread (continue with .then(context, ...) to come
    // back to a thread of your own); its result is a null image when no
    // frame could be made. A cached poster gives a finished future at once.
    QFuture<QImage> thumbnail(const QString &path, double seconds, QSize maxSize);
    // The same, delivered to `done` on the generator's thread (the GUI
    // thread), always asynchronously, and only while receiver still exists.
    // receiver must live on the generator's thread.
    void thumbnail(const QString &path, double seconds, QSize maxSize, QObject *receiver, Callback done);

    // The callers' own poster cache: the generator never reads or writes it.
    // Cards read it to show a poster at once and store what they receive,
    // under posterCacheKey().
    PosterCache &posterCache() { return m_posterCache; }

    // "<path>_<seconds, two decimals>_<width>", the time as requested.
    static QString requestKey(const QString &path, double seconds, qint64 width);
    // The key under which every caller stores and finds a poster in
    // posterCache(): built from the file URL, time and width.
    static QString posterCacheKey(const QUrl &fileUrl, double seconds, qint64 width);

    // The real decode: opens the file, lands exactly on the frame at
    // `seconds` and scales it. Null for an unreadable file, a file without
    // video, or a time more than half a second past the last frame.
    static QImage decodePoster(const QString &path, double seconds, QSize maxSize);

    // For diagnostics and tests.
    int cachedCount() const { return m_cache.count(); }
    qint64 cachedBytes() const { return m_cache.totalBytes(); }
    int inFlightCount() const;

private:
    struct Waiter
    {
        std::shared_ptr<QPromise<QImage>> promise;
        QPointer<QObject> receiver;
        bool hasReceiver = false;
        Callback callback;
    };
    void request(const QString &path, double seconds, QSize maxSize, Waiter waiter);
    void runDecode(const QString &key, const QString &path, double seconds, QSize maxSize);
    void deliver(const QList<Waiter> &waiters, const QImage &poster);

    DecodeFunction m_decode;
    PosterCache m_posterCache{posterCacheCountLimit, posterCacheByteLimit};
    PosterCache m_cache{maxCacheSize, maxCacheBytes};
    mutable QMutex m_mutex; // guards m_inFlight and the cache-check-then-start sequence
    QHash<QString, QList<Waiter>> m_inFlight;
    QThreadPool m_pool;
};
