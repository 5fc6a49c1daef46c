#include "app/Loggers.h"
#include "app/ui/CommandLine.h"
#include "app/ui/DisplayGuard.h"
#include "app/ui/LogFile.h"
#include "app/ui/MainWindow.h"
#include "app/ui/QuitWatchdog.h"
#include "app/ui/SingleInstance.h"
#include "app/ui/StartupFeedback.h"
#include "app/ui/TriagonApp.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QMessageBox>

#include <cstdio>

namespace {

void setApplicationNames()
{
    QCoreApplication::setOrganizationName(QStringLiteral("brinkwolder"));
    QCoreApplication::setApplicationName(QStringLiteral("Triagon"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TRIAGON_VERSION));
}

void print(std::FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
    std::fflush(stream);
}

// Names the paths a launch could not hand over, and why.
void printNotHandedOver(const QStringList &paths, const char *why)
{
    for (const QString &path : paths)
        print(stderr, QStringLiteral("triagon: not handed over to the running Triagon (%1): %2\n").arg(QLatin1String(why), path));
}

} // namespace

int main(int argc, char **argv)
{
    // What the desktop gave this launch, read before Qt's platform takes it
    // out of the environment: handed over with the paths when Triagon runs
    // already.
    const QByteArray activationToken = qgetenv("XDG_ACTIVATION_TOKEN");
    const QByteArray startupId = qgetenv("DESKTOP_STARTUP_ID");

    // The command line is read without a window system, so that --help,
    // --version and a mistyped option answer in any terminal.
    CommandLine line;
    {
        QCoreApplication reader(argc, argv);
        setApplicationNames();
        line = CommandLine::parse(QCoreApplication::arguments(), QDir::currentPath());
    }
    switch (line.action) {
    case CommandLine::Action::help:
    case CommandLine::Action::version:
        print(stdout, line.text);
        return 0;
    case CommandLine::Action::error:
        print(stderr, line.text);
        return CommandLine::usageErrorStatus;
    case CommandLine::Action::run:
        break;
    }
    // Named here, on a first launch and a hand-over alike, and in the window.
    QStringList notOpened;
    for (const CommandLine::Skipped &skipped : line.takeUnopenedPaths()) {
        print(stderr, QStringLiteral("triagon: skipped %1: %2\n").arg(skipped.path, skipped.reason));
        notOpened.append(skipped.path);
    }

    // Qt takes its own options out of what it is given; after "--" they are paths.
    int qtArgc = CommandLine::qtArgumentCount(argc, argv);
    const std::unique_ptr<QApplication> application = DisplayGuard::openApplication(qtArgc, argv);
    setApplicationNames();
    LogFile::install();

    // A second process on the same session would save over this one's edits:
    // a later launch hands its paths to the running one, which brings its
    // window to the front, and ends.
    SingleInstance instance(SingleInstance::sessionFolder());
    const HandOverRequest request{.paths = line.paths, .notOpened = notOpened, .activationToken = activationToken};
    switch (instance.claim(SingleInstance::defaultPatienceMs, request)) {
    case SingleInstance::Claim::primary:
        break;
    case SingleInstance::Claim::handedOver:
        qCInfo(sessionLogger, "Triagon is already running with this session; it took this launch over");
        // No window of this process will show: the desktop's launch feedback
        // (a busy pointer) ends here.
        StartupFeedback::end(startupId);
        LogFile::uninstall();
        return 0;
    case SingleInstance::Claim::activatedOnly:
        qCWarning(sessionLogger, "An earlier version of Triagon is running with this session; it came to the front but takes no paths");
        printNotHandedOver(line.paths, "it is an earlier version that takes no paths");
        StartupFeedback::end(startupId);
        LogFile::uninstall();
        return line.paths.isEmpty() ? 0 : 1;
    case SingleInstance::Claim::noAnswer:
        qCCritical(sessionLogger, "Triagon is already running with this session but did not answer");
        printNotHandedOver(line.paths, "it did not answer");
        QMessageBox::warning(nullptr, QStringLiteral("Triagon Is Already Running"),
                             QStringLiteral("Triagon is already open with this session but does not respond. "
                                            "Wait until it responds or quit it, then open Triagon again."));
        LogFile::uninstall();
        return 1;
    case SingleInstance::Claim::unreachable: {
        const SingleInstance::SocketFolder &folder = instance.socketFolder();
        const QString cause = QStringLiteral(
                                  "Later launches cannot reach the running Triagon: there is no private folder for the hand-over: %1.")
                                  .arg(folder.fault);
        const QString remedy = QStringLiteral("Set XDG_RUNTIME_DIR to a folder of your own with mode 700, or remove %1; "
                                              "then quit Triagon and open it again.")
                                   .arg(folder.tried);
        qCCritical(sessionLogger).noquote() << cause << remedy;
        printNotHandedOver(line.paths, "there is no private folder for the hand-over");
        QMessageBox::warning(nullptr, QStringLiteral("Triagon Is Already Running"),
                             QStringLiteral("Triagon is already open with this session. ") + cause + QStringLiteral("\n\n") + remedy);
        LogFile::uninstall();
        return 1;
    }
    case SingleInstance::Claim::refused:
        printNotHandedOver(line.paths, "its socket is another user's");
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
        QObject::connect(&instance, &SingleInstance::activationRequested, &app, &TriagonApp::takeOverLaunch);
        // Imported once the saved session is back.
        app.importPaths(line.paths, notOpened);
        app.start();
        status = app.exec();
    }
    LogFile::uninstall();
    return status;
}
