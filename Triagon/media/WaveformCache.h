#pragma once

#include "media/AudioPeak.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QThreadPool>

#include <atomic>
#include <deque>
#include <functional>
#include <optional>

// Finds up to three loud stretches in each clip's sound and keeps the answer
// for the rest of the process, so a clip is read at most once however often
// its card is rebuilt. At most `maxConcurrentAnalyses` files are read at once
// (first come, first served); callers asking for a clip that is being
// analysed share that analysis. Owned by the store; GUI thread only, the file
// reading runs on the cache's own worker threads.
class WaveformCache : public QObject
{
    Q_OBJECT

public:
    using PeaksCallback = std::function<void(const QList<AudioPeak> &peaks)>;

    explicit WaveformCache(int bucketCount = 500, int maxConcurrentAnalyses = 3, QObject *parent = nullptr);
    ~WaveformCache() override;

    int bucketCount() const { return m_bucketCount; }
    int maxConcurrentAnalyses() const { return m_maxConcurrentAnalyses; }
    int availableSlots() const { return m_availableSlots; }
    int waitingAnalyses() const { return static_cast<int>(m_slotWaiters.size()); }
    // Files waiting for a slot, in the order they will get one.
    QStringList waitingPaths() const { return QStringList(m_slotWaiters.begin(), m_slotWaiters.end()); }
    // Files read so far (one per analysis), for tests.
    int analysesStarted() const { return m_analysesStarted; }

    // The loud stretches of a clip's file (possibly none). A cached answer is
    // given at once, before this returns; otherwise `done` runs later on the
    // GUI thread, unless `receiver` (when given) is gone by then. Never fails:
    // a file whose sound cannot be read has no peaks.
    void peaks(const QString &path, QObject *receiver, PeaksCallback done);
    std::optional<QList<AudioPeak>> cachedPeaks(const QString &path) const;
    bool isAnalysing(const QString &path) const { return m_inFlight.contains(path); }

    // Reads the file's first sound track as mono 16-bit at 8000 Hz and
    // reduces it to `count` levels 0 … 1 (the loudest sample of each bucket).
    // None when the sound cannot be read. Safe on any thread.
    static std::optional<QList<float>> extractAmplitudes(const QString &path, int count, const std::atomic_bool *cancel = nullptr);
    // Levels of `count` buckets over sample magnitudes (0 … 32768 for 1.0).
    static QList<float> bucketLevels(const std::vector<quint16> &magnitudes, int count);
    // Up to `maxPeaks` loud stretches of the levels, ordered by start.
    static QList<AudioPeak> detectPeaks(const QList<float> &levels, int maxPeaks);

Q_SIGNALS:
    void peaksReady(const QString &path, const QList<AudioPeak> &peaks);

private:
    struct Waiter
    {
        QPointer<QObject> receiver;
        bool hasReceiver = false;
        PeaksCallback done;
    };

    void acquireSlot(const QString &path);
    void releaseSlot();
    void startAnalysis(const QString &path);
    void finishAnalysis(const QString &path, const std::optional<QList<float>> &levels);

    const int m_bucketCount;
    const int m_maxConcurrentAnalyses;
    int m_availableSlots;
    std::deque<QString> m_slotWaiters;
    QHash<QString, QList<AudioPeak>> m_cache;
    QHash<QString, QList<Waiter>> m_inFlight;
    int m_analysesStarted = 0;
    std::atomic_bool m_closing{false};
    QThreadPool m_threads;
};
