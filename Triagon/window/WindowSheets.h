#pragma once

#include "app/widgets/SheetPresenter.h"

#include <QObject>

#include <functional>

class ContentView;
class KeyboardShortcutsView;
class MissingMediaView;
class QMessageBox;
class SessionTagsView;

// Every sheet and confirmation of the main window, each presented while its
// flag in the window is set and setting it back when closed: the keyboard
// shortcuts, the offline files, the session tags, the confirmations "Reset
// this review?" and "Start a new session?", and the sheets of the other
// subsystems: "Organize Clips", hand-marker detection, the review of a
// numbering reset (replaced when another reset is to be reviewed) and audio
// triage.
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
    // What each sheet calls to ask to be closed: it clears the window's flag.
    std::function<void()> closeOrganize();
    std::function<void()> closeMarkerDetect();
    std::function<void()> closeNumberingReview();
    std::function<void()> closeAudioTriage();
    QMessageBox *makeConfirmation(const QString &title, const QString &message);

    ContentView &m_window;
    SheetPresenter m_shortcuts;
    SheetPresenter m_missingMedia;
    SheetPresenter m_sessionTags;
    SheetPresenter m_resetReview;
    SheetPresenter m_newSession;
    SheetPresenter m_organize;
    SheetPresenter m_markerDetect;
    SheetPresenter m_numberingReview;
    SheetPresenter m_audioTriage;
};
