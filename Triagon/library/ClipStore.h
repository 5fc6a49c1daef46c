#pragma once

#include "library/ClipImporter.h"
#include "library/ClipStats.h"
#include "library/ClipViewState.h"
#include "library/DomainError.h"
#include "library/SessionData.h"
#include "library/SessionPersistence.h"
#include "library/SessionRestorer.h"
#include "library/UnreadableSession.h"
#include "library/model/AudioMetrics.h"
#include "library/model/Clip.h"
#include "library/model/ClipEditor.h"
#include "library/model/CrossResetPlan.h"
#include "library/model/ExportFileEntry.h"
#include "library/model/ExportFolder.h"
#include "library/model/ExportResult.h"
#include "library/model/ExportScope.h"
#include "library/model/ExportTotals.h"
#include "library/model/FolderOrganization.h"
#include "library/model/GroupMode.h"
#include "library/model/MarkerMetrics.h"
#include "library/model/NumberingReset.h"
#include "library/model/SortOrder.h"
#include "library/model/UndoAction.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QUuid>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

class AudioScrubEngine;
class HandMarkerScan;
class MarkerService;
class MediaEngines;
class OrganizeRunner;
class OrganizeService;
class ScrubPlayerPool;
class ThumbnailGenerator;
class WaveformCache;

// The one central object of a running session: the clips in the order they
// were added, the tag catalog, the view state (ClipViewState), the undo
// history and the session file (SessionPersistence). Every view observes it
// and every edit goes through it. It lives on the GUI thread; only
// readSessionFile() may run elsewhere. Its marker, organize, import and
// restore members hand over to services that edit the session through its
// ClipEditor side.
//
// objectWillChange() comes before every assignment to a published field (also
// when the value stays the same), the specific signal right after it, with
// the new state readable. setClips() is the only way to assign the clip list;
// its change hook unsets the derived caches, switches off filters no clip can
// satisfy and prunes the selection, and records no undo and schedules no save:
// the edit does that itself. Derived views are cached until their inputs
// change; a returned reference stays valid until the next change.
class ClipStore final : public QObject, public ClipEditor
{
    Q_OBJECT

public:
    using ExportFolder = ::ExportFolder;
    using ExportFileEntry = ::ExportFileEntry;
    using ClipStats = ::ClipStats;
    using SessionData = ::SessionData;

    // The catalog a new store starts with.
    static const QStringList &builtInTags();
    // The undo stack keeps at most this many records.
    static constexpr qsizetype undoLimit = 100;
    static constexpr int saveDelayMs = SessionPersistence::saveDelayMs;
    static constexpr int saveMaxWaitMs = SessionPersistence::saveMaxWaitMs;

    explicit ClipStore(QObject *parent = nullptr);
    ~ClipStore() override;

    // ---- Published state ----------------------------------------------
    const QList<Clip> &clips() const override { return m_clips; }
    // Assigns the clip list and runs the change hook once.
    void setClips(QList<Clip> clips) override;
    // Appends clips at the end (an import batch): one assignment, one hook.
    void appendClips(const QList<Clip> &clips) override;

    bool isLoading() const { return m_isLoading; }
    void setLoading(bool loading) override;
    double loadingProgress() const { return m_loadingProgress; }
    void setLoadingProgress(double progress) override;

    SortOrder sortOrder() const { return m_view.sortOrder; }
    void setSortOrder(SortOrder order);
    // 0: no rating filter; 1 to 5: only clips with exactly this rating.
    qint64 filterRating() const { return m_view.filterRating; }
    void setFilterRating(qint64 rating);
    const std::optional<QString> &filterTag() const { return m_view.filterTag; }
    void setFilterTag(const std::optional<QString> &tag);
    bool filterHandMarkers() const { return m_view.filterHandMarkers; }
    void setFilterHandMarkers(bool on);
    bool hideUntouched() const { return m_view.hideUntouched; }
    void setHideUntouched(bool on);

