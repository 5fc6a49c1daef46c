#include "library/ClipStore.h"

#include "app/Loggers.h"
#include "library/MediaAvailability.h"

#include <QFile>
#include <QFileInfo>
#include <functional>

// ==== Import, offline media and session restore =============================
// The store's import, offline-media and session-restore members: each hands
// the work to ClipImporter, MediaAvailability or SessionRestorer.

// Each chosen folder (which also becomes the source folder) and each
// chosen video file starts an import of its own; other files are ignored.
void ClipStore::addChosenURLs(const QList<QUrl> &chosen)
{
    m_importer->addChosenURLs(chosen);
}

// Starts one import of a folder (with an empty file list) or of files
// (with no folder; taken without an extension check) and returns at
// once, with isLoading true and loadingProgress 0. The clips arrive in
// batches; the import as a whole is one undoable "Add N clips".
void ClipStore::addURLs(const std::optional<QUrl> &folder, const QList<QUrl> &files)
{
    m_importer->addURLs(folder, files);
}

void ClipStore::finishImportTask(const QUuid &taskID)
{
    m_importer->finishImportTask(taskID);
}

// Resets the import state for a replaced clip list: a new session
// generation, running imports and the recording-date probe cancelled,
// loadedURLs rebuilt from the clips, loading state cleared.
void ClipStore::rebuildLoadedURLs()
{
    m_sessionGeneration = QUuid::createUuid();
    m_importer->cancelImports();
    QSet<QUrl> loaded;
    loaded.reserve(m_clips.size());
    for (const Clip &clip : std::as_const(m_clips))
        loaded.insert(clip.url);
    m_loadedURLs = std::move(loaded);
    setLoading(false);
    setLoadingProgress(0);
}

void ClipStore::schedulePostImportWork()
{
    m_importer->schedulePostImportWork();
}

void ClipStore::probeRecordingDates()
{
    m_importer->probeRecordingDates();
}

void ClipStore::applyRecordingDates(const QList<RecordingDateResult> &results)
{
    m_importer->applyRecordingDates(results);
}

void ClipStore::cancelPrewarm()
{
    m_importer->cancelPrewarm();
}

QList<Clip> ClipStore::offlineClips() const
{
    QList<Clip> offline;
    for (const Clip &clip : m_clips) {
        if (clip.isMissing)
            offline.append(clip);
    }
    return offline;
}

// Re-tests every clip's file, republishes the clips once and restarts
// the post-import work. No undo record, no save.
void ClipStore::refreshAvailability()
{
    setClips(MediaAvailability::withAvailability(m_clips));
    schedulePostImportWork();
}

// Points a clip at the file in its new place; the clip keeps its name,
// decisions and identity, and every undo record about it is dropped.
// Returns the refusal when the file cannot be the clip's (see
// MediaAvailability::checkRelinkTarget), no value otherwise; an unknown
// clip is no error and changes nothing.
std::optional<DomainError> ClipStore::relinkClip(QUuid clipID, QUrl url)
{
    const std::optional<qsizetype> index = indexOfClip(clipID);
    if (!index)
        return std::nullopt;
    const auto checked = MediaAvailability::checkRelinkTarget(m_clips, *index, url);
    if (const auto *refusal = std::get_if<DomainError>(&checked))
        return *refusal;
    const QUrl target = std::get<QUrl>(checked);
    const QUrl oldURL = m_clips[*index].url;

    QList<Clip> clips = m_clips;
    clips[*index].url = target;
    setClips(clips);
    clips[*index].isMissing = false;
    setClips(std::move(clips));
    m_loadedURLs.remove(oldURL);
    m_loadedURLs.insert(target);
    // Records about the clip would replay its old file's facts.
    purgeUndoHistory({clipID});
    scheduleSessionSave();
    schedulePostImportWork();
    return std::nullopt;
}

void ClipStore::restoreSessionAtLaunch(SessionRestorer::MarkerTagName markerTagName, std::function<void(bool restored)> done)
{
    m_sessionRestorer->restoreSessionAtLaunch(std::move(markerTagName), std::move(done));
}

// Empties the session, with the valid given tags as its catalog, and
// removes the session file.
void ClipStore::startNewSession(const QStringList &tags)
{
    m_sessionRestorer->startNewSession(tags);
}
