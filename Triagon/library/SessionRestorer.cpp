#include "library/SessionRestorer.h"

#include "library/SessionData.h"
#include "library/SessionPersistence.h"
#include "library/model/ClipEditor.h"
#include "library/model/FolderOrganization.h"
#include "library/model/TagName.h"

#include <QFutureWatcher>
#include <QSet>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

SessionRestorer::SessionRestorer(ClipEditor &editor, QObject *parent) : QObject(parent), m_editor(editor)
{
}

namespace {

void applyRestoredSession(ClipEditor &editor, SessionData data, QList<Clip> clips, const SessionRestorer::MarkerTagName &markerTagName)
{
    const QStringList migrated = markerTagName ? SessionRestorer::migrateSpecialMarkerFlags(clips, markerTagName) : QStringList();
    editor.clearUndoHistory();
    QSet<QUrl> loaded;
    loaded.reserve(clips.size());
    for (const Clip &clip : std::as_const(clips))
        loaded.insert(clip.url);
    editor.setClips(std::move(clips));
    editor.setLoadedURLs(loaded);
    editor.setSourceFolderURL(data.sourceFolderURL);
    QStringList catalog = data.availableTags;
    for (const QString &tag : migrated) {
        if (!catalog.contains(tag))
            catalog.append(tag);
    }
    editor.setAvailableTags(catalog);
    // An unknown organization text leaves the store's choice alone.
    if (const auto organization = folderOrganizationFromRaw(data.folderOrganization))
        editor.setFolderOrganization(*organization);
    editor.setGridColumns(data.gridColumns);
    editor.schedulePostImportWork();
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
    m_editor.rebuildLoadedURLs();
    const QUuid generation = m_editor.sessionGeneration();
    // Until the saved session is back, no save may write the file: a save on
    // quitting during a slow read would otherwise replace the user's session
    // with an empty one. Saves asked for meanwhile run once saving is enabled.
    m_restoring = true;
    m_editor.setSavingEnabled(false);

    struct ReadResult
    {
        std::optional<std::pair<SessionData, QList<Clip>>> session;
        std::optional<UnreadableSession> unreadable;
    };
    auto *watcher = new QFutureWatcher<ReadResult>(this);
    connect(watcher, &QFutureWatcher<ReadResult>::finished, this,
            [this, watcher, generation, markerTagName = std::move(markerTagName), done = std::move(done)] {
                watcher->deleteLater();
                ReadResult read = watcher->future().result();
                bool restored = false;
                // A new session started while the file was read wins.
                if (generation == m_editor.sessionGeneration() && read.session) {
                    applyRestoredSession(m_editor, std::move(read.session->first), std::move(read.session->second), markerTagName);
                    restored = true;
                }
                // The user is told of a file that could not be read, also
                // when a new session was started meanwhile: it was moved
                // aside either way.
                if (read.unreadable)
                    Q_EMIT sessionFileUnreadable(*read.unreadable);
                m_restoring = false;
                m_editor.setSavingEnabled(true);
                if (done)
                    done(restored);
                Q_EMIT restoreFinished(restored);
            });
    watcher->setFuture(QtConcurrent::run(QThreadPool::globalInstance(), [] {
        ReadResult result;
        result.session = SessionPersistence::read(&result.unreadable);
        return result;
    }));
}

void SessionRestorer::startNewSession(const QStringList &tags)
{
    m_editor.rebuildLoadedURLs();
    m_editor.cancelPrewarm();
    QStringList catalog;
    for (const QString &tag : tags) {
        if (TagName::isValid(tag))
            catalog.append(tag);
    }
    m_editor.setAvailableTags(catalog);
    m_editor.setClips({});
    m_editor.setLoadedURLs({});
    m_editor.setSourceFolderURL(std::nullopt);
    m_editor.setSelectedClipIDs({});
    m_editor.setHoveredClipID(std::nullopt);
    m_editor.setClipToOpen(std::nullopt);
    m_editor.setRenamingClipID(std::nullopt);
    m_editor.clearUndoHistory();
    m_editor.clearFilters();
    m_editor.setAudioMetrics({});
    m_editor.setMarkerMetrics({});
    // No save is scheduled: the file stays absent until the next save.
    m_editor.clearSessionFile();
}
