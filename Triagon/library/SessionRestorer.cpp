#include "library/SessionRestorer.h"

#include "library/ClipStore.h"
#include "library/model/FolderOrganization.h"
#include "library/model/TagName.h"

#include <QFutureWatcher>
#include <QSet>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

SessionRestorer::SessionRestorer(ClipStore &store, QObject *parent) : QObject(parent), m_store(store)
{
}

namespace {

void applyRestoredSession(ClipStore &store, ClipStore::SessionData data, QList<Clip> clips,
                          const SessionRestorer::MarkerTagName &markerTagName)
{
    const QStringList migrated = markerTagName ? SessionRestorer::migrateSpecialMarkerFlags(clips, markerTagName) : QStringList();
    store.clearUndoHistory();
    QSet<QUrl> loaded;
    loaded.reserve(clips.size());
    for (const Clip &clip : std::as_const(clips))
        loaded.insert(clip.url);
    store.setClips(std::move(clips));
    store.setLoadedURLs(loaded);
    store.setSourceFolderURL(data.sourceFolderURL);
    QStringList catalog = data.availableTags;
    for (const QString &tag : migrated) {
        if (!catalog.contains(tag))
            catalog.append(tag);
    }
    store.setAvailableTags(catalog);
    // An unknown organization text leaves the store's choice alone.
    if (const auto organization = folderOrganizationFromRaw(data.folderOrganization))
        store.setFolderOrganization(*organization);
    store.setGridColumns(data.gridColumns);
    store.schedulePostImportWork();
}

} // namespace

QStringList SessionRestorer::migrateSpecialMarkerFlags(QList<Clip> &clips, const MarkerTagName &markerTagName)
{
    QStringList migrated;
    for (Clip &clip : clips) {
        if (!clip.markerFlag || !clip.markerFlag->isSpecial())
            continue;
        const QString tag = TagName::canonical(markerTagName(clip.markerFlag->hands()));
        if (!clip.tags.contains(tag))
            clip.tags.append(tag);
        clip.markerFlag.reset();
        if (!migrated.contains(tag))
            migrated.append(tag);
    }
    return migrated;
}

void SessionRestorer::restoreSessionAtLaunch(MarkerTagName markerTagName, std::function<void(bool restored)> done)
{
    m_store.rebuildLoadedURLs();
    const QUuid generation = m_store.sessionGeneration();
    // Until the saved session is back, no save may write the file: a save on
    // quitting during a slow read would otherwise replace the user's session
    // with an empty one. Saves asked for meanwhile run once saving is enabled.
    m_restoring = true;
    m_store.setSavingEnabled(false);

    struct ReadResult
    {
        std::optional<std::pair<ClipStore::SessionData, QList<Clip>>> session;
        std::optional<UnreadableSession> unreadable;
    };
    auto *watcher = new QFutureWatcher<ReadResult>(this);
    connect(watcher, &QFutureWatcher<ReadResult>::finished, this,
            [this, watcher, generation, markerTagName = std::move(markerTagName), done = std::move(done)] {
                watcher->deleteLater();
                ReadResult read = watcher->future().result();
                bool restored = false;
                // A new session started while the file was read wins.
                if (generation == m_store.sessionGeneration() && read.session) {
                    applyRestoredSession(m_store, std::move(read.session->first), std::move(read.session->second), markerTagName);
                    restored = true;
                }
                // The user is told of a file that could not be read, also
                // when a new session was started meanwhile: it was moved
                // aside either way.
                if (read.unreadable)
                    m_store.setSessionRestoreError(read.unreadable);
                m_restoring = false;
                m_store.setSavingEnabled(true);
                if (done)
                    done(restored);
                Q_EMIT restoreFinished(restored);
            });
    watcher->setFuture(QtConcurrent::run(QThreadPool::globalInstance(), [] {
        ReadResult result;
        result.session = ClipStore::readSessionFile(&result.unreadable);
        return result;
    }));
}

void SessionRestorer::startNewSession(const QStringList &tags)
{
    m_store.rebuildLoadedURLs();
    m_store.cancelPrewarm();
    QStringList catalog;
    for (const QString &tag : tags) {
        if (ClipStore::isValidTagName(tag))
            catalog.append(tag);
    }
    m_store.setAvailableTags(catalog);
    m_store.setClips({});
    m_store.setLoadedURLs({});
    m_store.setSourceFolderURL(std::nullopt);
    m_store.setSelectedClipIDs({});
    m_store.setHoveredClipID(std::nullopt);
    m_store.setClipToOpen(std::nullopt);
    m_store.setRenamingClipID(std::nullopt);
    m_store.clearUndoHistory();
    m_store.setFilterRating(0);
    m_store.setFilterTag(std::nullopt);
    m_store.setFilterHandMarkers(false);
    m_store.setHideUntouched(false);
    m_store.setAudioMetrics({});
    m_store.setMarkerMetrics({});
    // No save is scheduled: the file stays absent until the next save.
    m_store.clearSessionFile();
}
