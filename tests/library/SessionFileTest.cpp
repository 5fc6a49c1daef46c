#include "StoreTestSupport.h"
#include "library/model/FileName.h"
#include "library/model/JsonReader.h"
#include "library/model/ReferenceDate.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QtConcurrent>
#include <gtest/gtest.h>

using namespace StoreTest;

namespace {

class SessionFile : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const QString path = ClipStore::sessionFilePath();
        QFileInfo info(path);
        if (info.isDir())
            QDir(path).removeRecursively();
        QFile::remove(path);
        for (const QString &aside : ClipStore::unreadableSessionFilePaths())
            QFile::remove(aside);
        QDir().mkpath(info.absolutePath());
    }

    static QByteArray fileBytes(const QString &path = ClipStore::sessionFilePath())
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static void writeFile(const QByteArray &bytes)
    {
        QFile f(ClipStore::sessionFilePath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    static QJsonObject savedObject() { return QJsonDocument::fromJson(fileBytes()).object(); }
    static QJsonObject validSession()
    {
        ClipStore::SessionData data;
        data.clips = {clip("a.mov", 2, {"Dunk"})};
        data.availableTags = {"Dunk"};
        data.folderOrganization = QStringLiteral("By Tag");
        data.gridColumns = 4;
        data.savedAt = QDateTime::currentDateTimeUtc();
        return data.toJson();
    }
};

} // namespace

TEST_F(SessionFile, LivesInTheApplicationsDataFolder)
{
    const QString expected = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
                             + QStringLiteral("/Triagon/session.json");
    EXPECT_EQ(ClipStore::sessionFilePath(), expected);
    EXPECT_TRUE(QFileInfo(expected).absoluteDir().exists());
}

TEST_F(SessionFile, SaveAndReadBackTheWholeSession)
{
    QTemporaryDir media;
    const QString present = media.filePath("present.mov");
    QFile(present).open(QIODevice::WriteOnly);

    ClipStore store;
    Clip onDisk = clip("present.mov", 5, {"Dunk", "Three"});
    onDisk.url = QUrl::fromLocalFile(present);
    onDisk.markerFlag = MarkerFlag::special(2);
    onDisk.recordingDateChecked = false;
    Clip offline = clip("offline.mov");
    offline.numberingResetReview = NumberingResetReview{onDisk.id, NumberingResetReview::Decision::dismissed};
    store.setClips({onDisk, offline});
    store.setAvailableTags({"Dunk", "Three", "Rebound"});
    store.setFolderOrganization(FolderOrganization::byRating);
    store.setGridColumns(5);
    store.setSourceFolderURL(QUrl::fromLocalFile(media.path()));

    LogCapture log;
    QSignalSpy saved(&store, &ClipStore::sessionSaved);
    store.saveSessionImmediately();
    ASSERT_EQ(saved.count(), 1);
    EXPECT_EQ(saved.first().first().value<qsizetype>(), 2);
    EXPECT_TRUE(log.messagesOf(QtDebugMsg).contains(QStringLiteral("Saved session: 2 clips")));

    const QByteArray bytes = fileBytes();
    EXPECT_FALSE(bytes.contains('\n')); // compact
    const QJsonObject o = savedObject();
    EXPECT_EQ(o.value("folderOrganization").toString(), QStringLiteral("By Rating"));
    EXPECT_NEAR(o.value("savedAt").toDouble(), ReferenceDate::secondsSinceReference(QDateTime::currentDateTimeUtc()), 60);

    const auto read = ClipStore::readSessionFile();
    ASSERT_TRUE(read.has_value());
    const ClipStore::SessionData &data = read->first;
    EXPECT_EQ(data.availableTags, (QStringList{"Dunk", "Three", "Rebound"}));
    EXPECT_EQ(data.folderOrganization, QStringLiteral("By Rating"));
    EXPECT_EQ(data.gridColumns, 5);
    EXPECT_EQ(data.sourceFolderURL, std::optional<QUrl>(QUrl::fromLocalFile(media.path())));
    const QList<Clip> &clips = read->second;
    ASSERT_EQ(clips.size(), 2);
    EXPECT_FALSE(clips[0].isMissing);
    EXPECT_TRUE(clips[1].isMissing);
    Clip expectedOffline = offline;
    expectedOffline.isMissing = true;
    EXPECT_EQ(clips[0], onDisk);
    EXPECT_EQ(clips[1], expectedOffline);
    EXPECT_EQ(clips[0].recordingDateChecked, std::optional<bool>(false));
    EXPECT_TRUE(log.messagesOf(QtInfoMsg).contains(QStringLiteral("Restoring session: 2 saved, 1 still on disk")));
}

