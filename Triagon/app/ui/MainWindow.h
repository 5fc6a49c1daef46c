#pragma once

#include "app/WindowFrame.h"

#include <QMainWindow>

#include <optional>

class AppCommands;
class AppSettings;
class ClipStore;
class ContentView;
class QAction;
class TourManager;

// The application's one main window: the menu commands and the root view.
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    MainWindow(ClipStore &store, AppSettings &settings, TourManager &tours, QAction *updatesAction, QWidget *parent = nullptr);

    static constexpr int defaultWidth = 1200;
    static constexpr int defaultHeight = 800;

    // Shows the window in front of the others, out of the task bar if minimized
    // (a second launch of the application does this).
    void bringToFront();

    // Where the window stands now, to be kept for the next run.
    WindowFrame frame() const;
    // Puts the window where it stood in an earlier run; at the default size
    // when nothing is stored or the stored area fits on no screen now (a
    // screen unplugged, a smaller one).
    void restoreFrame(const std::optional<WindowFrame> &stored);

    ContentView *contentView() const { return m_content; }
    AppCommands *commands() const { return m_commands; }

private:
    ContentView *m_content = nullptr;
    AppCommands *m_commands = nullptr;
};
