#include "media/ThumbnailGenerator.h"

#include "media/ThumbnailGeneratorCore.h"

#include <QDeadlineTimer>
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

int index(ThumbnailGenerator::Priority priority)
{
    return priority == ThumbnailGenerator::Priority::Background ? 1 : 0;
}

// Decodes made ahead of time by the generator's own decoder are waited for
// this long at its end, no longer.
constexpr int backgroundWaitMs = 100;

} // namespace

ThumbnailGenerator::ThumbnailGenerator(QObject *parent) : ThumbnailGenerator(DecodeFunction(), parent)
{
}

ThumbnailGenerator::ThumbnailGenerator(DecodeFunction decode, QObject *parent) : QObject(parent)
{
    m_pool.setMaxThreadCount(decodeSlots);
    m_pool.setObjectName(QStringLiteral("ThumbnailGenerator"));
    QThreadPool *screen = decode ? &m_pool : &Core::screenPool();
    m_core = std::make_shared<Core>(std::move(decode), this, screen);
}

ThumbnailGenerator::~ThumbnailGenerator()
{
    shutDown();
    m_pool.waitForDone();
    // A decoder of the caller's (tests) may not outlive the generator: wait
    // for it. The generator's own decodes keep what they use alive.
    m_core->waitForBackground(m_core->decode ? -1 : backgroundWaitMs);
}

void ThumbnailGenerator::shutDown()
{
    m_core->shutDown();
}

int ThumbnailGenerator::cachedCount() const
{
    return m_core->cache.count();
}

qint64 ThumbnailGenerator::cachedBytes() const
{
    return m_core->cache.totalBytes();
}

const PosterAssetPool &ThumbnailGenerator::assetPool() const
{
    return m_core->assets;
}

int ThumbnailGenerator::peakDecodeThreads() const
{
    return m_core->threads.peak();
}

int ThumbnailGenerator::openingCount() const
{
    QMutexLocker lock(&m_core->mutex);
    return int(m_core->openings.size());
}

int ThumbnailGenerator::slowOpeningCount() const
{
    QMutexLocker lock(&m_core->mutex);
    return m_core->slowOpens;
}

void ThumbnailGenerator::setFileOpener(PosterAssetPool::Opener opener)
{
    m_core->assets.setOpener(std::move(opener));
}

QString ThumbnailGenerator::posterKey(const QString &path, double seconds, QSize maxSize)
{
    // The height belongs to the key as much as the width does.
    return path + QLatin1Char('_') + twoDecimals(seconds) + QLatin1Char('_') + QString::number(maxSize.width()) + QLatin1Char('x')
           + QString::number(maxSize.height());
}

PosterCache &ThumbnailGenerator::posterCache()
{
    return m_core->cache;
}

QImage ThumbnailGenerator::cachedPoster(const QString &path, double seconds, QSize maxSize) const
{
    // The cache guards itself; a read needs none of the request lock.
    return m_core->cache.object(posterKey(path, seconds, maxSize));
}

QFuture<QImage> ThumbnailGenerator::thumbnail(const QString &path, double seconds, QSize maxSize)
{
    return thumbnail(path, seconds, maxSize, Priority::UserInitiated);
}

QFuture<QImage> ThumbnailGenerator::thumbnail(const QString &path, double seconds, QSize maxSize, Priority priority)
{
    Core::Waiter waiter;
    waiter.promise = std::make_shared<QPromise<QImage>>();
    waiter.promise->start();
    QFuture<QImage> future = waiter.promise->future();
    m_core->request(path, seconds, maxSize, priority, std::move(waiter));
    return future;
}

ThumbnailGenerator::Ticket ThumbnailGenerator::thumbnail(const QString &path, double seconds, QSize maxSize, QObject *receiver,
                                                         Callback done)
{
    return thumbnail(path, seconds, maxSize, receiver, std::move(done), Priority::UserInitiated);
}

ThumbnailGenerator::Ticket ThumbnailGenerator::thumbnail(const QString &path, double seconds, QSize maxSize, QObject *receiver,
                                                         Callback done, Priority priority)
{
    Core::Waiter waiter;
    waiter.receiver = receiver;
    waiter.hasReceiver = receiver != nullptr;
    waiter.callback = std::move(done);
    {
        QMutexLocker lock(&m_core->mutex);
        waiter.ticket = ++m_core->lastTicket;
    }
    const Ticket ticket = waiter.ticket;
    m_core->request(path, seconds, maxSize, priority, std::move(waiter));
    return ticket;
}

bool ThumbnailGenerator::withdraw(Ticket ticket)
{
    return m_core->withdraw(ticket);
}

int ThumbnailGenerator::inFlightCount() const
{
    QMutexLocker lock(&m_core->mutex);
    return int(m_core->inFlight.size());
}

bool ThumbnailGenerator::isCachedOrInFlight(const QString &path, double seconds, QSize maxSize) const
{
    const QString key = posterKey(path, seconds, maxSize);
    QMutexLocker lock(&m_core->mutex);
    return m_core->inFlight.contains(key) || m_core->cache.contains(key);
}

// ---- The shared state --------------------------------------------------------

