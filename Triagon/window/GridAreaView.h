#pragma once

#include "markers/MarkerDetector.h"
#include "window/EmptyStateView.h"

#include <QWidget>

#include <functional>

class AppSettings;
class ClipGridView;
class ClipStore;
class OfflineStatusBar;
class QFrame;
class QProgressBar;
class QVBoxLayout;
class SelectionBar;

// The main column of the window, top to bottom: the offline status bar (while
// clips are offline) with its divider, the selection bar (while clips are
// selected), the clips (or the empty state while the session holds no clips
// and nothing is loading) and the progress bar of a running import. It keeps
// no state of its own: everything it shows is read from the store.
class GridAreaView : public QWidget
{
    Q_OBJECT
public:
    GridAreaView(ClipStore &store, AppSettings &settings, EmptyStateView::ColorSource accent, const QColor &surface,
                 QWidget *parent = nullptr);

    // Handed to the clip grid: whether scrubbing plays audio, and the action
    // that reviews a camera numbering reset.
    void setAudioEnabled(bool enabled);
    using NumberingResetHandler = std::function<void(const MarkerDetector::NumberingReset &)>;
    void setNumberingResetHandler(NumberingResetHandler handler);

    OfflineStatusBar *statusBar() const { return m_statusBar; }
    QFrame *statusDivider() const { return m_statusDivider; }
    SelectionBar *selectionBar() const { return m_selectionBar; }
    EmptyStateView *emptyState() const { return m_emptyState; }
    // The clips' view while shown, else null.
    ClipGridView *grid() const { return m_grid; }
    QProgressBar *progressBar() const { return m_progress; }

    // Reads the store again and shows what it holds.
    void refresh();

Q_SIGNALS:
    // "Locate Files…" of the status bar.
    void locateFiles();
    // "Choose Footage" of the empty state.
    void chooseFootage();

private:
    // The view of the clips; a new one each time the clips appear.
    ClipGridView *makeGrid();

    ClipStore &m_store;
    AppSettings &m_settings;
    bool m_audioEnabled = false;
    NumberingResetHandler m_resetHandler;
    OfflineStatusBar *m_statusBar = nullptr;
    QFrame *m_statusDivider = nullptr;
    SelectionBar *m_selectionBar = nullptr;
    QVBoxLayout *m_contentLayout = nullptr;
    EmptyStateView *m_emptyState = nullptr;
    ClipGridView *m_grid = nullptr;
    QWidget *m_progressRow = nullptr;
    QProgressBar *m_progress = nullptr;
};