TEST_F(SessionFile, OptionalSourceFolderAndRequiredKeys)
{
    QJsonObject o = validSession();
    EXPECT_FALSE(o.contains("sourceFolderURL"));
    writeFile(QJsonDocument(o).toJson());
    auto read = ClipStore::readSessionFile();
    ASSERT_TRUE(read.has_value());
    EXPECT_FALSE(read->first.sourceFolderURL.has_value());
    EXPECT_EQ(read->first.gridColumns, 4);

    // Unknown folder organization text still reads; the restore decides.
    o.insert("folderOrganization", QStringLiteral("By Colour"));
    o.insert("gridColumns", 9);
    writeFile(QJsonDocument(o).toJson());
    read = ClipStore::readSessionFile();
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->first.folderOrganization, QStringLiteral("By Colour"));
    EXPECT_EQ(read->first.gridColumns, 9);

    for (const char *key : {"savedAt", "clips", "availableTags", "folderOrganization", "gridColumns"}) {
        QJsonObject missing = validSession();
        missing.remove(QLatin1String(key));
        QString error;
        EXPECT_FALSE(ClipStore::SessionData::fromJson(missing, &error).has_value()) << key;
        EXPECT_EQ(error, JsonReader::keyNotFound(QLatin1String(key)));
    }
    QJsonObject badClip = validSession();
    QJsonArray clips = badClip.value("clips").toArray();
    QJsonObject first = clips[0].toObject();
    first.remove("tags");
    clips.append(first);
    badClip.insert("clips", clips);
    QString error;
    EXPECT_FALSE(ClipStore::SessionData::fromJson(badClip, &error).has_value());
    EXPECT_EQ(error, QStringLiteral("clips[1]: No value associated with key \"tags\"."));
}

TEST_F(SessionFile, AnUnreadableFileIsKeptAsideAndNotOverwritten)
{
    QJsonObject o = validSession();
    o.remove("savedAt");
    const QByteArray original = QJsonDocument(o).toJson();
    writeFile(original);

    LogCapture log;
    EXPECT_FALSE(ClipStore::readSessionFile().has_value());
    EXPECT_TRUE(log.messagesOf(QtCriticalMsg)
                    .contains(QStringLiteral("Session file exists but could not be restored: No value associated with key \"savedAt\".")));
    EXPECT_FALSE(QFileInfo::exists(ClipStore::sessionFilePath()));
    const QStringList aside = ClipStore::unreadableSessionFilePaths();
    ASSERT_EQ(aside.size(), 1);
    EXPECT_TRUE(QFileInfo(aside[0]).fileName().startsWith("session.unreadable-"));
    EXPECT_EQ(fileBytes(aside[0]), original);

    // The empty session that follows saves without touching the kept file.
    ClipStore store;
    store.saveSessionImmediately();
    EXPECT_TRUE(QFileInfo::exists(ClipStore::sessionFilePath()));
    EXPECT_EQ(fileBytes(aside[0]), original);

    // Not JSON at all, twice in the same second: both kept.
    writeFile("{\"clips\": [");
    EXPECT_FALSE(ClipStore::readSessionFile().has_value());
    writeFile("[]");
    std::optional<UnreadableSession> problem;
    EXPECT_FALSE(ClipStore::readSessionFile(&problem).has_value());
    const QStringList kept = ClipStore::unreadableSessionFilePaths();
    EXPECT_EQ(kept.size(), 3);
    ASSERT_TRUE(problem.has_value());
    EXPECT_TRUE(kept.contains(problem->keptAs)) << problem->keptAs.toStdString();
    EXPECT_EQ(fileBytes(problem->keptAs), QByteArray("[]"));
    EXPECT_EQ(problem->reason, QStringLiteral("The file does not hold a session object."));

    // An empty file holds nothing to keep: no empty copy is put aside.
    writeFile("");
    problem.reset();
    EXPECT_FALSE(ClipStore::readSessionFile(&problem).has_value());
    ASSERT_TRUE(problem.has_value());
    EXPECT_TRUE(problem->keptAs.isEmpty());
    EXPECT_EQ(ClipStore::unreadableSessionFilePaths(), kept);
    for (const QString &path : ClipStore::unreadableSessionFilePaths())
        EXPECT_GT(QFileInfo(path).size(), 0) << path.toStdString();
}