    qint64 gridColumns() const { return m_view.gridColumns; }
    void setGridColumns(qint64 columns) override;
    GroupMode groupMode() const { return m_view.groupMode; }
    void setGroupMode(GroupMode mode);

    // The session's tag catalog, in its order.
    const QStringList &availableTags() const override { return m_availableTags; }
    void setAvailableTags(const QStringList &tags) override;

    FolderOrganization folderOrganization() const override { return m_folderOrganization; }
    void setFolderOrganization(FolderOrganization organization) override;

    // Why the session file found at launch could not be read, and where it was kept.
    const std::optional<UnreadableSession> &sessionRestoreError() const { return m_sessionRestoreError; }
    void setSessionRestoreError(const std::optional<UnreadableSession> &error);

    // The last failed save's text; only the window's alert clears it.
    const std::optional<QString> &sessionSaveError() const { return m_sessionSaveError; }
    void setSessionSaveError(const std::optional<QString> &error);

    // The folder the user last imported as a whole; saved in the session.
    const std::optional<QUrl> &sourceFolderURL() const { return m_sourceFolderURL; }
    void setSourceFolderURL(const std::optional<QUrl> &url) override;

    // ---- Plain view state -----------------------------------------------
    // The clip whose tag picker is open; notifies only when the value differs.
    const std::optional<QUuid> &showTagPickerForClipID() const { return m_view.showTagPickerForClipID; }
    void setShowTagPickerForClipID(const std::optional<QUuid> &id);
    // The clip under the pointer; no notification.
    const std::optional<QUuid> &hoveredClipID() const { return m_view.hoveredClipID; }
    void setHoveredClipID(const std::optional<QUuid> &id) override { m_view.hoveredClipID = id; }
    // No objectWillChange; selectionChanged() when the set differs.
    const QSet<QUuid> &selectedClipIDs() const { return m_view.selectedClipIDs; }
    void setSelectedClipIDs(const QSet<QUuid> &ids) override;
    // The clip to open in the full player; notifies only when its id differs.
    const std::optional<Clip> &clipToOpen() const { return m_view.clipToOpen; }
    void setClipToOpen(const std::optional<Clip> &clip) override;
    // The clip whose name is being edited; notifies only when the value differs.
    const std::optional<QUuid> &renamingClipID() const { return m_view.renamingClipID; }
    void setRenamingClipID(const std::optional<QUuid> &id) override;

    // Organize progress (OrganizeService); a change sends objectWillChange()
    // and exportProgressChanged() after it is stored.
    bool isExporting() const;
    void setExporting(bool exporting);
    double exportProgress() const;
    void setExportProgress(double progress);
    const QString &exportCurrentFile() const;
    void setExportCurrentFile(const QString &name);

    // Loudness figures per clip; notifies only when the number of entries changes.
    const QHash<QUuid, AudioMetrics> &audioMetrics() const { return m_audioMetrics; }
    void setAudioMetrics(const QHash<QUuid, AudioMetrics> &metrics) override;
    // Hand-marker detection input per clip, written by the scan; no notification.
    const QHash<QUuid, MarkerMetrics> &markerMetrics() const override { return m_markerMetrics; }
    void setMarkerMetrics(const QHash<QUuid, MarkerMetrics> &metrics) override { m_markerMetrics = metrics; }
    void setAudioMetrics(const QUuid &clipID, const AudioMetrics &metrics);

    // ---- Background-work bookkeeping --------------------------------------
    // File URLs of the loaded clips; the import skips files that are in it.
    const QSet<QUrl> &loadedURLs() const override { return m_loadedURLs; }
    void setLoadedURLs(const QSet<QUrl> &urls) override { m_loadedURLs = urls; }
    void forgetLoadedURL(const QUrl &url) override { m_loadedURLs.remove(url); }
    const QUuid &sessionGeneration() const override { return m_sessionGeneration; }

