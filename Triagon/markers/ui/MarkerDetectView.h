#pragma once

#include "markers/HandMarkerScan.h"
#include "markers/MarkerDetector.h"

#include <QDialog>
#include <QHash>
#include <QPointer>
#include <QSet>

#include <functional>
#include <optional>

class AppSettings;
class ClipStore;
class ElidedLabel;
class MarkerDetectionSettingsPanel;
class MarkerResultRow;
class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QScrollArea;
class QToolButton;
class QVBoxLayout;
class SymbolView;

// The sheet "Detect Hand Markers": explains what a hand marker is, scans the
// session's online clips for short hand-over-lens clips, and lets the user
// tune the detection, overrule single clips and apply the result: the
// markers flagged, the clip before each marker tagged with the marker tag
// for its stack, optionally the marker clips removed, all as one undo step.
//
// Each presentation is a new sheet, starting in the ready phase. The sheet
// closes only through `onDismiss`; hiding or destroying it cancels a running
// scan, whose late results then change nothing.
class MarkerDetectView : public QDialog
{
    Q_OBJECT
public:
    enum class Phase { ready, analyzing, results };
    using Entry = HandMarkerScan::Entry;

    static constexpr int sheetWidth = 560;

    MarkerDetectView(ClipStore &store, AppSettings &settings, std::function<void()> onDismiss, QWidget *parent = nullptr);
    ~MarkerDetectView() override;

    // ---- State --------------------------------------------------------------
    Phase phase() const { return m_phase; }
    qsizetype currentClipIndex() const { return m_currentClipIndex; }
    const QString &currentClipName() const { return m_currentClipName; }
    qsizetype totalToAnalyze() const { return m_totalToAnalyze; }
    bool didLoadSettings() const { return m_didLoadSettings; }
    const MarkerDetector::Settings &detection() const { return m_detection; }
    void setDetection(const MarkerDetector::Settings &detection);
    const QList<Entry> &results() const { return m_results; }
    const QHash<QUuid, bool> &overrides() const { return m_overrides; }
    void setOverride(const QUuid &clipID, bool included);
    const std::optional<QUuid> &expandedResultID() const { return m_expandedResultID; }
    void toggleExpanded(const QUuid &clipID);
    bool removeMarkersAfterApply() const { return m_removeMarkersAfterApply; }
    void setRemoveMarkersAfterApply(bool remove);
    bool isScanning() const { return !m_scan.isNull(); }

    // ---- Derived, never cached ------------------------------------------------
    // The results with a frame and no longer than the maximum, most
    // confident first; equal confidences keep the scan's order.
    QList<Entry> visibleResults() const;
    bool isIncluded(const Entry &entry) const;
    QSet<QUuid> includedMarkerIDs() const;
    // The plan over the store's clips: target clip → markers stacked on it.
    QHash<QUuid, int> targets() const;
    // (stack count, number of targets), largest stack first.
    static QList<QPair<int, int>> stackSummary(const QHash<QUuid, int> &targets);
    // The session's first clip by file name, if the store holds any.
    std::optional<Clip> firstClip() const;
    // The clips a scan covers now (online clips).
    qsizetype clipsToScan() const;

    // ---- Actions --------------------------------------------------------------
    void loadSettingsOnce();
    void startScan();
    void cancelScanAndDismiss();
    void cancelScanOnDisappear();
    void applyMarkers();
    // Escape and the window's close button: cancel a scan and close.
    void reject() override;

