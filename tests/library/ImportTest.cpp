#include "StoreTestSupport.h"
#include "media/ThumbnailGenerator.h"
#include "support/DefaultLocale.h"
#include "support/ImportTakes.h"
#include "support/StoreWithEngines.h"
#include "support/TestMedia.h"

#include <QDir>
#include <QFile>
#include <QMutex>
#include <QSet>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace StoreTest;

TEST(Import, FolderArrivesInBatchesAndBecomesOneUndoableAddition)
{
    QTemporaryDir dir;
    makeTakes(dir.path(), 40);
    // Neither hidden entries nor links are part of the folder's footage.
    TestMedia::copyTo(QStringLiteral("clip.mkv"), dir.path(), QStringLiteral(".hidden.mkv"));
    TestMedia::copyTo(QStringLiteral("clip.mkv"), dir.path() + QStringLiteral("/.trash"), QStringLiteral("old.mkv"));
    ASSERT_EQ(::symlink((dir.path() + QStringLiteral("/take1.mkv")).toUtf8().constData(),
                        (dir.path() + QStringLiteral("/alias.mkv")).toUtf8().constData()),
              0);
    ASSERT_EQ(::symlink(dir.path().toUtf8().constData(), (dir.path() + QStringLiteral("/loop")).toUtf8().constData()), 0);

    StoreWithEngines withEngines;
    ClipStore &store = withEngines.store;
    // The real probe, watched for how many files are probed at once. The
    // first probe waits until a second one has started beside it: on a busy
    // machine one prober thread could otherwise probe every file before the
    // next thread is even scheduled.
    auto running = std::make_shared<std::atomic<int>>(0);
    auto most = std::make_shared<std::atomic<int>>(0);
    auto calls = std::make_shared<std::atomic<int>>(0);
    auto secondStarted = std::make_shared<QSemaphore>(0);
    store.importer()->setProbeFunction([running, most, calls, secondStarted](const QUrl &url, const std::atomic_bool *cancelled) {
        const int now = running->fetch_add(1) + 1;
        int seen = most->load();
        while (now > seen && !most->compare_exchange_weak(seen, now)) {
        }
        const int call = calls->fetch_add(1);
        if (call == 1)
            secondStarted->release();
        else if (call == 0)
            secondStarted->tryAcquire(1, 60000); // only an import that probes one file at a time waits this out
        Clip clip = ClipImporter::probeClip(url, cancelled);
        running->fetch_sub(1);
        return clip;
    });
    QList<qsizetype> counts;
    QList<double> progress;
    QObject::connect(&store, &ClipStore::clipsChanged, [&] { counts.append(store.clips().size()); });
    QObject::connect(&store, &ClipStore::loadingChanged, [&] { progress.append(store.loadingProgress()); });

    store.addURLs(QUrl::fromLocalFile(dir.path()), {});
    EXPECT_TRUE(store.isLoading());
    EXPECT_EQ(store.loadingProgress(), 0);
    ASSERT_TRUE(waitUntilIdle(store));

    EXPECT_EQ(counts, (QList<qsizetype>{16, 32, 40}));
    EXPECT_LE(most->load(), int(ClipImporter::probeBatchSize));
    EXPECT_GT(most->load(), 1) << "files are probed side by side";
    // Each batch publishes its progress; the final write clears the loading flag.
    QList<double> batchProgress;
    for (double p : progress) {
        if (p > 0 && (batchProgress.isEmpty() || batchProgress.last() != p))
            batchProgress.append(p);
    }
    EXPECT_EQ(batchProgress, (QList<double>{0.4, 0.8, 1.0}));
    EXPECT_EQ(store.loadingProgress(), 1.0);

    ASSERT_EQ(store.clips().size(), 40);
    EXPECT_EQ(store.clips()[1].filename, QStringLiteral("take2.mkv"));
    EXPECT_EQ(store.clips()[9].filename, QStringLiteral("take10.mkv"));
    EXPECT_EQ(store.clips()[39].filename, QStringLiteral("take40.mkv"));
    EXPECT_EQ(store.undoStack().size(), 1);
    EXPECT_EQ(store.undoTitle(), QStringLiteral("Undo Add 40 clips"));
    EXPECT_TRUE(store.isSessionSaveScheduled());
    EXPECT_EQ(store.loadedURLs().size(), 40);

    // Undoing the import takes every clip away and forgets its files.
    store.undo();
    EXPECT_TRUE(store.clips().isEmpty());
    EXPECT_TRUE(store.loadedURLs().isEmpty());
}

