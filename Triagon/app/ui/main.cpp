#include "app/Loggers.h"
#include "app/ui/LogFile.h"
#include "app/ui/MainWindow.h"
#include "app/ui/QuitWatchdog.h"
#include "app/ui/SingleInstance.h"
#include "app/ui/TriagonApp.h"

#include <QApplication>
#include <QMessageBox>

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("brinkwolder"));
    QApplication::setApplicationName(QStringLiteral("Triagon"));
    QApplication::setApplicationVersion(QStringLiteral(TRIAGON_VERSION));
    LogFile::install();

    // A second process on the same session would save over this one's edits:
    // a later launch brings the running window to the front and ends.
    SingleInstance instance(SingleInstance::sessionFolder());
    switch (instance.claim()) {
    case SingleInstance::Claim::primary:
        break;
    case SingleInstance::Claim::handedOver:
        qCInfo(sessionLogger, "Triagon is already running with this session; its window was brought to the front");
        LogFile::uninstall();
        return 0;
    case SingleInstance::Claim::noAnswer:
        qCCritical(sessionLogger, "Triagon is already running with this session but did not answer");
        QMessageBox::warning(nullptr, QStringLiteral("Triagon Is Already Running"),
                             QStringLiteral("Triagon is already open with this session but does not respond. "
                                            "Wait until it responds or quit it, then open Triagon again."));
        LogFile::uninstall();
        return 1;
    }

    // Quitting saves the session first; whatever is still running after
    // that (a thread stuck opening a file) holds the end of the process up
    // for a bounded time only.
    QuitWatchdog::install();
    int status = 0;
    {
        TriagonApp app;
        QObject::connect(&instance, &SingleInstance::activationRequested, &app, [&app] {
            if (MainWindow *window = app.mainWindow())
                window->bringToFront();
        });
        app.start();
        status = app.exec();
    }
    LogFile::uninstall();
    return status;
}
