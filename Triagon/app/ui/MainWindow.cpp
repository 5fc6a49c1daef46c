#include "app/ui/MainWindow.h"

#include "app/ui/AppCommands.h"
#include "window/ContentView.h"

#include <QMenuBar>

MainWindow::MainWindow(ClipStore &store, AppSettings &settings, TourManager &tours, QAction *updatesAction,
                       QWidget *parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("mainWindow"));
    setWindowTitle(QStringLiteral("Triagon"));
    m_content = new ContentView(store, settings, tours, this);
    setCentralWidget(m_content);
    m_commands = new AppCommands(store, tours, this);
    m_commands->install(*menuBar(), updatesAction);
    // Shortcuts work while the menu bar is hidden or native, too.
    addActions({m_commands->undoAction(), m_commands->redoAction(), m_commands->takeTourAction()});
    resize(defaultWidth, defaultHeight);
}

void MainWindow::bringToFront()
{
    if (isMinimized())
        setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
}