// The probers of one import read the list of files side by side. Reading it
// through a writable handle made each of them copy the list while another was
// reading it, so that now and then a prober took a torn or freed address: its
// clip pointed at no file and went offline at the next availability check.
TEST(Import, EveryProbeGetsAFileOfTheImportOnce)
{
    QTemporaryDir dir;
    QSet<QUrl> files;
    for (int i = 0; i < 64; ++i) {
        const QString path = dir.filePath(QStringLiteral("take%1.mov").arg(i));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        files.insert(QUrl::fromLocalFile(path));
    }
    // Quick probes, so that the probers start and read the list together.
    auto probed = std::make_shared<QList<QUrl>>();
    auto mutex = std::make_shared<QMutex>();
    for (int round = 0; round < 40; ++round) {
        SCOPED_TRACE(round);
        StoreWithEngines withEngines;
        ClipStore &store = withEngines.store;
        store.setSavingEnabled(false);
        probed->clear();
        store.importer()->setProbeFunction([probed, mutex](const QUrl &url, const std::atomic_bool *) {
            Clip clip;
            clip.id = QUuid::createUuid();
            clip.url = url;
            clip.filename = url.fileName();
            QMutexLocker lock(mutex.get());
            probed->append(url);
            return clip;
        });
        store.addURLs(std::nullopt, QList<QUrl>(files.cbegin(), files.cend()));
        ASSERT_TRUE(waitUntilIdle(store));
        ASSERT_EQ(store.clips().size(), files.size());
        {
            QMutexLocker lock(mutex.get());
            ASSERT_EQ(probed->size(), files.size());
            EXPECT_EQ(QSet<QUrl>(probed->cbegin(), probed->cend()), files);
        }
        QSet<QUrl> clipURLs;
        for (const Clip &c : store.clips())
            clipURLs.insert(c.url);
        EXPECT_EQ(clipURLs, files);
        store.refreshAvailability();
        EXPECT_TRUE(store.offlineClips().isEmpty());
    }
}

// A folder's files come in name order (clip2 before clip10, case ignored),
// also under the C locale that LANG=C.UTF-8 gives.
TEST(Import, AFoldersFilesArriveInNameOrderUnderEveryLocale)
{
    QTemporaryDir dir;
    for (const char *name : {"clip10.mov", "B.mov", "clip2.mov", "a.mov"})
        TestMedia::copyTo(QStringLiteral("clip.mkv"), dir.path(), name);
    for (const QLocale &locale : {QLocale::c(), QLocale(QLocale::English, QLocale::UnitedStates)}) {
        SCOPED_TRACE(locale.name().toStdString());
        const DefaultLocale scoped(locale);
        ClipStore store;
        store.setSavingEnabled(false);
        store.addURLs(QUrl::fromLocalFile(dir.path()), {});
        ASSERT_TRUE(waitUntilIdle(store));
        EXPECT_EQ(names(store.clips()), (QStringList{"a.mov", "B.mov", "clip2.mov", "clip10.mov"}));
    }
}

TEST(Import, SecondImportOfTheSameFilesAddsNothingAndRecordsNoUndo)
{
    QTemporaryDir dir;
    const QStringList takes = makeTakes(dir.path(), 3);
    StoreWithEngines withEngines;
    ClipStore &store = withEngines.store;
    store.addURLs(QUrl::fromLocalFile(dir.path()), {});
    ASSERT_TRUE(waitUntilIdle(store));
    ASSERT_EQ(store.clips().size(), 3);
    ASSERT_EQ(store.undoStack().size(), 1);

    QSignalSpy clipChanges(&store, &ClipStore::clipsChanged);
    store.addURLs(QUrl::fromLocalFile(dir.path()), {});
    ASSERT_TRUE(waitUntilIdle(store));
    // The same file named differently, and twice in one list, is still one file.
    store.addURLs(std::nullopt, {QUrl::fromLocalFile(dir.path() + QStringLiteral("/sub/../take1.mkv")), QUrl::fromLocalFile(takes[1]),
                                 QUrl::fromLocalFile(takes[1])});
    ASSERT_TRUE(waitUntilIdle(store));

    EXPECT_EQ(store.clips().size(), 3);
    EXPECT_EQ(clipChanges.count(), 0);
    EXPECT_EQ(store.undoStack().size(), 1);
    // Every import starts from 0; one that finds nothing new leaves it there.
    EXPECT_EQ(store.loadingProgress(), 0);
    EXPECT_FALSE(store.isLoading());
}

