#include "markers/ui/MarkerDetectView.h"

#include "app/AppSettings.h"
#include "library/ClipStore.h"
#include "library/model/FinderOrder.h"
#include "markers/ui/MarkerDetectionSettingsPanel.h"
#include "markers/ui/MarkerUiStyle.h"
#include "markers/MarkerDetector.h"
#include "markers/HandMarkerScan.h"

#include <QVBoxLayout>

#include <algorithm>
#include <map>
#include <numeric>
#include <vector>

// ==== State, derived lists and actions of the hand-marker sheet ==============
// (The phases' widgets are built in MarkerDetectViewPhases.cpp.)

MarkerDetectView::MarkerDetectView(ClipStore &store, AppSettings &settings, std::function<void()> onDismiss, QWidget *parent)
    : QDialog(parent), m_store(store), m_settings(settings), m_onDismiss(std::move(onDismiss))
{
    setWindowTitle(QStringLiteral("Detect Hand Markers"));
    setObjectName(QStringLiteral("MarkerDetectView"));
    setModal(true);
    m_loaded = m_detection;

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSizeConstraint(QLayout::SetFixedSize);
    auto *frame = new QWidget(this);
    frame->setFixedWidth(sheetWidth);
    outer->addWidget(frame);
    m_layout = new QVBoxLayout(frame);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);
    m_layout->addWidget(buildHeader());
    m_layout->addWidget(MarkerUiStyle::divider(frame));
    m_ready = buildReady();
    m_layout->addWidget(m_ready);
    m_progress = buildProgress();
    m_layout->addWidget(m_progress);

    connect(&m_store, &ClipStore::clipsChanged, this, [this] {
        refreshReady();
        if (m_phase == Phase::results)
            refreshResults();
    });
    connect(&m_settings, &AppSettings::changed, this, [this] {
        refreshReady();
        if (m_phase == Phase::results)
            refreshResults();
        update();
    });
    setPhase(Phase::ready);
}

MarkerDetectView::~MarkerDetectView()
{
    // The scan belongs to the store; nothing of it may outlive the sheet.
    if (m_scan)
        m_scan->cancel();
}

// ---- State --------------------------------------------------------------------

void MarkerDetectView::setDetection(const MarkerDetector::Settings &detection)
{
    if (m_detection == detection)
        return;
    m_detection = detection;
    if (m_panel && m_panel->detection() != detection)
        m_panel->setDetection(detection);
    if (m_phase == Phase::results)
        refreshResults();
}

void MarkerDetectView::setOverride(const QUuid &clipID, bool included)
{
    m_overrides.insert(clipID, included);
    if (m_phase == Phase::results)
        refreshResults();
}

void MarkerDetectView::toggleExpanded(const QUuid &clipID)
{
    if (m_expandedResultID == clipID)
        m_expandedResultID.reset();
    else
        m_expandedResultID = clipID;
    if (m_phase == Phase::results)
        refreshResults();
}

void MarkerDetectView::setRemoveMarkersAfterApply(bool remove)
{
    m_removeMarkersAfterApply = remove;
}

QColor MarkerDetectView::accentColor() const
{
    return themeColorValue(m_settings.themeColorRaw());
}

QString MarkerDetectView::tagBase() const
{
    return m_settings.effectiveMarkerTagBase();
}

// ---- Derived --------------------------------------------------------------------

QList<MarkerDetectView::Entry> MarkerDetectView::visibleResults() const
{
    QList<Entry> listed;
    std::vector<double> confidences;
    for (const Entry &entry : m_results) {
        if (!entry.metrics.frame || !(entry.clip.duration <= m_detection.maxMarkerDuration))
            continue;
        listed.append(entry);
        confidences.push_back(MarkerDetector::confidence(entry.metrics, m_detection));
    }
    std::vector<qsizetype> order(listed.size());
    std::iota(order.begin(), order.end(), qsizetype(0));
    // Stable: equal confidences keep the scan's (the store's) order.
    std::stable_sort(order.begin(), order.end(), [&confidences](qsizetype a, qsizetype b) { return confidences[a] > confidences[b]; });
    QList<Entry> sorted;
    sorted.reserve(listed.size());
    for (qsizetype i : order)
        sorted.append(listed[i]);
    return sorted;
}

bool MarkerDetectView::isIncluded(const Entry &entry) const
{
    const auto it = m_overrides.constFind(entry.clip.id);
    return MarkerDetector::isMarker(entry.metrics, m_detection, it == m_overrides.constEnd() ? std::nullopt : std::optional<bool>(*it));
}

QSet<QUuid> MarkerDetectView::includedMarkerIDs() const
{
    QSet<QUuid> ids;
    for (const Entry &entry : visibleResults()) {
        if (isIncluded(entry))
            ids.insert(entry.clip.id);
    }
    return ids;
}