    // ---- Derived views ------------------------------------------------------
    const QList<Clip> &sortedAndFilteredClips() const;
    const QList<qsizetype> &sortedAndFilteredPositions() const;
    // Clip id to position in clips(); with duplicate ids the later wins.
    const QHash<QUuid, qsizetype> &clipIndex() const;
    std::optional<qsizetype> indexOfClip(const QUuid &id) const override;
    const QStringList &usedTags() const;
    bool hasActiveFilters() const { return m_view.hasActiveFilters(); }
    // Rating, tag, hand-marker and untouched filters off; sort and grouping stay.
    void clearFilters() override;
    const ClipStats &clipStats() const;
    // The places where a camera's file numbering restarts (clips in store order).
    const QList<NumberingReset> &numberingResets() const override;
    const std::optional<QList<ExportFolder>> &exportPreviewTree() const;
    QList<Clip> clipsInScope(ExportScope scope) const override;
    // Unsets every derived cache; the change hook calls it.
    void invalidateDerivedCaches();

    static bool isUntouched(const Clip &clip) { return ClipViewState::isUntouched(clip); }
    // Rated or tagged: the clips an organize of the shortlist covers.
    static bool isShortlisted(const Clip &clip) { return clip.rating > 0 || !clip.tags.isEmpty(); }

    // ---- Undo history ---------------------------------------------------------
    const QList<UndoAction> &undoStack() const { return m_undoStack; }
    const QList<UndoAction> &redoStack() const { return m_redoStack; }
    bool canUndo() const { return !m_undoStack.isEmpty(); }
    bool canRedo() const { return !m_redoStack.isEmpty(); }
    void registerUndo(const UndoAction &action) override;
    void undo();
    void redo();
    // "Undo " / "Redo " and the newest record's description; none when empty.
    std::optional<QString> undoTitle() const;
    std::optional<QString> redoTitle() const;
    void purgeUndoHistory(const QSet<QUuid> &clipIDs);
    // Empties both stacks (new session, restore).
    void clearUndoHistory() override;
    // The appliers of undo and redo: change the clips directly, record nothing.
    void applyInverse(const UndoAction &action);
    void reapply(const UndoAction &action);

    // ---- Edits: one assignment, one undo action, one save; bad input is ignored
    // Rates one clip; asking for the rating it already has clears it.
    void setRating(qint64 rating, QUuid clipID);
    void rateSelection(qint64 rating, const QSet<QUuid> &clipIDs);
    // Every tag these take (and the catalog, the tag filter and the marker
    // operations below) is brought to its composed form first
    // (TagName::canonical): two spellings of one tag are one tag.
    void toggleTag(QString tag, const QSet<QUuid> &clipIDs);
    void applyTagChange(const QSet<QUuid> &clipIDs, QString description, bool remove, QString tag);
    void removeTag(QString tag, const QSet<QUuid> &clipIDs, QString description);
    // The catalog, then tags carried by clips that the catalog lacks.
    QStringList allTags() const;
    bool addCatalogTag(const QString &name);
    bool renameTag(const QString &oldName, const QString &newName);
    void applyDefaultTags(const QStringList &tags);
    // The selected clips that the current filters show.
    qsizetype visibleSelectionCount() const;
    std::pair<QStringList, QSet<QString>> tagPickerTags(const QUuid &clipID) const;
    void renameClip(QUuid clipID, QString newName);
    // Takes a clip out of the session (the file stays where it is).
    void removeClip(QUuid clipID);
    void applyAudioTriageTags(const QList<QPair<QUuid, QString>> &pairs);
    void resetReview(bool all);
    // Opens the first clip of that exact name in the full player.
    void openClipNamed(const QString &filename);

    static bool isValidTagName(const QString &name);
    // Replaces "/", ":" and NUL by "-".
    static QString sanitizeClipName(const QString &name);

