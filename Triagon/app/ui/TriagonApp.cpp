#include "app/ui/TriagonApp.h"

#include "AppUpdates/AppUpdater.h"
#include "AppUpdates/CheckForUpdatesView.h"
#include "app/AppSettings.h"
#include "app/AppearanceMode.h"
#include "app/Loggers.h"
#include "app/TriagonLogo.h"
#include "app/widgets/SheetPresenter.h"
#include "app/ui/AppCommands.h"
#include "app/ui/MainWindow.h"
#include "app/ui/QuitWatchdog.h"
#include "app/ui/UnixSignalQuit.h"
#include "app/ui/ApplicationAccessible.h"
#include "app/ui/VisibleChildrenAccessible.h"
#include "library/ClipStore.h"
#include "media/MediaEngines.h"
#include "settings/TourManager.h"
#include "settings/ui/SettingsView.h"
#include "window/ContentView.h"
#include "window/StoreIntake.h"
#include "window/WindowSheets.h"

#include <QAction>
#include <QApplication>
#include <QStyle>
#include <QStyleFactory>
#include <QTimer>
#include <QUrl>
#include <algorithm>

TriagonApp::TriagonApp(QObject *parent)
    : QObject(parent), m_engines(std::make_unique<MediaEngines>()), m_store(std::make_unique<ClipStore>()),
      m_settings(std::make_unique<AppSettings>()), m_tourManager(TourManager::shared()), m_updater(std::make_unique<AppUpdater>(true))
{
    m_store->setMediaEngines(m_engines.get());
    // Hidden widgets (a status bar with nothing to report) are not read out.
    VisibleChildrenAccessible::install();
    // Open menus are in the tree.
    ApplicationAccessible::install();
    m_checkForUpdates = std::make_unique<CheckForUpdatesView>(m_updater.get());
    m_intake = new StoreIntake(*m_store, this);
    new UnixSignalQuit(this);

    // Remembered before any appearance is applied, so that "System" can
    // return to exactly what the desktop gave.
    m_desktopStyle = QApplication::style() ? QApplication::style()->name() : QString();
    m_desktopPalette = QApplication::palette();

    connect(qApp, &QCoreApplication::aboutToQuit, this, &TriagonApp::saveOnTerminate);
    connect(m_settings.get(), &AppSettings::appearanceModeRawChanged, this, &TriagonApp::applyAppearance);
}

TriagonApp::~TriagonApp()
{
    // The window observes the store: it goes first.
    delete m_window.data();
    delete m_settingsWindow.data();
    // A tour is shown on this application's window: it ends with it, so the
    // process-wide tour manager never hands a half-taken tour to a later one.
    TourManager::shared().setActiveTour(std::nullopt);
}

void TriagonApp::start()
{
    if (m_started)
        return;
    m_started = true;
    QApplication::setWindowIcon(TriagonLogo::applicationIcon());
    QGuiApplication::setDesktopFileName(QStringLiteral("com.brinkwolder.Triagon"));
    applyAppearance();

    // One main window for the process: a second one would restore the session
    // file again over edits not yet saved.
    m_window = new MainWindow(*m_store, *m_settings, m_tourManager, m_checkForUpdates->action());
    m_window->setAttribute(Qt::WA_DeleteOnClose, false);
    m_window->setMinimumSize(800, 600);
    connect(m_window->commands(), &AppCommands::settingsRequested, this, &TriagonApp::showSettingsWindow);
    connect(m_window->commands(), &AppCommands::aboutRequested, this, &TriagonApp::showAbout);
    m_window->restoreFrame(m_settings->mainWindowFrame());
    m_window->show();

    // The launch task runs once the window is on screen.
    QTimer::singleShot(0, this, &TriagonApp::runLaunchTask);
}

void TriagonApp::runLaunchTask()
{
    if (m_launchStarted)
        return;
    m_launchStarted = true;
    AppSettings *settings = m_settings.get();
    QPointer<TriagonApp> self(this);
    m_intake->restoreSessionAtLaunch(
        [settings](qint64 hands) { return settings->markerTagName(static_cast<int>(std::clamp<qint64>(hands, 0, 1 << 30))); },
        [self](bool restored) {
            if (self)
                self->finishLaunch(restored);
        });
}

void TriagonApp::finishLaunch(bool restored)
{
    m_launchRestored = restored;
    // A restored session keeps its own tags, folder organization and grid size.
    if (!restored)
        applyStartupDefaults();
    m_launchFinished = true;
    Q_EMIT launchFinished(restored);
    importPendingPaths();
}

