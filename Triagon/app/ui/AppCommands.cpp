#include "app/ui/AppCommands.h"

#include "library/ClipStore.h"
#include "settings/TourManager.h"
#include "window/AppNotifier.h"
#include "window/WindowSheets.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

QUrl AppCommands::supportUrl()
{
    return QUrl(QStringLiteral("mailto:support@brinkwolder.com?subject=Triagon"));
}

QUrl AppCommands::websiteUrl()
{
    return QUrl(QStringLiteral("https://brinkwolder.com/triagon"));
}

AppCommands::AppCommands(ClipStore &store, TourManager &tours, QObject *parent) : QObject(parent), m_store(store), m_tours(tours)
{
    m_about = new QAction(QStringLiteral("About Triagon"), this);
    m_about->setMenuRole(QAction::AboutRole);
    connect(m_about, &QAction::triggered, this, &AppCommands::aboutRequested);

    m_settings = new QAction(QStringLiteral("Settings\u2026"), this);
    m_settings->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    m_settings->setMenuRole(QAction::PreferencesRole);
    connect(m_settings, &QAction::triggered, this, &AppCommands::settingsRequested);

    m_quit = new QAction(QStringLiteral("Quit Triagon"), this);
    m_quit->setShortcut(QKeySequence::Quit);
    m_quit->setMenuRole(QAction::QuitRole);
    // Closing every window quits, and quitting saves the session.
    connect(m_quit, &QAction::triggered, qApp, &QApplication::closeAllWindows, Qt::QueuedConnection);

    m_undo = new QAction(QStringLiteral("Undo"), this);
    m_undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    connect(m_undo, &QAction::triggered, this, [this] { m_store.undo(); });
    m_redo = new QAction(QStringLiteral("Redo"), this);
    m_redo->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    connect(m_redo, &QAction::triggered, this, [this] { m_store.redo(); });

    m_takeTour = new QAction(QStringLiteral("Take a Tour"), this);
    m_takeTour->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Question));
    // Shown again even when it was finished before.
    connect(m_takeTour, &QAction::triggered, this, [this] { m_tours.setActiveTour(TourManager::onboardingTour()); });

    m_keyboardShortcuts = new QAction(QStringLiteral("Keyboard Shortcuts"), this);
    connect(m_keyboardShortcuts, &QAction::triggered, this, [] { AppNotifier::instance().post(WindowSheets::keyboardShortcutsCommand()); });

    m_contactSupport = new QAction(QStringLiteral("Contact Support..."), this);
    connect(m_contactSupport, &QAction::triggered, this, [] {
        const QUrl url = supportUrl();
        if (url.isValid())
            QDesktopServices::openUrl(url);
    });
    m_website = new QAction(QStringLiteral("Triagon Website"), this);
    connect(m_website, &QAction::triggered, this, [] {
        const QUrl url = websiteUrl();
        if (url.isValid())
            QDesktopServices::openUrl(url);
    });

    connect(&m_store, &ClipStore::undoStateChanged, this, &AppCommands::updateUndoRedo);
    updateUndoRedo();
}

void AppCommands::install(QMenuBar &bar, QAction *updatesAction)
{
    QMenu *app = bar.addMenu(QStringLiteral("&Triagon"));
    app->addAction(m_about);
    if (updatesAction)
        app->addAction(updatesAction);
    app->addSeparator();
    app->addAction(m_settings);
    app->addSeparator();
    app->addAction(m_quit);

    m_editMenu = bar.addMenu(QStringLiteral("&Edit"));
    m_editMenu->addAction(m_undo);
    m_editMenu->addAction(m_redo);

    m_helpMenu = bar.addMenu(QStringLiteral("&Help"));
    m_helpMenu->addAction(m_takeTour);
    m_helpMenu->addAction(m_keyboardShortcuts);
    m_helpMenu->addSeparator();
    m_helpMenu->addAction(m_contactSupport);
    m_helpMenu->addAction(m_website);
}

void AppCommands::updateUndoRedo()
{
    m_undo->setEnabled(m_store.canUndo());
    m_redo->setEnabled(m_store.canRedo());
}