TEST_F(SessionFile, NonFiniteMediaFactsNeverMakeTheSessionUnwritableOrUnreadable)
{
    ClipStore store;
    Clip odd = clip("odd.mov", 3);
    odd.duration = std::numeric_limits<double>::quiet_NaN();
    odd.frameRate = -std::numeric_limits<double>::infinity();
    store.setClips({odd});
    store.saveSessionImmediately();
    EXPECT_FALSE(store.sessionSaveError().has_value());
    EXPECT_FALSE(fileBytes().contains("null"));
    const auto read = ClipStore::readSessionFile();
    ASSERT_TRUE(read.has_value());
    ASSERT_EQ(read->second.size(), 1);
    EXPECT_EQ(read->second[0].duration, 0.0);
    EXPECT_EQ(read->second[0].frameRate, 0.0);
    EXPECT_EQ(read->second[0].rating, 3);
}

TEST_F(SessionFile, NamesFromTheFileThatAreNotOneFileNameAreMadeSafe)
{
    QJsonObject o = validSession();
    QJsonArray clips;
    const QJsonObject model = o.value("clips").toArray()[0].toObject();
    for (const QString &name : {QStringLiteral("../../escape.mov"), QStringLiteral("sub/dir.mov"), QString(), QStringLiteral(".."),
                                QStringLiteral("fine: yes.mov")}) {
        QJsonObject c = model;
        c.insert("id", uuidText(QUuid::createUuid()));
        c.insert("filename", name);
        clips.append(c);
    }
    o.insert("clips", clips);
    writeFile(QJsonDocument(o).toJson());
    const auto read = ClipStore::readSessionFile();
    ASSERT_TRUE(read.has_value());
    const QStringList restored = names(read->second);
    for (const QString &name : restored)
        EXPECT_TRUE(FileName::isSinglePathComponent(name)) << name.toStdString();
    EXPECT_EQ(restored[0], QStringLiteral("..-..-escape.mov"));
    EXPECT_EQ(restored[1], QStringLiteral("sub-dir.mov"));
    EXPECT_EQ(restored[2], QStringLiteral("a.mov")); // the file's own name
    EXPECT_EQ(restored[3], QStringLiteral("a.mov"));
    EXPECT_EQ(restored[4], QStringLiteral("fine: yes.mov")); // already one name: untouched
}

TEST_F(SessionFile, ABurstOfEditsIsWrittenOnceAfterTheLastOne)
{
    ClipStore store;
    Clip a = clip("a.mov");
    store.setClips({a});
    QSignalSpy saved(&store, &ClipStore::sessionSaved);
    for (int rating : {1, 2, 3}) {
        store.setRating(rating, a.id);
        EXPECT_TRUE(store.isSessionSaveScheduled());
        EXPECT_EQ(saved.count(), 0);
    }
    EXPECT_FALSE(QFileInfo::exists(ClipStore::sessionFilePath()));

    ASSERT_TRUE(saved.wait(30000));
    // No save waits any more, so none can follow.
    EXPECT_FALSE(store.isSessionSaveScheduled());
    QTest::qWait(ClipStore::saveDelayMs + 300);
    EXPECT_EQ(saved.count(), 1);
    EXPECT_EQ(savedObject().value("clips").toArray()[0].toObject().value("rating").toInt(), 3);
}

TEST_F(SessionFile, AnImmediateSaveCancelsTheWaitingOne)
{
    ClipStore store;
    Clip a = clip("a.mov");
    store.setClips({a});
    QSignalSpy saved(&store, &ClipStore::sessionSaved);
    store.setRating(4, a.id);
    EXPECT_TRUE(store.isSessionSaveScheduled());
    store.saveSessionImmediately();
    EXPECT_EQ(saved.count(), 1);
    EXPECT_FALSE(store.isSessionSaveScheduled());
    QTest::qWait(ClipStore::saveDelayMs + 300);
    EXPECT_EQ(saved.count(), 1);
}

