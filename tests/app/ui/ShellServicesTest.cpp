#include "app/ui/LogFile.h"
#include "app/ui/UnixSignalQuit.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>

namespace {
Q_LOGGING_CATEGORY(testCategory, "com.brinkwolder.Triagon.session")

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

} // namespace

TEST(LogFile, LivesInTheStateFolder)
{
    const QString home = QDir::homePath();
    const QString fallback = home + QStringLiteral("/.local/state/Triagon/triagon.log");
    const QByteArray before = qgetenv("XDG_STATE_HOME");
    const QList<std::pair<QByteArray, QString>> cases{
        {home.toUtf8() + "/elsewhere/state/", home + QStringLiteral("/elsewhere/state/Triagon/triagon.log")},
        {QByteArray(), fallback}, // unset
        {QByteArray(""), fallback},
        {QByteArray("relative/state"), fallback},
    };
    for (const auto &[stateHome, expected] : cases) {
        if (stateHome.isNull())
            qunsetenv("XDG_STATE_HOME");
        else
            qputenv("XDG_STATE_HOME", stateHome);
        EXPECT_EQ(LogFile::defaultPath(), expected) << stateHome.constData();
    }
    qputenv("XDG_STATE_HOME", before);
    EXPECT_EQ(LogFile::legacyPath(),
              QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Triagon/triagon.log"));
}

TEST(LogFile, ALogInTheOldPlaceIsMovedOnceAtTheFirstStart)
{
    writeFile(LogFile::legacyPath(), "old line\n");
    writeFile(LogFile::legacyPath() + QStringLiteral(".1"), "older line\n");
    ASSERT_FALSE(QFileInfo::exists(LogFile::defaultPath()));

    LogFile::install();
    EXPECT_EQ(LogFile::currentPath(), LogFile::defaultPath());
    qWarning("new line");
    LogFile::uninstall();

    EXPECT_FALSE(QFileInfo::exists(LogFile::legacyPath()));
    EXPECT_FALSE(QFileInfo::exists(LogFile::legacyPath() + QStringLiteral(".1")));
    const QByteArray moved = readAll(LogFile::defaultPath());
    EXPECT_TRUE(moved.startsWith("old line\n")) << moved.constData();
    EXPECT_TRUE(moved.contains("Moved the log from"));
    EXPECT_TRUE(moved.contains("[warning] new line"));
    EXPECT_EQ(readAll(LogFile::defaultPath() + QStringLiteral(".1")), "older line\n");

    // A log written in the old place after that (an older version run again)
    // never replaces the one in the state folder.
    writeFile(LogFile::legacyPath(), "from an older version\n");
    LogFile::install();
    LogFile::uninstall();
    EXPECT_TRUE(readAll(LogFile::defaultPath()).startsWith("old line\n"));
    EXPECT_EQ(readAll(LogFile::legacyPath()), "from an older version\n");
}

TEST(LogFile, AppendsMessagesAndRotatesWhenFull)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("logs/triagon.log"));
    LogFile::install(path, 2000);
    EXPECT_EQ(LogFile::currentPath(), path);
    qWarning("first line %d", 1);
    qCWarning(testCategory) << "Immediate session save failed:"
                            << "disk full";
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(f.readAll());
        EXPECT_TRUE(text.contains(QStringLiteral("[warning] first line 1")));
        EXPECT_TRUE(text.contains(QStringLiteral("com.brinkwolder.Triagon.session: Immediate session save failed:")));
    }

    // Past the limit the file moves to .1 and a new one starts; never more.
    for (int i = 0; i < 200; ++i)
        qWarning("filler line %d with some words to take room", i);
    EXPECT_TRUE(QFileInfo::exists(path + QStringLiteral(".1")));
    EXPECT_FALSE(QFileInfo::exists(path + QStringLiteral(".2")));
    EXPECT_LE(QFileInfo(path).size(), 2000 + 200);
    EXPECT_LE(QFileInfo(path + QStringLiteral(".1")).size(), 2000 + 200);

    LogFile::uninstall();
    const qint64 size = QFileInfo(path).size();
    qWarning("after uninstall");
    EXPECT_EQ(QFileInfo(path).size(), size);
    EXPECT_TRUE(LogFile::currentPath().isEmpty());
}

TEST(UnixSignalQuit, TermAndIntAskTheApplicationToQuit)
{
    UnixSignalQuit handler;
    QSignalSpy spy(&handler, &UnixSignalQuit::quitRequested);
    ::raise(SIGTERM);
    ASSERT_TRUE(spy.wait(30000));
    EXPECT_EQ(spy.takeFirst().at(0).toInt(), SIGTERM);
    ::raise(SIGINT);
    ASSERT_TRUE(spy.wait(30000));
    EXPECT_EQ(spy.takeFirst().at(0).toInt(), SIGINT);
}
