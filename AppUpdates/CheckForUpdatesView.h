#pragma once

#include <QObject>

class AppUpdater;
class QAction;

// The menu command "Check for Updates…": an action that is enabled exactly
// while the updater can start a check, and asks it to check when chosen. The
// application places action() in its menu.
class CheckForUpdatesView : public QObject
{
    Q_OBJECT

public:
    explicit CheckForUpdatesView(AppUpdater *updater, QObject *parent = nullptr);

    QAction *action() const { return m_action; }

private:
    QAction *m_action = nullptr;
};
