#include "library/ClipImporter.h"

#include "app/Loggers.h"
#include "library/CollectVideoFiles.h"
#include "library/ConcurrentGroup.h"
#include "library/LocalFileName.h"
#include "library/MediaAvailability.h"
#include "library/StandardizedURL.h"
#include "library/model/ClipEditor.h"
#include "library/model/UndoAction.h"
#include "library/model/FileName.h"
#include "library/model/VideoExtensions.h"
#include "media/FFmpegFrameConverter.h"
#include "media/MediaProbe.h"
#include "media/ThumbnailGenerator.h"

#include <QFileInfo>
#include <QSet>

#include <algorithm>

struct ClipImporter::ImportTask
{
    QUuid id;
    QUuid generation;
    std::optional<QUrl> folder;
    QList<QUrl> files;
    QList<QUrl> newURLs;
    std::shared_ptr<ProbeRun> run;
    std::vector<bool> probed; // per batch: every file of it has been probed
    qsizetype nextBatch = 0;  // the next batch to join the store
    QList<Clip> added;
    bool finished = false;
    // Shared with the walk and the probes, which stop early once it is set.
    std::shared_ptr<std::atomic_bool> cancelled = std::make_shared<std::atomic_bool>(false);
};

// The probes of one import. probeBatchSize probers pull the files in list
// order, one at a time, so that at most that many probes run at once; each
// prober that completes the last file of a batch posts that batch to the
// GUI thread. The probers keep going while earlier batches are appended, so
// that one slow file holds up only its own batch's turn, not the probing.
struct ClipImporter::ProbeRun
{
    explicit ProbeRun(QList<QUrl> files) : urls(std::move(files)) {}

    // Read by every prober at once, so never through a writable handle: that
    // would make each of them detach the list, which it still shares with the
    // import task, while the others read it.
    const QList<QUrl> urls;
    std::vector<Clip> clips;
    std::unique_ptr<std::atomic<qsizetype>[]> unprobedInBatch;
    std::atomic<qsizetype> next{0};
    std::atomic<int> probers{0};
};

struct ClipImporter::DateProbe
{
    QUuid generation;
    QList<RecordingDateResult> candidates; // clip and URL; the date is filled by the read
    qsizetype windowStart = 0;
    std::shared_ptr<std::atomic_bool> cancelled = std::make_shared<std::atomic_bool>(false);
};

struct ClipImporter::Prewarm
{
    QList<Clip> clips;
    qsizetype next = 0;
    bool cancelled = false;
};

ClipImporter::ClipImporter(ClipEditor &editor, PosterSource posters, QObject *parent)
    : QObject(parent), m_editor(editor), m_posters(std::move(posters)),
      m_probe([](const QUrl &url, const std::atomic_bool *cancelled) { return probeClip(url, cancelled); }),
      m_date([](const QUrl &url, const std::atomic_bool *cancelled) {
          const QString path = url.toLocalFile();
          return MediaAvailability::isRegularFile(path) ? MediaProbe::loadRecordingDate(path, cancelled) : std::nullopt;
      })
{
    // One walk per import is plenty; walks mostly wait for the disk.
    m_walkPool.setMaxThreadCount(4);
    // Room for one import's probes at full width; imports running side by
    // side share these threads, so no more than that probe at once overall.
    m_probePool.setMaxThreadCount(static_cast<int>(probeBatchSize));
}

ClipImporter::~ClipImporter()
{
    // Jobs post their results to this object; let them end first.
    for (const auto &task : std::as_const(m_tasks))
        task->cancelled->store(true);
    if (m_dateProbe)
        m_dateProbe->cancelled->store(true);
    m_walkPool.clear();
    m_probePool.clear();
    m_walkPool.waitForDone();
    m_probePool.waitForDone();
}

Clip ClipImporter::probeClip(const QUrl &url, const std::atomic_bool *cancelled)
{
    // A file that is gone still becomes a clip, with no facts; so does a
    // pipe or device given as a file, which is never opened, since reading
    // one could hold a probe (and the import) for ever.
    const QString path = url.toLocalFile();
    ProbeResult probe;
    if (MediaAvailability::isRegularFile(path))
        probe = MediaProbe::probeClip(path, cancelled);
    Clip clip;
    clip.id = QUuid::createUuid();
    clip.url = url;
    clip.filename = FileName::lastComponent(url.path());
    clip.duration = probe.duration;
    clip.width = probe.width;
    clip.height = probe.height;
    clip.fileSize = probe.fileSize;
    clip.codec = probe.codec;
    clip.frameRate = probe.frameRate;
    clip.recordedAt = probe.recordedAt;
    // Checked whether or not a date was found: only clips of older sessions
    // are left for the recording-date probe.
    clip.recordingDateChecked = true;
    return clip;
}

// --- Imports -------------------------------------------------------------