void TriagonApp::importPaths(const QStringList &paths, const QStringList &notOpened)
{
    m_pendingPaths += paths;
    m_pendingNotOpened += notOpened;
    if (m_launchFinished)
        importPendingPaths();
}

void TriagonApp::importPendingPaths()
{
    if (!m_window)
        return;
    if (!m_pendingPaths.isEmpty()) {
        QList<QUrl> urls;
        for (const QString &path : std::as_const(m_pendingPaths))
            urls.append(QUrl::fromLocalFile(path));
        m_pendingPaths.clear();
        m_window->contentView()->importDroppedURLs(urls);
    }
    if (!m_pendingNotOpened.isEmpty()) {
        qCInfo(sessionLogger).noquote() << QStringLiteral("Not opened: %1").arg(m_pendingNotOpened.join(QStringLiteral(", ")));
        m_window->contentView()->sheets()->reportNotOpened(m_pendingNotOpened);
        m_pendingNotOpened.clear();
    }
}

void TriagonApp::takeOverLaunch(const QStringList &paths, const QByteArray &activationToken, const QStringList &notOpened)
{
    if (m_window) {
        // Qt's Wayland platform asks the compositor for the focus with this
        // token when the window is activated next.
        if (!activationToken.isEmpty() && QGuiApplication::platformName().startsWith(QStringLiteral("wayland")))
            qputenv("XDG_ACTIVATION_TOKEN", activationToken);
        m_window->bringToFront();
    }
    importPaths(paths, notOpened);
}

void TriagonApp::applyStartupDefaults()
{
    m_store->setFolderOrganization(m_settings->defaultFolderOrganization());
    m_store->setGridColumns(std::clamp(m_settings->defaultGridColumns(), 1, 5));
    // Without custom tags the store keeps the catalog it starts with.
    if (m_settings->hasCustomTags())
        m_store->setAvailableTags(m_settings->decodedDefaultTags());
}

int TriagonApp::exec()
{
    const int status = QApplication::exec();
    QuitWatchdog::teardownStarted(status);
    return status;
}

void TriagonApp::saveOnTerminate()
{
    // The GUI thread answers: the quit goes on in order from here.
    QuitWatchdog::quitStarted();
    // The window comes back where the user left it.
    if (m_window)
        m_settings->setMainWindowFrame(m_window->frame());
    if (!m_launchFinished) {
        // The saved session has not been read yet: the store holds nothing of
        // it, and saving now would replace it with an empty one.
        qCInfo(sessionLogger) << "Quit before the saved session was restored; the session file is left as it is";
        return;
    }
    m_store->saveSessionImmediately();
}

void TriagonApp::applyAppearance()
{
    const AppearanceMode mode = m_settings->appearanceMode();
    const QString styleName = appearanceUsesFusionStyle(mode) ? QStringLiteral("Fusion") : m_desktopStyle;
    if (!styleName.isEmpty() && (!QApplication::style() || QApplication::style()->name().compare(styleName, Qt::CaseInsensitive) != 0)) {
        if (QStyle *style = QStyleFactory::create(styleName))
            QApplication::setStyle(style);
    }
    QApplication::setPalette(appearancePalette(mode, m_desktopPalette));
}

void TriagonApp::showSettingsWindow()
{
    if (!m_settingsWindow) {
        // The settings window is made anew each time it is opened (on its
        // first tab) and goes away when it is closed.
        auto *window = new SettingsView(*m_settings);
        window->setAttribute(Qt::WA_DeleteOnClose);
        // However it is closed, the keys go back to the clips.
        window->installEventFilter(this);
        m_settingsWindow = window;
    }
    m_settingsWindow->show();
    m_settingsWindow->raise();
    m_settingsWindow->activateWindow();
}

bool TriagonApp::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_settingsWindow && event->type() == QEvent::Hide && m_window)
        m_window->contentView()->returnKeyboardFocus();
    return QObject::eventFilter(watched, event);
}

void TriagonApp::showAbout()
{
    SheetPresenter::Alert about{
        .iconPixmap = QPixmap::fromImage(TriagonLogo::applicationIconImage(64)),
        .title = QStringLiteral("About Triagon"),
        .text = QStringLiteral("<b>Triagon</b> ") + QApplication::applicationVersion(),
        .informativeText = QStringLiteral("The first pass over a shoot's footage: rate, tag and organize clips before editing.")};
    QPointer<MainWindow> window = m_window;
    SheetPresenter::showAlert(about, m_window, [window] {
        if (window)
            window->contentView()->returnKeyboardFocus();
    });
}