TEST(Import, FilesAreProbedIntoClipsWithTheirFacts)
{
    QTemporaryDir dir;
    const QString dated = TestMedia::copyTo(QStringLiteral("dated.mov"), dir.path(), QStringLiteral("A001.MOV"));
    const QString broken = TestMedia::copyTo(QStringLiteral("notavideo.mov"), dir.path());
    StoreWithEngines withEngines;
    ClipStore &store = withEngines.store;
    // A list of files is imported as given, in its order, without an extension check.
    store.addURLs(std::nullopt, {QUrl::fromLocalFile(dated), QUrl::fromLocalFile(broken)});
    ASSERT_TRUE(waitUntilIdle(store));
    ASSERT_EQ(store.clips().size(), 2);

    const Clip &clip = store.clips()[0];
    EXPECT_EQ(clip.filename, QStringLiteral("A001.MOV"));
    EXPECT_EQ(clip.url, QUrl::fromLocalFile(dated));
    EXPECT_EQ(clip.width, 320);
    EXPECT_EQ(clip.height, 240);
    EXPECT_NEAR(clip.duration, 1.0, 0.1);
    EXPECT_EQ(clip.fileSize, QFileInfo(dated).size());
    EXPECT_FALSE(clip.codec.isEmpty());
    ASSERT_TRUE(clip.recordedAt.has_value());
    EXPECT_EQ(*clip.recordedAt, QDateTime(QDate(2024, 5, 1), QTime(10, 20, 30), Qt::UTC));
    EXPECT_EQ(clip.recordingDateChecked, true);

    // A file the media layer cannot read still becomes a clip.
    const Clip &unreadable = store.clips()[1];
    EXPECT_EQ(unreadable.width, 0);
    EXPECT_EQ(unreadable.codec, QString());
    EXPECT_EQ(unreadable.fileSize, QFileInfo(broken).size());
    EXPECT_EQ(store.undoTitle(), QStringLiteral("Undo Add 2 clips"));
}

TEST(Import, APipeNamedLikeAVideoNeverHoldsTheImport)
{
    QTemporaryDir dir;
    const QString pipe = dir.path() + QStringLiteral("/pipe.mov");
    ASSERT_EQ(::mkfifo(pipe.toUtf8().constData(), 0600), 0);
    const QString real = TestMedia::copyTo(QStringLiteral("clip.mkv"), dir.path());
    StoreWithEngines withEngines;
    ClipStore &store = withEngines.store;
    QSignalSpy prewarmed(store.importer(), &ClipImporter::prewarmFinished);

    // Walked, the pipe is not a regular file; handed over as a file, it becomes
    // a clip without facts instead of blocking a probe for ever.
    store.addURLs(QUrl::fromLocalFile(dir.path()), {});
    ASSERT_TRUE(waitUntilIdle(store, 30000));
    ASSERT_EQ(store.clips().size(), 1);
    store.addURLs(std::nullopt, {QUrl::fromLocalFile(pipe)});
    ASSERT_TRUE(waitUntilIdle(store, 30000));
    ASSERT_EQ(store.clips().size(), 2);
    EXPECT_EQ(store.clips()[1].filename, QStringLiteral("pipe.mov"));
    EXPECT_EQ(store.clips()[1].width, 0);
    EXPECT_EQ(store.clips()[1].duration, 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return prewarmed.count() > 0 && !store.importer()->isPrewarming(); }, 30000));
}

