#pragma once

#include "markers/MarkerDetector.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QUuid>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

// One run of the hand-marker scan: measures the given clips in consecutive
// batches of at most eight, the measurements of one batch at the same time,
// the next batch only when every measurement of the current one has ended.
// Clips measured before (the lookup finds them) are not measured again.
//
// The run itself lives on the thread that created it (the GUI thread); the
// measurements run elsewhere and come back to it. Before each batch, after
// each batch and at the end it checks whether it was cancelled or whether
// its input is stale (the session was replaced); then it ends with no result
// and drops what it measured. After each batch it reports the number of
// clips done and the file name of the batch's last clip.
//
// A run ends exactly once (`finished`) and deletes itself afterwards.
// Cancelling is safe at any time, also from the callbacks.
class HandMarkerScan : public QObject
{
    Q_OBJECT

public:
    static constexpr int batchSize = 8;

    struct Entry
    {
        Clip clip;
        MarkerDetector::Metrics metrics;
    };
    using Result = QList<Entry>;

    struct Inputs
    {
        QList<Clip> candidates;
        // Metrics kept from an earlier scan, read on the run's thread just
        // before each batch starts.
        std::function<std::optional<MarkerDetector::Metrics>(const QUuid &)> cached;
        // False once the results would be stale.
        std::function<bool()> isCurrent;
        MarkerDetector::PosterSource posters;
    };

    explicit HandMarkerScan(Inputs inputs, QObject *parent = nullptr);
    ~HandMarkerScan() override;

    // Starts the first batch from the event loop (an empty run ends there too).
    void start();
    void cancel();
    bool isCancelled() const { return m_cancelled->load(); }
    qsizetype candidateCount() const { return m_inputs.candidates.size(); }

Q_SIGNALS:
    void progress(qsizetype done, const QString &lastName);
    // The measurements in candidate order, or no value when cancelled or stale.
    void finished(const std::optional<HandMarkerScan::Result> &result);

private:
    bool shouldStop() const;
    void runBatch();
    void collect(quint64 batch, qsizetype position, const MarkerDetector::Metrics &metrics);
    void finishBatch();
    void end(std::optional<Result> result);

    Inputs m_inputs;
    std::shared_ptr<std::atomic_bool> m_cancelled = std::make_shared<std::atomic_bool>(false);
    Result m_result;
    qsizetype m_start = 0;
    qsizetype m_end = 0;
    quint64 m_batch = 0;
    std::vector<std::optional<MarkerDetector::Metrics>> m_batchMetrics;
    qsizetype m_outstanding = 0;
    bool m_started = false;
    bool m_ended = false;
};
