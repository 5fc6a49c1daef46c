#include "window/StoreIntake.h"

#include "app/Loggers.h"
#include "library/ClipStore.h"
#include "library/ImportPanel.h"
#include "library/model/VideoExtensions.h"

#include <QFileInfo>
#include <QFutureWatcher>
#include <QPointer>
#include <QSet>
#include <QtConcurrent/QtConcurrentRun>

namespace {

// Older sessions stored special takes as a flag; they are tags now.
void migrateSpecialFlags(QList<Clip> &clips, QStringList &catalog, const std::function<QString(qint64)> &markerTagName)
{
    for (Clip &clip : clips) {
        if (!clip.markerFlag || !clip.markerFlag->isSpecial())
            continue;
        const QString tag = markerTagName ? markerTagName(clip.markerFlag->hands()) : QString();
        clip.markerFlag.reset();
        if (tag.isEmpty())
            continue;
        if (!clip.tags.contains(tag))
            clip.tags.append(tag);
        if (!catalog.contains(tag))
            catalog.append(tag);
    }
}

template <typename Store>
void forwardAddURLs(Store &store, StoreIntake &, const std::optional<QUrl> &folder, const QList<QUrl> &files)
{
    if constexpr (requires { store.addURLs(folder, files); }) {
        store.addURLs(folder, files);
    } else {
        // The store cannot import yet: the request is only announced.
        qCWarning(sessionLogger) << "Import is not available in this build; ignored" << (folder ? *folder : files.value(0));
    }
}

template <typename Store>
void forwardShowImportPanel(Store &store, StoreIntake &intake, ImportPanel &panel)
{
    if constexpr (requires {
                      store.setImportPanel(&panel);
                      store.showImportPanel();
                  }) {
        store.setImportPanel(&panel);
        store.showImportPanel();
    } else {
        const std::optional<QList<QUrl>> chosen = panel.run(StoreIntake::openPanelMessage(), StoreIntake::openPanelPrompt());
        if (!chosen)
            return;
        for (const QUrl &url : *chosen) {
            const QFileInfo info(url.toLocalFile());
            if (info.exists() && info.isDir())
                intake.importFolder(url);
            else if (hasSupportedVideoExtension(url.toLocalFile()))
                intake.importFile(url);
        }
    }
}

template <typename Store>
void forwardSetImportPanel(Store &store, ImportPanel *panel)
{
    if constexpr (requires { store.setImportPanel(panel); })
        store.setImportPanel(panel);
}

template <typename Store>
void forwardRestore(Store &store, QObject *context, std::function<QString(qint64)> markerTagName,
                    std::function<void(bool)> done)
{
    if constexpr (requires { store.restoreSessionAtLaunch(markerTagName, done); }) {
        Q_UNUSED(context);
        store.restoreSessionAtLaunch(std::move(markerTagName), std::move(done));
    } else {
        // Read off the main thread, apply on it; nothing may be saved until the
        // saved session has been read, or an early save would replace it.
        store.setSavingEnabled(false);
        const QUuid generation = store.sessionGeneration();
        using Result = std::optional<std::pair<ClipStore::SessionData, QList<Clip>>>;
        auto *watcher = new QFutureWatcher<Result>(context);
        QPointer<ClipStore> guard(&store);
        QObject::connect(watcher, &QFutureWatcher<Result>::finished, context,
                         [watcher, guard, generation, markerTagName, done] {
                             watcher->deleteLater();
                             ClipStore *s = guard.data();
                             if (!s) {
                                 return;
                             }
                             Result result = watcher->result();
                             bool restored = false;
                             if (result && s->sessionGeneration() == generation) {
                                 auto &[data, clips] = *result;
                                 QStringList catalog = data.availableTags;
                                 migrateSpecialFlags(clips, catalog, markerTagName);
                                 s->clearUndoHistory();
                                 QSet<QUrl> urls;
                                 for (const Clip &clip : clips)
                                     urls.insert(clip.url);
                                 s->setClips(clips);
                                 s->setLoadedURLs(urls);
                                 s->setSourceFolderURL(data.sourceFolderURL);
                                 s->setAvailableTags(catalog);
                                 if (const auto organization = folderOrganizationFromRaw(data.folderOrganization))
                                     s->setFolderOrganization(*organization);
                                 s->setGridColumns(data.gridColumns);
                                 restored = true;
                             }
                             s->setSavingEnabled(true);
                             if (done)
                                 done(restored);
                         });
        watcher->setFuture(QtConcurrent::run([] { return ClipStore::readSessionFile(); }));
    }
}

template <typename Store>
void forwardStartNewSession(Store &store, const QStringList &tags)
{
    if constexpr (requires { store.startNewSession(tags); }) {
        store.startNewSession(tags);
    } else {
        QStringList catalog;
        for (const QString &tag : tags) {
            if (ClipStore::isValidTagName(tag))
                catalog.append(tag);
        }
        store.setAvailableTags(catalog);
        store.setClips({});
        store.setLoadedURLs({});
        store.setSourceFolderURL(std::nullopt);
        store.setSelectedClipIDs({});
        store.clearUndoHistory();
        store.clearFilters();
        store.clearSessionFile();
    }
}

template <typename Store>
void forwardRefreshAvailability(Store &store)
{
    if constexpr (requires { store.refreshAvailability(); }) {
        store.refreshAvailability();
    } else {
        QList<Clip> clips = store.clips();
        bool changed = false;
        for (Clip &clip : clips) {
            const bool missing = !QFileInfo::exists(clip.path());
            if (clip.isMissing != missing) {
                clip.isMissing = missing;
                changed = true;
            }
        }
        if (changed)
            store.setClips(clips);
    }
}

} // namespace

StoreIntake::StoreIntake(ClipStore &store, QObject *parent) : QObject(parent), m_store(store)
{
}

void StoreIntake::addURLs(const std::optional<QUrl> &folder, const QList<QUrl> &files)
{
    Q_EMIT importRequested(folder, files);
    forwardAddURLs(m_store, *this, folder, files);
}

void StoreIntake::importFolder(const QUrl &folder)
{
    m_store.setSourceFolderURL(folder);
    addURLs(folder, {});
}

void StoreIntake::importFile(const QUrl &file)
{
    addURLs(std::nullopt, {file});
}

void StoreIntake::showImportPanel(ImportPanel &panel)
{
    forwardShowImportPanel(m_store, *this, panel);
}

void StoreIntake::setImportPanel(ImportPanel *panel)
{
    forwardSetImportPanel(m_store, panel);
}

void StoreIntake::restoreSessionAtLaunch(std::function<QString(qint64)> markerTagName, std::function<void(bool)> done)
{
    forwardRestore(m_store, this, std::move(markerTagName), std::move(done));
}

void StoreIntake::startNewSession(const QStringList &tags)
{
    forwardStartNewSession(m_store, tags);
}

void StoreIntake::refreshAvailability()
{
    forwardRefreshAvailability(m_store);
}
