#include "media/ThumbnailGenerator.h"

#include <QMetaObject>
#include <QMutexLocker>
#include <QThread>

#include <algorithm>
#include <cmath>

namespace {

// The decoder has no frame before its first one; asking for 0 s (or less)
// means the first frame.
constexpr double earliestFrameTime = 0.01;

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

int index(ThumbnailGenerator::Priority priority)
{
    return priority == ThumbnailGenerator::Priority::Background ? 1 : 0;
}

} // namespace

ThumbnailGenerator::ThumbnailGenerator(QObject *parent)
    : ThumbnailGenerator(DecodeFunction(), parent)
{
}

ThumbnailGenerator::ThumbnailGenerator(DecodeFunction decode, QObject *parent)
    : QObject(parent)
    , m_decode(std::move(decode))
    , m_threads(QThread::idealThreadCount())
{
    m_pool.setMaxThreadCount(decodeSlots);
    m_pool.setObjectName(QStringLiteral("ThumbnailGenerator"));
    // Work ahead of time gives way to everything else the machine does.
    m_backgroundPool.setMaxThreadCount(decodeSlots);
    m_backgroundPool.setObjectName(QStringLiteral("ThumbnailGeneratorBackground"));
    m_backgroundPool.setThreadPriority(QThread::LowestPriority);
}

ThumbnailGenerator::~ThumbnailGenerator()
{
    shutDown();
    m_pool.waitForDone();
    m_backgroundPool.waitForDone();
}

void ThumbnailGenerator::shutDown()
{
    QList<Waiter> dropped;
    {
        QMutexLocker lock(&m_mutex);
        m_stopping.store(true);
        for (auto &queue : m_waiting) {
            for (const Job &job : queue)
                dropped += m_inFlight.take(job.key);
            queue.clear();
        }
    }
    m_threads.cancel();
    // Waiting requests end without a poster; their callbacks are not called.
    for (const Waiter &waiter : std::as_const(dropped)) {
        if (waiter.promise) {
            waiter.promise->future().cancel();
            waiter.promise->finish();
        }
    }
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

QFuture<QImage> ThumbnailGenerator::thumbnail(const QString &path, double seconds, QSize maxSize)
{
    return thumbnail(path, seconds, maxSize, Priority::UserInitiated);
}

QFuture<QImage> ThumbnailGenerator::thumbnail(const QString &path, double seconds, QSize maxSize, Priority priority)
{
    Waiter waiter;
    waiter.promise = std::make_shared<QPromise<QImage>>();
    waiter.promise->start();
    QFuture<QImage> future = waiter.promise->future();
    request(path, seconds, maxSize, priority, std::move(waiter));
    return future;
}

void ThumbnailGenerator::thumbnail(const QString &path, double seconds, QSize maxSize, QObject *receiver, Callback done)
{
    thumbnail(path, seconds, maxSize, receiver, std::move(done), Priority::UserInitiated);
}

void ThumbnailGenerator::thumbnail(const QString &path, double seconds, QSize maxSize, QObject *receiver, Callback done, Priority priority)
{
    Waiter waiter;
    waiter.receiver = receiver;
    waiter.hasReceiver = receiver != nullptr;
    waiter.callback = std::move(done);
    request(path, seconds, maxSize, priority, std::move(waiter));
}

int ThumbnailGenerator::inFlightCount() const
{
    QMutexLocker lock(&m_mutex);
    return int(m_inFlight.size());
}

bool ThumbnailGenerator::isCachedOrInFlight(const QString &path, double seconds, QSize maxSize) const
{
    const QString key = internalKey(path, seconds, maxSize);
    QMutexLocker lock(&m_mutex);
    return m_inFlight.contains(key) || m_cache.contains(key);
}

void ThumbnailGenerator::request(const QString &path, double seconds, QSize maxSize, Priority priority, Waiter waiter)
{
    const QString key = internalKey(path, seconds, maxSize);
    QMutexLocker lock(&m_mutex);
    if (m_stopping.load()) {
        lock.unlock();
        deliver({waiter}, QImage());
        return;
    }
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
        if (priority == Priority::UserInitiated) {
            // Someone waits for a poster that was only made ahead of time:
            // it moves up to the requests made for the screen.
            auto &background = m_waiting[index(Priority::Background)];
            const auto job = std::find_if(background.begin(), background.end(), [&](const Job &j) { return j.key == key; });
            if (job != background.end()) {
                m_waiting[index(Priority::UserInitiated)].push_back(*job);
                m_waiting[index(Priority::UserInitiated)].back().background = false;
                background.erase(job);
            }
        }
        return;
    }
    m_inFlight.insert(key, QList<Waiter>{std::move(waiter)});
    const double frameTime = std::isfinite(seconds) ? std::max(earliestFrameTime, seconds) : earliestFrameTime;
    m_waiting[index(priority)].push_back(Job{key, path, frameTime, maxSize, priority == Priority::Background});
    startWaitingLocked();
}

void ThumbnailGenerator::startWaitingLocked()
{
    // At most decodeSlots decodes run; waiting ones start first come, first
    // served, those for the screen before those made ahead of time.
    while (m_running < decodeSlots && !m_stopping.load()) {
        const int queue = !m_waiting[0].empty() ? 0 : !m_waiting[1].empty() ? 1 : -1;
        if (queue < 0)
            return;
        Job job = std::move(m_waiting[queue].front());
        m_waiting[queue].pop_front();
        ++m_running;
        QThreadPool &pool = queue == 0 ? m_pool : m_backgroundPool;
        pool.start([this, job = std::move(job)] { runDecode(job); });
    }
}

void ThumbnailGenerator::runDecode(const Job &job)
{
    QImage poster;
    if (!m_stopping.load()) {
        try {
            poster = m_decode ? m_decode(job.path, job.frameTime, job.maxSize) : decodeFromPool(job);
        } catch (...) {
            // Nothing may leave a pool thread; a failed decode is no poster.
            poster = QImage();
        }
    }
    QList<Waiter> waiters;
    {
        QMutexLocker lock(&m_mutex);
        waiters = m_inFlight.take(job.key);
        if (!poster.isNull() && !m_stopping.load())
            m_cache.insert(job.key, poster);
        --m_running;
        startWaitingLocked();
    }
    deliver(waiters, m_stopping.load() ? QImage() : poster);
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
    if (callbacks.isEmpty() || m_stopping.load())
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
