// triagon-bench organize SESSION DEST [--by-tag|--by-rating] [--manifest] [--floor]:
// restores the given session file as the application would, organizes its
// shortlisted clips into DEST through the store's real commit path, and
// prints what became of the files. The commit record goes where the
// application's go (the data folder: set XDG_DATA_HOME to keep trials apart
// from a real session). Killing it at any moment leaves every file at its
// old or its planned place and the record telling which.
//
// triagon-bench organize --files N [--clip FILE] DEST [--by-tag|--by-rating]:
// the same run over N files made for it: hard links of FILE (or of a small
// file made here) in DEST/footage, rated and tagged clips of a fresh session
// in a private data folder, organized into the new folder DEST/organized.
//
// Both print, per file, the time of its move (the checks and the move) and
// the time of the record's rewrite that follows it (building the record and
// writing it whole; of it, the write alone), as means over the run and over
// its last tenth, where the record is largest, and the processor time the
// whole run took (on a busy machine a steadier figure than its duration).
//
// --floor adds the bare floor of the record's rewrites: right after the run,
// the final record's bytes written whole as many times as the run wrote its
// record, through the same atomic write and flush policy, with nothing else
// in between (record_floor_ms). A run cannot be faster than its floor; the
// floor's own growth with N is that of rewriting the whole record per file.
//
// --floor adds the bare floor of the record's rewrites: right after the run,
// the final record's bytes written whole as many times as the run wrote its
// record, through the same atomic write and flush policy, with nothing else
// in between (record_floor_ms). A run cannot be faster than its floor; the
// floor's own growth with N is that of rewriting the whole record per file.
#include "Bench.h"

#include "library/ClipStore.h"
#include "media/MediaEngines.h"
#include "organize/FileOperations.h"
#include "app/AtomicFile.h"
#include "organize/OrganizeCommit.h"
#include "organize/OrganizeRunner.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <QTemporaryDir>

#include <cstdio>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <unistd.h>

namespace {

int usage()
{
    std::fprintf(stderr, "usage: triagon-bench organize SESSION DEST [--by-tag|--by-rating] [--manifest] [--floor]\n"
                         "       triagon-bench organize --files N [--clip FILE] DEST [--by-tag|--by-rating] [--manifest] [--floor]\n");
    return 2;
}

// The real file layer, timing the run's steps. Between two record writes
// the run handles one file: from the first operation after a write to the
// last one before the next is that file's move; from there to the end of
// the write is the record's rewrite.
class TimedFileOperations : public FileOperations
{
public:
    struct File
    {
        double moveMs = 0;
        double rewriteMs = 0;
        double writeMs = 0;
    };

    TimedFileOperations() { m_clock.start(); }

    std::variant<Entry, OrganizeError> entry(const QString &path) override
    {
        const qint64 start = began();
        auto result = FileOperations::entry(path);
        ended(start);
        return result;
    }
    std::optional<OrganizeError> moveWithoutReplacing(const QString &from, const QString &to) override
    {
        const qint64 start = began();
        m_moved = true;
        auto result = FileOperations::moveWithoutReplacing(from, to);
        ended(start);
        return result;
    }
    std::optional<OrganizeError> writeFileAtomically(const QString &path, const AtomicFile::Pieces &pieces,
                                                     AtomicFile::Durability durability) override
    {
        const qint64 start = m_clock.nsecsElapsed();
        auto result = FileOperations::writeFileAtomically(path, pieces, durability);
        const qint64 end = m_clock.nsecsElapsed();
        std::lock_guard lock(m_mutex);
        if (m_moved)
            m_files.push_back(File{(m_lastEnd - m_firstStart) / 1e6, (end - m_lastEnd) / 1e6, (end - start) / 1e6});
        m_moved = false;
        ++m_writes;
        m_firstStart = -1;
        m_lastEnd = end;
        m_recordBytes = 0;
        for (const QByteArrayView piece : pieces)
            m_recordBytes += piece.size();
        return result;
    }

