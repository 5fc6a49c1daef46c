// Shared main of every test executable: a headless Qt application whose
// standard locations point into a private temporary home, so that no test
// can read or write a real user's session, settings or log.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <utility>

namespace {

// Gives every test a home of its own: a test program run as a whole (rather
// than one case per process, as ctest runs it) empties the private home
// before each test, so that no session file, settings file, log or lock of an
// earlier test is seen by a later one. The folder itself stays, because the
// session file's path and the settings' path are fixed once per process.
class FreshHomeForEachTest : public ::testing::EmptyTestEventListener
{
public:
    explicit FreshHomeForEachTest(QString home) : m_home(std::move(home)) {}

    void OnTestStart(const ::testing::TestInfo &) override
    {
        const QFileInfoList entries = QDir(m_home).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        for (const QFileInfo &entry : entries) {
            if (entry.isDir() && !entry.isSymLink())
                QDir(entry.absoluteFilePath()).removeRecursively();
            else
                QFile::remove(entry.absoluteFilePath());
        }
        makeRuntimeFolder(m_home);
    }

    static void makeRuntimeFolder(const QString &home)
    {
        const QString runtime = home + QStringLiteral("/runtime");
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }

private:
    QString m_home;
};

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    // Each ctest case is its own process; give each one its own home so that
    // tests running in parallel never share a session file. A test that runs
    // its own program as a child hands it its home in TRIAGON_TEST_HOME.
    const QByteArray givenHome = qgetenv("TRIAGON_TEST_HOME");
    std::optional<QTemporaryDir> home;
    if (givenHome.isEmpty())
        home.emplace(QDir::tempPath() + QStringLiteral("/triagon-test-home-XXXXXX"));
    if (!givenHome.isEmpty() || home->isValid()) {
        const QByteArray root = givenHome.isEmpty() ? home->path().toUtf8() : givenHome;
        qputenv("HOME", root);
        qputenv("XDG_DATA_HOME", root + "/.local/share");
        qputenv("XDG_CONFIG_HOME", root + "/.config");
        qputenv("XDG_CACHE_HOME", root + "/.cache");
        qputenv("XDG_STATE_HOME", root + "/.local/state");
        FreshHomeForEachTest::makeRuntimeFolder(QString::fromUtf8(root));
        qputenv("XDG_RUNTIME_DIR", root + "/runtime");
    }
    QStandardPaths::setTestModeEnabled(true);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));

    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("brinkwolder"));
    QApplication::setApplicationName(QStringLiteral("Triagon"));

    ::testing::InitGoogleTest(&argc, argv);
    // A child run in its parent's home leaves that home alone.
    if (home && home->isValid())
        ::testing::UnitTest::GetInstance()->listeners().Append(new FreshHomeForEachTest(home->path()));
    return RUN_ALL_TESTS();
}
