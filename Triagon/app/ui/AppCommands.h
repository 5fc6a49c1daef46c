#pragma once

#include <QObject>
#include <QUrl>

class ClipStore;
class QAction;
class QMenu;
class QMenuBar;
class TourManager;

// The application's own menu commands, built into a window's menu bar:
// "Triagon" (About, Check for Updates…, Settings…, Quit), "Edit" with Undo and
// Redo bound to the store's history, and "Help" (Take a Tour, Keyboard
// Shortcuts, Contact Support..., Triagon Website).
class AppCommands : public QObject
{
    Q_OBJECT
public:
    AppCommands(ClipStore &store, TourManager &tours, QObject *parent = nullptr);

    // Fills `bar` with the menus. `updatesAction` is the update module's
    // "Check for Updates…" item (may be null); it is placed after "About".
    void install(QMenuBar &bar, QAction *updatesAction);

    QAction *undoAction() const { return m_undo; }
    QAction *redoAction() const { return m_redo; }
    QAction *takeTourAction() const { return m_takeTour; }
    QAction *keyboardShortcutsAction() const { return m_keyboardShortcuts; }
    QAction *contactSupportAction() const { return m_contactSupport; }
    QAction *websiteAction() const { return m_website; }
    QAction *settingsAction() const { return m_settings; }
    QAction *aboutAction() const { return m_about; }
    QAction *quitAction() const { return m_quit; }
    QMenu *helpMenu() const { return m_helpMenu; }
    QMenu *editMenu() const { return m_editMenu; }

    static QUrl supportUrl();
    static QUrl websiteUrl();

Q_SIGNALS:
    void settingsRequested();
    void aboutRequested();

private:
    void updateUndoRedo();

    ClipStore &m_store;
    TourManager &m_tours;
    QAction *m_undo = nullptr;
    QAction *m_redo = nullptr;
    QAction *m_takeTour = nullptr;
    QAction *m_keyboardShortcuts = nullptr;
    QAction *m_contactSupport = nullptr;
    QAction *m_website = nullptr;
    QAction *m_settings = nullptr;
    QAction *m_about = nullptr;
    QAction *m_quit = nullptr;
    QMenu *m_helpMenu = nullptr;
    QMenu *m_editMenu = nullptr;
};