ThumbnailGenerator::Core::Core(DecodeFunction decodeFunction, ThumbnailGenerator *generator, QThreadPool *userPool)
    : decode(std::move(decodeFunction)), owner(generator), pool(userPool), threads(QThread::idealThreadCount())
{
}

ThumbnailGenerator::Core::~Core()
{
    {
        QMutexLocker lock(&mutex);
        watcherStop = true;
        openingsChanged.wakeAll();
    }
    if (watcher.joinable())
        watcher.join();
}

QThreadPool &ThumbnailGenerator::Core::screenPool()
{
    // Made once and never destroyed: destroying a pool waits for its threads.
    static QThreadPool *const screen = [] {
        auto *threads = new QThreadPool;
        threads->setMaxThreadCount(poolThreads());
        threads->setObjectName(QStringLiteral("ThumbnailGenerator"));
        return threads;
    }();
    return *screen;
}

QThreadPool &ThumbnailGenerator::Core::backgroundPool()
{
    // Made once and never destroyed: destroying a pool waits for its threads.
    static QThreadPool *const background = [] {
        auto *threads = new QThreadPool;
        threads->setMaxThreadCount(poolThreads());
        threads->setObjectName(QStringLiteral("ThumbnailGeneratorBackground"));
        threads->setThreadPriority(QThread::LowestPriority);
        return threads;
    }();
    return *background;
}

void ThumbnailGenerator::Core::shutDown()
{
    QList<Waiter> dropped;
    {
        QMutexLocker lock(&mutex);
        stopping.store(true);
        openingsChanged.wakeAll();
        for (auto &queue : waiting) {
            for (const Job &job : queue)
                dropped += inFlight.take(job.key);
            queue.clear();
        }
        forgetTicketsLocked(dropped);
    }
    threads.cancel();
    // Waiting requests end without a poster; their callbacks are not called.
    for (const Waiter &waiter : std::as_const(dropped)) {
        if (waiter.promise) {
            waiter.promise->future().cancel();
            waiter.promise->finish();
        }
    }
}

void ThumbnailGenerator::Core::waitForBackground(int milliseconds)
{
    QMutexLocker lock(&mutex);
    QDeadlineTimer deadline(milliseconds < 0 ? QDeadlineTimer::Forever : milliseconds);
    while (backgroundRunning > 0) {
        if (!backgroundIdle.wait(&mutex, deadline))
            return;
    }
}

void ThumbnailGenerator::Core::request(const QString &path, double seconds, QSize maxSize, Priority priority, Waiter waiter)
{
    const QString key = posterKey(path, seconds, maxSize);
    waiter.background = priority == Priority::Background;
    QMutexLocker lock(&mutex);
    if (stopping.load()) {
        lock.unlock();
        deliver({waiter}, QImage());
        return;
    }
    // Checking the cache, joining a running decode and starting a new one
    // happen under one lock, so that one key never decodes twice at a time.
    const QImage cached = cache.object(key);
    if (!cached.isNull()) {
        lock.unlock();
        deliver({waiter}, cached);
        return;
    }
    if (waiter.ticket)
        tickets.insert(waiter.ticket, key);
    if (const auto running = inFlight.find(key); running != inFlight.end()) {
        running->append(std::move(waiter));
        if (priority == Priority::UserInitiated) {
            // Someone waits for a poster that was only made ahead of time:
            // it moves up to the requests made for the screen.
            auto &background = waiting[index(Priority::Background)];
            const auto job = std::find_if(background.begin(), background.end(), [&](const Job &j) { return j.key == key; });
            if (job != background.end()) {
                waiting[index(Priority::UserInitiated)].push_back(*job);
                waiting[index(Priority::UserInitiated)].back().background = false;
                background.erase(job);
            }
        }
        return;
    }
    inFlight.insert(key, QList<Waiter>{std::move(waiter)});
    const double frameTime = std::isfinite(seconds) ? std::max(earliestFrameTime, seconds) : earliestFrameTime;
    waiting[index(priority)].push_back(Job{key, path, frameTime, maxSize, priority == Priority::Background});
    startWaitingLocked();
}

bool ThumbnailGenerator::Core::withdraw(Ticket ticket)
{
    QMutexLocker lock(&mutex);
    const auto found = tickets.constFind(ticket);
    if (found == tickets.constEnd())
        return false;
    const QString key = found.value();
    // Only a request still in a queue can go: a running decode finishes
    // into the cache and answers whoever waits for it.
    std::deque<Job>::iterator job;
    int queue = -1;
    for (int q = 0; q < 2 && queue < 0; ++q) {
        job = std::find_if(waiting[q].begin(), waiting[q].end(), [&](const Job &j) { return j.key == key; });
        if (job != waiting[q].end())
            queue = q;
    }
    if (queue < 0)
        return false;
    tickets.erase(found);
    QList<Waiter> &waiters = inFlight[key];
    waiters.removeIf([&](const Waiter &w) { return w.ticket == ticket; });
    if (waiters.isEmpty()) {
        inFlight.remove(key);
        waiting[queue].erase(job);
    } else if (queue == index(Priority::UserInitiated)
               && std::all_of(waiters.cbegin(), waiters.cend(), [](const Waiter &w) { return w.background; })) {
        // Only work ahead of time waits for it now: back behind the
        // requests for the screen, first of its kind (it was asked for
        // ahead of time before any of them).
        Job back = std::move(*job);
        waiting[queue].erase(job);
        back.background = true;
        waiting[index(Priority::Background)].push_front(std::move(back));
    }
    return true;
}