void ClipImporter::addChosenURLs(const QList<QUrl> &chosen)
{
    for (const QUrl &url : chosen) {
        const QString path = url.toLocalFile();
        if (!path.isEmpty() && QFileInfo(path).isDir()) {
            m_editor.setSourceFolderURL(url);
            addURLs(url, {});
        } else if (hasSupportedVideoExtension(path)) {
            addURLs(std::nullopt, {url});
        }
    }
}

void ClipImporter::addURLs(const std::optional<QUrl> &folder, const QList<QUrl> &files)
{
    auto task = std::make_shared<ImportTask>();
    task->id = QUuid::createUuid();
    task->generation = m_editor.sessionGeneration();
    task->folder = folder;
    task->files = files;
    m_editor.setLoading(true);
    m_editor.setLoadingProgress(0);
    m_tasks.insert(task->id, task);
    // The body runs from the event loop, like a task started now.
    QMetaObject::invokeMethod(
        this, [this, task] { startImport(task); }, Qt::QueuedConnection);
}

void ClipImporter::startImport(const std::shared_ptr<ImportTask> &task)
{
    if (!task->folder) {
        takeFiles(task, task->files);
        return;
    }
    const QUrl folder = *task->folder;
    if (!LocalFileName::namesItsFile(folder)) {
        qCWarning(sessionLogger()).noquote() << QStringLiteral("Skipping folder whose name is not valid UTF-8: %1")
                                                    .arg(LocalFileName::printable(
                                                        QByteArray::fromPercentEncoding(folder.path(QUrl::FullyEncoded).toLatin1())));
        finish(task);
        return;
    }
    using Walk = std::pair<QList<QUrl>, int>;
    runConcurrentGroup<Walk>(
        &m_walkPool, this, 1,
        [folder, cancelled = task->cancelled](qsizetype) {
            Walk walk;
            walk.first = collectVideoFiles(folder, cancelled.get(), &walk.second);
            return walk;
        },
        [this, task, folder](std::vector<Walk> walked) {
            if (const int skipped = walked.front().second; skipped > 0) {
                qCWarning(sessionLogger()).noquote() << QStringLiteral("Import of %1: skipped %2 file(s) whose names are not valid UTF-8")
                                                            .arg(folder.toLocalFile())
                                                            .arg(skipped);
            }
            takeFiles(task, walked.front().first);
        });
}

bool ClipImporter::isOutdated(const ImportTask &task) const
{
    return task.cancelled->load() || task.generation != m_editor.sessionGeneration();
}

void ClipImporter::takeFiles(const std::shared_ptr<ImportTask> &task, const QList<QUrl> &files)
{
    if (isOutdated(*task)) {
        finish(task);
        return;
    }
    // Files already in the session are skipped; a file named twice is taken once.
    QSet<QUrl> loaded = m_editor.loadedURLs();
    int undecodable = 0;
    for (const QUrl &url : files) {
        // Its clip would name another path (or another file).
        if (!LocalFileName::namesItsFile(url)) {
            qCWarning(sessionLogger()).noquote()
                << QStringLiteral("Skipping file whose name is not valid UTF-8: %1")
                       .arg(LocalFileName::printable(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1())));
            ++undecodable;
            continue;
        }
        const QUrl standardized = standardizedFileURL(url);
        if (loaded.contains(standardized))
            continue;
        loaded.insert(standardized);
        task->newURLs.append(standardized);
    }
    if (undecodable > 0)
        qCWarning(sessionLogger()).noquote()
            << QStringLiteral("Import: skipped %1 file(s) whose names are not valid UTF-8").arg(undecodable);
    if (!task->newURLs.isEmpty())
        m_editor.setLoadedURLs(loaded);
    if (task->newURLs.isEmpty()) {
        finish(task);
        return;
    }
    startProbes(task);
}

void ClipImporter::startProbes(const std::shared_ptr<ImportTask> &task)
{
    auto run = std::make_shared<ProbeRun>(task->newURLs);
    const qsizetype count = run->urls.size();
    const qsizetype batches = (count + probeBatchSize - 1) / probeBatchSize;
    run->clips.resize(static_cast<size_t>(count));
    run->unprobedInBatch = std::make_unique<std::atomic<qsizetype>[]>(static_cast<size_t>(batches));
    for (qsizetype b = 0; b < batches; ++b)
        run->unprobedInBatch[b] = std::min(probeBatchSize, count - b * probeBatchSize);
    task->run = run;
    task->probed.assign(static_cast<size_t>(batches), false);

    const int probers = static_cast<int>(std::min(probeBatchSize, count));
    run->probers = probers;
    for (int i = 0; i < probers; ++i) {
        (void)QtConcurrent::run(&m_probePool, [this, task, run, probe = m_probe, cancelled = task->cancelled] {
            for (;;) {
                // A cancelled import drops its clips anyway; spare the disk.
                if (cancelled->load())
                    break;
                const qsizetype i = run->next.fetch_add(1);
                if (i >= run->urls.size())
                    break;
                run->clips[static_cast<size_t>(i)] = probe(run->urls[i], cancelled.get());
                const qsizetype batch = i / probeBatchSize;
                if (run->unprobedInBatch[batch].fetch_sub(1, std::memory_order_acq_rel) == 1)
                    QMetaObject::invokeMethod(
                        this, [this, task, batch] { batchProbed(task, batch); }, Qt::QueuedConnection);
            }
            // Posted after every batch this prober completed, so it arrives last.
            if (run->probers.fetch_sub(1, std::memory_order_acq_rel) == 1)
                QMetaObject::invokeMethod(
                    this, [this, task] { probersEnded(task); }, Qt::QueuedConnection);
        });
    }
}

