#pragma once

#include "library/model/AudioMetrics.h"
#include "library/model/Clip.h"
#include "library/model/ExportScope.h"
#include "library/model/FolderOrganization.h"
#include "library/model/MarkerMetrics.h"
#include "library/model/NumberingReset.h"
#include "library/model/UndoAction.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QStringList>
#include <QUrl>
#include <QUuid>
#include <optional>

// The edits and reads of a session that the marker and organize services,
// the import and the session restore need, and nothing more. The clip store
// implements it; they reach the session only through it, so the services sit
// below the store and the store can hand its own operations over to them.
//
// The members mean what the store's members of the same names mean: every
// assignment notifies the views, and an edit records its own undo and
// schedules its own save.
class ClipEditor
{
public:
    // ---- Clips and the tag catalog ----------------------------------------
    virtual const QList<Clip> &clips() const = 0;
    // Assigns the clip list and runs the change hook once.
    virtual void setClips(QList<Clip> clips) = 0;
    // Appends clips at the end (an import batch): one assignment, one hook.
    virtual void appendClips(const QList<Clip> &clips) = 0;
    virtual std::optional<qsizetype> indexOfClip(const QUuid &id) const = 0;
    virtual const QStringList &availableTags() const = 0;
    virtual void setAvailableTags(const QStringList &tags) = 0;
    // The folder the user last imported as a whole.
    virtual void setSourceFolderURL(const std::optional<QUrl> &url) = 0;

    // ---- Import ------------------------------------------------------------------
    virtual void setLoading(bool loading) = 0;
    virtual void setLoadingProgress(double progress) = 0;
    // The import skips files it has loaded; a clip taken out frees its file.
    virtual const QSet<QUrl> &loadedURLs() const = 0;
    virtual void setLoadedURLs(const QSet<QUrl> &urls) = 0;
    virtual void forgetLoadedURL(const QUrl &url) = 0;
    // For a replaced clip list: a new session generation, the imports and
    // the recording-date probe cancelled, the loaded files taken from the
    // clips, the loading state cleared.
    virtual void rebuildLoadedURLs() = 0;
    // The recording-date probe (unless one runs) and a fresh poster prewarm.
    virtual void schedulePostImportWork() = 0;
    virtual void cancelPrewarm() = 0;

    // ---- Undo and the session file ------------------------------------------
    virtual void registerUndo(const UndoAction &action) = 0;
    // Empties both stacks (new session, restore).
    virtual void clearUndoHistory() = 0;
    virtual void scheduleSessionSave() = 0;
    virtual void saveSessionImmediately() = 0;
    virtual void clearSessionFile() = 0;
    // Off while the launch restore reads the saved session.
    virtual void setSavingEnabled(bool enabled) = 0;

    // ---- View state that a session brings or a new one resets -------------
    virtual void setGridColumns(qint64 columns) = 0;
    virtual void setSelectedClipIDs(const QSet<QUuid> &ids) = 0;
    virtual void setHoveredClipID(const std::optional<QUuid> &id) = 0;
    virtual void setClipToOpen(const std::optional<Clip> &clip) = 0;
    virtual void setRenamingClipID(const std::optional<QUuid> &id) = 0;
    // Rating, tag, hand-marker and untouched filters off; sort and grouping stay.
    virtual void clearFilters() = 0;
    virtual void setAudioMetrics(const QHash<QUuid, AudioMetrics> &metrics) = 0;

    // ---- Hand markers ----------------------------------------------------------
    virtual const QList<NumberingReset> &numberingResets() const = 0;
    virtual const QHash<QUuid, MarkerMetrics> &markerMetrics() const = 0;
    virtual void setMarkerMetrics(const QHash<QUuid, MarkerMetrics> &metrics) = 0;
    // Background work drops its results when the session changed meanwhile.
    virtual const QUuid &sessionGeneration() const = 0;

    // ---- Organize -------------------------------------------------------------
    virtual QList<Clip> clipsInScope(ExportScope scope) const = 0;
    virtual FolderOrganization folderOrganization() const = 0;
    virtual void setFolderOrganization(FolderOrganization organization) = 0;
    // Stops everything of the session that reads clip files (posters being
    // prepared, scrub players, sound) before the files move.
    virtual void stopReadingFiles() = 0;
    // After an organize run: the moved clips leave the session, relocated
    // clips follow their files, and the undo records of both go.
    virtual void applyOrganizedMoves(const QSet<QUuid> &movedIDs, const QHash<QUuid, QUrl> &relocations) = 0;

protected:
    ClipEditor() = default;
    ClipEditor(const ClipEditor &) = default;
    ClipEditor &operator=(const ClipEditor &) = default;
    ~ClipEditor() = default;
};
