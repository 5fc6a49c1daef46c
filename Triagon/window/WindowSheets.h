#pragma once

#include "app/widgets/SheetPresenter.h"
#include "markers/MarkerDetector.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class ContentView;
class KeyboardShortcutsView;
class MissingMediaView;
class SessionTagsView;

// Every sheet and alert of the main window, each declared once in the
// constructor (a Registration: what makes it, the menu command that shows it,
// what closing it does) and presented while its flag is set: the keyboard
// shortcuts, the offline files, the session tags, the confirmations "Reset
// this review?" and "Start a new session?", the alerts of a session that
// could not be saved or restored, the items a launch named that were not
// opened, and the sheets of the other subsystems:
// "Organize Clips", hand-marker detection, the review of a numbering reset
// (replaced when another reset is to be reviewed) and audio triage. However
// one goes, its flag is cleared and the keys go back to the clips.
class WindowSheets : public QObject
{
    Q_OBJECT
public:
    // What the sheet calls to ask to be closed.
    using Close = std::function<void()>;

    // How a sheet is declared.
    struct Registration
    {
        // Builds the sheet over the window.
        std::function<QDialog *(const Close &close)> make{};
        // The notification that shows it (a menu command posts it), or none.
        QString command{};
        // What the user's closing of it does besides clearing its flag.
        std::function<void()> dismissed{};
        // Whether the sheet shown still shows what is wanted; one that does
        // not is replaced.
        SheetPresenter::Current current{};
    };

    // One sheet or alert of the window, presented while it is shown.
    class Sheet
    {
    public:
        Sheet(WindowSheets &sheets, Registration registration);

        bool isShown() const { return m_shown; }
        void setShown(bool shown);
        // The sheet presented now, or null.
        QDialog *dialog() const { return m_presenter.dialog(); }

    private:
        // Closed by the user (its close action, a button, Escape).
        void dismiss();

        WindowSheets &m_sheets;
        std::function<void()> m_dismissed;
        bool m_shown = false;
        SheetPresenter m_presenter;
    };

    explicit WindowSheets(ContentView &window);

    Sheet &organizeSheet() { return m_organize; }
    Sheet &markerDetectSheet() { return m_markerDetect; }
    Sheet &audioTriageSheet() { return m_audioTriage; }
    Sheet &keyboardShortcutsSheet() { return m_shortcuts; }
    Sheet &missingMediaSheet() { return m_missingMedia; }
    Sheet &sessionTagsSheet() { return m_sessionTags; }
    Sheet &resetReviewSheet() { return m_resetReview; }
    Sheet &newSessionSheet() { return m_newSession; }
    Sheet &saveFailureSheet() { return m_saveFailure; }
    Sheet &restoreFailureSheet() { return m_restoreFailure; }
    Sheet &notOpenedSheet() { return m_notOpenedAlert; }

    // Names, in one alert, the items a launch gave that were not opened
    // (absolute paths); a later report while it is up is added to it.
    void reportNotOpened(const QStringList &paths);
    SheetPresenter::AlertBox *notOpenedAlert() const;

    // The numbering reset under review; its sheet is shown while there is one.
    const std::optional<MarkerDetector::NumberingReset> &numberingResetToReview() const { return m_numberingReset; }
    void reviewNumberingReset(const MarkerDetector::NumberingReset &reset);
    void closeNumberingResetReview();

    // The notification of the Help menu's "Keyboard Shortcuts".
    static QString keyboardShortcutsCommand() { return QStringLiteral("showKeyboardShortcuts"); }

    KeyboardShortcutsView *keyboardShortcuts() const;
    MissingMediaView *missingMedia() const;
    SessionTagsView *sessionTags() const;
    SheetPresenter::AlertBox *resetReviewConfirmation() const;
    SheetPresenter::AlertBox *newSessionConfirmation() const;

    static QString resetReviewTitle() { return QStringLiteral("Reset this review?"); }
    static QString resetReviewMessage(qsizetype clipCount);
    static QString newSessionTitle() { return QStringLiteral("Start a new session?"); }
    static QString newSessionMessage();

Q_SIGNALS:
    // A sheet was shown or went.
    void changed();

private:
    static SheetPresenter::Alert confirmation(const QString &title, const QString &message);
    SheetPresenter::Alert resetReviewAlert() const;
    SheetPresenter::Alert newSessionAlert() const;
    // The alerts of the store's save and restore errors, while there is one.
    std::optional<SheetPresenter::Alert> saveFailureAlert() const;
    std::optional<SheetPresenter::Alert> restoreFailureAlert() const;
    SheetPresenter::Alert notOpenedContent() const;
    static SheetPresenter::Alert storeAlert(const QString &name, const QString &title, const QString &message);
    // Shows, updates or takes away an alert of the store.
    static void followStore(Sheet &sheet, const std::optional<SheetPresenter::Alert> &alert);

    ContentView &m_window;
    std::optional<MarkerDetector::NumberingReset> m_numberingReset;
    QStringList m_notOpened;
    Sheet m_organize;
    Sheet m_markerDetect;
    Sheet m_numberingReview;
    Sheet m_audioTriage;
    Sheet m_shortcuts;
    Sheet m_missingMedia;
    Sheet m_sessionTags;
    Sheet m_resetReview;
    Sheet m_newSession;
    Sheet m_saveFailure;
    Sheet m_restoreFailure;
    Sheet m_notOpenedAlert;
};