void ClipImporter::batchProbed(const std::shared_ptr<ImportTask> &task, qsizetype batch)
{
    if (task->finished)
        return;
    task->probed[static_cast<size_t>(batch)] = true;
    // Batches join the store in list order, each as soon as it and all
    // before it are probed.
    while (!task->finished && task->nextBatch < static_cast<qsizetype>(task->probed.size())
           && task->probed[static_cast<size_t>(task->nextBatch)])
        addBatch(task, task->nextBatch++);
}

void ClipImporter::probersEnded(const std::shared_ptr<ImportTask> &task)
{
    // Every batch was posted before this; an import still open here was
    // cancelled before all of its files were probed.
    if (!task->finished)
        finish(task);
}

void ClipImporter::addBatch(const std::shared_ptr<ImportTask> &task, qsizetype batch)
{
    if (isOutdated(*task)) {
        finish(task);
        return;
    }
    ProbeRun &run = *task->run;
    const qsizetype start = batch * probeBatchSize;
    const qsizetype end = std::min(start + probeBatchSize, run.urls.size());
    QList<Clip> clips;
    clips.reserve(end - start);
    for (qsizetype i = start; i < end; ++i)
        clips.append(std::move(run.clips[static_cast<size_t>(i)]));
    task->added += clips;
    m_editor.appendClips(clips);
    // An observer of the clip list may have reset the session just now.
    if (isOutdated(*task)) {
        finish(task);
        return;
    }
    m_editor.setLoadingProgress(static_cast<double>(end) / static_cast<double>(run.urls.size()));

    if (end >= run.urls.size()) {
        m_editor.registerUndo(UndoAction::addClips(task->added));
        m_editor.scheduleSessionSave();
        schedulePostImportWork();
        finish(task);
    }
}

void ClipImporter::finish(const std::shared_ptr<ImportTask> &task)
{
    task->finished = true;
    finishImportTask(task->id);
}

void ClipImporter::finishImportTask(const QUuid &taskID)
{
    m_tasks.remove(taskID);
    m_editor.setLoading(!m_tasks.isEmpty());
    if (m_tasks.isEmpty())
        Q_EMIT importsFinished();
}

void ClipImporter::cancelImports()
{
    if (m_dateProbe) {
        m_dateProbe->cancelled->store(true);
        m_dateProbe.reset();
    }
    for (const auto &task : std::as_const(m_tasks))
        task->cancelled->store(true);
    m_tasks.clear();
}

// --- Work after an import ----------------------------------------------

qsizetype ClipImporter::prewarmLimit(const QList<Clip> &clips, const PosterCache &cache)
{
    // Posters beyond what the cache keeps would push out the ones made
    // before them: the prewarm would evict its own work.
    qsizetype count = 0;
    qint64 bytes = 0;
    for (const Clip &clip : clips) {
        const QSize source = clip.width > 0 && clip.height > 0 ? QSize(clip.width, clip.height) : prewarmPosterSize;
        const QSize fitted = FFmpegFrameConverter::fitSize(source, prewarmPosterSize);
        bytes += FFmpegFrameConverter::imageBytes(fitted);
        if (count >= cache.countLimit() || bytes > cache.byteLimit())
            break;
        ++count;
    }
    return count;
}

void ClipImporter::schedulePostImportWork()
{
    probeRecordingDates();
    cancelPrewarm();
    auto prewarm = std::make_shared<Prewarm>();
    for (const Clip &clip : m_editor.clips()) {
        if (!clip.isMissing)
            prewarm->clips.append(clip);
    }
    // Without a poster generator there is nothing to make ahead of time.
    ThumbnailGenerator *generator = m_posters();
    prewarm->clips.resize(generator ? prewarmLimit(prewarm->clips, generator->posterCache()) : 0);
    m_prewarm = prewarm;
    QMetaObject::invokeMethod(
        this, [this, prewarm] { prewarmNext(prewarm); }, Qt::QueuedConnection);
}

