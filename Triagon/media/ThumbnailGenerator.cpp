#include "media/ThumbnailGenerator.h"

#include "media/FFmpegVideoDecoder.h"

#include <QMetaObject>
#include <QMutexLocker>

#include <cmath>

namespace {

// The decoder has no frame before its first one; asking for 0 s (or less)
// means the first frame.
constexpr double earliestFrameTime = 0.01;
// A request this far past the last frame still gets the last frame; further
// out the time lies beyond the clip.
constexpr double endTolerance = 0.5;

QString twoDecimals(double seconds)
{
    return QString::asprintf("%.2f", seconds);
}

// Requests share a decode only when they ask for the same fit: the height
// belongs to the key as much as the width does.
QString internalKey(const QString &path, double seconds, QSize maxSize)
{
    return ThumbnailGenerator::requestKey(path, seconds, maxSize.width()) + QLatin1Char('x') + QString::number(maxSize.height());
}

} // namespace

ThumbnailGenerator::ThumbnailGenerator(QObject *parent)
    : ThumbnailGenerator(&ThumbnailGenerator::decodePoster, parent)
{
}

ThumbnailGenerator::ThumbnailGenerator(DecodeFunction decode, QObject *parent)
    : QObject(parent)
    , m_decode(std::move(decode))
{
    m_pool.setMaxThreadCount(decodeSlots);
    m_pool.setObjectName(QStringLiteral("ThumbnailGenerator"));
}

ThumbnailGenerator::~ThumbnailGenerator()
{
    m_pool.clear();
    m_pool.waitForDone();
}

QString ThumbnailGenerator::requestKey(const QString &path, double seconds, qint64 width)
{
    return path + QLatin1Char('_') + twoDecimals(seconds) + QLatin1Char('_') + QString::number(width);
}

QString ThumbnailGenerator::posterCacheKey(const QUrl &fileUrl, double seconds, qint64 width)
{
    const QString text = fileUrl.toString(QUrl::FullyEncoded) + QLatin1Char('_') + twoDecimals(seconds) + QLatin1Char('_')
                         + QString::number(width);
    // Percent-encoded like a URL query, so that the key is itself a URL.
    const QByteArray encoded = QUrl::toPercentEncoding(text, QByteArrayLiteral("!$&'()*+,;=:@/?"));
    const QUrl key(encoded.isEmpty() ? text : QString::fromLatin1(encoded));
    return key.isValid() ? key.toString(QUrl::FullyEncoded) : fileUrl.toString(QUrl::FullyEncoded);
}

QImage ThumbnailGenerator::decodePoster(const QString &path, double seconds, QSize maxSize)
{
    FFmpegVideoDecoder decoder;
    if (!decoder.open(path, FFmpegVideoDecoder::oneOffThreadCount()))
        return {};
    if (!decoder.seekExact(seconds))
        return {};
    if (decoder.frameTime() + decoder.frameDuration() + endTolerance < seconds)
        return {};
    return decoder.frameImage(maxSize);
}

QFuture<QImage> ThumbnailGenerator::thumbnail(const QString &path, double seconds, QSize maxSize)
{
    Waiter waiter;
    waiter.promise = std::make_shared<QPromise<QImage>>();
    waiter.promise->start();
    QFuture<QImage> future = waiter.promise->future();
    request(path, seconds, maxSize, std::move(waiter));
    return future;
}

void ThumbnailGenerator::thumbnail(const QString &path, double seconds, QSize maxSize, QObject *receiver, Callback done)
{
    Waiter waiter;
    waiter.receiver = receiver;
    waiter.hasReceiver = receiver != nullptr;
    waiter.callback = std::move(done);
    request(path, seconds, maxSize, std::move(waiter));
}

int ThumbnailGenerator::inFlightCount() const
{
    QMutexLocker lock(&m_mutex);
    return int(m_inFlight.size());
}

void ThumbnailGenerator::request(const QString &path, double seconds, QSize maxSize, Waiter waiter)
{
    const QString key = internalKey(path, seconds, maxSize);
    QMutexLocker lock(&m_mutex);
    // Checking the cache, joining a running decode and starting a new one
    // happen under one lock, so that one key never decodes twice at a time.
    const QImage cached = m_cache.object(key);
    if (!cached.isNull()) {
        lock.unlock();
        deliver({waiter}, cached);
        return;
    }
    if (const auto running = m_inFlight.find(key); running != m_inFlight.end()) {
        running->append(std::move(waiter));
        return;
    }
    m_inFlight.insert(key, QList<Waiter>{std::move(waiter)});
    const double frameTime = std::isfinite(seconds) ? std::max(earliestFrameTime, seconds) : earliestFrameTime;
    // The pool runs at most decodeSlots tasks and starts waiting ones in the
    // order they were queued: the slots go to requests first come, first served.
    m_pool.start([this, key, path, frameTime, maxSize] { runDecode(key, path, frameTime, maxSize); });
}

void ThumbnailGenerator::runDecode(const QString &key, const QString &path, double seconds, QSize maxSize)
{
    QImage poster;
    try {
        poster = m_decode(path, seconds, maxSize);
    } catch (...) {
        // Nothing may leave a pool thread; a failed decode is no poster.
        poster = QImage();
    }
    QList<Waiter> waiters;
    {
        QMutexLocker lock(&m_mutex);
        waiters = m_inFlight.take(key);
        if (!poster.isNull())
            m_cache.insert(key, poster);
    }
    deliver(waiters, poster);
}

void ThumbnailGenerator::deliver(const QList<Waiter> &waiters, const QImage &poster)
{
    QList<Waiter> callbacks;
    for (const Waiter &waiter : waiters) {
        if (waiter.promise) {
            waiter.promise->addResult(poster);
            waiter.promise->finish();
        } else if (waiter.callback) {
            callbacks.append(waiter);
        }
    }
    if (callbacks.isEmpty())
        return;
    // Queued to the generator itself: it outlives every decode, and the
    // receivers are checked on their own thread.
    QMetaObject::invokeMethod(
        this,
        [callbacks, poster] {
            for (const Waiter &waiter : callbacks) {
                if (!waiter.hasReceiver || waiter.receiver)
                    waiter.callback(poster);
            }
        },
        Qt::QueuedConnection);
}
