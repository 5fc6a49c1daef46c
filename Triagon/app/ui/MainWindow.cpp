#include "app/ui/MainWindow.h"

#include "app/ui/AppCommands.h"
#include "window/ContentView.h"

#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>

MainWindow::MainWindow(ClipStore &store, AppSettings &settings, TourManager &tours, QAction *updatesAction, QWidget *parent)
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

WindowFrame MainWindow::frame() const
{
    // The position of the outer frame, as the window manager places it (the
    // content's own position would move the window down by the title bar at
    // every run), and the size of the content. A maximized or minimized
    // window is kept by the area it returns to.
    const QPoint decoration = geometry().topLeft() - frameGeometry().topLeft();
    const bool normal = !(windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen));
    const QRect content = normal || normalGeometry().isEmpty() ? geometry() : normalGeometry();
    return WindowFrame{QRect(content.topLeft() - decoration, content.size()), isMaximized()};
}

void MainWindow::restoreFrame(const std::optional<WindowFrame> &stored)
{
    QList<QRect> screens;
    for (const QScreen *screen : QGuiApplication::screens())
        screens.append(screen->availableGeometry());
    if (!stored || !stored->fitsOneOf(screens)) {
        resize(defaultWidth, defaultHeight);
        return;
    }
    resize(stored->geometry.size());
    move(stored->geometry.topLeft());
    if (stored->maximized)
        setWindowState(windowState() | Qt::WindowMaximized);
}
