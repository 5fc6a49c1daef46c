#include "library/ClipStore.h"

#include "app/Loggers.h"
#include "library/ImportPanel.h"
#include "library/MediaAvailability.h"
#include "library/model/VideoExtensions.h"

#include <QFile>
#include <QFileInfo>
#include <functional>

// ==== Import, offline media and session restore =============================
// The store's import, offline-media and session-restore members: each hands
// the work to ClipImporter, MediaAvailability or SessionRestorer.

void ClipStore::showImportPanel()
{
    if (!m_importPanel)
        return;
    const std::optional<QList<QUrl>> chosen =
        m_importPanel->run(QStringLiteral("Select folders or video files to add"), QStringLiteral("Add"));
    if (!chosen)
        return;
    for (const QUrl &url : *chosen) {
        const QString path = url.toLocalFile();
        if (!path.isEmpty() && QFileInfo(path).isDir()) {
            setSourceFolderURL(url);
            addURLs(url, {});
        } else if (hasSupportedVideoExtension(path)) {
            addURLs(std::nullopt, {url});
        }
    }
}

void ClipStore::addURLs(const std::optional<QUrl> &folder, const QList<QUrl> &files)
{
    m_importer->addURLs(folder, files);
}

void ClipStore::finishImportTask(const QUuid &taskID)
{
    m_importer->finishImportTask(taskID);
}

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

void ClipStore::refreshAvailability()
{
    setClips(MediaAvailability::withAvailability(m_clips));
    schedulePostImportWork();
}

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

void ClipStore::startNewSession(const QStringList &tags)
{
    m_sessionRestorer->startNewSession(tags);
}
