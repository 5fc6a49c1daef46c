#pragma once

#include "window/SheetPresenter.h"

#include <QObject>

class ContentView;
class KeyboardShortcutsView;
class MissingMediaView;
class QMessageBox;
class SessionTagsView;

// The main window's own sheets and confirmations, each presented while its
// flag in the window is set and setting it back when closed: the keyboard
// shortcuts, the offline files, the session tags, and the confirmations
// "Reset this review?" and "Start a new session?".
class WindowSheets : public QObject
{
    Q_OBJECT
public:
    explicit WindowSheets(ContentView &window);

    // Opens and closes the dialogs after a flag of the window changed.
    void sync();

    KeyboardShortcutsView *keyboardShortcuts() const;
    MissingMediaView *missingMedia() const;
    SessionTagsView *sessionTags() const;
    QMessageBox *resetReviewConfirmation() const;
    QMessageBox *newSessionConfirmation() const;

    static QString resetReviewTitle() { return QStringLiteral("Reset this review?"); }
    static QString resetReviewMessage(qsizetype clipCount);
    static QString newSessionTitle() { return QStringLiteral("Start a new session?"); }
    static QString newSessionMessage();

private:
    QMessageBox *makeConfirmation(const QString &title, const QString &message);

    ContentView &m_window;
    SheetPresenter m_shortcuts;
    SheetPresenter m_missingMedia;
    SheetPresenter m_sessionTags;
    SheetPresenter m_resetReview;
    SheetPresenter m_newSession;
};