TEST_F(SessionFile, ClearingRemovesTheFileCancelsTheWaitingSaveAndIgnoresNoFile)
{
    ClipStore store;
    LogCapture log;
    store.clearSessionFile();
    EXPECT_TRUE(log.messages().isEmpty());

    store.saveSessionImmediately();
    ASSERT_TRUE(QFileInfo::exists(ClipStore::sessionFilePath()));
    QSignalSpy saved(&store, &ClipStore::sessionSaved);
    store.addCatalogTag("Rebound");
    store.clearSessionFile();
    EXPECT_FALSE(QFileInfo::exists(ClipStore::sessionFilePath()));
    QTest::qWait(ClipStore::saveDelayMs + 300);
    EXPECT_EQ(saved.count(), 0);
    EXPECT_FALSE(QFileInfo::exists(ClipStore::sessionFilePath()));
}

TEST_F(SessionFile, AFailedSaveIsLoggedAndShownAndTheNextSaveTriesAgain)
{
    // A folder in the file's place makes the atomic replacement fail, also
    // for a user who may write anywhere.
    const QString path = ClipStore::sessionFilePath();
    ASSERT_TRUE(QDir().mkpath(path + QStringLiteral("/blocker")));

    ClipStore store;
    store.setClips({clip("a.mov", 2)});
    LogCapture log;
    QSignalSpy errorChanged(&store, &ClipStore::sessionSaveErrorChanged);
    QSignalSpy saved(&store, &ClipStore::sessionSaved);
    store.saveSessionImmediately();
    ASSERT_TRUE(store.sessionSaveError().has_value());
    EXPECT_FALSE(store.sessionSaveError()->isEmpty());
    EXPECT_EQ(errorChanged.count(), 1);
    EXPECT_EQ(saved.count(), 0);
    const QStringList errors = log.messagesOf(QtCriticalMsg);
    ASSERT_EQ(errors.size(), 1);
    EXPECT_EQ(errors[0], QStringLiteral("Immediate session save failed: ") + *store.sessionSaveError());
    EXPECT_EQ(store.clips().size(), 1);

    QDir(path).removeRecursively();
    store.saveSessionImmediately();
    EXPECT_EQ(saved.count(), 1);
    EXPECT_TRUE(QFileInfo(path).isFile());
    // A later success does not clear the error: the window's alert does.
    EXPECT_TRUE(store.sessionSaveError().has_value());
}

TEST_F(SessionFile, NoSaveWritesWhileSavingIsHeldBack)
{
    writeFile(QJsonDocument(validSession()).toJson());
    const QByteArray before = fileBytes();

    ClipStore store;
    store.setSavingEnabled(false);
    store.setClips({clip("early.mov")});
    store.setRating(3, store.clips()[0].id);
    store.saveSessionImmediately();
    QTest::qWait(ClipStore::saveDelayMs + 300);
    EXPECT_EQ(fileBytes(), before);

    QSignalSpy saved(&store, &ClipStore::sessionSaved);
    store.setSavingEnabled(true);
    ASSERT_TRUE(saved.wait(30000));
    EXPECT_EQ(savedObject().value("clips").toArray()[0].toObject().value("filename").toString(), QStringLiteral("early.mov"));
}

TEST_F(SessionFile, ReadingWorksOffTheGuiThread)
{
    writeFile(QJsonDocument(validSession()).toJson());
    QFuture<std::optional<std::pair<ClipStore::SessionData, QList<Clip>>>> future = QtConcurrent::run(
        [] { return ClipStore::readSessionFile(); });
    const auto read = future.result();
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(names(read->second), QStringList{"a.mov"});
}

TEST_F(SessionFile, ReadingRemovesTheCopyOfASaveThatWasInterrupted)
{
    // A save killed between writing its temporary copy and renaming it.
    const QString folder = QFileInfo(ClipStore::sessionFilePath()).absolutePath();
    writeFile(QJsonDocument(validSession()).toJson());
    for (const QString &name :
         {QStringLiteral("session.json.Ab3dE9"), QStringLiteral(".session.json.x7Yz0Q"), QStringLiteral("session.json.bak"),
          QStringLiteral("session.json.Ab3dE"), QStringLiteral(".session.json.tmp")}) {
        QFile file(folder + QLatin1Char('/') + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("{}");
    }
    const auto read = ClipStore::readSessionFile();
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->second.size(), 1);
    // Only the save's own temporary names are taken away; other files stay.
    QStringList left = QDir(folder).entryList(QDir::Files | QDir::Hidden);
    left.sort();
    EXPECT_EQ(left, (QStringList{QStringLiteral(".session.json.tmp"), QStringLiteral("session.json"), QStringLiteral("session.json.Ab3dE"),
                                 QStringLiteral("session.json.bak")}));
}
