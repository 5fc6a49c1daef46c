// A full disk under the session file, on a real (small) file system: every
// save writes the whole session or leaves the last good one as it was, says
// why, and tries again at the next save; a crash then finds the last good
// session.
#include "StoreTestSupport.h"
#include "support/SmallDisk.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <cerrno>

using namespace StoreTest;

namespace {

QString sessionFolder()
{
    return QFileInfo(ClipStore::sessionFilePath()).absolutePath();
}

QByteArray fileBytes(const QString &path = ClipStore::sessionFilePath())
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QList<Clip> clips(int count)
{
    QList<Clip> list;
    for (int i = 0; i < count; ++i)
        list.append(clip(QStringLiteral("C%1.MOV").arg(i, 4, 10, QLatin1Char('0'))));
    return list;
}

// The files in the session's folder besides the disk's own filler.
QStringList filesBesideTheSession()
{
    QStringList names = QDir(sessionFolder()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    names.removeAll(QStringLiteral(".filler"));
    return names;
}

const QString noSpace = qt_error_string(ENOSPC);

} // namespace

// A small session is a few kilobytes, which a buffered write keeps in memory
// until the end; a large one is written in pieces. Both must fail whole.
TEST(SessionFullDisk, ASaveOnAFullDiskKeepsTheLastSessionAndSaysWhy)
{
    for (const int count : {40, 2000}) {
        SCOPED_TRACE(count);
        SmallDisk disk(sessionFolder(), 2 << 20);
        SKIP_WITHOUT(disk);
        ClipStore store;
        store.setClips(clips(count));
        store.saveSessionImmediately();
        ASSERT_FALSE(store.sessionSaveError().has_value());
        const QByteArray saved = fileBytes();
        ASSERT_GT(saved.size(), 0);
        ASSERT_TRUE(disk.fill());

        LogCapture log;
        QSignalSpy written(&store, &ClipStore::sessionSaved);
        store.setRating(4, store.clips()[0].id);
        ASSERT_TRUE(QTest::qWaitFor([&] { return store.sessionSaveError().has_value(); }, 30000));
        EXPECT_TRUE(store.sessionSaveError()->endsWith(noSpace)) << store.sessionSaveError()->toStdString();
        EXPECT_EQ(written.count(), 0);
        EXPECT_EQ(fileBytes(), saved);
        EXPECT_EQ(filesBesideTheSession(), QStringList{QStringLiteral("session.json")});
        const QStringList messages = log.messages();
        EXPECT_TRUE(messages.filter(QStringLiteral("Saved session")).isEmpty()) << messages.join('\n').toStdString();
        EXPECT_EQ(log.messagesOf(QtCriticalMsg),
                  QStringList{QStringLiteral("Immediate session save failed: ") + *store.sessionSaveError()});

        // A crash now: the next launch finds the last good session.
        std::optional<UnreadableSession> problem;
        const auto read = ClipStore::readSessionFile(&problem);
        ASSERT_TRUE(read.has_value());
        EXPECT_FALSE(problem.has_value());
        EXPECT_EQ(read->second.size(), count);
        EXPECT_EQ(read->second[0].rating, 0);

        // The next save tries again, and writes once there is room.
        store.setRating(5, store.clips()[1].id);
        disk.release();
        ASSERT_TRUE(written.wait(30000));
        const auto after = ClipStore::readSessionFile();
        ASSERT_TRUE(after.has_value());
        EXPECT_EQ(after->second[0].rating, 4);
        EXPECT_EQ(after->second[1].rating, 5);
        store.clearSessionFile();
    }
}