    // ---- Session file (SessionPersistence) ----------------------------------
    static QString sessionFilePath() { return SessionPersistence::path(); }
    static QUrl sessionFileURL() { return QUrl::fromLocalFile(sessionFilePath()); }
    void scheduleSessionSave() override { m_sessionFile->scheduleSave(); }
    bool isSessionSaveScheduled() const { return m_sessionFile->isSaveScheduled(); }
    // A failure is logged and set as sessionSaveError.
    void saveSessionImmediately() override { m_sessionFile->saveNow(); }
    SessionData makeSessionData() const;
    static bool writeSessionFile(const SessionData &data, QString *errorText = nullptr);
    static std::optional<std::pair<SessionData, QList<Clip>>> readSessionFile(std::optional<UnreadableSession> *problem = nullptr);
    static std::optional<SessionData> decodeSessionFile(const QByteArray &bytes, QString *errorText = nullptr)
    {
        return SessionPersistence::decode(bytes, errorText);
    }
    void clearSessionFile() override { m_sessionFile->clear(); }
    static QStringList unreadableSessionFilePaths() { return SessionPersistence::unreadablePaths(); }
    // Off while the launch restore reads the saved session.
    bool isSavingEnabled() const { return m_sessionFile->isSavingEnabled(); }
    void setSavingEnabled(bool enabled) override { m_sessionFile->setSavingEnabled(enabled); }

    // ---- Media engines (not owned), import (ClipImporter), restore ----------
    void setMediaEngines(MediaEngines *engines) { m_engines = engines; }
    MediaEngines *mediaEngines() const { return m_engines; }
    ThumbnailGenerator *thumbnailGenerator() const;
    ScrubPlayerPool *scrubPlayerPool() const;
    AudioScrubEngine *audioScrubEngine() const;
    WaveformCache *waveformCache() const;
    // The import tasks, the recording-date probe and the poster prewarm.
    ClipImporter *importer() const { return m_importer; }

    // Asks the window for its open panel; the choice comes to addChosenURLs().
    void showImportPanel() { Q_EMIT importPanelRequested(); }
    void addChosenURLs(const QList<QUrl> &chosen);
    void addURLs(const std::optional<QUrl> &folder, const QList<QUrl> &files);
    // Called by every import task once when it ends.
    void finishImportTask(const QUuid &taskID);
    void rebuildLoadedURLs() override;
    // The recording-date probe (unless one runs) and a fresh poster prewarm.
    void schedulePostImportWork() override;
    void probeRecordingDates();
    void applyRecordingDates(const QList<RecordingDateResult> &results);
    void cancelPrewarm() override;

    // The clips whose files are offline, in store order.
    QList<Clip> offlineClips() const;
    void refreshAvailability();
    std::optional<DomainError> relinkClip(QUuid clipID, QUrl url);

    // Reads and applies the saved session in the background (SessionRestorer).
    void restoreSessionAtLaunch(SessionRestorer::MarkerTagName markerTagName, std::function<void(bool restored)> done = {});
    bool isRestoringSession() const { return m_sessionRestorer->isRestoring(); }
    void startNewSession(const QStringList &tags);

    // ---- Hand markers and numbering resets (MarkerService) --------------
    using CrossResetPlan = ::CrossResetPlan;
    void setMarkerFlag(std::optional<MarkerFlag> flag, QUuid clipID);
    void removeMarkerClips();
    void applyDetectedMarkers(const QSet<QUuid> &markers, const QHash<QUuid, QString> &tagPerTarget, QString base, bool removeMarkers,
                              const std::optional<QSet<QUuid>> &scope);
    std::optional<CrossResetPlan> crossResetMarkerPlan(const NumberingReset &reset) const;
    void dismissNumberingReset(NumberingReset reset);
    bool applyNumberingResetDecisions(NumberingReset reset, QString base);
    static bool isMarkerTag(const QString &tag, const QString &base);
    void pruneUnusedMarkerTags(const QString &base);
    static bool containsNumberingReset(const NumberingReset &reset, const QList<NumberingReset> &resets);
    HandMarkerScan *scanForHandMarkers();

