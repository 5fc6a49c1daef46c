#include "app/ui/LogFile.h"
#include "app/ui/TriagonApp.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("brinkwolder"));
    QApplication::setApplicationName(QStringLiteral("Triagon"));
    QApplication::setApplicationVersion(QStringLiteral(TRIAGON_VERSION));
    LogFile::install();

    TriagonApp app;
    app.start();
    const int status = QApplication::exec();
    LogFile::uninstall();
    return status;
}