    // ---- Parts, for tests and the accessibility tree ------------------------
    QLabel *titleLabel() const { return m_title; }
    QToolButton *closeButton() const { return m_closeButton; }
    QPushButton *cancelScanButton() const { return m_cancelScanButton; }
    QWidget *readyContent() const { return m_ready; }
    QWidget *progressContent() const { return m_progress; }
    QWidget *resultsContent() const { return m_resultsContent; }
    QLabel *countLabel() const { return m_count; }
    QWidget *noClipsWarning() const { return m_noClipsWarning; }
    QPushButton *readyCancelButton() const { return m_readyCancel; }
    QPushButton *scanButton() const { return m_scanButton; }
    QList<QLabel *> explanationLines() const { return m_explanations; }
    QProgressBar *progressBar() const { return m_progressBar; }
    ElidedLabel *progressName() const { return m_progressName; }
    QLabel *progressCounter() const { return m_progressCounter; }
    MarkerDetectionSettingsPanel *settingsPanel() const { return m_panel; }
    QScrollArea *resultsList() const { return m_list; }
    QWidget *emptyResults() const { return m_empty; }
    QLabel *emptyResultsText() const { return m_emptyText; }
    // The rows now listed, in order.
    QList<MarkerResultRow *> visibleRows() const;
    // The chip texts of the summary, in order ("3 markers", "1 bangerx2").
    QStringList summaryTexts() const;
    QWidget *startWarning() const { return m_startWarning; }
    QCheckBox *removeCheckBox() const { return m_removeCheckBox; }
    QPushButton *resultsCancelButton() const { return m_resultsCancel; }
    QPushButton *applyButton() const { return m_applyButton; }

    // The texts of the ready phase that carry the marker tag base.
    static QString tagLine(const QString &base);
    static QString stackLine(const QString &base);
    static QString scanButtonText(qsizetype count);
    static QString emptyResultsMessage(double maxMarkerDuration);

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    // Construction of the phases (MarkerDetectViewPhases.cpp).
    QWidget *buildHeader();
    QWidget *buildReady();
    QWidget *buildProgress();
    QWidget *buildResults();
    void refreshReady();
    void refreshProgress();
    void refreshResults();
    void rebuildSummary(const QHash<QUuid, int> &targets, const QSet<QUuid> &included);

    void dismiss();
    void setPhase(Phase phase);
    void refreshHeader();
    QColor accentColor() const;
    QString tagBase() const;

    ClipStore &m_store;
    AppSettings &m_settings;
    std::function<void()> m_onDismiss;
    QPointer<HandMarkerScan> m_scan;
    Phase m_phase = Phase::ready;
    qsizetype m_currentClipIndex = 0;
    QString m_currentClipName;
    qsizetype m_totalToAnalyze = 0;
    bool m_didLoadSettings = false;
    MarkerDetector::Settings m_detection;
    // The values read from the settings, clamped to the sliders' ranges.
    MarkerDetector::Settings m_loaded;
    QList<Entry> m_results;
    QHash<QUuid, bool> m_overrides;
    std::optional<QUuid> m_expandedResultID;
    bool m_removeMarkersAfterApply = false;

    QVBoxLayout *m_layout = nullptr;
    QLabel *m_title = nullptr;
    QToolButton *m_closeButton = nullptr;
    QPushButton *m_cancelScanButton = nullptr;

    QWidget *m_ready = nullptr;
    QList<QLabel *> m_explanations;
    QLabel *m_count = nullptr;
    QWidget *m_noClipsWarning = nullptr;
    QPushButton *m_readyCancel = nullptr;
    QPushButton *m_scanButton = nullptr;

    QWidget *m_progress = nullptr;
    SymbolView *m_pulse = nullptr;
    QProgressBar *m_progressBar = nullptr;
    ElidedLabel *m_progressName = nullptr;
    QLabel *m_progressCounter = nullptr;

    QWidget *m_resultsContent = nullptr;
    MarkerDetectionSettingsPanel *m_panel = nullptr;
    QScrollArea *m_list = nullptr;
    QVBoxLayout *m_rowsLayout = nullptr;
    QHash<QUuid, MarkerResultRow *> m_rows;
    QWidget *m_empty = nullptr;
    QLabel *m_emptyText = nullptr;
    QWidget *m_summaryChips = nullptr;
    QWidget *m_startWarning = nullptr;
    QCheckBox *m_removeCheckBox = nullptr;
    QPushButton *m_resultsCancel = nullptr;
    QPushButton *m_applyButton = nullptr;
};
