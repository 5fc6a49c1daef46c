// "Show in File Manager" falls back to the desktop's launcher only when the
// application the desktop opens folders with is a file manager: never Triagon
// itself, which would import the folder, and never when there is none. GIO
// reads a desktop's folders once per process and keeps what it read, so each
// desktop is tried in a child process of its own.
#include "app/widgets/Reveal.h"
#include "app/widgets/RevealFolderHandler.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

#include <functional>

namespace {

// A desktop of its own in a temporary folder: the user's configuration and
// data in the child's home, the system's data in usr/, its programs in bin/.
class TestDesktop
{
public:
    QString home() const { return m_root.path(); }
    QString config() const { return m_root.filePath(QStringLiteral(".config")); }
    QString data() const { return m_root.filePath(QStringLiteral(".local/share")); }
    QString systemData() const { return m_root.filePath(QStringLiteral("usr")); }
    QString path(const QString &relative) const { return m_root.filePath(relative); }

    void write(const QString &path, const QByteArray &text) const
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
    }
    // An installed program (GIO passes over an entry whose program is missing).
    void program(const QString &relative) const
    {
        write(path(relative), "#!/bin/sh\n");
        QFile::setPermissions(path(relative), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    // A desktop entry in `dataFolder`'s applications/ folder, indexed as the
    // package system's trigger indexes installed entries.
    void entry(const QString &dataFolder, const QString &id, const QByteArray &exec, const QByteArray &mimeTypes = "inode/directory;") const
    {
        const QString applications = dataFolder + QStringLiteral("/applications");
        write(applications + QLatin1Char('/') + id,
              "[Desktop Entry]\nType=Application\nName=" + id.toUtf8() + "\nExec=" + exec + "\nMimeType=" + mimeTypes + "\n");
        ASSERT_EQ(QProcess::execute(QStringLiteral("update-desktop-database"), {applications}), 0);
    }

    // What the child runs in: this desktop, and `bus` as its session bus.
    QProcessEnvironment environment(const QString &bus) const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("TRIAGON_TEST_HOME"), home());
        environment.insert(QStringLiteral("XDG_DATA_DIRS"), systemData());
        environment.insert(QStringLiteral("XDG_CONFIG_DIRS"), path(QStringLiteral("etc")));
        environment.remove(QStringLiteral("XDG_CURRENT_DESKTOP"));
        environment.insert(QStringLiteral("PATH"),
                           path(QStringLiteral("bin")) + QLatin1Char(':') + environment.value(QStringLiteral("PATH")));
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus);
        return environment;
    }

private:
    QTemporaryDir m_root;
};

} // namespace

// Run by the test below, in one of its desktops: a file and a folder are
// shown through the launcher when TRIAGON_REVEAL_OPENS is 1, and otherwise
// each gives the alert.
TEST(RevealChild, DISABLED_ShowsAFileAndAFolderOrSaysWhereTheyAre)
{
    const bool opens = qEnvironmentVariable("TRIAGON_REVEAL_OPENS") == QStringLiteral("1");
    ASSERT_EQ(QDBusConnection::sessionBus().isConnected(), qEnvironmentVariable("TRIAGON_REVEAL_BUS") == QStringLiteral("1"));
    QList<QUrl> opened;
    setUrlOpener([&](const QUrl &folder) {
        opened.append(folder);
        return true;
    });
    QWidget window;
    window.show();
    const QString shoot = QDir::home().filePath(QStringLiteral("shoot"));
    ASSERT_TRUE(QDir().mkpath(shoot + QStringLiteral("/5-star")));
    for (const bool folderItself : {false, true}) {
        const QUrl folder = QUrl::fromLocalFile(folderItself ? shoot : shoot + QStringLiteral("/5-star"));
        if (folderItself)
            openFolderInFileManager(folder, &window);
        else
            revealInFileManager(QUrl::fromLocalFile(shoot + QStringLiteral("/5-star/A001.mov")), &window);
        QMessageBox *box = nullptr;
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                box = window.findChild<QMessageBox *>(QStringLiteral("revealFailureAlert"));
                return opens ? !opened.isEmpty() && opened.last() == folder : box != nullptr && box->isVisible();
            },
            10000));
        if (opens) {
            EXPECT_EQ(box, nullptr);
        } else if (box) {
            EXPECT_EQ(box->text(), revealFailureText(folderItself));
            delete box;
        }
    }
    EXPECT_EQ(opened.size(), opens ? 2 : 0);
}

