#pragma once

#include "audiotriage/AudioMetrics.h"
#include "library/ClipImporter.h"
#include "library/ClipStats.h"
#include "library/DomainError.h"
#include "library/SessionData.h"
#include "library/SessionRestorer.h"
#include "library/UnreadableSession.h"
#include "library/UndoAction.h"
#include "library/model/Clip.h"
#include "library/model/FolderOrganization.h"
#include "library/model/GroupMode.h"
#include "library/model/SortOrder.h"
#include "markers/HandMarkerScan.h"
#include "markers/MarkerDetector.h"
#include "media/AudioScrubEngine.h"
#include "media/ScrubPlayerPool.h"
#include "media/ThumbnailGenerator.h"
#include "media/WaveformCache.h"
#include "organize/ExportFileEntry.h"
#include "organize/ExportFolder.h"
#include "organize/ExportResult.h"
#include "organize/ExportScope.h"
#include "organize/ExportTotals.h"

#include <QDateTime>
#include <QHash>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QUuid>
#include <functional>
#include <optional>
#include <utility>

class ImportPanel;
class OrganizeRunner;
class QTimer;
struct OrganizeOutcome;

// The one central object of a running session: the session's clips in the
// order they were added, the tag catalog, the grid's filter, sort and group
// choices, the selection and other shared view state, the undo history and
// the session file. Every view observes it and every edit goes through it.
// It lives on the GUI thread; only readSessionFile() may run elsewhere.
//
// Change notification
// -------------------
// objectWillChange()        before every assignment to a published field
//                           (clips, isLoading, loadingProgress, sortOrder, the
//                           four filters, gridColumns, groupMode,
//                           availableTags, folderOrganization,
//                           sessionSaveError, sessionRestoreError,
//                           sourceFolderURL), also when the
//                           value stays the same, and at the explicit points
//                           of the undo history, the selection pruning, the
//                           view-state fields and audioMetrics. The new state
//                           is not readable yet: receivers schedule a repaint.
// The specific signals below are sent right after the change, with the new
// state readable:
// clipsChanged()            the clip list was assigned and the change hook ran
// viewOptionsChanged()      sortOrder, groupMode, gridColumns or a filter
//                           (filterRating, filterTag, filterHandMarkers,
//                           hideUntouched) was assigned
// availableTagsChanged()    the tag catalog was assigned
// folderOrganizationChanged()
// sourceFolderURLChanged()
// selectionChanged()        selectedClipIDs changed (pruned by the change
//                           hook or set to a different set)
// viewStateChanged()        showTagPickerForClipID, clipToOpen or
//                           renamingClipID changed
// loadingChanged()          isLoading or loadingProgress was assigned
// undoStateChanged()        the undo or redo stack changed (titles, enabling)
// sessionSaveErrorChanged() sessionSaveError was assigned
// sessionRestoreErrorChanged() sessionRestoreError was assigned
// audioMetricsChanged()     audioMetrics was assigned with another entry count
// sessionSaved(count)       the session file was written with count clips
//
// The change hook
// ---------------
// setClips() is the only way to assign the clip list; it runs the change hook
// exactly once per assignment, in this order: every derived cache unset,
// filters that no clip can satisfy any more switched off (tag filter,
// hand-marker filter), selection pruned to existing clips. The hook records no
// undo action and schedules no save: the operation that changed the clips
// calls registerUndo() and scheduleSessionSave() itself.
//
// Derived views are computed on first read after a change and served from a
// cache until the next change of their inputs. A returned reference stays
// valid until the next change of the store.
class ClipStore : public QObject
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
    // Delay of the debounced session save.
    static constexpr int saveDelayMs = 500;
    // The longest an edit waits for its save: a burst of edits that keeps
    // restarting the delay above is still written this long after its first
    // unsaved edit.
    static constexpr int saveMaxWaitMs = 2000;

    explicit ClipStore(QObject *parent = nullptr);
    ~ClipStore() override;

    // ---- Published state ----------------------------------------------

    const QList<Clip> &clips() const { return m_clips; }
    // Assigns the clip list and runs the change hook once.
    void setClips(QList<Clip> clips);
    // Appends clips at the end (an import batch): one assignment, one hook.
    void appendClips(const QList<Clip> &clips);

    bool isLoading() const { return m_isLoading; }
    void setLoading(bool loading);
    double loadingProgress() const { return m_loadingProgress; }
    void setLoadingProgress(double progress);

    SortOrder sortOrder() const { return m_sortOrder; }
    void setSortOrder(SortOrder order);
    // 0: no rating filter; 1 to 5: only clips with exactly this rating.
    qint64 filterRating() const { return m_filterRating; }
    void setFilterRating(qint64 rating);
    const std::optional<QString> &filterTag() const { return m_filterTag; }
    void setFilterTag(const std::optional<QString> &tag);
    bool filterHandMarkers() const { return m_filterHandMarkers; }
    void setFilterHandMarkers(bool on);
    bool hideUntouched() const { return m_hideUntouched; }
    void setHideUntouched(bool on);

    qint64 gridColumns() const { return m_gridColumns; }
    void setGridColumns(qint64 columns);
    GroupMode groupMode() const { return m_groupMode; }
    void setGroupMode(GroupMode mode);

    // The session's tag catalog, in its order.
    const QStringList &availableTags() const { return m_availableTags; }
    void setAvailableTags(const QStringList &tags);

    FolderOrganization folderOrganization() const { return m_folderOrganization; }
    void setFolderOrganization(FolderOrganization organization);

    // Set when the session file found at launch could not be read: what was
    // wrong and where the unreadable file was kept. The window shows it in its
    // alert "Session Could Not Be Restored" and clears it when dismissed.
    const std::optional<UnreadableSession> &sessionRestoreError() const { return m_sessionRestoreError; }
    void setSessionRestoreError(const std::optional<UnreadableSession> &error);

    // Text of the last failed session save. Set by a failed save, never
    // cleared by a later successful one: the window clears it when its alert
    // "Session Could Not Be Saved" is dismissed.
    const std::optional<QString> &sessionSaveError() const { return m_sessionSaveError; }
    void setSessionSaveError(const std::optional<QString> &error);

    // The folder the user last imported as a whole; saved in the session.
    const std::optional<QUrl> &sourceFolderURL() const { return m_sourceFolderURL; }
    void setSourceFolderURL(const std::optional<QUrl> &url);

    // ---- Plain view state -----------------------------------------------

    // The clip whose tag picker is open; notifies only when the value differs.
    const std::optional<QUuid> &showTagPickerForClipID() const { return m_showTagPickerForClipID; }
    void setShowTagPickerForClipID(const std::optional<QUuid> &id);
    // The clip under the pointer; no notification.
    const std::optional<QUuid> &hoveredClipID() const { return m_hoveredClipID; }
    void setHoveredClipID(const std::optional<QUuid> &id) { m_hoveredClipID = id; }
    // The selection. Assigning sends no objectWillChange; selectionChanged()
    // follows when the set differs.
    const QSet<QUuid> &selectedClipIDs() const { return m_selectedClipIDs; }
    void setSelectedClipIDs(const QSet<QUuid> &ids);
    // The clip to open in the full player; notifies only when its id differs.
    const std::optional<Clip> &clipToOpen() const { return m_clipToOpen; }
    void setClipToOpen(const std::optional<Clip> &clip);
    // The clip whose name is being edited; notifies only when the value differs.
    const std::optional<QUuid> &renamingClipID() const { return m_renamingClipID; }
    void setRenamingClipID(const std::optional<QUuid> &id);

    // Organize progress, plain fields of the organize run and its sheet.
    // Storing a progress or a file name that differs from the old one (NaN
    // always does) sends objectWillChange() and exportProgressChanged()
    // once, after the new value is in place.
    bool isExporting() const { return m_isExporting; }
    void setExporting(bool exporting) { m_isExporting = exporting; }
    double exportProgress() const { return m_exportProgress; }
    void setExportProgress(double progress);
    const QString &exportCurrentFile() const { return m_exportCurrentFile; }
    void setExportCurrentFile(const QString &name);

    // Loudness figures per clip; notifies only when the number of entries changes.
    const QHash<QUuid, AudioMetrics> &audioMetrics() const { return m_audioMetrics; }
    void setAudioMetrics(const QHash<QUuid, AudioMetrics> &metrics);
    // Hand-marker detection input per clip, written by the scan; no notification.
    const QHash<QUuid, MarkerDetector::Metrics> &markerMetrics() const { return m_markerMetrics; }
    void setMarkerMetrics(const QHash<QUuid, MarkerDetector::Metrics> &metrics) { m_markerMetrics = metrics; }

    // ---- Audio triage (ClipStoreAudioTriage.cpp) ---------------------------
    // Stores one clip's loudness figures, replacing only that clip's entry;
    // notifies as setAudioMetrics() does, when the number of entries changed.
    void setAudioMetrics(const QUuid &clipID, const AudioMetrics &metrics);

    // ---- Background-work bookkeeping --------------------------------------

    // File URLs of the loaded clips; the import skips files that are in it.
    const QSet<QUrl> &loadedURLs() const { return m_loadedURLs; }
    void setLoadedURLs(const QSet<QUrl> &urls) { m_loadedURLs = urls; }
    // Identifier of the current session; background work captures it and
    // drops its results when it changed.
    const QUuid &sessionGeneration() const { return m_sessionGeneration; }

    // ---- Derived views ------------------------------------------------------

    // The clips the grid shows: filtered (untouched, rating, tag, hand
    // markers) and sorted stably by sortOrder, ties in store order.
    const QList<Clip> &sortedAndFilteredClips() const;
    // The same list as positions in clips(): what the grid lays out, without
    // copying a single clip.
    const QList<qsizetype> &sortedAndFilteredPositions() const;
    // Clip id to position in clips(); with duplicate ids the later wins.
    const QHash<QUuid, qsizetype> &clipIndex() const;
    std::optional<qsizetype> indexOfClip(const QUuid &id) const;
    // The tags that clips carry: the catalog's first in catalog order, then
    // the others in plain text order.
    const QStringList &usedTags() const;
    bool hasActiveFilters() const;
    // Rating, tag, hand-marker and untouched filters off; sort and grouping stay.
    void clearFilters();
    const ClipStats &clipStats() const;
    // The places where a camera's file numbering restarts (clips in store order).
    const QList<MarkerDetector::NumberingReset> &numberingResets() const;
    // The planned folders of the shortlisted clips under folderOrganization;
    // no value when no clip is shortlisted.
    const std::optional<QList<ExportFolder>> &exportPreviewTree() const;
    // The clips an organize of the scope covers: shortlisted and selected in
    // store order, the filtered view as the grid shows it, or all clips.
    QList<Clip> clipsInScope(ExportScope scope) const;
    // Unsets every derived cache; the change hook calls it.
    void invalidateDerivedCaches();

    // True when the clip was never touched: unrated, untagged, unflagged and
    // still named after its file. hideUntouched hides such clips.
    static bool isUntouched(const Clip &clip);
    // Rated or tagged: the clips an organize of the shortlist covers.
    static bool isShortlisted(const Clip &clip) { return clip.rating > 0 || !clip.tags.isEmpty(); }

    // ---- Undo history ---------------------------------------------------------

    const QList<UndoAction> &undoStack() const { return m_undoStack; }
    const QList<UndoAction> &redoStack() const { return m_redoStack; }
    bool canUndo() const { return !m_undoStack.isEmpty(); }
    bool canRedo() const { return !m_redoStack.isEmpty(); }
    // Records an edit that has already been applied. Empties the redo stack
    // and keeps the newest undoLimit records. Runs no hook, schedules no save.
    void registerUndo(const UndoAction &action);
    void undo();
    void redo();
    // "Undo " / "Redo " and the newest record's description; none when empty.
    std::optional<QString> undoTitle() const;
    std::optional<QString> redoTitle() const;
    // Drops from both stacks everything about the given clips (relinked, or
    // moved away by an organize run).
    void purgeUndoHistory(const QSet<QUuid> &clipIDs);
    // Empties both stacks (new session, restore).
    void clearUndoHistory();
    // The appliers of undo and redo: change the clips directly, record nothing.
    void applyInverse(const UndoAction &action);
    void reapply(const UndoAction &action);

    // ---- Edits ------------------------------------------------------------------
    // Each edit that changes something assigns the clip list once, records
    // one undo action and schedules a save; bad input changes nothing.

    // Rates one clip; asking for the rating it already has clears it.
    void setRating(qint64 rating, QUuid clipID);
    // One id: as setRating. Several: sets the rating (no toggle) on each clip
    // that lacks it, as one compound "Rate N clips".
    void rateSelection(qint64 rating, const QSet<QUuid> &clipIDs);
    // Removes the tag when every given clip carries it, else adds it to the
    // clips lacking it.
    void toggleTag(QString tag, const QSet<QUuid> &clipIDs);
    void applyTagChange(const QSet<QUuid> &clipIDs, QString description, bool remove, QString tag);
    void removeTag(QString tag, const QSet<QUuid> &clipIDs, QString description);
    // The catalog, then tags carried by clips that the catalog lacks.
    QStringList allTags() const;
    // Adds a name (trimmed) to the catalog; false only when it is not a valid
    // tag name. Not undoable.
    bool addCatalogTag(const QString &name);
    // Renames (or merges) a tag on every clip and in the catalog; false for
    // an invalid new name or no change.
    bool renameTag(const QString &oldName, const QString &newName);
    // Makes the catalog the valid given tags followed by the other tags that
    // clips carry.
    void applyDefaultTags(const QStringList &tags);
    // The selected clips that the current filters show.
    qsizetype visibleSelectionCount() const;
    // The tags for the picker of a clip (of the selection when it holds the
    // clip): those every target carries, in plain text order, and the ones
    // only some carry.
    std::pair<QStringList, QSet<QString>> tagPickerTags(const QUuid &clipID) const;
    // Renames a clip within the session (the file keeps its name). A bare
    // name keeps the old extension. The result is always one safe file name.
    void renameClip(QUuid clipID, QString newName);
    // Takes a clip out of the session (the file stays where it is).
    void removeClip(QUuid clipID);
    // Appends each label to its clip unless the clip carries it already or
    // the label fails the tag-name rule, blank ones included (see
    // ClipStoreAudioTriage.cpp).
    void applyAudioTriageTags(const QList<QPair<QUuid, QString>> &pairs);
    // Clears every clip's tags, with all also reviews, ratings and flags;
    // always switches every filter off.
    void resetReview(bool all);
    // Opens the first clip of that exact name in the full player.
    void openClipNamed(const QString &filename);

    // A tag name is valid when its trimmed form is not empty, it is not "."
    // or "..", and it holds no "/", ":", "\" and no control or format character.
    static bool isValidTagName(const QString &name);
    // Replaces "/", ":" and NUL by "-".
    static QString sanitizeClipName(const QString &name);

    // ---- Session file -------------------------------------------------------

    // $XDG_DATA_HOME/Triagon/session.json, computed once per process (the
    // folder "Triagon" is created then; the organize journal lives beside it).
    static QString sessionFilePath();
    static QUrl sessionFileURL() { return QUrl::fromLocalFile(sessionFilePath()); }
    // Saves 0.5 s after the last call (a waiting save is cancelled), and no
    // later than 2 s after the first call since the last save.
    void scheduleSessionSave();
    bool isSessionSaveScheduled() const;
    // Cancels the waiting save and writes now. A failure is logged and set
    // as sessionSaveError.
    void saveSessionImmediately();
    SessionData makeSessionData() const;
    // Encodes and writes atomically. On failure returns false and the
    // error's text; logs only success.
    static bool writeSessionFile(const SessionData &data, QString *errorText = nullptr);
    // Reads and decodes the session file; runs on any thread and touches no
    // store. Returns the record and its clips with isMissing set from the
    // disk, or no value when there is no usable file. A file that cannot be
    // read or decoded is moved aside (see unreadableSessionFilePaths) so that
    // the next save does not overwrite the user's decisions, and `problem`
    // (when given) says why and where it was kept. An empty file holds
    // nothing to keep: it is not copied aside.
    static std::optional<std::pair<SessionData, QList<Clip>>> readSessionFile(std::optional<UnreadableSession> *problem = nullptr);
    // The decoding behind readSessionFile: the file's bytes to the record,
    // with names that are not one path component made safe. Touches no disk.
    static std::optional<SessionData> decodeSessionFile(const QByteArray &bytes, QString *errorText = nullptr);
    // Cancels the waiting save and removes the session file.
    void clearSessionFile();
    // Session files that could not be read and were moved aside, oldest first.
    static QStringList unreadableSessionFilePaths();

    // While saving is disabled no save writes the file: the launch restore
    // disables it until the saved session has been read, so that an early
    // save (an edit, quitting) cannot replace the file before it is restored.
    // A save requested meanwhile is scheduled when saving is enabled again.
    // Enabled by default, so a store that never restores saves as usual.
    bool isSavingEnabled() const { return m_savingEnabled; }
    void setSavingEnabled(bool enabled);

    // ---- Media engines, import, offline media, session restore --------------
    // (The work itself is done by ClipImporter, MediaAvailability and
    // SessionRestorer.)

    // The engines are created with the store and live as long as it does;
    // a new session or a restore never resets them.
    ThumbnailGenerator *thumbnailGenerator() const { return m_thumbnailGenerator; }
    ScrubPlayerPool *scrubPlayerPool() const { return m_scrubPlayerPool; }
    AudioScrubEngine *audioScrubEngine() const { return m_audioScrubEngine; }
    WaveformCache *waveformCache() const { return m_waveformCache; }
    // The import tasks, the recording-date probe and the poster prewarm.
    ClipImporter *importer() const { return m_importer; }

    // The window's open panel for "Add Clips"; the store does not own it.
    void setImportPanel(ImportPanel *panel) { m_importPanel = panel; }
    // Runs the open panel; each chosen folder (which also becomes the source
    // folder) and each chosen video file starts an import of its own. Other
    // files are ignored.
    void showImportPanel();
    // Starts one import of a folder (with an empty file list) or of files
    // (with no folder; taken without an extension check) and returns at
    // once, with isLoading true and loadingProgress 0. The clips arrive in
    // batches; the import as a whole is one undoable "Add N clips".
    void addURLs(const std::optional<QUrl> &folder, const QList<QUrl> &files);
    // Called by every import task once when it ends.
    void finishImportTask(const QUuid &taskID);
    // Resets the import state for a replaced clip list: a new session
    // generation, running imports and the recording-date probe cancelled,
    // loadedURLs rebuilt from the clips, loading state cleared.
    void rebuildLoadedURLs();
    // The recording-date probe (unless one runs) and a fresh poster prewarm.
    void schedulePostImportWork();
    void probeRecordingDates();
    void applyRecordingDates(const QList<RecordingDateResult> &results);
    void cancelPrewarm();

    // The clips whose files are offline, in store order.
    QList<Clip> offlineClips() const;
    // Re-tests every clip's file, republishes the clips once and restarts
    // the post-import work. No undo record, no save.
    void refreshAvailability();
    // Points a clip at the file in its new place; the clip keeps its name,
    // decisions and identity, and every undo record about it is dropped.
    // Returns the refusal when the file cannot be the clip's (see
    // MediaAvailability::checkRelinkTarget), no value otherwise; an unknown
    // clip is no error and changes nothing.
    std::optional<DomainError> relinkClip(QUuid clipID, QUrl url);

    // Reads the session file in the background and applies it (older
    // hand-marker flags become tags named by markerTagName), unless a new
    // session starts meanwhile; done(true) when a session was applied.
    // No save writes the file until then.
    void restoreSessionAtLaunch(SessionRestorer::MarkerTagName markerTagName, std::function<void(bool restored)> done = {});
    bool isRestoringSession() const { return m_sessionRestorer->isRestoring(); }
    // Empties the session, with the valid given tags as its catalog, and
    // removes the session file.
    void startNewSession(const QStringList &tags);

    // ---- Hand markers and numbering resets ------------------------------------
    // (ClipStoreMarkers.cpp) Each edit that changes something assigns the
    // clip list once, records one undo entry and schedules a save; every
    // refusal is silent and changes nothing.

    // What confirming a numbering reset would tag: the clip and the number
    // of hands stacked on it.
    struct CrossResetPlan
    {
        Clip clip;
        int hands = 0;
    };

    // Sets or clears one clip's hand-marker flag.
    void setMarkerFlag(std::optional<MarkerFlag> flag, QUuid clipID);
    // Takes every clip flagged as a marker (not "special") out of the
    // session, as one "Remove N marker clip(s)"; the files stay on disk.
    void removeMarkerClips();
    // Applies a hand-marker scan to the clips of the scope (all clips when
    // none): accepted markers flagged, other flags cleared, marker-family
    // tags other than a clip's planned tag removed, planned tags added,
    // optionally the markers removed, the catalog kept in step; one
    // "Detect Markers (N changes)". A planned tag that is not a valid tag
    // name is never written.
    void applyDetectedMarkers(const QSet<QUuid> &markers, const QHash<QUuid, QString> &tagPerTarget, QString base,
                              bool removeMarkers, const std::optional<QSet<QUuid>> &scope);
    // Read-only: the clip that linking the reset would tag, or none.
    std::optional<CrossResetPlan> crossResetMarkerPlan(const MarkerDetector::NumberingReset &reset) const;
    // Records that a current reset needs nothing (the reset then disappears).
    void dismissNumberingReset(MarkerDetector::NumberingReset reset);
    // Links a current reset and tags the clip before the marker across it,
    // as one "Confirm Hand Marker Across Reset"; false when nothing changed.
    bool applyNumberingResetDecisions(MarkerDetector::NumberingReset reset, QString base);
    // The base itself, or the base, "x" and a decimal integer (an optional
    // sign and digits, nothing else); exact and case-sensitive.
    static bool isMarkerTag(const QString &tag, const QString &base);
    // Drops from the catalog the marker-family tags (not the base) that no
    // clip carries. No undo entry: the callers record the catalog change.
    void pruneUnusedMarkerTags(const QString &base);
    static bool containsNumberingReset(const MarkerDetector::NumberingReset &reset,
                                       const QList<MarkerDetector::NumberingReset> &resets);
    // A hand-marker scan over the clips that are online, in store order,
    // reusing markerMetrics and measuring with the poster generator; not yet
    // started. Connect to it (directly: the result is not a queued type),
    // then start() it. A run that finishes with a result has already stored
    // its metrics in markerMetrics; a cancelled run, or one that outlives
    // its session, stores nothing.
    HandMarkerScan *scanForHandMarkers();

    // ---- Organize run (ClipStoreOrganize.cpp) ------------------------------

    using OrganizeDone = std::function<void(const ExportResult &result)>;
    // Moves the clips of the scope into rating or tag folders under the
    // destination (or under a new folder of that name inside it), with a
    // commit record and optionally a manifest. A refusal (invalid folder
    // name, a run already under way, an empty scope) calls `done` before
    // this returns. Otherwise the scrub players and sound are stopped, the
    // file work runs on a thread of its own, and when it ends the store drops
    // the moved clips and their undo records, points clips whose file had to
    // stay at its new place there, saves the session at once (or removes the
    // file when no clip remains) and calls `done` on the GUI thread.
    void organizeClips(ExportScope scope, const QUrl &destination, const std::optional<QString> &newFolderName,
                       bool generateManifest, OrganizeDone done);
    // The progress fraction first, then the file name, each as above.
    void setExportProgress(double fraction, const QString &filename);
    // "CommitRecords" beside the session file.
    static QString commitRecordsFolderPath();
    // The record of the last run that planned its moves; empty before.
    const QString &lastCommitRecordPath() const { return m_lastCommitRecordPath; }
    // The runner of the file work (made on first use); tests and the
    // benchmark give it their own file layer.
    OrganizeRunner &organizeRunner();

