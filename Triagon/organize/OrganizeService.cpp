#include "organize/OrganizeService.h"

#include "app/Loggers.h"
#include "library/model/ClipEditor.h"
#include "organize/FolderPlan.h"
#include "organize/OrganizeOutcome.h"
#include "organize/OrganizeRequest.h"
#include "organize/OrganizeRunner.h"

#include <QCoreApplication>

#include <utility>

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

OrganizeService::OrganizeService(ClipEditor &editor, std::function<QString()> recordsFolder, QObject *parent)
    : QObject(parent), m_editor(editor), m_recordsFolder(std::move(recordsFolder))
{
}

OrganizeService::~OrganizeService() = default;

void OrganizeService::setExportProgress(double progress)
{
    // A NaN never equals anything, so storing one always counts as a change.
    if (progress == m_exportProgress)
        return;
    m_exportProgress = progress;
    Q_EMIT progressChanged();
}

void OrganizeService::setExportCurrentFile(const QString &name)
{
    if (name == m_exportCurrentFile)
        return;
    m_exportCurrentFile = name;
    Q_EMIT progressChanged();
}

void OrganizeService::setExportProgress(double fraction, const QString &filename)
{
    setExportProgress(fraction);
    setExportCurrentFile(filename);
}

OrganizeRunner &OrganizeService::runner()
{
    if (!m_runner) {
        m_runner = new OrganizeRunner(this);
        connect(m_runner, &OrganizeRunner::progress, this,
                [this](double fraction, const QString &filename) { setExportProgress(fraction, filename); });
        connect(m_runner, &OrganizeRunner::finished, this, &OrganizeService::applyOutcome);
    }
    return *m_runner;
}

void OrganizeService::organizeClips(ExportScope scope, const QUrl &destination, const std::optional<QString> &newFolderName,
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
    request.clips = m_editor.clipsInScope(scope);
    request.skippedCount = static_cast<int>(m_editor.clips().size() - request.clips.size());
    if (request.clips.isEmpty()) {
        m_isExporting = false;
        return refuse(ExportResult::refused(emptyScopeText(), request.skippedCount));
    }
    request.destination = destination;
    request.organization = m_editor.folderOrganization();
    request.newFolderName = newFolderName;
    request.generateManifest = generateManifest;
    request.recordsFolder = m_recordsFolder();
    request.appVersion = QCoreApplication::applicationVersion();

    setExportProgress(0, QString());
    // Nothing of the session may read the files while they move.
    m_editor.stopReadingFiles();

    m_done = std::move(done);
    runner().start(std::move(request));
}

void OrganizeService::applyOutcome(const OrganizeOutcome &outcome)
{
    if (!outcome.recordPath.isEmpty())
        m_lastCommitRecordPath = outcome.recordPath;

    m_editor.applyOrganizedMoves(outcome.movedIDs, outcome.relocations);

    setExportProgress(1, QString());
    if (m_editor.clips().isEmpty())
        m_editor.clearSessionFile();
    else
        m_editor.saveSessionImmediately();
    m_isExporting = false;

    const ExportResult &result = outcome.result;
    if (result.errors.isEmpty()) {
        qCInfo(sessionLogger, "Organized clips: %d moved, record %s", result.movedCount, qUtf8Printable(outcome.recordPath));
    } else {
        qCCritical(sessionLogger, "Organize finished with %lld errors (%d moved, record %s): %s",
                   static_cast<long long>(result.errors.size()), result.movedCount, qUtf8Printable(outcome.recordPath),
                   qUtf8Printable(result.errors.join(QStringLiteral(" | "))));
    }
    OrganizeDone done = std::move(m_done);
    m_done = nullptr;
    if (done)
        done(result);
}
