// "Show in File Manager" falls back to the desktop's launcher only when the
// application the desktop opens folders with is a file manager: never Triagon
// itself, which would import the folder, and never when there is none.
#include "app/widgets/Reveal.h"
#include "app/widgets/RevealFolderHandler.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusReply>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <optional>

namespace {

// A desktop of its own: the user's and the system's configuration and data
// folders in a temporary folder, set in the XDG variables for as long as it
// lives, and the variables as they were afterwards.
class TestDesktop
{
public:
    TestDesktop()
    {
        const std::map<const char *, QString> folders{{"XDG_CONFIG_HOME", config()},
                                                      {"XDG_CONFIG_DIRS", m_root.filePath(QStringLiteral("etc"))},
                                                      {"XDG_DATA_HOME", data()},
                                                      {"XDG_DATA_DIRS", systemData()},
                                                      {"XDG_CURRENT_DESKTOP", QString()}};
        for (const auto &[name, value] : folders) {
            m_saved.append({name, qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt});
            qputenv(name, value.toUtf8());
        }
    }
    ~TestDesktop()
    {
        for (const auto &[name, value] : m_saved)
            value ? qputenv(name, *value) : qunsetenv(name);
    }

    QString config() const { return m_root.filePath(QStringLiteral("config")); }
    QString data() const { return m_root.filePath(QStringLiteral("data")); }
    QString systemData() const { return m_root.filePath(QStringLiteral("usr")); }
    QString path(const QString &relative) const { return m_root.filePath(relative); }

    void write(const QString &path, const QByteArray &text) const
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
    }
    // A desktop entry in `dataFolder`'s applications/ folder.
    void entry(const QString &dataFolder, const QString &relative, const QByteArray &exec,
               const QByteArray &more = "MimeType=inode/directory;\n")
    {
        write(dataFolder + QStringLiteral("/applications/") + relative,
              "[Desktop Entry]\nType=Application\nName=" + relative.toUtf8() + "\nExec=" + exec + "\n" + more);
    }
    void defaultFolderHandler(const QString &folder, const QByteArray &ids, const QString &list = QStringLiteral("mimeapps.list"))
    {
        write(folder + QLatin1Char('/') + list, "[Default Applications]\ninode/directory=" + ids + "\n");
    }

private:
    QTemporaryDir m_root;
    QList<std::pair<const char *, std::optional<QByteArray>>> m_saved;
};

} // namespace