void ClipImporter::cancelPrewarm()
{
    if (m_prewarm) {
        m_prewarm->cancelled = true;
        m_prewarm.reset();
    }
}

void ClipImporter::prewarmNext(const std::shared_ptr<Prewarm> &prewarm)
{
    if (prewarm->cancelled)
        return;
    if (prewarm->next >= prewarm->clips.size()) {
        if (m_prewarm == prewarm)
            m_prewarm.reset();
        Q_EMIT prewarmFinished();
        return;
    }
    const Clip &clip = prewarm->clips[prewarm->next++];
    const auto next = [this, prewarm] {
        QMetaObject::invokeMethod(
            this, [this, prewarm] { prewarmNext(prewarm); }, Qt::QueuedConnection);
    };
    // Only files can have posters; a pipe or device would hold a decode slot for ever.
    if (!MediaAvailability::isRegularFile(clip.path())) {
        next();
        return;
    }
    const double seconds = prewarmPosterTimeFraction * clip.duration;
    ThumbnailGenerator *generator = m_posters();
    // The cards on screen ask for their own posters before any made ahead
    // of time (they wait in front of background requests): a poster they
    // already have, or that is being made for them, is not asked for again.
    const bool cached = generator->posterCache().contains(ThumbnailGenerator::posterKey(clip.path(), seconds, prewarmPosterSize));
    if (cached || generator->isCachedOrInFlight(clip.path(), seconds, prewarmPosterSize)) {
        // Being made for a card: waited for here too, so that it is still
        // made (at the lowest priority) when the card withdraws its request.
        if (!cached)
            generator->thumbnail(
                clip.path(), seconds, prewarmPosterSize, this, [](const QImage &) {}, ThumbnailGenerator::Priority::Background);
        next();
        return;
    }
    // One poster at a time, at the lowest priority: the next request waits
    // for this one's answer. The generator caches the poster.
    generator->thumbnail(
        clip.path(), seconds, prewarmPosterSize, this, [this, prewarm](const QImage &) { prewarmNext(prewarm); },
        ThumbnailGenerator::Priority::Background);
}

// --- Recording dates -----------------------------------------------------

void ClipImporter::probeRecordingDates()
{
    if (m_dateProbe)
        return;
    auto probe = std::make_shared<DateProbe>();
    for (const Clip &clip : m_editor.clips()) {
        if (!clip.isMissing && clip.recordingDateChecked != true)
            probe->candidates.append({clip.id, clip.url, std::nullopt});
    }
    if (probe->candidates.isEmpty())
        return;
    probe->generation = m_editor.sessionGeneration();
    m_dateProbe = probe;
    readDateWindow(probe);
}

void ClipImporter::readDateWindow(const std::shared_ptr<DateProbe> &probe)
{
    if (probe->cancelled->load()) {
        endDateProbe(probe);
        return;
    }
    const qsizetype end = std::min(probe->windowStart + recordingDateWindow, probe->candidates.size());
    const QList<RecordingDateResult> window = probe->candidates.mid(probe->windowStart, end - probe->windowStart);
    runConcurrentGroup<RecordingDateResult>(
        &m_probePool, this, window.size(),
        [window, date = m_date, cancelled = probe->cancelled](qsizetype i) {
            RecordingDateResult result = window[i];
            result.date = date(result.url, cancelled.get());
            return result;
        },
        [this, probe, end](std::vector<RecordingDateResult> results) {
            if (probe->cancelled->load() || probe->generation != m_editor.sessionGeneration()) {
                endDateProbe(probe);
                return;
            }
            applyRecordingDates(QList<RecordingDateResult>(results.begin(), results.end()));
            probe->windowStart = end;
            if (probe->windowStart >= probe->candidates.size())
                endDateProbe(probe);
            else
                readDateWindow(probe);
        });
}

void ClipImporter::endDateProbe(const std::shared_ptr<DateProbe> &probe)
{
    // After a reset the field may already hold a newer probe: leave that alone.
    if (probe->generation == m_editor.sessionGeneration() && m_dateProbe == probe)
        m_dateProbe.reset();
    Q_EMIT recordingDatesFinished();
}

void ClipImporter::applyRecordingDates(const QList<RecordingDateResult> &results)
{
    QList<Clip> clips = m_editor.clips();
    for (const RecordingDateResult &result : results) {
        const std::optional<qsizetype> at = m_editor.indexOfClip(result.clipID);
        if (!at)
            continue;
        Clip &clip = clips[*at];
        // A clip relinked meanwhile keeps its new file's facts.
        if (clip.url != result.url)
            continue;
        clip.recordedAt = result.date;
        clip.recordingDateChecked = true;
    }
    m_editor.setClips(std::move(clips));
    m_editor.scheduleSessionSave();
}
