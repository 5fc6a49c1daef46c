// triagon-bench a11y-import N CLIP [--folder] [--rounds R] [--listener]:
// an import of N files (hard links of CLIP) through the open panel of the
// application's main window, once as the application runs on a plain
// desktop and once with the desktop's accessibility bridge active, as it is
// whenever a screen reader or another accessibility tool runs.
//
// The bench starts its own X server (Xvfb), a private D-Bus session and the
// accessibility bus on it (at-spi-bus-launcher), and runs each import in a
// process of its own on that display: the bridged one with
// QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 on the private session, the plain one
// without. --listener also starts a client that listens to every object
// event of the accessibility bus, as a screen reader does (needs the
// system's python3 with pyatspi).
//
// In the panel the N files are selected (or, with --folder, their folder)
// and "Add" is pressed; the import is timed from that click until the last
// clip is in the session. Prints each run's wall and processor seconds
// (medians over the rounds, the runs taking turns), the lines each logged
// (TRIAGON_A11Y_BENCH_LOG=PATH keeps them), and the ratio of the bridged
// import to the plain one.
#include "Bench.h"

#include "app/AppSettings.h"
#include "app/ui/MainWindow.h"
#include "app/ui/VisibleChildrenAccessible.h"
#include "library/ClipStore.h"
#include "media/MediaEngines.h"
#include "settings/TourManager.h"
#include "window/ContentView.h"
#include "window/FileAndFolderDialog.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QTreeView>
#include <QWindow>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <unistd.h>

namespace {

const char *const roleVariable = "TRIAGON_A11Y_BENCH_ROLE";

int usage()
{
    std::fprintf(stderr, "usage: triagon-bench a11y-import N CLIP [--folder] [--rounds R] [--listener]\n");
    return 2;
}

// ---- One import, in a process of its own ------------------------------------

// Drives the open panel once it is up: the folder's listing, the selection,
// the "Add" button; then waits for the import's end. Runs from a timer, as
// the panel runs its own event loop.
class PanelDriver : public QObject
{
public:
    PanelDriver(ClipStore &store, QString folder, int count, bool chooseFolder)
        : m_store(store), m_folder(std::move(folder)), m_count(count), m_chooseFolder(chooseFolder)
    {
        connect(&m_tick, &QTimer::timeout, this, [this] { step(); });
        m_tick.start(10);
        m_panelTimer.start();
    }

    bool done = false;
    bool failed = false;
    double panelSeconds = 0;
    double importSeconds = 0;
    double importCpu = 0;
    QEventLoop *loop = nullptr;

private:
    void finish(bool ok)
    {
        done = true;
        failed = !ok;
        m_tick.stop();
        if (loop)
            loop->quit();
    }

    void step()
    {
        if (m_panelTimer.elapsed() > 30 * 60 * 1000)
            return finish(false);
        switch (m_state) {
        case State::waitingForPanel: {
            auto *panel = qobject_cast<FileAndFolderDialog *>(QApplication::activeModalWidget());
            if (!panel || !panel->isVisible())
                return;
            m_panel = panel;
            const QString shown = m_chooseFolder ? QFileInfo(m_folder).absolutePath() : m_folder;
            m_panel->setDirectory(shown);
            m_model = m_panel->findChild<QFileSystemModel *>();
            m_shown = shown;
            m_state = State::listing;
            return;
        }
        case State::listing: {
            if (!m_model)
                return finish(false);
            const QModelIndex root = m_model->index(m_shown);
            const int wanted = m_chooseFolder ? 1 : m_count;
            if (m_model->rowCount(root) < wanted || m_model->canFetchMore(root))
                return;
            if (m_chooseFolder) {
                m_panel->selectFile(QFileInfo(m_folder).fileName());
            } else {
                auto *view = m_panel->findChild<QTreeView *>(QStringLiteral("treeView"));
                if (!view)
                    return finish(false);
                view->setFocus();
                view->selectAll();
            }
            m_state = State::selected;
            return;
        }
        case State::selected: {
            auto *box = m_panel->findChild<QDialogButtonBox *>();
            QPushButton *add = box ? box->button(QDialogButtonBox::Open) : nullptr;
            if (!add || !add->isEnabled())
                return;
            panelSeconds = m_panelTimer.nsecsElapsed() / 1e9;
            m_state = State::importing;
            m_cpuStart = bench::processorSeconds();
            m_importTimer.start();
            add->click();
            return;
        }
        case State::importing:
            if (m_store.isLoading() || m_store.clips().size() < m_count)
                return;
            importSeconds = m_importTimer.nsecsElapsed() / 1e9;
            importCpu = bench::processorSeconds() - m_cpuStart;
            return finish(true);
        }
    }

