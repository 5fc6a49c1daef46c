#include "AppUpdates/CheckForUpdatesView.h"

#include "AppUpdates/AppUpdater.h"

#include <QAction>

CheckForUpdatesView::CheckForUpdatesView(AppUpdater *updater, QObject *parent)
    : QObject(parent), m_action(new QAction(QStringLiteral("Check for Updates\u2026"), this))
{
    m_action->setMenuRole(QAction::ApplicationSpecificRole);
    m_action->setEnabled(updater && updater->canCheckForUpdates());
    if (!updater)
        return;
    connect(updater, &AppUpdater::canCheckForUpdatesChanged, m_action, &QAction::setEnabled);
    connect(m_action, &QAction::triggered, updater, &AppUpdater::checkForUpdates);
}