TEST(Import, SessionResetDropsTheResultsOfARunningImport)
{
    QTemporaryDir dir;
    makeTakes(dir.path(), 40);
    StoreWithEngines withEngines;
    ClipStore &store = withEngines.store;
    // The real probe, except that files after the first batch wait until the
    // test lets them go: the reset then surely falls between two batches.
    auto probed = std::make_shared<std::atomic<int>>(0);
    auto gate = std::make_shared<QSemaphore>(0);
    store.importer()->setProbeFunction([probed, gate](const QUrl &url, const std::atomic_bool *cancelled) {
        if (probed->fetch_add(1) >= int(ClipImporter::probeBatchSize))
            gate->acquire();
        return ClipImporter::probeClip(url, cancelled);
    });
    QSignalSpy finished(store.importer(), &ClipImporter::importsFinished);

    store.addURLs(QUrl::fromLocalFile(dir.path()), {});
    ASSERT_TRUE(QTest::qWaitFor([&] { return store.clips().size() == 16; }, 60000));
    EXPECT_EQ(store.loadingProgress(), 0.4);
    store.startNewSession({QStringLiteral("Dunk")});
    EXPECT_FALSE(store.isLoading());
    EXPECT_EQ(store.loadingProgress(), 0);
    gate->release(40);

    // The outdated import still ends, and adds nothing on its way out.
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished.count() > 0; }, 60000));
    QTest::qWait(50);
    EXPECT_TRUE(store.clips().isEmpty());
    EXPECT_TRUE(store.undoStack().isEmpty());
    EXPECT_TRUE(store.loadedURLs().isEmpty());
    EXPECT_FALSE(store.isLoading());
    EXPECT_EQ(store.loadingProgress(), 0);
    EXPECT_FALSE(store.importer()->hasImportTasks());
}

TEST(Import, ReadsMissingRecordingDatesAndDropsStaleOnes)
{
    QTemporaryDir dir;
    const QString dated = TestMedia::copyTo(QStringLiteral("dated.mov"), dir.path());
    const QString copy = TestMedia::copyTo(QStringLiteral("dated.mov"), dir.path(), QStringLiteral("copy.mov"));
    const QString plain = TestMedia::copyTo(QStringLiteral("clip.mkv"), dir.path());
    // Clips of an older session, whose recording dates were never read.
    auto unchecked = [](const QString &path) {
        Clip c = clip(QFileInfo(path).fileName());
        c.url = QUrl::fromLocalFile(path);
        c.fileSize = QFileInfo(path).size();
        return c;
    };
    StoreWithEngines withEngines;
    ClipStore &store = withEngines.store;
    store.setClips({unchecked(dated), unchecked(plain)});
    QSignalSpy ended(store.importer(), &ClipImporter::recordingDatesFinished);

    store.probeRecordingDates();
    EXPECT_TRUE(store.importer()->isProbingRecordingDates());
    // While the dates are read, the first clip is pointed at another file.
    ASSERT_EQ(store.relinkClip(store.clips()[0].id, QUrl::fromLocalFile(copy)), std::nullopt);
    ASSERT_TRUE(ended.wait(30000));
    EXPECT_FALSE(store.importer()->isProbingRecordingDates());
    EXPECT_EQ(store.clips()[0].url, QUrl::fromLocalFile(copy));
    EXPECT_FALSE(store.clips()[0].recordedAt.has_value()) << "a date read from the old file must not be written";
    EXPECT_NE(store.clips()[0].recordingDateChecked, true);
    EXPECT_EQ(store.clips()[1].recordingDateChecked, true);
    EXPECT_FALSE(store.clips()[1].recordedAt.has_value());

    // The next probe picks up the relinked clip.
    store.probeRecordingDates();
    ASSERT_TRUE(ended.wait(30000));
    ASSERT_TRUE(store.clips()[0].recordedAt.has_value());
    EXPECT_EQ(store.clips()[0].recordedAt->date(), QDate(2024, 5, 1));

    // A reset while dates are read drops them.
    store.setClips({unchecked(dated)});
    store.probeRecordingDates();
    store.rebuildLoadedURLs();
    EXPECT_FALSE(store.importer()->isProbingRecordingDates());
    QTest::qWait(300);
    EXPECT_NE(store.clips()[0].recordingDateChecked, true);
}

TEST(Import, PostersArePreparedForEveryClipAfterAnImport)
{
    QTemporaryDir dir;
    makeTakes(dir.path(), 3, QStringLiteral("portrait.mp4"));
    StoreWithEngines withEngines;
    ClipStore &store = withEngines.store;
    QSignalSpy prewarmed(store.importer(), &ClipImporter::prewarmFinished);
    store.addURLs(QUrl::fromLocalFile(dir.path()), {});
    ASSERT_TRUE(waitUntilIdle(store));
    ASSERT_TRUE(prewarmed.wait(60000));
    for (const Clip &c : store.clips()) {
        const QImage poster = store.thumbnailGenerator()->posterCache().object(
            ThumbnailGenerator::posterKey(c.path(), 0.25 * c.duration, ClipImporter::prewarmPosterSize));
        ASSERT_FALSE(poster.isNull()) << c.filename.toStdString();
        EXPECT_LE(poster.width(), 480);
        EXPECT_LE(poster.height(), 270);
        EXPECT_LT(poster.width(), poster.height()); // upright
    }
}