    enum class State { waitingForPanel, listing, selected, importing };
    ClipStore &m_store;
    const QString m_folder;
    const int m_count;
    const bool m_chooseFolder;
    State m_state = State::waitingForPanel;
    QTimer m_tick;
    QElapsedTimer m_panelTimer;
    QElapsedTimer m_importTimer;
    double m_cpuStart = 0;
    FileAndFolderDialog *m_panel = nullptr;
    QFileSystemModel *m_model = nullptr;
    QString m_shown;
};

int runImport(const QStringList &arguments)
{
    const QString folder = arguments.value(0);
    const int count = arguments.value(1).toInt();
    const bool chooseFolder = arguments.contains(QStringLiteral("--folder"));
    const QString scratch = qEnvironmentVariable("XDG_CONFIG_HOME");

    // As the application sets itself up (TriagonApp): the same window and
    // the same accessibility interfaces.
    VisibleChildrenAccessible::install();
    AppSettings settings(scratch + QStringLiteral("/settings.conf"));
    AppSettings tourSettings(scratch + QStringLiteral("/tours.conf"));
    TourManager tours(tourSettings);
    MediaEngines engines;
    ClipStore store;
    store.setMediaEngines(&engines);
    QAction updates(QStringLiteral("Check for Updates\u2026"));
    MainWindow window(store, settings, tours, &updates);
    window.resize(1400, 900);
    window.show();
    {
        QEventLoop settle;
        QTimer::singleShot(1000, &settle, &QEventLoop::quit);
        settle.exec();
    }
    bench::print("accessibility_active", QAccessible::isActive() ? 1 : 0, 0);

    PanelDriver driver(store, folder, count, chooseFolder);
    QEventLoop loop;
    driver.loop = &loop;
    QTimer::singleShot(0, window.contentView(), &ContentView::chooseFootage);
    if (!driver.done)
        loop.exec();
    if (driver.failed || store.clips().size() != count) {
        std::fprintf(stderr, "a11y-import: the import through the panel did not finish (%lld clips)\n",
                     static_cast<long long>(store.clips().size()));
        return 1;
    }
    bench::print("panel_s", driver.panelSeconds, 3);
    bench::print("import_cpu_s", driver.importCpu, 3);
    bench::print("import_s", driver.importSeconds, 3);
    return 0;
}

// ---- The desktop: X server, session bus, accessibility bus -----------------

struct Desktop
{
    QProcess xServer;
    QProcess sessionBus;
    QProcess accessibilityBus;
    QProcess listener;
    QString display;
    QString busAddress;

    ~Desktop()
    {
        for (QProcess *process : {&listener, &accessibilityBus, &sessionBus, &xServer}) {
            if (process->state() != QProcess::NotRunning) {
                process->terminate();
                if (!process->waitForFinished(5000))
                    process->kill();
                process->waitForFinished(2000);
            }
        }
    }

