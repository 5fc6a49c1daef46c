#include "media/WaveformCache.h"

#include "app/Loggers.h"
#include "media/AudioStreamDecoder.h"

#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

WaveformCache::WaveformCache(int bucketCount, int maxConcurrentAnalyses, QObject *parent)
    : QObject(parent), m_bucketCount(std::max(1, bucketCount)), m_maxConcurrentAnalyses(std::max(1, maxConcurrentAnalyses)),
      m_availableSlots(m_maxConcurrentAnalyses)
{
    m_threads.setMaxThreadCount(m_maxConcurrentAnalyses);
    m_threads.setThreadPriority(QThread::LowPriority);
}

WaveformCache::~WaveformCache()
{
    m_closing.store(true);
    m_threads.waitForDone();
}

std::optional<QList<AudioPeak>> WaveformCache::cachedPeaks(const QString &path) const
{
    const auto it = m_cache.constFind(path);
    if (it == m_cache.constEnd())
        return std::nullopt;
    return it.value();
}

void WaveformCache::peaks(const QString &path, QObject *receiver, PeaksCallback done)
{
    if (const auto it = m_cache.constFind(path); it != m_cache.constEnd()) {
        if (done)
            done(it.value());
        return;
    }
    Waiter waiter{QPointer<QObject>(receiver), receiver != nullptr, std::move(done)};
    if (auto it = m_inFlight.find(path); it != m_inFlight.end()) {
        it.value().append(std::move(waiter));
        return;
    }
    m_inFlight.insert(path, QList<Waiter>{std::move(waiter)});
    acquireSlot(path);
}

void WaveformCache::acquireSlot(const QString &path)
{
    if (m_availableSlots > 0) {
        --m_availableSlots;
        startAnalysis(path);
        return;
    }
    m_slotWaiters.push_back(path);
}

void WaveformCache::releaseSlot()
{
    if (m_slotWaiters.empty()) {
        ++m_availableSlots;
        return;
    }
    // The slot goes straight to the earliest waiter.
    const QString next = m_slotWaiters.front();
    m_slotWaiters.pop_front();
    startAnalysis(next);
}

void WaveformCache::startAnalysis(const QString &path)
{
    ++m_analysesStarted;
    const int count = m_bucketCount;
    m_threads.start([this, path, count] {
        std::optional<QList<float>> levels;
        if (!m_closing.load())
            levels = extractAmplitudes(path, count, &m_closing);
        if (m_closing.load())
            return;
        QMetaObject::invokeMethod(
            this, [this, path, levels] { finishAnalysis(path, levels); }, Qt::QueuedConnection);
    });
}

void WaveformCache::finishAnalysis(const QString &path, const std::optional<QList<float>> &levels)
{
    releaseSlot();
    const QList<AudioPeak> result = levels ? detectPeaks(*levels, 3) : QList<AudioPeak>{};
    m_cache.insert(path, result);
    const QList<Waiter> waiters = m_inFlight.take(path);
    for (const Waiter &waiter : waiters) {
        if (waiter.hasReceiver && !waiter.receiver)
            continue;
        if (waiter.done)
            waiter.done(result);
    }
    Q_EMIT peaksReady(path, result);
}

QList<float> WaveformCache::bucketLevels(const std::vector<quint16> &magnitudes, int count)
{
    QList<float> levels(std::max(0, count), 0.0f);
    const size_t n = magnitudes.size();
    if (count <= 0 || n == 0)
        return levels;
    const size_t perBucket = std::max<size_t>(1, n / static_cast<size_t>(count));
    for (int b = 0; b < count; ++b) {
        const size_t from = static_cast<size_t>(b) * perBucket;
        const size_t to = std::min(from + perBucket, n);
        quint16 loudest = 0;
        for (size_t i = from; i < to; ++i)
            loudest = std::max(loudest, magnitudes[i]);
        levels[b] = static_cast<float>(loudest) / 32768.0f;
    }
    return levels;
}