TEST(RevealFolderHandler, FindsTheApplicationTheDesktopOpensFoldersWith)
{
    const QString ownId = RevealFolderHandler::ownDesktopId();
    struct Case
    {
        const char *name;
        QString expectedId;
        bool expectedOurs;
        std::function<void(TestDesktop &)> setUp;
    };
    const QList<Case> cases = {
        {"nothing claims folders", "", false,
         [](TestDesktop &d) { d.entry(d.systemData(), "player.desktop", "player %U", "MimeType=video/mp4;\n"); }},
        {"a file manager claims them", "files.desktop", false,
         [](TestDesktop &d) { d.entry(d.systemData(), "files.desktop", "files %U"); }},
        {"Triagon's entry is the default over a claiming file manager", ownId, true,
         [&](TestDesktop &d) {
             d.entry(d.systemData(), "files.desktop", "files %U");
             d.entry(d.data(), ownId, "triagon %F", "");
             d.defaultFolderHandler(d.config(), ownId.toUtf8());
         }},
        {"a default that is not installed is passed over", "files.desktop", false,
         [](TestDesktop &d) {
             d.entry(d.systemData(), "files.desktop", "files %U", "");
             d.defaultFolderHandler(d.config(), "gone.desktop;files.desktop;");
         }},
        {"the user's defaults before the system's, the desktop's own list first", "thunar.desktop", false,
         [&](TestDesktop &d) {
             d.entry(d.systemData(), "files.desktop", "files %U");
             d.entry(d.systemData(), "thunar.desktop", "thunar %U");
             d.entry(d.systemData(), ownId, "triagon %F");
             d.defaultFolderHandler(d.path("etc"), "files.desktop");
             d.defaultFolderHandler(d.config(), ownId.toUtf8());
             d.defaultFolderHandler(d.config(), "thunar.desktop", "openbox-mimeapps.list");
             qputenv("XDG_CURRENT_DESKTOP", "X-Test:OpenBox");
         }},
        {"an entry running our program under another name", "footage.desktop", true,
         [](TestDesktop &d) {
             const QString link = d.path("bin/footage");
             QDir().mkpath(d.path("bin"));
             QFile::link(QCoreApplication::applicationFilePath(), link);
             d.entry(d.systemData(), "footage.desktop", "env LANG=C \"" + link.toUtf8() + "\" %F");
         }},
        {"an entry running a program named triagon", "old.desktop", true,
         [](TestDesktop &d) { d.entry(d.systemData(), "old.desktop", "/opt/old/triagon %F"); }},
        {"Triagon's among the claiming entries of one folder, in no set order", ownId, true,
         [&](TestDesktop &d) {
             d.entry(d.systemData(), "a-files.desktop", "files %U");
             d.entry(d.systemData(), ownId, "triagon %F");
         }},
        {"a deleted entry of the user's hides the system's", "", false,
         [](TestDesktop &d) {
             d.entry(d.systemData(), "files.desktop", "files %U");
             d.entry(d.data(), "files.desktop", "files %U", "MimeType=inode/directory;\nHidden=true\n");
         }},
        {"a removed association, and one whose TryExec is missing", "", false,
         [](TestDesktop &d) {
             d.entry(d.systemData(), "files.desktop", "files %U");
             d.entry(d.systemData(), "nemo.desktop", "nemo %U", "MimeType=inode/directory;\nTryExec=/nonexistent/nemo\n");
             d.write(d.config() + "/mimeapps.list", "[Removed Associations]\ninode/directory=files.desktop;\n");
         }},
        {"an added association before the folders' claims, in a subfolder", "kde-viewer.desktop", false,
         [&](TestDesktop &d) {
             d.entry(d.systemData(), ownId, "triagon %F");
             d.entry(d.data(), "kde/viewer.desktop", "viewer %U", "");
             d.write(d.config() + "/mimeapps.list", "[Added Associations]\ninode/directory=kde-viewer.desktop;\n");
         }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TestDesktop desktop;
        c.setUp(desktop);
        const RevealFolderHandler::Handler handler = RevealFolderHandler::lookup();
        EXPECT_EQ(handler.desktopId, c.expectedId);
        EXPECT_EQ(handler.ours, c.expectedOurs);
    }
}

TEST(Reveal, AFolderWhoseHandlerIsTriagonOrNoneIsNotOpenedButSaidSo)
{
    TestDesktop desktop;
    // A session bus of the test's own, with nothing on it and nothing it
    // could start: no FileManager1 answers. Without dbus-daemon, no bus at all.
    desktop.write(desktop.path("bus.conf"), "<busconfig><type>session</type><listen>unix:path=" + desktop.path("bus").toUtf8()
                                                + "</listen><policy context=\"default\"><allow send_destination=\"*\"/><allow "
                                                  "receive_sender=\"*\"/><allow own=\"*\"/></policy></busconfig>\n");
    QProcess daemon;
    daemon.start("dbus-daemon", {"--nofork", "--print-address", "--config-file=" + desktop.path("bus.conf")});
    const bool ownBus = daemon.waitForStarted() && daemon.waitForReadyRead(30000);
    const QString address = ownBus ? QString::fromUtf8(daemon.readLine().trimmed()) : "unix:path=" + desktop.path("no-bus");
    qputenv("DBUS_SESSION_BUS_ADDRESS", address.toUtf8());
    const QDBusConnection bus = QDBusConnection::sessionBus();
    ASSERT_EQ(bus.isConnected(), ownBus);
    if (ownBus) {
        // Not a bus of another desktop, connected before this test chose one:
        // its file manager would really open.
        const auto busId = [](const QDBusConnection &connection) {
            return QDBusReply<QString>(connection.interface()->call("GetId")).value();
        };
        ASSERT_EQ(busId(bus), busId(QDBusConnection::connectToBus(address, "revealTestBus"))) << "the session bus is not the test's own";
        QDBusConnection::disconnectFromBus("revealTestBus");
    }

    QList<QUrl> opened;
    setUrlOpener([&](const QUrl &folder) {
        opened.append(folder);
        return true;
    });
    QWidget window;
    window.show();
    const QString shoot = desktop.path(QStringLiteral("shoot"));
    QDir().mkpath(shoot + QStringLiteral("/5-star"));
    const QUrl clip = QUrl::fromLocalFile(shoot + QStringLiteral("/5-star/A001.mov"));
    const auto alertSays = [&window](const QString &text) {
        QMessageBox *box = nullptr;
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return (box = window.findChild<QMessageBox *>(QStringLiteral("revealFailureAlert"))) != nullptr && box->isVisible(); },
            10000));
        if (box) {
            EXPECT_EQ(box->text(), text);
            box->close();
            delete box;
        }
    };

    // The installed entry of Triagon (the one the package installs) is the
    // folder handler, as on a desktop without a file manager of its own.
    QFile::copy(QStringLiteral(TRIAGON_SOURCE_DIR "/Triagon/app/ui/") + RevealFolderHandler::ownDesktopId(),
                desktop.data() + QStringLiteral("/applications/") + RevealFolderHandler::ownDesktopId());
    desktop.defaultFolderHandler(desktop.config(), RevealFolderHandler::ownDesktopId().toUtf8());
    revealInFileManager(clip, &window);
    alertSays(revealFailureText(false));
    openFolderInFileManager(QUrl::fromLocalFile(shoot), &window);
    alertSays(revealFailureText(true));
    // No folder handler at all.
    QFile::remove(desktop.config() + QStringLiteral("/mimeapps.list"));
    revealInFileManager(clip, &window);
    alertSays(revealFailureText(false));
    EXPECT_TRUE(opened.isEmpty());

    // A file manager handles folders: the launcher opens the clip's folder.
    desktop.entry(desktop.systemData(), QStringLiteral("files.desktop"), "files %U");
    revealInFileManager(clip, &window);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !opened.isEmpty(); }, 10000));
    EXPECT_EQ(opened, QList<QUrl>{QUrl::fromLocalFile(shoot + QStringLiteral("/5-star"))});
    EXPECT_EQ(window.findChild<QMessageBox *>(QStringLiteral("revealFailureAlert")), nullptr);

    setUrlOpener({});
    daemon.kill();
    daemon.waitForFinished();
}
