#include "window/StoreIntake.h"

#include "library/ClipStore.h"
#include "window/ImportPanel.h"

StoreIntake::StoreIntake(ClipStore &store, QObject *parent) : QObject(parent), m_store(store)
{
    // The store's own "Add Clips" runs the panel the window set.
    connect(&m_store, &ClipStore::importPanelRequested, this, [this] {
        if (m_panel)
            runImportPanel(*m_panel);
    });
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
    m_panel = &panel;
    runImportPanel(panel);
}

void StoreIntake::setImportPanel(ImportPanel *panel)
{
    m_panel = panel;
}

void StoreIntake::runImportPanel(ImportPanel &panel)
{
    // The chosen items reach the store as they are (no importRequested): the
    // store sorts folders from video files.
    if (const std::optional<QList<QUrl>> chosen = panel.run(openPanelMessage(), openPanelPrompt()))
        m_store.addChosenURLs(*chosen);
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
