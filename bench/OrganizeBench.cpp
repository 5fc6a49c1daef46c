// triagon-bench organize SESSION DEST [--by-tag|--by-rating] [--manifest]:
// restores the given session file as the application would, organizes its
// shortlisted clips into DEST through the store's real commit path, and
// prints what became of the files. The commit record goes where the
// application's go (the data folder: set XDG_DATA_HOME to keep trials apart
// from a real session). Killing it at any moment leaves every file at its
// old or its planned place and the record telling which.
#include "Bench.h"

#include "library/ClipStore.h"

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

#include <cstdio>

namespace {

int usage()
{
    std::fprintf(stderr, "usage: triagon-bench organize SESSION DEST [--by-tag|--by-rating] [--manifest]\n");
    return 2;
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

int run(const QStringList &arguments)
{
    QStringList positional;
    std::optional<FolderOrganization> organization;
    bool manifest = false;
    for (const QString &argument : arguments) {
        if (argument == QLatin1String("--by-tag"))
            organization = FolderOrganization::byTag;
        else if (argument == QLatin1String("--by-rating"))
            organization = FolderOrganization::byRating;
        else if (argument == QLatin1String("--manifest"))
            manifest = true;
        else if (argument.startsWith(QLatin1String("--")))
            return usage();
        else
            positional.append(argument);
    }
    if (positional.size() != 2)
        return usage();
    if (!installSession(positional[0]))
        return 1;

    ClipStore store;
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

    const QString destination = QFileInfo(positional[1]).absoluteFilePath();
    std::optional<ExportResult> result;
    QElapsedTimer timer;
    timer.start();
    store.organizeClips(ExportScope::shortlisted, QUrl::fromLocalFile(destination), std::nullopt, manifest,
                        [&](const ExportResult &r) { result = r; });
    while (!result)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    const double elapsed = timer.nsecsElapsed() / 1e6;

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
    if (result->manifestURL)
        bench::print("manifest", result->manifestURL->toLocalFile());
    bench::print("organize_ms", elapsed, 1);
    return result->errors.isEmpty() ? 0 : 1;
}

const BenchCommand command("organize", "SESSION DEST [--by-tag|--by-rating] [--manifest]   organize a session's shortlist", run);

} // namespace