namespace {

// A copy of a generated clip under a name given as raw bytes (which need
// not be valid UTF-8), made with POSIX calls; its size in bytes.
qint64 copyUnderRawName(const QString &media, const QByteArray &path)
{
    QFile source(TestMedia::path(media));
    if (!source.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray bytes = source.readAll();
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        return -1;
    const bool written = ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    ::close(fd);
    return written ? bytes.size() : -1;
}

} // namespace

TEST(Import, FilesWhoseNamesAreNotUtf8AreSkippedWithALogLineAndCounted)
{
    StoreTest::LogCapture log;
    const auto count = [&](const QString &line) { return log.messagesOf(QtWarningMsg).count(line); };
    QTemporaryDir alone;
    QTemporaryDir twins;
    const QByteArray aloneDir = QFile::encodeName(alone.path());
    const QByteArray twinsDir = QFile::encodeName(twins.path());
    // Latin-1 bytes, as a camera or an old archive may leave them; beside one
    // of them, the name its text would stand for exists too.
    ASSERT_GT(copyUnderRawName(QStringLiteral("clip.mkv"), aloneDir + "/Caf\xE9.mkv"), 0);
    ASSERT_GT(copyUnderRawName(QStringLiteral("clip.mkv"), twinsDir + "/take\xFF.mkv"), 0);
    const qint64 twinSize = copyUnderRawName(QStringLiteral("noaudio.mp4"), twinsDir + "/take\xEF\xBF\xBD.mkv");
    ASSERT_GT(twinSize, 0);
    ASSERT_EQ(::mkdir((twinsDir + "/day\xFE").constData(), 0755), 0);
    ASSERT_GT(copyUnderRawName(QStringLiteral("clip.mkv"), twinsDir + "/day\xFE/inside.mkv"), 0);

    StoreWithEngines withEngines;
    ClipStore &store = withEngines.store;
    store.addURLs(QUrl::fromLocalFile(alone.path()), {});
    ASSERT_TRUE(waitUntilIdle(store));
    EXPECT_TRUE(store.clips().isEmpty()) << "a clip names a path that does not exist: "
                                         << (store.clips().isEmpty() ? std::string() : store.clips().first().url.toString().toStdString());
    EXPECT_EQ(count(QStringLiteral("Skipping file whose name is not valid UTF-8: %1/Caf\\xE9.mkv").arg(alone.path())), 1);
    EXPECT_EQ(count(QStringLiteral("Import of %1: skipped 1 file(s) whose names are not valid UTF-8").arg(alone.path())), 1);

    // The file whose name is its twin's text is not taken for the twin: it is
    // skipped and said so, and the twin is imported as itself.
    store.addURLs(QUrl::fromLocalFile(twins.path()), {});
    ASSERT_TRUE(waitUntilIdle(store));
    ASSERT_EQ(store.clips().size(), 1);
    const Clip &twin = store.clips().first();
    EXPECT_EQ(twin.filename, QStringLiteral("take\uFFFD.mkv"));
    EXPECT_EQ(twin.fileSize, twinSize);
    EXPECT_EQ(twin.width, 640);
    EXPECT_EQ(count(QStringLiteral("Skipping file whose name is not valid UTF-8: %1/take\\xFF.mkv").arg(twins.path())), 1);
    EXPECT_EQ(count(QStringLiteral("Skipping folder whose name is not valid UTF-8: %1/day\\xFE").arg(twins.path())), 1);
    EXPECT_EQ(count(QStringLiteral("Import of %1: skipped 1 file(s) whose names are not valid UTF-8").arg(twins.path())), 1);

    // Dropped, such a file comes as a URL carrying its bytes; chosen in a file
    // dialog, as the text the dialog made of them. Neither becomes a clip.
    const QUrl dropped(QStringLiteral("file://") + QString::fromLatin1((aloneDir + "/Caf\xE9.mkv").toPercentEncoding("/")));
    const QUrl chosen = QUrl::fromLocalFile(alone.path() + QStringLiteral("/Caf\uFFFD.mkv"));
    store.addURLs(std::nullopt, {dropped, chosen});
    ASSERT_TRUE(waitUntilIdle(store));
    EXPECT_EQ(store.clips().size(), 1);
    EXPECT_EQ(count(QStringLiteral("Import: skipped 2 file(s) whose names are not valid UTF-8")), 1);
}