Q_SIGNALS:
    void objectWillChange();
    void clipsChanged();
    void viewOptionsChanged();
    void availableTagsChanged();
    void folderOrganizationChanged();
    void sourceFolderURLChanged();
    void selectionChanged();
    void viewStateChanged();
    void loadingChanged();
    void undoStateChanged();
    void sessionSaveErrorChanged();
    void sessionRestoreErrorChanged();
    void audioMetricsChanged();
    void sessionSaved(qsizetype clipCount);
    void exportProgressChanged(); // exportProgress or exportCurrentFile changed

private:
    // Organize run: applies the worker's outcome to the session.
    void applyOrganizeOutcome(const OrganizeOutcome &outcome);
    OrganizeRunner *m_organizeRunner = nullptr;
    OrganizeDone m_organizeDone;
    QString m_lastCommitRecordPath;

    // The change hook, run by setClips() after every assignment.
    void clipsDidChange();
    void dropStaleFilters();
    // Applies an in-place action (or its inverse) to a copy of the clips and
    // assigns that copy once.
    void applyInPlace(const UndoAction &action, bool inverse);
    void finishUndoStep();
    // Sets one of the options that decide which clips are shown and in what
    // order; the sorted and filtered list is rebuilt on its next read.
    template<typename T>
    void setFilteringOption(T &option, const T &value)
    {
        Q_EMIT objectWillChange();
        option = value;
        m_sortedAndFilteredCache.reset();
        m_sortedAndFilteredPositionsCache.reset();
        Q_EMIT viewOptionsChanged();
    }

    // Published state.
    QList<Clip> m_clips;
    bool m_isLoading = false;
    double m_loadingProgress = 0;
    SortOrder m_sortOrder = SortOrder::name;
    qint64 m_filterRating = 0;
    std::optional<QString> m_filterTag;
    bool m_filterHandMarkers = false;
    bool m_hideUntouched = false;
    qint64 m_gridColumns = 3;
    GroupMode m_groupMode = GroupMode::none;
    QStringList m_availableTags;
    FolderOrganization m_folderOrganization = FolderOrganization::byTag;
    std::optional<QString> m_sessionSaveError;
    std::optional<UnreadableSession> m_sessionRestoreError;
    std::optional<QUrl> m_sourceFolderURL;

    // Plain view state.
    std::optional<QUuid> m_showTagPickerForClipID;
    std::optional<QUuid> m_hoveredClipID;
    QSet<QUuid> m_selectedClipIDs;
    std::optional<Clip> m_clipToOpen;
    std::optional<QUuid> m_renamingClipID;

    // Undo history.
    QList<UndoAction> m_undoStack;
    QList<UndoAction> m_redoStack;

    // Organize progress.
    bool m_isExporting = false;
    double m_exportProgress = 0;
    QString m_exportCurrentFile;

    // Analysis results.
    QHash<QUuid, AudioMetrics> m_audioMetrics;
    QHash<QUuid, MarkerDetector::Metrics> m_markerMetrics;

    // Background-work bookkeeping.
    QSet<QUrl> m_loadedURLs;
    QTimer *m_saveTimer = nullptr;
    QTimer *m_saveDeadline = nullptr; // runs from the first unsaved edit
    QUuid m_sessionGeneration;
    bool m_savingEnabled = true;
    bool m_saveDeferred = false;

    // Media engines, in the order they are made (after the undo history).
    ThumbnailGenerator *m_thumbnailGenerator = new ThumbnailGenerator(this);
    ScrubPlayerPool *m_scrubPlayerPool = new ScrubPlayerPool(24, this);
    AudioScrubEngine *m_audioScrubEngine = new AudioScrubEngine(this);
    WaveformCache *m_waveformCache = new WaveformCache(500, 3, this);
    ClipImporter *m_importer = new ClipImporter(*this, this);
    SessionRestorer *m_sessionRestorer = new SessionRestorer(*this, this);
    ImportPanel *m_importPanel = nullptr;

    // Derived caches; unset means "compute on next read".
    mutable std::optional<QList<Clip>> m_sortedAndFilteredCache;
    mutable std::optional<QList<qsizetype>> m_sortedAndFilteredPositionsCache;
    // Every clip's position in name order, and the names it was made for: it
    // outlives edits that keep every name (ratings, tags), so that sorting
    // by name seldom collates anything.
    const QList<qsizetype> &nameOrder() const;
    mutable QList<qsizetype> m_nameOrder;
    mutable QStringList m_nameOrderNames;
    mutable std::optional<ClipStats> m_clipStatsCache;
    mutable std::optional<QHash<QUuid, qsizetype>> m_clipIndexCache;
    mutable std::optional<QStringList> m_usedTagsCache;
    mutable std::optional<QList<MarkerDetector::NumberingReset>> m_numberingResetCache;
    // Unset, or computed (with no tree when the shortlist is empty).
    mutable std::optional<std::optional<QList<ExportFolder>>> m_exportPreviewTreeCache;
};
