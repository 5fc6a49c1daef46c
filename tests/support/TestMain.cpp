// Shared main of every test executable: a headless Qt application whose
// standard locations point into a private temporary home, so that no test
// can read or write a real user's session, settings or log.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

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
        const QString runtime = QString::fromUtf8(root) + QStringLiteral("/runtime");
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", runtime.toUtf8());
    }
    QStandardPaths::setTestModeEnabled(true);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));

    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("brinkwolder"));
    QApplication::setApplicationName(QStringLiteral("Triagon"));

    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