    bool start(bool withListener)
    {
        for (int number = 140; number < 200 && display.isEmpty(); ++number) {
            if (QFileInfo::exists(QStringLiteral("/tmp/.X%1-lock").arg(number)))
                continue;
            xServer.start(QStringLiteral("Xvfb"), {QStringLiteral(":%1").arg(number), QStringLiteral("-screen"), QStringLiteral("0"),
                                                   QStringLiteral("1600x1000x24"), QStringLiteral("-nolisten"), QStringLiteral("tcp")});
            if (!xServer.waitForStarted(5000))
                return false;
            const QString socket = QStringLiteral("/tmp/.X11-unix/X%1").arg(number);
            if (bench::waitFor([&] { return QFileInfo::exists(socket) || xServer.state() == QProcess::NotRunning; }, 10000)
                && xServer.state() == QProcess::Running)
                display = QStringLiteral(":%1").arg(number);
        }
        if (display.isEmpty())
            return false;

        sessionBus.start(QStringLiteral("dbus-daemon"),
                         {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
        if (!sessionBus.waitForStarted(5000))
            return false;
        bench::waitFor([&] { return sessionBus.canReadLine() || sessionBus.state() == QProcess::NotRunning; }, 10000);
        busAddress = QString::fromUtf8(sessionBus.readLine()).trimmed();
        if (busAddress.isEmpty())
            return false;

        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DISPLAY"), display);
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), busAddress);
        accessibilityBus.setProcessEnvironment(environment);
        accessibilityBus.start(QStringLiteral("/usr/libexec/at-spi-bus-launcher"), {QStringLiteral("--launch-immediately")});
        if (!accessibilityBus.waitForStarted(5000))
            return false;
        bench::runFor(1000);
        if (withListener) {
            // Every object event, as a screen reader asks for them.
            listener.setProcessEnvironment(environment);
            listener.start(
                QStringLiteral("/usr/bin/python3"),
                {QStringLiteral("-c"), QStringLiteral("import pyatspi\n"
                                                      "def heard(event): pass\n"
                                                      "pyatspi.Registry.registerEventListener(heard, 'object', 'window', 'focus')\n"
                                                      "pyatspi.Registry.start()\n")});
            if (!listener.waitForStarted(5000))
                return false;
            bench::runFor(1500);
            if (listener.state() != QProcess::Running) {
                std::fprintf(stderr, "a11y-import: the listener ended: %s\n", listener.readAllStandardError().constData());
                return false;
            }
        }
        return true;
    }
};

// Runs one import in a process of its own; its name=value lines by name.
std::map<QString, double> runChild(const Desktop &desktop, bool bridged, const QString &folder, int count, bool chooseFolder)
{
    QTemporaryDir home;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(roleVariable), bridged ? QStringLiteral("bridged") : QStringLiteral("plain"));
    environment.insert(QStringLiteral("DISPLAY"), desktop.display);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), desktop.busAddress);
    for (const char *name : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME"})
        environment.insert(QString::fromLatin1(name), home.path());
    environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    environment.remove(QStringLiteral("QT_ACCESSIBILITY"));
    if (bridged)
        environment.insert(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"), QStringLiteral("1"));
    else
        environment.remove(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"));
    QProcess child;
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::SeparateChannels);
    QStringList arguments{QStringLiteral("a11y-import"), folder, QString::number(count)};
    if (chooseFolder)
        arguments << QStringLiteral("--folder");
    child.start(QCoreApplication::applicationFilePath(), arguments);
    std::map<QString, double> figures;
    if (!child.waitForStarted(10000) || !child.waitForFinished(60 * 60 * 1000) || child.exitCode() != 0) {
        std::fprintf(stderr, "a11y-import: the %s run failed: %s\n", bridged ? "bridged" : "plain",
                     child.readAllStandardError().right(2000).constData());
        return figures;
    }
    for (const QByteArray &line : child.readAllStandardOutput().split('\n')) {
        const qsizetype at = line.indexOf('=');
        if (at > 0)
            figures[QString::fromUtf8(line.left(at))] = line.mid(at + 1).toDouble();
    }
    // What the run logged (Qt's warnings among it), kept for a look.
    const QByteArray log = child.readAllStandardError();
    figures[QStringLiteral("log_lines")] = double(log.count('\n'));
    if (const QByteArray keep = qgetenv("TRIAGON_A11Y_BENCH_LOG"); !keep.isEmpty()) {
        QFile file(QString::fromLocal8Bit(keep) + (bridged ? QStringLiteral(".bridged") : QStringLiteral(".plain")));
        if (file.open(QIODevice::WriteOnly))
            file.write(log);
    }
    return figures;
}

int run(const QStringList &arguments)
{
    if (qEnvironmentVariableIsSet(roleVariable))
        return runImport(arguments);

    bool ok = false;
    const int count = arguments.value(0).toInt(&ok);
    if (!ok || count < 1 || arguments.size() < 2 || !QFileInfo(arguments[1]).isFile())
        return usage();
    const QString clip = QFileInfo(arguments[1]).absoluteFilePath();
    const bool chooseFolder = arguments.contains(QStringLiteral("--folder"));
    const bool withListener = arguments.contains(QStringLiteral("--listener"));
    int rounds = 1;
    if (const qsizetype at = arguments.indexOf(QStringLiteral("--rounds")); at >= 0)
        rounds = std::max(1, arguments.value(at + 1).toInt());

    // The files: hard links of the clip beside it (a copy where no link can be made).
    QTemporaryDir work(QFileInfo(clip).absolutePath() + QStringLiteral("/a11y-import-XXXXXX"));
    if (!work.isValid())
        return 1;
    const QString folder = work.filePath(QStringLiteral("footage"));
    QDir().mkpath(folder);
    const QString suffix = QFileInfo(clip).suffix();
    for (int i = 0; i < count; ++i) {
        const QString path = folder + QStringLiteral("/A%1.").arg(i, 5, 10, QLatin1Char('0')) + suffix;
        if (::link(QFile::encodeName(clip).constData(), QFile::encodeName(path).constData()) != 0 && !QFile::copy(clip, path)) {
            std::fprintf(stderr, "a11y-import: could not make %s: %s\n", qUtf8Printable(path), std::strerror(errno));
            return 1;
        }
    }

    Desktop desktop;
    if (!desktop.start(withListener)) {
        std::fprintf(stderr, "a11y-import: could not start Xvfb, the session bus or the accessibility bus\n");
        return 1;
    }
    QList<double> plainWall, plainCpu, bridgedWall, bridgedCpu, plainPanel, bridgedPanel, plainLog, bridgedLog;
    for (int round = 0; round < rounds; ++round) {
        for (const bool bridged : {false, true}) {
            const std::map<QString, double> figures = runChild(desktop, bridged, folder, count, chooseFolder);
            if (figures.empty())
                return 1;
            const bool active = figures.count(QStringLiteral("accessibility_active"))
                                && figures.at(QStringLiteral("accessibility_active")) > 0;
            if (active != bridged) {
                std::fprintf(stderr, "a11y-import: the %s run had accessibility %s\n", bridged ? "bridged" : "plain",
                             active ? "active" : "inactive");
                return 1;
            }
            (bridged ? bridgedWall : plainWall).append(figures.at(QStringLiteral("import_s")));
            (bridged ? bridgedCpu : plainCpu).append(figures.at(QStringLiteral("import_cpu_s")));
            (bridged ? bridgedPanel : plainPanel).append(figures.at(QStringLiteral("panel_s")));
            (bridged ? bridgedLog : plainLog).append(figures.at(QStringLiteral("log_lines")));
        }
    }
    const double plain = bench::median(plainWall);
    const double bridged = bench::median(bridgedWall);
    bench::print("files", count, 0);
    bench::print("plain_panel_s", bench::median(plainPanel), 3);
    bench::print("bridged_panel_s", bench::median(bridgedPanel), 3);
    bench::print("plain_log_lines", bench::median(plainLog), 0);
    bench::print("bridged_log_lines", bench::median(bridgedLog), 0);
    bench::print("plain_import_cpu_s", bench::median(plainCpu), 3);
    bench::print("bridged_import_cpu_s", bench::median(bridgedCpu), 3);
    bench::print("plain_import_s", plain, 3);
    bench::print("bridged_import_s", bridged, 3);
    bench::print("bridged_over_plain", plain > 0 ? bridged / plain : 0, 2);
    return 0;
}

const BenchCommand command(
    "a11y-import", "N CLIP [--folder] [--rounds R] [--listener]   import through the open panel with and without the accessibility bridge",
    run);

} // namespace