void ThumbnailGenerator::Core::forgetTicketsLocked(const QList<Waiter> &waiters)
{
    for (const Waiter &waiter : waiters) {
        if (waiter.ticket)
            tickets.remove(waiter.ticket);
    }
}

void ThumbnailGenerator::Core::startWaitingLocked()
{
    // At most decodeSlots decodes run; waiting ones start first come, first
    // served, those for the screen before those made ahead of time.
    while (running < decodeSlots && !stopping.load()) {
        const int queue = !waiting[0].empty() ? 0 : !waiting[1].empty() ? 1 : -1;
        if (queue < 0)
            return;
        Job job = std::move(waiting[queue].front());
        waiting[queue].pop_front();
        ++running;
        if (job.background)
            ++backgroundRunning;
        QThreadPool &threadPool = job.background ? backgroundPool() : *pool;
        threadPool.start([self = shared_from_this(), job = std::move(job)] { self->runDecode(job); });
    }
}

void ThumbnailGenerator::Core::runDecode(const Job &job)
{
    QImage poster;
    bool holdsSlot = true;
    bool requeued = false;
    if (!stopping.load()) {
        try {
            poster = decode ? decode(job.path, job.frameTime, job.maxSize) : decodeFromPool(job, &holdsSlot, &requeued);
        } catch (...) {
            // Nothing may leave a pool thread; a failed decode is no poster.
            poster = QImage();
        }
    }
    if (requeued)
        return;
    QList<Waiter> waiters;
    {
        QMutexLocker lock(&mutex);
        waiters = inFlight.take(job.key);
        forgetTicketsLocked(waiters);
        if (!poster.isNull() && !stopping.load())
            cache.insert(job.key, poster);
        if (holdsSlot)
            --running;
        if (job.background && --backgroundRunning == 0)
            backgroundIdle.wakeAll();
        startWaitingLocked();
    }
    deliver(waiters, stopping.load() ? QImage() : poster);
}

FFmpegFormat ThumbnailGenerator::Core::openAsset(const QString &path, bool *holdsSlot)
{
    std::list<Opening>::iterator opening;
    {
        QMutexLocker lock(&mutex);
        opening = openings.insert(openings.end(), Opening{QDeadlineTimer(slowOpenMs), false});
        if (!watcher.joinable())
            watcher = std::thread([this] { watchOpenings(); });
        openingsChanged.wakeAll();
    }
    // The opening leaves the list however the open ends.
    const auto finish = [&] {
        QMutexLocker lock(&mutex);
        *holdsSlot = !opening->slotGivenBack;
        if (opening->slotGivenBack)
            --slowOpens;
        openings.erase(opening);
        openingsChanged.wakeAll();
    };
    FFmpegFormat format;
    try {
        format = assets.takeAsset(path);
    } catch (...) {
        finish();
        throw;
    }
    finish();
    return format;
}

bool ThumbnailGenerator::Core::requeue(const Job &job)
{
    QMutexLocker lock(&mutex);
    if (stopping.load())
        return false;
    waiting[job.background ? 1 : 0].push_front(job);
    if (job.background && --backgroundRunning == 0)
        backgroundIdle.wakeAll();
    startWaitingLocked();
    return true;
}

void ThumbnailGenerator::Core::watchOpenings()
{
    QMutexLocker lock(&mutex);
    while (!watcherStop && !stopping.load()) {
        QDeadlineTimer next(QDeadlineTimer::Forever);
        bool gaveBack = false;
        for (Opening &opening : openings) {
            if (opening.slotGivenBack)
                continue;
            if (!opening.slowAt.hasExpired()) {
                if (opening.slowAt.deadline() < next.deadline())
                    next = opening.slowAt;
                continue;
            }
            // Beyond the bound the slot stays taken: threads stuck in opens
            // are not multiplied without end.
            if (slowOpens >= maxSlowOpens)
                continue;
            opening.slotGivenBack = true;
            ++slowOpens;
            --running;
            gaveBack = true;
        }
        if (gaveBack)
            startWaitingLocked();
        openingsChanged.wait(&mutex, next);
    }
}

void ThumbnailGenerator::Core::deliver(const QList<Waiter> &waiters, const QImage &poster)
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
    // Queued to the generator itself, checked and posted under the lock that
    // shutDown() takes before the generator goes (its posted calls go with
    // it); the receivers are checked on their own thread.
    QMutexLocker lock(&mutex);
    if (stopping.load())
        return;
    QMetaObject::invokeMethod(
        owner,
        [callbacks, poster] {
            for (const Waiter &waiter : callbacks) {
                if (!waiter.hasReceiver || waiter.receiver)
                    waiter.callback(poster);
            }
        },
        Qt::QueuedConnection);
}
