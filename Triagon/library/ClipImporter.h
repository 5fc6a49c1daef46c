#pragma once

#include "library/model/Clip.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QObject>
#include <QSize>
#include <QThreadPool>
#include <QUrl>
#include <QUuid>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

class ClipEditor;
class PosterCache;
class ThumbnailGenerator;

// One recording date read for a clip: which clip, the file it was read
// from, and the date (none when the file has no readable one).
struct RecordingDateResult
{
    QUuid clipID;
    QUrl url;
    std::optional<QDateTime> date;
};

// The background work of the store's import: import tasks (folder walk,
// probes in batches, appending to the session), the recording-date probe and
// the poster prewarm. It edits the session only through the editor (the
// store). Lives on the GUI thread with its editor; the walks, probes and date
// reads run on its own thread pools and hand their results back to the GUI
// thread, where every stage first checks that its session is still the
// editor's (sessionGeneration) and drops its results otherwise.
class ClipImporter : public QObject
{
    Q_OBJECT

public:
    // Files probed at once by one import, and the size of the batches in
    // which its clips join the store.
    static constexpr qsizetype probeBatchSize = 16;
    // Clips whose recording date is read at once.
    static constexpr qsizetype recordingDateWindow = 8;
    // Posters made ahead for the cards: a quarter into the clip, card size.
    static constexpr double prewarmPosterTimeFraction = 0.25;
    static constexpr QSize prewarmPosterSize{480, 270};

    // Turns a file into a new clip; runs on worker threads.
    using ProbeFunction = std::function<Clip(const QUrl &url, const std::atomic_bool *cancelled)>;
    // Reads a file's recording date; runs on worker threads.
    using DateFunction = std::function<std::optional<QDateTime>(const QUrl &url, const std::atomic_bool *cancelled)>;

    // The poster generator the prewarm asks, none while there is none.
    using PosterSource = std::function<ThumbnailGenerator *()>;

    ClipImporter(ClipEditor &editor, PosterSource posters, QObject *parent = nullptr);
    ~ClipImporter() override;

    // The probe of the media layer, made into a clip.
    static Clip probeClip(const QUrl &url, const std::atomic_bool *cancelled = nullptr);

    // Starts one import of a folder (walked for video files) or of a list of
    // files (taken as they are); returns at once.
    void addURLs(const std::optional<QUrl> &folder, const QList<QUrl> &files);
    // What the user chose in the open panel, each item imported on its own:
    // a folder (which also becomes the source folder) as a folder, a file
    // with a video extension as a file; other files are skipped.
    void addChosenURLs(const QList<QUrl> &chosen);
    // Cancels every import and the recording-date probe, which then end
    // without touching the store. The poster prewarm is left running.
    void cancelImports();
    bool hasImportTasks() const { return !m_tasks.isEmpty(); }
    // Removes an import task that has ended and updates isLoading; every
    // task passes through here exactly once, however it ends.
    void finishImportTask(const QUuid &taskID);

    // Starts the recording-date probe (unless one runs) and restarts the
    // poster prewarm for the clips that are not missing: posters ahead of
    // time in the store's order at the lowest priority, no more than the
    // poster cache keeps, skipping those the cards already have.
    void schedulePostImportWork();
    // Reads recording dates of the clips never checked, unless a probe runs.
    void probeRecordingDates();
    bool isProbingRecordingDates() const { return bool(m_dateProbe); }
    // Writes read dates into the clips that still have the file they were read from.
    void applyRecordingDates(const QList<RecordingDateResult> &results);

    void cancelPrewarm();
    bool isPrewarming() const { return bool(m_prewarm); }
    // How many of the clips, in order, the prewarm makes posters for: no
    // more than the poster cache keeps.
    static qsizetype prewarmLimit(const QList<Clip> &clips, const PosterCache &cache);

    // For tests and benchmarks: replace the media probe.
    void setProbeFunction(ProbeFunction probe) { m_probe = std::move(probe); }
    void setDateFunction(DateFunction date) { m_date = std::move(date); }

Q_SIGNALS:
    // The last running import task ended (however it ended).
    void importsFinished();
    // The poster prewarm went through its whole list.
    void prewarmFinished();
    // A recording-date probe ended.
    void recordingDatesFinished();

private:
    struct ImportTask;
    struct ProbeRun;
    struct DateProbe;
    struct Prewarm;

    void startImport(const std::shared_ptr<ImportTask> &task);
    void takeFiles(const std::shared_ptr<ImportTask> &task, const QList<QUrl> &files);
    void startProbes(const std::shared_ptr<ImportTask> &task);
    void batchProbed(const std::shared_ptr<ImportTask> &task, qsizetype batch);
    void addBatch(const std::shared_ptr<ImportTask> &task, qsizetype batch);
    void probersEnded(const std::shared_ptr<ImportTask> &task);
    bool isOutdated(const ImportTask &task) const;
    // Ends an import task for good, however it ended.
    void finish(const std::shared_ptr<ImportTask> &task);

    void readDateWindow(const std::shared_ptr<DateProbe> &probe);
    void endDateProbe(const std::shared_ptr<DateProbe> &probe);

    void prewarmNext(const std::shared_ptr<Prewarm> &prewarm);

    ClipEditor &m_editor;
    PosterSource m_posters;
    ProbeFunction m_probe;
    DateFunction m_date;
    QThreadPool m_walkPool;
    QThreadPool m_probePool;
    QHash<QUuid, std::shared_ptr<ImportTask>> m_tasks;
    std::shared_ptr<DateProbe> m_dateProbe;
    std::shared_ptr<Prewarm> m_prewarm;
};