TEST(Reveal, AFolderIsOpenedOnlyWhenAFileManagerHandlesFoldersElseSaidSo)
{
    // A session bus of the test's own, with nothing on it and nothing it
    // could start: no FileManager1 answers. Without dbus-daemon, no bus at all.
    TestDesktop scratch;
    scratch.write(scratch.path(QStringLiteral("bus.conf")),
                  "<busconfig><type>session</type><listen>unix:path=" + scratch.path(QStringLiteral("bus")).toUtf8()
                      + "</listen><policy context=\"default\"><allow send_destination=\"*\"/><allow "
                        "receive_sender=\"*\"/><allow own=\"*\"/></policy></busconfig>\n");
    QProcess daemon;
    daemon.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--nofork"), QStringLiteral("--print-address"),
                                                 QStringLiteral("--config-file=") + scratch.path(QStringLiteral("bus.conf"))});
    const bool ownBus = daemon.waitForStarted() && daemon.waitForReadyRead(30000);
    const QString bus = ownBus ? QString::fromUtf8(daemon.readLine().trimmed()) : QStringLiteral("unix:path=") + scratch.path("no-bus");

    const QString ownId = RevealFolderHandler::ownDesktopId();
    const struct
    {
        const char *name;
        bool opens;
        std::function<void(TestDesktop &)> setUp;
    } cases[] = {
        {"a file manager claims folders", true,
         [](TestDesktop &d) {
             d.program("bin/files");
             d.entry(d.systemData(), "files.desktop", "files %U");
         }},
        {"nothing claims them", false,
         [](TestDesktop &d) {
             d.program("bin/player");
             d.entry(d.systemData(), "player.desktop", "player %U", "video/mp4;");
         }},
        // As on a desktop without a file manager of its own: the user made
        // the entry the package installs the folder handler.
        {"Triagon's entry is the default over a file manager's claim", false,
         [&](TestDesktop &d) {
             d.program("bin/files");
             d.entry(d.systemData(), "files.desktop", "files %U");
             d.program("bin/triagon");
             QDir().mkpath(d.data() + "/applications");
             ASSERT_TRUE(QFile::copy(TRIAGON_SOURCE_DIR "/Triagon/app/ui/" + ownId, d.data() + "/applications/" + ownId));
             d.write(d.config() + "/mimeapps.list", "[Default Applications]\ninode/directory=" + ownId.toUtf8() + "\n");
         }},
        {"another entry runs a program named triagon", false,
         [](TestDesktop &d) {
             d.program("opt/triagon");
             d.entry(d.systemData(), "old.desktop", d.path("opt/triagon").toUtf8() + " %F");
         }},
        {"another entry runs this program under another name, through env", false,
         [](TestDesktop &d) {
             QDir().mkpath(d.path("bin"));
             QFile::link(QCoreApplication::applicationFilePath(), d.path("bin/footage"));
             d.entry(d.systemData(), "footage.desktop", "env LANG=C footage %F");
         }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        TestDesktop desktop;
        c.setUp(desktop);
        QProcessEnvironment environment = desktop.environment(bus);
        environment.insert(QStringLiteral("TRIAGON_REVEAL_OPENS"), c.opens ? QStringLiteral("1") : QStringLiteral("0"));
        environment.insert(QStringLiteral("TRIAGON_REVEAL_BUS"), ownBus ? QStringLiteral("1") : QStringLiteral("0"));
        QProcess child;
        child.setProcessEnvironment(environment);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--gtest_filter=RevealChild.DISABLED_ShowsAFileAndAFolderOrSaysWhereTheyAre"),
                     QStringLiteral("--gtest_also_run_disabled_tests")});
        ASSERT_TRUE(child.waitForFinished(60000));
        EXPECT_EQ(child.exitCode(), 0) << child.readAllStandardOutput().toStdString() << child.readAllStandardError().toStdString();
    }
    daemon.kill();
    daemon.waitForFinished();
}
