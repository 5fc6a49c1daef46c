#pragma once

#include "library/model/ExportResult.h"
#include "library/model/ExportScope.h"

#include <QObject>
#include <QString>
#include <QUrl>
#include <functional>
#include <optional>

class ClipEditor;
class OrganizeRunner;
struct OrganizeOutcome;

// The session's organize operation: accepting or refusing a run, stopping
// what reads the files, handing copies of the scope's clips to the runner,
// following its progress, and applying its outcome to the session through
// the editor. One run at a time.
class OrganizeService : public QObject
{
    Q_OBJECT

public:
    using OrganizeDone = std::function<void(const ExportResult &result)>;

    // `recordsFolder` is asked when a run starts: the folder of the commit
    // records.
    OrganizeService(ClipEditor &editor, std::function<QString()> recordsFolder, QObject *parent = nullptr);
    ~OrganizeService() override;

    // Moves the clips of the scope into rating or tag folders under the
    // destination (or under a new folder of that name inside it), with a
    // commit record and optionally a manifest. A refusal (invalid folder
    // name, a run already under way, an empty scope) calls `done` before
    // this returns. Otherwise the scrub players and sound are stopped, the
    // file work runs on a thread of its own, and when it ends the moved
    // clips and their undo records leave the session, clips whose file had
    // to stay at its new place point there, the session is saved at once (or
    // its file removed when no clip remains) and `done` is called on the GUI
    // thread.
    void organizeClips(ExportScope scope, const QUrl &destination, const std::optional<QString> &newFolderName, bool generateManifest,
                       OrganizeDone done);

    bool isExporting() const { return m_isExporting; }
    void setExporting(bool exporting) { m_isExporting = exporting; }
    // A different value (NaN always is) sends progressChanged() after it is
    // stored.
    double exportProgress() const { return m_exportProgress; }
    void setExportProgress(double progress);
    const QString &exportCurrentFile() const { return m_exportCurrentFile; }
    void setExportCurrentFile(const QString &name);
    // The progress fraction first, then the file name, each as above.
    void setExportProgress(double fraction, const QString &filename);
    // The record of the last run that planned its moves; empty before.
    const QString &lastCommitRecordPath() const { return m_lastCommitRecordPath; }

    // The runner of the file work (made on first use); tests and the
    // benchmark give it their own file layer.
    OrganizeRunner &runner();

Q_SIGNALS:
    // exportProgress or exportCurrentFile changed.
    void progressChanged();

private:
    void applyOutcome(const OrganizeOutcome &outcome);

    ClipEditor &m_editor;
    std::function<QString()> m_recordsFolder;
    OrganizeRunner *m_runner = nullptr;
    OrganizeDone m_done;
    bool m_isExporting = false;
    double m_exportProgress = 0;
    QString m_exportCurrentFile;
    QString m_lastCommitRecordPath;
};
