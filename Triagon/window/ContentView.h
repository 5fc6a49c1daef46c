#pragma once

#include "library/UnreadableSession.h"
#include "markers/MarkerDetector.h"
#include "window/KeyboardShortcutsView.h"
#include "window/WindowSheets.h"

#include <QColor>
#include <QList>
#include <QPair>
#include <QPointer>
#include <QString>
#include <QUrl>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class AppSettings;
class ClipStore;
class GridAreaView;
class ImportPanel;
class MainToolbar;
class OpenPanel;
class QFrame;
class SidebarView;

class StoreIntake;
class TourManager;

// The root view of the main window. It lays out the toolbar row (while the
// session holds clips or an import runs), the sidebar (while it is switched
// on and the session holds clips) and the grid area; it takes dropped folders
// and video files anywhere on the window into the store's import, holds the
// window's transient state (which sheet is open, the sidebar switch, the
// audio switch; the sheets' flags are kept by WindowSheets, which also
// answers the show-shortcuts notification and reports a session that could
// not be saved or restored), checks offline files again when the application
// becomes active and starts the first tour when clips first appear.
class ContentView : public QWidget
{
    Q_OBJECT
public:
    // One section of the keyboard-shortcuts list: a title and (keys, action) rows.
    using ShortcutSection = KeyboardShortcutsView::Section;

    ContentView(ClipStore &store, AppSettings &settings, TourManager &tourManager, QWidget *parent = nullptr);
    ~ContentView() override;

    // Fixed look of the window.
    static constexpr int sidebarWidth = 256;
    static constexpr int sidebarContentPadding = 16;
    static QColor surfaceBg() { return QColor(9, 9, 11); }
    // The keyboard shortcuts the shortcuts sheet lists: "Grid", "Player", "App".
    static const QList<ShortcutSection> &keyboardShortcutSections();

    ClipStore &store() const { return m_store; }
    AppSettings &settings() const { return m_settings; }
    TourManager &tourManager() const { return m_tourManager; }
    StoreIntake &intake() const { return *m_intake; }

    // The open panel used by "Choose Footage" (and "Add Clips"); the window's
    // own dialog unless replaced.
    void setImportPanel(ImportPanel *panel);
    // Opens the panel and imports the choice.
    void chooseFootage();
    // Imports items as a drop of them on the window does: each folder as a
    // folder, each file with a video extension as a file, others skipped.
    // The application hands over the paths it was started with this way.
    void importDroppedURLs(const QList<QUrl> &urls);

    // Regions: the toolbar row, the sidebar column and its content, the grid area.
    QWidget *toolbarRow() const;
    MainToolbar *toolbar() const { return m_toolbar; }
    QWidget *sidebar() const { return m_sidebar; }
    SidebarView *sidebarView() const { return m_sidebarView; }
    GridAreaView *gridArea() const { return m_gridArea; }
    // The window's own sheets and confirmations.
    WindowSheets *sheets() const { return m_sheets; }

    // Window state.
    bool isDragTargeted() const { return m_isDragTargeted; }
    bool audioEnabled() const { return m_audioEnabled; }
    void setAudioEnabled(bool enabled);
    bool sidebarVisible() const { return m_sidebarVisible; }
    void setSidebarVisible(bool visible);
    bool didCheckTour() const { return m_didCheckTour; }

