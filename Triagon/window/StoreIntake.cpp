#include "window/StoreIntake.h"

#include "library/ClipStore.h"
#include "library/ImportPanel.h"

StoreIntake::StoreIntake(ClipStore &store, QObject *parent) : QObject(parent), m_store(store)
{
}

void StoreIntake::addURLs(const std::optional<QUrl> &folder, const QList<QUrl> &files)
{
    Q_EMIT importRequested(folder, files);
    m_store.addURLs(folder, files);
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
    m_store.setImportPanel(&panel);
    m_store.showImportPanel();
}

void StoreIntake::setImportPanel(ImportPanel *panel)
{
    m_store.setImportPanel(panel);
}

void StoreIntake::restoreSessionAtLaunch(std::function<QString(qint64)> markerTagName, std::function<void(bool)> done)
{
    m_store.restoreSessionAtLaunch(std::move(markerTagName), std::move(done));
}

void StoreIntake::startNewSession(const QStringList &tags)
{
    m_store.startNewSession(tags);
}

void StoreIntake::refreshAvailability()
{
    m_store.refreshAvailability();
}