QHash<QUuid, int> MarkerDetectView::targets() const
{
    return MarkerDetector::markerTargets(includedMarkerIDs(), m_store.clips());
}

QList<QPair<int, int>> MarkerDetectView::stackSummary(const QHash<QUuid, int> &targets)
{
    std::map<int, int, std::greater<int>> counts;
    for (const int stack : targets)
        ++counts[stack];
    QList<QPair<int, int>> summary;
    for (const auto &[stack, clips] : counts)
        summary.append({stack, clips});
    return summary;
}

std::optional<Clip> MarkerDetectView::firstClip() const
{
    const QList<Clip> &clips = m_store.clips();
    if (clips.isEmpty())
        return std::nullopt;
    qsizetype best = 0;
    for (qsizetype i = 1; i < clips.size(); ++i) {
        if (FinderOrder::compare(clips[i].urlFileName(), clips[best].urlFileName()) < 0)
            best = i;
    }
    return clips[best];
}

qsizetype MarkerDetectView::clipsToScan() const
{
    const QList<Clip> &clips = m_store.clips();
    return std::count_if(clips.cbegin(), clips.cend(), [](const Clip &clip) { return !clip.isMissing; });
}

// ---- Actions -------------------------------------------------------------------

void MarkerDetectView::loadSettingsOnce()
{
    if (m_didLoadSettings)
        return;
    m_didLoadSettings = true;
    // A value from an edited settings file may lie outside what the sliders
    // offer; it is used within their range (and never written back as such).
    MarkerDetector::Settings detection = m_detection;
    detection.maxMarkerDuration = std::clamp(m_settings.markerMaxDuration(), MarkerDetectionSettingsPanel::minMaxDuration,
                                             MarkerDetectionSettingsPanel::maxMaxDuration);
    detection.confidenceThreshold = std::clamp(m_settings.markerConfidenceThreshold(), MarkerDetectionSettingsPanel::minThreshold,
                                               MarkerDetectionSettingsPanel::maxThreshold);
    m_loaded = detection;
    setDetection(detection);
}

void MarkerDetectView::startScan()
{
    m_totalToAnalyze = clipsToScan();
    m_currentClipIndex = 0;
    setPhase(Phase::analyzing);
    if (m_scan)
        m_scan->cancel();

    HandMarkerScan *scan = m_store.scanForHandMarkers();
    m_scan = scan;
    connect(scan, &HandMarkerScan::progress, this, [this, scan](qsizetype done, const QString &name) {
        if (m_scan != scan)
            return;
        m_currentClipIndex = done;
        m_currentClipName = name;
        refreshProgress();
    });
    connect(scan, &HandMarkerScan::finished, this, [this, scan](const std::optional<HandMarkerScan::Result> &result) {
        // A scan that was cancelled or replaced leaves the sheet alone.
        if (m_scan != scan || scan->isCancelled() || !result)
            return;
        m_results = *result;
        setPhase(Phase::results);
    });
    scan->start();
}

void MarkerDetectView::cancelScanOnDisappear()
{
    if (m_scan)
        m_scan->cancel();
}

void MarkerDetectView::dismiss()
{
    // The presenter closes the sheet; one made without it closes itself.
    if (m_onDismiss)
        m_onDismiss();
    else
        QDialog::reject();
}

void MarkerDetectView::cancelScanAndDismiss()
{
    cancelScanOnDisappear();
    dismiss();
}

void MarkerDetectView::reject()
{
    cancelScanAndDismiss();
}

void MarkerDetectView::applyMarkers()
{
    const QSet<QUuid> included = includedMarkerIDs();
    const QString base = tagBase();
    QHash<QUuid, QString> plan;
    const QHash<QUuid, int> stacks = MarkerDetector::markerTargets(included, m_store.clips());
    for (auto it = stacks.cbegin(); it != stacks.cend(); ++it)
        plan.insert(it.key(), MarkerDetector::markerTagName(base, it.value()));
    QSet<QUuid> scanned;
    for (const Entry &entry : std::as_const(m_results))
        scanned.insert(entry.clip.id);
    m_store.applyDetectedMarkers(included, plan, base, m_removeMarkersAfterApply, scanned);

    // Only what the user changed is stored: a value left as loaded is
    // already stored, unless it is the stand-in for an unusable stored
    // value, which must not replace it unasked.
    if (m_detection.maxMarkerDuration != m_loaded.maxMarkerDuration)
        m_settings.setMarkerMaxDuration(m_detection.maxMarkerDuration);
    if (m_detection.confidenceThreshold != m_loaded.confidenceThreshold)
        m_settings.setMarkerConfidenceThreshold(m_detection.confidenceThreshold);
    dismiss();
}

void MarkerDetectView::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    loadSettingsOnce();
}

void MarkerDetectView::hideEvent(QHideEvent *event)
{
    cancelScanOnDisappear();
    QDialog::hideEvent(event);
}