    std::vector<File> files() const
    {
        std::lock_guard lock(m_mutex);
        return m_files;
    }
    qsizetype recordBytes() const { return m_recordBytes; }
    int writes() const { return m_writes; }

private:
    qint64 began()
    {
        const qint64 now = m_clock.nsecsElapsed();
        std::lock_guard lock(m_mutex);
        if (m_firstStart < 0)
            m_firstStart = now;
        return now;
    }
    void ended(qint64)
    {
        const qint64 now = m_clock.nsecsElapsed();
        std::lock_guard lock(m_mutex);
        m_lastEnd = now;
    }

    QElapsedTimer m_clock;
    mutable std::mutex m_mutex;
    std::vector<File> m_files;
    qint64 m_firstStart = -1;
    qint64 m_lastEnd = 0;
    bool m_moved = false;
    int m_writes = 0;
    qsizetype m_recordBytes = 0;
};

void printTimes(const std::vector<TimedFileOperations::File> &files)
{
    auto mean = [&](size_t from, double TimedFileOperations::File::*field) {
        double sum = 0;
        for (size_t i = from; i < files.size(); ++i)
            sum += files[i].*field;
        return files.size() > from ? sum / double(files.size() - from) : 0.0;
    };
    const size_t lastTenth = files.size() - files.size() / 10;
    bench::print("move_ms_per_file", mean(0, &TimedFileOperations::File::moveMs), 3);
    bench::print("record_rewrite_ms_per_file", mean(0, &TimedFileOperations::File::rewriteMs), 3);
    bench::print("record_write_ms_per_file", mean(0, &TimedFileOperations::File::writeMs), 3);
    bench::print("move_ms_per_file_last_tenth", mean(lastTenth, &TimedFileOperations::File::moveMs), 3);
    bench::print("record_rewrite_ms_per_file_last_tenth", mean(lastTenth, &TimedFileOperations::File::rewriteMs), 3);
    bench::print("record_write_ms_per_file_last_tenth", mean(lastTenth, &TimedFileOperations::File::writeMs), 3);
}

// N rated and tagged clips over hard links of one file in `footage`.
std::optional<QList<Clip>> madeClips(int count, const QString &clipFile, const QString &footage)
{
    if (!QDir().mkpath(footage))
        return std::nullopt;
    QString source = clipFile;
    if (source.isEmpty()) {
        source = footage + QStringLiteral("/.source.mov");
        QFile file(source);
        if (!file.open(QIODevice::WriteOnly) || file.write(QByteArray(64 * 1024, 'x')) != 64 * 1024)
            return std::nullopt;
    }
    const qint64 size = QFileInfo(source).size();
    const QStringList tags{QStringLiteral("Dunk"),        QStringLiteral("Interview"), QStringLiteral("B-roll"), QStringLiteral("Crowd"),
                           QStringLiteral("say \"cut\""), QStringLiteral("Caf\u00e9"), QStringLiteral("Three"),  QStringLiteral("Huddle")};
    QList<Clip> clips;
    clips.reserve(count);
    for (int i = 0; i < count; ++i) {
        const QString name = QStringLiteral("A%1_C%2.MOV").arg(i / 1000 + 1, 3, 10, QLatin1Char('0')).arg(i, 5, 10, QLatin1Char('0'));
        const QString path = footage + QLatin1Char('/') + name;
        if (::link(QFile::encodeName(source).constData(), QFile::encodeName(path).constData()) != 0) {
            std::fprintf(stderr, "organize: could not link %s: %s\n", qUtf8Printable(path), std::strerror(errno));
            return std::nullopt;
        }
        Clip c;
        c.id = QUuid::createUuid();
        c.url = QUrl::fromLocalFile(path);
        c.filename = name;
        c.duration = 4.5 + (i % 60) * 1.37;
        c.width = i % 5 == 0 ? 1080 : 3840;
        c.height = i % 5 == 0 ? 1920 : 2160;
        c.fileSize = size;
        c.codec = QStringLiteral("HEVC");
        c.frameRate = i % 3 == 0 ? 29.97 : 25;
        c.rating = i % 5 + 1;
        c.tags = {tags[i % tags.size()]};
        if (i % 4 == 0)
            c.tags.append(tags[(i / 4) % tags.size()]);
        if (i % 50 == 0)
            c.markerFlag = MarkerFlag::marker();
        clips.append(c);
    }
    return clips;
}

// Puts the given session file where the application reads its session. A
// different session already there is kept beside it, never replaced.
bool installSession(const QString &given)
{
    const QString target = ClipStore::sessionFilePath();
    const QFileInfo givenInfo(given);
    if (!givenInfo.isFile()) {
        std::fprintf(stderr, "organize: no session file at %s\n", qUtf8Printable(given));
        return false;
    }
    if (QFileInfo(target).exists() && givenInfo.canonicalFilePath() == QFileInfo(target).canonicalFilePath())
        return true;
    if (QFileInfo::exists(target)) {
        const QString kept = QFileInfo(target).absolutePath() + QStringLiteral("/session.before-bench-")
                             + QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz")) + QStringLiteral(".json");
        if (!QFile::rename(target, kept)) {
            std::fprintf(stderr, "organize: could not keep the existing session %s aside\n", qUtf8Printable(target));
            return false;
        }
        bench::print("previous_session", kept);
    }
    QDir().mkpath(QFileInfo(target).absolutePath());
    if (!QFile::copy(given, target)) {
        std::fprintf(stderr, "organize: could not copy %s to %s\n", qUtf8Printable(given), qUtf8Printable(target));
        return false;
    }
    return true;
}

struct Options
{
    bool manifest = false;
    bool floor = false;
};

// The bare rewrites of a run: the record's bytes written whole `writes`
// times to a file beside it, flushed to the disk as the run flushes its
// record (the first and the last write, and at most once a second between).
// Milliseconds, or a negative number when a write failed.
double recordFloorMs(const QString &record, int writes)
{
    QFile file(record);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray bytes = file.readAll();
    const QString path = QFileInfo(record).absolutePath() + QStringLiteral("/floor.json");
    QElapsedTimer timer;
    timer.start();
    qint64 lastFlush = 0;
    for (int i = 0; i < writes; ++i) {
        const qint64 now = timer.elapsed();
        const bool flush = i == 0 || i + 1 == writes || now - lastFlush >= OrganizeCommit::recordFlushIntervalMs;
        if (flush)
            lastFlush = now;
        if (AtomicFile::write(path, bytes, AtomicFile::Target::replace,
                              flush ? AtomicFile::Durability::onDisk : AtomicFile::Durability::inSystem))
            return -1;
    }
    const double elapsed = timer.nsecsElapsed() / 1e6;
    QFile::remove(path);
    return elapsed;
}

// Organizes the store's shortlist into `destination` (or a new folder of
// that name in it) through the store's own path, and prints the outcome
// and the times.
int organizeAndReport(ClipStore &store, const QString &destination, const std::optional<QString> &newFolderName, const Options &options)
{
    auto timed = std::make_shared<TimedFileOperations>();
    store.organizeRunner().setFileOperations(timed);
    std::optional<ExportResult> result;
    QElapsedTimer timer;
    timer.start();
    const double cpuStart = bench::processorSeconds();
    // Sleeps in the event loop while the run works: a busy wait here would
    // take a processor from the run.
    QEventLoop loop;
    store.organizeClips(ExportScope::shortlisted, QUrl::fromLocalFile(destination), newFolderName, options.manifest,
                        [&](const ExportResult &r) {
                            result = r;
                            loop.quit();
                        });
    if (!result)
        loop.exec();
    const double elapsed = timer.nsecsElapsed() / 1e6;
    const double cpu = bench::processorSeconds() - cpuStart;

    int verified = 0, failed = 0, needsReview = 0;
    const QString record = store.lastCommitRecordPath();
    QFile file(record);
    if (!record.isEmpty() && file.open(QIODevice::ReadOnly)) {
        const QJsonArray files = QJsonDocument::fromJson(file.readAll()).object().value(QStringLiteral("files")).toArray();
        for (const QJsonValue &entry : files) {
            const QString status = entry.toObject().value(QStringLiteral("status")).toString();
            verified += status == QLatin1String("verified");
            failed += status == QLatin1String("failed");
            needsReview += status == QLatin1String("needs_review");
        }
    }
    for (const QString &error : std::as_const(result->errors))
        std::fprintf(stderr, "organize: %s\n", qUtf8Printable(error));
    bench::print("moved", verified, 0);
    bench::print("failed", failed, 0);
    bench::print("needs_review", needsReview, 0);
    bench::print("errors", static_cast<double>(result->errors.size()), 0);
    bench::print("record", record);
    bench::print("record_kb", timed->recordBytes() / 1024.0, 1);
    if (result->manifestURL)
        bench::print("manifest", result->manifestURL->toLocalFile());
    printTimes(timed->files());
    bench::print("organize_cpu_ms", cpu * 1000, 1);
    if (options.floor) {
        bench::print("record_writes", timed->writes(), 0);
        bench::print("record_floor_ms", recordFloorMs(record, timed->writes()), 1);
    }
    bench::print("organize_ms", elapsed, 1);
    return result->errors.isEmpty() ? 0 : 1;
}

int runMade(int count, const QString &clipFile, const QStringList &positional, std::optional<FolderOrganization> organization,
            const Options &options)
{
    if (positional.size() != 1)
        return usage();
    const QString destination = QFileInfo(positional[0]).absoluteFilePath();
    if (QFileInfo::exists(destination + QStringLiteral("/footage")) || QFileInfo::exists(destination + QStringLiteral("/organized"))) {
        std::fprintf(stderr, "organize: %s already holds footage or organized: give a new folder\n", qUtf8Printable(destination));
        return 2;
    }
    // A session of its own: the user's session and records stay untouched.
    QTemporaryDir data;
    qputenv("XDG_DATA_HOME", data.path().toUtf8());
    const std::optional<QList<Clip>> clips = madeClips(count, clipFile, destination + QStringLiteral("/footage"));
    if (!clips)
        return 1;
    MediaEngines engines;
    ClipStore store;
    store.setMediaEngines(&engines);
    store.appendClips(*clips);
    store.setFolderOrganization(organization.value_or(FolderOrganization::byRating));
    bench::print("files", count, 0);
    return organizeAndReport(store, destination, QStringLiteral("organized"), options);
}

int run(const QStringList &arguments)
{
    QStringList positional;
    std::optional<FolderOrganization> organization;
    Options options;
    int madeCount = -1;
    QString clipFile;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (argument == QLatin1String("--files") && i + 1 < arguments.size()) {
            bool ok = false;
            madeCount = arguments[++i].toInt(&ok);
            if (!ok || madeCount < 1)
                return usage();
        } else if (argument == QLatin1String("--clip") && i + 1 < arguments.size())
            clipFile = QFileInfo(arguments[++i]).absoluteFilePath();
        else if (argument == QLatin1String("--by-tag"))
            organization = FolderOrganization::byTag;
        else if (argument == QLatin1String("--by-rating"))
            organization = FolderOrganization::byRating;
        else if (argument == QLatin1String("--manifest"))
            options.manifest = true;
        else if (argument == QLatin1String("--floor"))
            options.floor = true;
        else if (argument.startsWith(QLatin1String("--")))
            return usage();
        else
            positional.append(argument);
    }
    if (madeCount > 0)
        return runMade(madeCount, clipFile, positional, organization, options);
    if (positional.size() != 2)
        return usage();
    if (!installSession(positional[0]))
        return 1;

    MediaEngines engines;
    ClipStore store;
    store.setMediaEngines(&engines);
    bool restoredDone = false, restored = false;
    store.restoreSessionAtLaunch([](qint64 n) { return n < 2 ? QStringLiteral("banger") : QStringLiteral("bangerx%1").arg(n); },
                                 [&](bool ok) {
                                     restored = ok;
                                     restoredDone = true;
                                 });
    while (!restoredDone)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    if (!restored) {
        std::fprintf(stderr, "organize: the session could not be restored\n");
        return 1;
    }
    if (organization)
        store.setFolderOrganization(*organization);

    return organizeAndReport(store, QFileInfo(positional[1]).absoluteFilePath(), std::nullopt, options);
}

const BenchCommand command(
    "organize", "SESSION DEST [--by-tag|--by-rating] [--manifest] [--floor] | --files N [--clip FILE] DEST ...   organize a shortlist",
    run);

} // namespace