std::optional<QList<float>> WaveformCache::extractAmplitudes(const QString &path, int count, const std::atomic_bool *cancel)
{
    if (count <= 0)
        return std::nullopt;
    FFmpegAudioFormat format;
    format.sampleRate = 8000;
    format.channels = 1;
    format.sampleType = FFmpegAudioFormat::SampleType::Int16;
    format.mapping = FFmpegAudioFormat::ChannelMapping::MeanToMono;
    AudioStreamDecoder decoder;
    const AudioStreamDecoder::OpenResult opened = decoder.open(path, format);
    if (opened == AudioStreamDecoder::OpenResult::Failed) {
        qCCritical(audioLogger, "Waveform: cannot read %s: %s", qUtf8Printable(QFileInfo(path).fileName()),
                   qUtf8Printable(decoder.errorText()));
        return std::nullopt;
    }
    if (opened != AudioStreamDecoder::OpenResult::Opened)
        return std::nullopt;

    // The sound of the clip's own stretch, from its first picture to its
    // last (sound before or after it would shift the peaks against the
    // card's time); a track that starts late begins with silence.
    if (!decoder.seek(0))
        return std::nullopt;
    const double clip = decoder.clipDurationSeconds();
    const qint64 wanted = clip > 0 ? qint64(std::llround(clip * format.sampleRate)) : std::numeric_limits<qint64>::max();
    // Magnitudes as 16-bit numbers (|-32768| fits) keep a long clip's whole
    // track at 16 kB per second of sound while it is bucketed.
    std::vector<quint16> magnitudes;
    bool complete = decoder.readAll([&](const void *data, qint64 frames) {
        const auto *samples = static_cast<const qint16 *>(data);
        frames = std::min<qint64>(frames, wanted - qint64(magnitudes.size()));
        for (qint64 i = 0; i < frames; ++i)
            magnitudes.push_back(static_cast<quint16>(std::abs(int(samples[i]))));
        return !(cancel && cancel->load()) && qint64(magnitudes.size()) < wanted;
    });
    complete = complete || (qint64(magnitudes.size()) >= wanted && !(cancel && cancel->load()));
    if (!complete || magnitudes.empty())
        return std::nullopt;
    return bucketLevels(magnitudes, count);
}

QList<AudioPeak> WaveformCache::detectPeaks(const QList<float> &levels, int maxPeaks)
{
    const qsizetype n = levels.size();
    if (n == 0 || maxPeaks <= 0)
        return {};
    float sum = 0;
    for (float level : levels)
        sum += level;
    const float mean = sum / static_cast<float>(n);
    float squares = 0;
    for (float level : levels) {
        const float d = level - mean;
        squares += d * d;
    }
    const float threshold = mean + std::sqrt(squares / static_cast<float>(n));
    if (!(threshold > 0))
        return {};

    struct Run
    {
        qsizetype start;
        qsizetype end;
        float peak;
    };
    std::vector<Run> runs;
    bool open = false;
    Run current{0, 0, 0};
    for (qsizetype i = 0; i < n; ++i) {
        if (levels[i] >= threshold) {
            if (!open) {
                open = true;
                current = Run{i, i, 0};
            }
            current.peak = std::max(current.peak, levels[i]);
        } else if (open) {
            current.end = i;
            runs.push_back(current);
            open = false;
        }
    }
    if (open) {
        current.end = n;
        runs.push_back(current);
    }
    if (runs.empty())
        return {};

    const qsizetype mergeGap = n < 50 ? 1 : n / 50;
    std::vector<Run> merged{runs.front()};
    for (size_t i = 1; i < runs.size(); ++i) {
        Run &last = merged.back();
        const qsizetype gap = runs[i].start - last.end;
        if (gap <= mergeGap) {
            last.end = runs[i].end;
            last.peak = std::max(last.peak, runs[i].peak);
        } else {
            merged.push_back(runs[i]);
        }
    }

    std::stable_sort(merged.begin(), merged.end(), [](const Run &a, const Run &b) { return a.peak > b.peak; });
    if (merged.size() > static_cast<size_t>(maxPeaks))
        merged.resize(static_cast<size_t>(maxPeaks));
    std::stable_sort(merged.begin(), merged.end(), [](const Run &a, const Run &b) { return a.start < b.start; });

    QList<AudioPeak> peaks;
    peaks.reserve(static_cast<qsizetype>(merged.size()));
    for (const Run &run : merged)
        peaks.append(
            AudioPeak{static_cast<double>(run.start) / static_cast<double>(n), static_cast<double>(run.end) / static_cast<double>(n)});
    return peaks;
}
