#include "library/ClipStore.h"

#include "app/Loggers.h"
#include "organize/FolderPlan.h"
#include "organize/OrganizeRunner.h"
#include "media/AudioScrubEngine.h"
#include "media/ScrubPlayerPool.h"

#include <QCoreApplication>
#include <QFileInfo>

// ==== Organize run ==========================================================
// The store's side of organizing: accepting or refusing a run, stopping the
// scrub media, handing copies of the scope's clips to the runner, following
// its progress, and applying its outcome to the session.

namespace {

QString alreadyRunningText()
{
    return QStringLiteral("A commit is already running.");
}
QString emptyScopeText()
{
    return QStringLiteral("There are no clips in this export scope.");
}

} // namespace

void ClipStore::setExportProgress(double progress)
{
    // A NaN never equals anything, so storing one always counts as a change.
    if (progress == m_exportProgress)
        return;
    m_exportProgress = progress;
    Q_EMIT objectWillChange();
    Q_EMIT exportProgressChanged();
}

void ClipStore::setExportCurrentFile(const QString &name)
{
    if (name == m_exportCurrentFile)
        return;
    m_exportCurrentFile = name;
    Q_EMIT objectWillChange();
    Q_EMIT exportProgressChanged();
}

void ClipStore::setExportProgress(double fraction, const QString &filename)
{
    setExportProgress(fraction);
    setExportCurrentFile(filename);
}

QString ClipStore::commitRecordsFolderPath()
{
    return QFileInfo(sessionFilePath()).absolutePath() + QStringLiteral("/CommitRecords");
}

// The runner of the file work (made on first use); tests and the
// benchmark give it their own file layer.
OrganizeRunner &ClipStore::organizeRunner()
{
    if (!m_organizeRunner) {
        m_organizeRunner = new OrganizeRunner(this);
        connect(m_organizeRunner, &OrganizeRunner::progress, this,
                [this](double fraction, const QString &filename) { setExportProgress(fraction, filename); });
        connect(m_organizeRunner, &OrganizeRunner::finished, this, &ClipStore::applyOrganizeOutcome);
    }
    return *m_organizeRunner;
}

// Moves the clips of the scope into rating or tag folders under the
// destination (or under a new folder of that name inside it), with a
// commit record and optionally a manifest. A refusal (invalid folder
// name, a run already under way, an empty scope) calls `done` before
// this returns. Otherwise the scrub players and sound are stopped, the
// file work runs on a thread of its own, and when it ends the store drops
// the moved clips and their undo records, points clips whose file had to
// stay at its new place there, saves the session at once (or removes the
// file when no clip remains) and calls `done` on the GUI thread.
void ClipStore::organizeClips(ExportScope scope, const QUrl &destination, const std::optional<QString> &newFolderName,
                              bool generateManifest, OrganizeDone done)
{
    auto refuse = [&](const ExportResult &result) {
        qCWarning(sessionLogger, "Organize refused: %s", qUtf8Printable(result.errors.value(0)));
        if (done)
            done(result);
    };
    if (const std::optional<QString> message = FolderPlan::validateFolderName(newFolderName))
        return refuse(ExportResult::refused(*message));
    if (m_isExporting)
        return refuse(ExportResult::refused(alreadyRunningText()));

    m_isExporting = true;
    OrganizeRequest request;
    request.clips = clipsInScope(scope);
    request.skippedCount = static_cast<int>(m_clips.size() - request.clips.size());
    if (request.clips.isEmpty()) {
        m_isExporting = false;
        return refuse(ExportResult::refused(emptyScopeText(), request.skippedCount));
    }
    request.destination = destination;
    request.organization = m_folderOrganization;
    request.newFolderName = newFolderName;
    request.generateManifest = generateManifest;
    request.recordsFolder = commitRecordsFolderPath();
    request.appVersion = QCoreApplication::applicationVersion();

    setExportProgress(0, QString());

    // Nothing of ours may read the files while they move: no new posters, no
    // scrub players holding them open, no sound playing from them. (Running
    // poster decodes and waveform analyses read through descriptors that a
    // rename does not disturb; their results are keyed by the old paths,
    // whose clips leave the session.)
    cancelPrewarm();
    if (ScrubPlayerPool *players = scrubPlayerPool())
        players->purgePlayers();
    if (AudioScrubEngine *sound = audioScrubEngine()) {
        sound->stopPlayback();
        sound->setActiveURL(QString());
    }

    m_organizeDone = std::move(done);
    organizeRunner().start(std::move(request));
}

void ClipStore::applyOrganizeOutcome(const OrganizeOutcome &outcome)
{
    if (!outcome.recordPath.isEmpty())
        m_lastCommitRecordPath = outcome.recordPath;

    // The moved clips leave the session; their files may be imported again.
    QList<Clip> kept;
    kept.reserve(m_clips.size());
    for (const Clip &clip : std::as_const(m_clips)) {
        if (outcome.movedIDs.contains(clip.id))
            m_loadedURLs.remove(clip.url);
        else
            kept.append(clip);
    }
    setClips(std::move(kept));

    // Files that had to stay at their new place: the clip follows its file.
    if (!outcome.relocations.isEmpty()) {
        QList<Clip> clips = m_clips;
        for (auto it = outcome.relocations.cbegin(); it != outcome.relocations.cend(); ++it) {
            const std::optional<qsizetype> index = indexOfClip(it.key());
            if (!index)
                continue;
            m_loadedURLs.remove(clips[*index].url);
            clips[*index].url = it.value();
            m_loadedURLs.insert(it.value());
        }
        setClips(std::move(clips));
    }

    QSet<QUuid> purged = outcome.movedIDs;
    for (auto it = outcome.relocations.cbegin(); it != outcome.relocations.cend(); ++it)
        purged.insert(it.key());
    purgeUndoHistory(purged);
    refreshAvailability();

    if (m_view.selectedClipIDs.intersects(outcome.movedIDs)) {
        Q_EMIT objectWillChange();
        setSelectedClipIDs(m_view.selectedClipIDs - outcome.movedIDs);
    }

    setExportProgress(1, QString());
    if (m_clips.isEmpty())
        clearSessionFile();
    else
        saveSessionImmediately();
    m_isExporting = false;

    const ExportResult &result = outcome.result;
    if (result.errors.isEmpty()) {
        qCInfo(sessionLogger, "Organized clips: %d moved, record %s", result.movedCount, qUtf8Printable(outcome.recordPath));
    } else {
        qCCritical(sessionLogger, "Organize finished with %lld errors (%d moved, record %s): %s",
                   static_cast<long long>(result.errors.size()), result.movedCount, qUtf8Printable(outcome.recordPath),
                   qUtf8Printable(result.errors.join(QStringLiteral(" | "))));
    }
    OrganizeDone done = std::move(m_organizeDone);
    m_organizeDone = nullptr;
    if (done)
        done(result);
}
