#pragma once

#include "library/UnreadableSession.h"
#include "markers/MarkerDetector.h"
#include "window/KeyboardShortcutsView.h"

#include <QColor>
#include <QList>
#include <QMessageBox>
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
class WindowSheets;

class StoreIntake;
class TourManager;

// The root view of the main window. It lays out the toolbar row (while the
// session holds clips or an import runs), the sidebar (while it is switched
// on and the session holds clips) and the grid area; it takes dropped folders
// and video files anywhere on the window into the store's import, holds the
// window's transient state (which sheet is open, the sidebar switch, the
// audio switch), answers the show-shortcuts notification, checks offline
// files again when the application becomes active, starts the first tour
// when clips first appear, and reports a failed session save.
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

    // Sheet flags: each presents its sheet while true; the sheet's close
    // callback sets it back.
    bool showMissingMedia() const { return m_showMissingMedia; }
    void setShowMissingMedia(bool show);
    bool showSessionTags() const { return m_showSessionTags; }
    void setShowSessionTags(bool show);
    bool showCommit() const { return m_showCommit; }
    void setShowCommit(bool show);
    bool showAudioTriage() const { return m_showAudioTriage; }
    void setShowAudioTriage(bool show);
    bool showMarkerDetect() const { return m_showMarkerDetect; }
    void setShowMarkerDetect(bool show);
    bool showKeyboardShortcuts() const { return m_showKeyboardShortcuts; }
    void setShowKeyboardShortcuts(bool show);
    const std::optional<MarkerDetector::NumberingReset> &numberingResetToReview() const { return m_numberingResetToReview; }
    // The grid's and the tools panel's review action.
    void reviewNumberingReset(const MarkerDetector::NumberingReset &reset);
    void closeNumberingResetReview();
    bool showResetConfirm() const { return m_showResetConfirm; }
    void setShowResetConfirm(bool show);
    bool showResetReviewConfirm() const { return m_showResetReviewConfirm; }
    void setShowResetReviewConfirm(bool show);

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
    QMessageBox *saveFailureAlert() const { return m_saveAlert; }
    static QString saveFailureTitle() { return QStringLiteral("Session Could Not Be Saved"); }
    static QString saveFailureMessage(const QString &error);
    // The alert "Session Could Not Be Restored" while it is shown, else null:
    // the session file found at launch could not be read.
    QMessageBox *restoreFailureAlert() const { return m_restoreAlert; }
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
    void showSaveFailureIfNeeded();
    void showRestoreFailureIfNeeded();
    // Shows `alert` with the message, updates its text, or closes it when
    // there is no message; dismissing it by its button calls `dismissed`.
    void showStoreAlert(QPointer<QMessageBox> &alert, const QString &name, const QString &title, const std::optional<QString> &message,
                        const std::function<void()> &dismissed);
    // Presents and closes the sheets after a flag changed.
    void updateSheets();
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
    QPointer<QMessageBox> m_saveAlert;
    QPointer<QMessageBox> m_restoreAlert;
    QPointer<QWidget> m_watchedWindow;

    bool m_isDragTargeted = false;
    bool m_audioEnabled = false;
    bool m_showMissingMedia = false;
    bool m_showSessionTags = false;
    bool m_showCommit = false;
    bool m_showAudioTriage = false;
    bool m_showMarkerDetect = false;
    std::optional<MarkerDetector::NumberingReset> m_numberingResetToReview;
    bool m_sidebarVisible = true;
    bool m_showResetConfirm = false;
    bool m_showResetReviewConfirm = false;
    bool m_showKeyboardShortcuts = false;
    bool m_didCheckTour = false;
    qsizetype m_lastClipCount = 0;
};
