#pragma once

#include <QMainWindow>

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
    MainWindow(ClipStore &store, AppSettings &settings, TourManager &tours, QAction *updatesAction,
               QWidget *parent = nullptr);

    static constexpr int defaultWidth = 1200;
    static constexpr int defaultHeight = 800;

    // Shows the window in front of the others, out of the task bar if minimized
    // (a second launch of the application does this).
    void bringToFront();

    ContentView *contentView() const { return m_content; }
    AppCommands *commands() const { return m_commands; }

private:
    ContentView *m_content = nullptr;
    AppCommands *m_commands = nullptr;
};
