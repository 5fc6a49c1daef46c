#include "app/ui/LogFile.h"
#include "app/ui/UnixSignalQuit.h"

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
}

TEST(LogFile, AppendsMessagesBesideTheSessionAndRotatesWhenFull)
{
    EXPECT_EQ(LogFile::defaultPath(),
              QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Triagon/triagon.log"));

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