    // ---- Organize run (OrganizeService) ----------------------------------
    using OrganizeDone = std::function<void(const ExportResult &result)>;
    void organizeClips(ExportScope scope, const QUrl &destination, const std::optional<QString> &newFolderName, bool generateManifest,
                       OrganizeDone done);
    void setExportProgress(double fraction, const QString &filename);
    // "CommitRecords" beside the session file.
    static QString commitRecordsFolderPath();
    const QString &lastCommitRecordPath() const;
    OrganizeRunner &organizeRunner();
    // The organize run's edits of the session.
    void stopReadingFiles() override;
    void applyOrganizedMoves(const QSet<QUuid> &movedIDs, const QHash<QUuid, QUrl> &relocations) override;

Q_SIGNALS:
    void objectWillChange();
    void clipsChanged();
    void viewOptionsChanged();
    void availableTagsChanged();
    void folderOrganizationChanged();
    void selectionChanged();
    void viewStateChanged();
    void loadingChanged();
    void undoStateChanged();
    void sessionSaveErrorChanged();
    void sessionRestoreErrorChanged();
    void audioMetricsChanged();
    void sessionSaved(qsizetype clipCount);
    void importPanelRequested();  // showImportPanel() was called
    void exportProgressChanged(); // exportProgress or exportCurrentFile changed

private:
    // The change hook, run by setClips() after every assignment.
    void clipsDidChange();
    void dropStaleFilters();
    // An in-place action (or its inverse) applied to a copy, assigned once.
    void applyInPlace(const UndoAction &action, bool inverse);
    void finishUndoStep();
    // A filter, sort or group option; the shown list is rebuilt on next read.
    template <typename T>
    void setFilteringOption(T &option, const T &value)
    {
        Q_EMIT objectWillChange();
        option = value;
        m_sortedAndFilteredCache.reset();
        m_sortedAndFilteredPositionsCache.reset();
        Q_EMIT viewOptionsChanged();
    }

    QList<Clip> m_clips;
    bool m_isLoading = false;
    double m_loadingProgress = 0;
    QStringList m_availableTags;
    FolderOrganization m_folderOrganization = FolderOrganization::byTag;
    std::optional<QString> m_sessionSaveError;
    std::optional<UnreadableSession> m_sessionRestoreError;
    std::optional<QUrl> m_sourceFolderURL;
    ClipViewState m_view;
    QList<UndoAction> m_undoStack;
    QList<UndoAction> m_redoStack;
    QHash<QUuid, AudioMetrics> m_audioMetrics;
    QHash<QUuid, MarkerMetrics> m_markerMetrics;
    QSet<QUrl> m_loadedURLs;
    SessionPersistence *m_sessionFile;
    QUuid m_sessionGeneration;
    MediaEngines *m_engines = nullptr;
    ClipImporter *m_importer = new ClipImporter(
        *this, [this] { return thumbnailGenerator(); }, this);
    SessionRestorer *m_sessionRestorer = new SessionRestorer(*this, this);

    // Derived caches; unset means "compute on next read".
    mutable std::optional<QList<Clip>> m_sortedAndFilteredCache;
    mutable std::optional<QList<qsizetype>> m_sortedAndFilteredPositionsCache;
    // Positions in name order; kept across edits that keep every name.
    const QList<qsizetype> &nameOrder() const;
    mutable QList<qsizetype> m_nameOrder;
    mutable QStringList m_nameOrderNames;
    mutable std::optional<ClipStats> m_clipStatsCache;
    mutable std::optional<QHash<QUuid, qsizetype>> m_clipIndexCache;
    mutable std::optional<QStringList> m_usedTagsCache;
    mutable std::optional<QList<NumberingReset>> m_numberingResetCache;
    // Unset, or computed (with no tree when the shortlist is empty).
    mutable std::optional<std::optional<QList<ExportFolder>>> m_exportPreviewTreeCache;

    // Last, so that they go before the data they edit.
    std::unique_ptr<MarkerService> m_markers;
    std::unique_ptr<OrganizeService> m_organize;
};
