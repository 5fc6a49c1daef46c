#pragma once

#include "app/ui/MainWindow.h"

#include <QByteArray>
#include <QObject>
#include <QPalette>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <memory>

class AppSettings;
class AppUpdater;
class CheckForUpdatesView;
class ClipStore;
class MediaEngines;
class StoreIntake;
class TourManager;

// The application: it owns the clip store and the settings for the life of
// the process, takes the shared tour manager, starts the updater, builds the
// one main window and follows the appearance setting. When the window is up it
// restores the saved session and, only when there was none, gives the new
// session the defaults from the settings. When the application quits it saves
// the session at once — but never before the saved one has been read, so that
// quitting during start-up cannot replace the user's session with an empty one
// — and only then waits, for a bounded time, for its media work to end.
//
// Construct it after the QApplication; call start() to show the window.
class TriagonApp : public QObject
{
    Q_OBJECT
public:
    explicit TriagonApp(QObject *parent = nullptr);
    ~TriagonApp() override;

    // Sets the application's names and icon, applies the appearance, shows the
    // main window and starts the launch restore.
    void start();

    ClipStore &store() const { return *m_store; }
    AppSettings &settings() const { return *m_settings; }
    TourManager &tourManager() const { return m_tourManager; }
    AppUpdater &updater() const { return *m_updater; }
    MainWindow *mainWindow() const { return m_window; }

    // True once the launch restore has finished (whatever it found).
    bool isLaunchFinished() const { return m_launchFinished; }
    // Whether the launch restore found a saved session.
    bool launchRestored() const { return m_launchRestored; }

    // Imports folders and video files (absolute paths) as a drop of them on
    // the window does, once the launch restore has finished: paths given
    // before that wait for it, so that the restored session does not replace
    // them. What the launch named but the import does not open
    // (`notOpened`) is named in the window then.
    void importPaths(const QStringList &paths, const QStringList &notOpened = {});
    // A later launch handed over to this one: the window comes to the front,
    // with the desktop's activation token when it gave one, and the paths
    // are imported.
    void takeOverLaunch(const QStringList &paths, const QByteArray &activationToken, const QStringList &notOpened = {});

    // Runs the event loop until the application quits (the session is
    // saved then, see saveOnTerminate) and returns its status. What is left
    // to end after it (windows, media engines and their threads) has
    // QuitWatchdog::teardownMs from then on, when the watchdog is installed.
    int exec();

    // The application is quitting: keeps the main window's place and size for
    // the next run, and saves the session at once unless the launch restore
    // has not finished yet.
    void saveOnTerminate();

    // Applies the appearance setting: Fusion with a fixed palette for Light
    // and Dark, the desktop's own style and palette for System.
    void applyAppearance();

    QWidget *settingsWindow() const { return m_settingsWindow; }

public Q_SLOTS:
    void showSettingsWindow();
    void showAbout();

Q_SIGNALS:
    // The launch restore finished; `restored` tells whether a saved session
    // was applied (otherwise the defaults were).
    void launchFinished(bool restored);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void runLaunchTask();
    void finishLaunch(bool restored);
    void applyStartupDefaults();
    void importPendingPaths();

    // The engines outlive the store.
    std::unique_ptr<MediaEngines> m_engines;
    std::unique_ptr<ClipStore> m_store;
    std::unique_ptr<AppSettings> m_settings;
    TourManager &m_tourManager;
    std::unique_ptr<AppUpdater> m_updater;
    std::unique_ptr<CheckForUpdatesView> m_checkForUpdates;
    StoreIntake *m_intake = nullptr;
    QPointer<MainWindow> m_window;
    QPointer<QWidget> m_settingsWindow;

    QStringList m_pendingPaths;
    QStringList m_pendingNotOpened;
    QString m_desktopStyle;
    QPalette m_desktopPalette;
    bool m_started = false;
    bool m_launchStarted = false;
    bool m_launchFinished = false;
    bool m_launchRestored = false;
};