    // Sheet flags, kept by the sheets' registrations (WindowSheets): each
    // presents its sheet while true; the sheet's close callback sets it back.
    bool showMissingMedia() const { return m_sheets->missingMediaSheet().isShown(); }
    void setShowMissingMedia(bool show) { m_sheets->missingMediaSheet().setShown(show); }
    bool showSessionTags() const { return m_sheets->sessionTagsSheet().isShown(); }
    void setShowSessionTags(bool show) { m_sheets->sessionTagsSheet().setShown(show); }
    bool showCommit() const { return m_sheets->organizeSheet().isShown(); }
    void setShowCommit(bool show) { m_sheets->organizeSheet().setShown(show); }
    bool showAudioTriage() const { return m_sheets->audioTriageSheet().isShown(); }
    void setShowAudioTriage(bool show) { m_sheets->audioTriageSheet().setShown(show); }
    bool showMarkerDetect() const { return m_sheets->markerDetectSheet().isShown(); }
    void setShowMarkerDetect(bool show) { m_sheets->markerDetectSheet().setShown(show); }
    bool showKeyboardShortcuts() const { return m_sheets->keyboardShortcutsSheet().isShown(); }
    void setShowKeyboardShortcuts(bool show) { m_sheets->keyboardShortcutsSheet().setShown(show); }
    const std::optional<MarkerDetector::NumberingReset> &numberingResetToReview() const { return m_sheets->numberingResetToReview(); }
    // The grid's and the tools panel's review action.
    void reviewNumberingReset(const MarkerDetector::NumberingReset &reset) { m_sheets->reviewNumberingReset(reset); }
    void closeNumberingResetReview() { m_sheets->closeNumberingResetReview(); }
    bool showResetConfirm() const { return m_sheets->newSessionSheet().isShown(); }
    void setShowResetConfirm(bool show) { m_sheets->newSessionSheet().setShown(show); }
    bool showResetReviewConfirm() const { return m_sheets->resetReviewSheet().isShown(); }
    void setShowResetReviewConfirm(bool show) { m_sheets->resetReviewSheet().setShown(show); }

    // Gives the keyboard back to where the user works (the full player while
    // a clip is open, else the clips' grid) after a sheet, an alert, the tour
    // or another window lay over this one. Nothing while no clips are shown.
    void returnKeyboardFocus();

    // "Discard & Start Fresh": an empty session with the default tags.
    void discardAndStartFresh();

    // What the tools panel's "Remove N Marker Clips" does: takes every clip
    // flagged as a hand marker out of the session, as one undoable step.
    void setRemoveMarkerClipsAction(std::function<void()> action);
    void removeMarkerClips();

    // The alert "Session Could Not Be Saved" while it is shown, else null.
    SheetPresenter::AlertBox *saveFailureAlert() const { return SheetPresenter::alertBox(m_sheets->saveFailureSheet().dialog()); }
    static QString saveFailureTitle() { return QStringLiteral("Session Could Not Be Saved"); }
    static QString saveFailureMessage(const QString &error);
    // The alert "Session Could Not Be Restored" while it is shown, else null:
    // the session file found at launch could not be read.
    SheetPresenter::AlertBox *restoreFailureAlert() const { return SheetPresenter::alertBox(m_sheets->restoreFailureSheet().dialog()); }
    static QString restoreFailureTitle() { return QStringLiteral("Session Could Not Be Restored"); }
    static QString restoreFailureMessage(const UnreadableSession &error);

Q_SIGNALS:
    // A sheet flag, the sidebar switch or the audio switch changed; the
    // sheets and panels that exist follow it.
    void windowStateChanged();

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // One dropped item: resolved off the window's event, handed on after one
    // trip through the event loop.
    void handleDroppedURL(const QUrl &url);
    void importURL(bool isDirectory, const QUrl &url);
    void setDragTargeted(bool targeted);

    void updateLayout();
    void updateTint();
    void onClipsChanged();
    void onApplicationStateChanged(Qt::ApplicationState state);
    // Whether the window's surface is the fixed dark one (dark palettes) or
    // the palette's own window colour (light palettes, where dark text must
    // stay readable).
    void updateSurface();
    // A change of the application's palette (the appearance setting) reaches
    // only top-level windows, and a widget with a palette of its own never
    // hears of it: the window is watched for it.
    void watchTopLevelWindow();

    ClipStore &m_store;
    AppSettings &m_settings;
    TourManager &m_tourManager;
    StoreIntake *m_intake = nullptr;
    std::unique_ptr<OpenPanel> m_ownPanel;
    ImportPanel *m_panel = nullptr;

    MainToolbar *m_toolbar = nullptr;
    QFrame *m_toolbarDivider = nullptr;
    QWidget *m_sidebar = nullptr;
    SidebarView *m_sidebarView = nullptr;
    WindowSheets *m_sheets = nullptr;
    std::function<void()> m_removeMarkerClips;
    QFrame *m_sidebarDivider = nullptr;
    GridAreaView *m_gridArea = nullptr;
    QPointer<QWidget> m_watchedWindow;

    bool m_isDragTargeted = false;
    bool m_audioEnabled = false;
    bool m_sidebarVisible = true;
    bool m_didCheckTour = false;
    qsizetype m_lastClipCount = 0;
};
