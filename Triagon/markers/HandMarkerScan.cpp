#include "markers/HandMarkerScan.h"

#include <QMetaObject>

HandMarkerScan::HandMarkerScan(Inputs inputs, QObject *parent) : QObject(parent), m_inputs(std::move(inputs))
{
}

HandMarkerScan::~HandMarkerScan()
{
    // Measurements still waiting for their frame stop early.
    m_cancelled->store(true);
}

void HandMarkerScan::start()
{
    if (m_started)
        return;
    m_started = true;
    QMetaObject::invokeMethod(this, &HandMarkerScan::runBatch, Qt::QueuedConnection);
}

void HandMarkerScan::cancel()
{
    if (m_cancelled->exchange(true) || !m_started || m_ended)
        return;
    // Ends from the event loop, not inside the caller; the batch in flight
    // is abandoned and whatever it still delivers is ignored.
    QMetaObject::invokeMethod(
        this, [this] { end(std::nullopt); }, Qt::QueuedConnection);
}

bool HandMarkerScan::shouldStop() const
{
    return m_cancelled->load() || (m_inputs.isCurrent && !m_inputs.isCurrent());
}

void HandMarkerScan::runBatch()
{
    if (m_ended)
        return;
    if (shouldStop()) {
        end(std::nullopt);
        return;
    }
    const qsizetype count = m_inputs.candidates.size();
    if (m_start >= count) {
        end(std::move(m_result));
        return;
    }
    m_end = std::min<qsizetype>(m_start + batchSize, count);
    const quint64 batch = ++m_batch;
    m_batchMetrics.assign(static_cast<size_t>(m_end - m_start), std::nullopt);
    m_outstanding = m_end - m_start;

    // The lookups all happen here, before any measurement of the batch starts.
    std::vector<std::optional<MarkerDetector::Metrics>> cached;
    cached.reserve(m_batchMetrics.size());
    for (qsizetype i = m_start; i < m_end; ++i)
        cached.push_back(m_inputs.cached ? m_inputs.cached(m_inputs.candidates[i].id) : std::nullopt);

    for (qsizetype i = 0; i < qsizetype(cached.size()); ++i) {
        if (cached[size_t(i)]) {
            m_batchMetrics[size_t(i)] = cached[size_t(i)];
            --m_outstanding;
            continue;
        }
        MarkerDetector::metrics(m_inputs.candidates[m_start + i], m_inputs.posters, m_cancelled)
            .then(this, [this, batch, i](const MarkerDetector::Metrics &metrics) { collect(batch, i, metrics); });
    }
    if (m_outstanding == 0) {
        // Everything came from the cache: still one batch at a time through
        // the event loop, so that a long cached run never nests calls.
        QMetaObject::invokeMethod(this, &HandMarkerScan::finishBatch, Qt::QueuedConnection);
    }
}

void HandMarkerScan::collect(quint64 batch, qsizetype position, const MarkerDetector::Metrics &metrics)
{
    if (m_ended || batch != m_batch)
        return;
    m_batchMetrics[size_t(position)] = metrics;
    if (--m_outstanding == 0)
        finishBatch();
}

void HandMarkerScan::finishBatch()
{
    if (m_ended)
        return;
    if (shouldStop()) {
        end(std::nullopt);
        return;
    }
    // In candidate order, whatever order the measurements ended in.
    for (qsizetype i = m_start; i < m_end; ++i)
        m_result.append(Entry{m_inputs.candidates[i], *m_batchMetrics[size_t(i - m_start)]});
    const QString lastName = m_end > m_start ? m_inputs.candidates[m_end - 1].filename : QString();
    m_start = m_end;
    Q_EMIT progress(m_result.size(), lastName);
    runBatch();
}

void HandMarkerScan::end(std::optional<Result> result)
{
    if (m_ended)
        return;
    m_ended = true;
    ++m_batch;
    Q_EMIT finished(result);
    deleteLater();
}
