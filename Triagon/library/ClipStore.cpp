#include "library/ClipStore.h"

#include "library/model/TagName.h"
#include "markers/MarkerService.h"
#include "media/AudioScrubEngine.h"
#include "media/MediaEngines.h"
#include "media/ScrubPlayerPool.h"
#include "media/ThumbnailGenerator.h"
#include "organize/OrganizeService.h"

#include <QFileInfo>
#include <QPointer>

#include <algorithm>

const QStringList &ClipStore::builtInTags()
{
    static const QStringList tags{QStringLiteral("Action"),    QStringLiteral("Three"),       QStringLiteral("Dunk"),
                                  QStringLiteral("Huddle"),    QStringLiteral("Warmup"),      QStringLiteral("Establishment"),
                                  QStringLiteral("Interview"), QStringLiteral("Celebration"), QStringLiteral("Defense"),
                                  QStringLiteral("Fast Break")};
    return tags;
}

ClipStore::ClipStore(QObject *parent)
    : QObject(parent), m_availableTags(builtInTags()), m_sessionFile(new SessionPersistence([this] { return makeSessionData(); }, this)),
      m_sessionGeneration(QUuid::createUuid()), m_markers(std::make_unique<MarkerService>(*this)),
      m_organize(std::make_unique<OrganizeService>(*this, [] { return commitRecordsFolderPath(); }))
{
    connect(m_sessionFile, &SessionPersistence::saveFailed, this, [this](const QString &error) { setSessionSaveError(error); });
    connect(m_sessionFile, &SessionPersistence::saved, this, &ClipStore::sessionSaved);
    connect(m_sessionRestorer, &SessionRestorer::sessionFileUnreadable, this,
            [this](const UnreadableSession &unreadable) { setSessionRestoreError(unreadable); });
    connect(m_organize.get(), &OrganizeService::progressChanged, this, [this] {
        Q_EMIT objectWillChange();
        Q_EMIT exportProgressChanged();
    });
}

ClipStore::~ClipStore() = default;

ThumbnailGenerator *ClipStore::thumbnailGenerator() const
{
    return m_engines ? m_engines->thumbnailGenerator() : nullptr;
}

ScrubPlayerPool *ClipStore::scrubPlayerPool() const
{
    return m_engines ? m_engines->scrubPlayerPool() : nullptr;
}

AudioScrubEngine *ClipStore::audioScrubEngine() const
{
    return m_engines ? m_engines->audioScrubEngine() : nullptr;
}

WaveformCache *ClipStore::waveformCache() const
{
    return m_engines ? m_engines->waveformCache() : nullptr;
}

// ---- Hand markers and numbering resets ------------------------------------------

void ClipStore::setMarkerFlag(std::optional<MarkerFlag> flag, QUuid clipID)
{
    m_markers->setMarkerFlag(flag, clipID);
}

void ClipStore::removeMarkerClips()
{
    m_markers->removeMarkerClips();
}

void ClipStore::applyDetectedMarkers(const QSet<QUuid> &markers, const QHash<QUuid, QString> &tagPerTarget, QString base,
                                     bool removeMarkers, const std::optional<QSet<QUuid>> &scope)
{
    QHash<QUuid, QString> tags = tagPerTarget;
    for (QString &tag : tags)
        tag = TagName::canonical(tag);
    m_markers->applyDetectedMarkers(markers, tags, TagName::canonical(base), removeMarkers, scope);
}

std::optional<ClipStore::CrossResetPlan> ClipStore::crossResetMarkerPlan(const NumberingReset &reset) const
{
    return m_markers->crossResetMarkerPlan(reset);
}

void ClipStore::dismissNumberingReset(NumberingReset reset)
{
    m_markers->dismissNumberingReset(reset);
}

bool ClipStore::applyNumberingResetDecisions(NumberingReset reset, QString base)
{
    return m_markers->applyNumberingResetDecisions(reset, TagName::canonical(base));
}

bool ClipStore::isMarkerTag(const QString &tag, const QString &base)
{
    return MarkerService::isMarkerTag(TagName::canonical(tag), TagName::canonical(base));
}

void ClipStore::pruneUnusedMarkerTags(const QString &base)
{
    m_markers->pruneUnusedMarkerTags(TagName::canonical(base));
}

bool ClipStore::containsNumberingReset(const NumberingReset &reset, const QList<NumberingReset> &resets)
{
    return MarkerService::containsNumberingReset(reset, resets);
}

HandMarkerScan *ClipStore::scanForHandMarkers()
{
    // Asked at the moment of each measurement: the engines may go first.
    QPointer<ThumbnailGenerator> generator = thumbnailGenerator();
    return m_markers->scanForHandMarkers(this, [generator](const QString &path, double seconds, QSize maxSize) {
        return generator ? generator->thumbnail(path, seconds, maxSize) : QtFuture::makeReadyFuture(QImage());
    });
}

// ---- Organize run ------------------------------------------------------------------

void ClipStore::organizeClips(ExportScope scope, const QUrl &destination, const std::optional<QString> &newFolderName,
                              bool generateManifest, OrganizeDone done)
{
    m_organize->organizeClips(scope, destination, newFolderName, generateManifest, std::move(done));
}

bool ClipStore::isExporting() const
{
    return m_organize->isExporting();
}

void ClipStore::setExporting(bool exporting)
{
    m_organize->setExporting(exporting);
}

double ClipStore::exportProgress() const
{
    return m_organize->exportProgress();
}

void ClipStore::setExportProgress(double progress)
{
    m_organize->setExportProgress(progress);
}

const QString &ClipStore::exportCurrentFile() const
{
    return m_organize->exportCurrentFile();
}

void ClipStore::setExportCurrentFile(const QString &name)
{
    m_organize->setExportCurrentFile(name);
}

void ClipStore::setExportProgress(double fraction, const QString &filename)
{
    m_organize->setExportProgress(fraction, filename);
}

QString ClipStore::commitRecordsFolderPath()
{
    return QFileInfo(sessionFilePath()).absolutePath() + QStringLiteral("/CommitRecords");
}

const QString &ClipStore::lastCommitRecordPath() const
{
    return m_organize->lastCommitRecordPath();
}

OrganizeRunner &ClipStore::organizeRunner()
{
    return m_organize->runner();
}

void ClipStore::stopReadingFiles()
{
    // No new posters, no scrub players holding the files open, no sound
    // playing from them. (Running poster decodes and waveform analyses read
    // through descriptors that a rename does not disturb; their results are
    // keyed by the old paths, whose clips leave the session.)
    cancelPrewarm();
    if (ScrubPlayerPool *players = scrubPlayerPool())
        players->purgePlayers();
    if (AudioScrubEngine *sound = audioScrubEngine()) {
        sound->stopPlayback();
        sound->setActiveURL(QString());
    }
}

// ---- Published state --------------------------------------------------------

void ClipStore::setClips(QList<Clip> clips)
{
    Q_EMIT objectWillChange();
    m_clips = std::move(clips);
    clipsDidChange();
    Q_EMIT clipsChanged();
}

void ClipStore::appendClips(const QList<Clip> &clips)
{
    QList<Clip> all = m_clips;
    all += clips;
    setClips(std::move(all));
}

void ClipStore::setLoading(bool loading)
{
    Q_EMIT objectWillChange();
    m_isLoading = loading;
    Q_EMIT loadingChanged();
}

void ClipStore::setLoadingProgress(double progress)
{
    Q_EMIT objectWillChange();
    m_loadingProgress = progress;
    Q_EMIT loadingChanged();
}

void ClipStore::setSortOrder(SortOrder order)
{
    setFilteringOption(m_view.sortOrder, order);
}

void ClipStore::setFilterRating(qint64 rating)
{
    setFilteringOption(m_view.filterRating, rating);
}

void ClipStore::setFilterTag(const std::optional<QString> &tag)
{
    setFilteringOption(m_view.filterTag, tag ? std::optional<QString>(TagName::canonical(*tag)) : std::nullopt);
}

void ClipStore::setFilterHandMarkers(bool on)
{
    setFilteringOption(m_view.filterHandMarkers, on);
}

void ClipStore::setHideUntouched(bool on)
{
    setFilteringOption(m_view.hideUntouched, on);
}

void ClipStore::setGridColumns(qint64 columns)
{
    Q_EMIT objectWillChange();
    m_view.gridColumns = columns;
    Q_EMIT viewOptionsChanged();
}

void ClipStore::setGroupMode(GroupMode mode)
{
    Q_EMIT objectWillChange();
    m_view.groupMode = mode;
    Q_EMIT viewOptionsChanged();
}

void ClipStore::setAvailableTags(const QStringList &tags)
{
    Q_EMIT objectWillChange();
    m_availableTags = TagName::canonical(tags);
    m_usedTagsCache.reset();
    Q_EMIT availableTagsChanged();
}

void ClipStore::setFolderOrganization(FolderOrganization organization)
{
    Q_EMIT objectWillChange();
    m_folderOrganization = organization;
    m_exportPreviewTreeCache.reset();
    Q_EMIT folderOrganizationChanged();
}

void ClipStore::setSessionSaveError(const std::optional<QString> &error)
{
    Q_EMIT objectWillChange();
    m_sessionSaveError = error;
    Q_EMIT sessionSaveErrorChanged();
}

void ClipStore::setSessionRestoreError(const std::optional<UnreadableSession> &error)
{
    Q_EMIT objectWillChange();
    m_sessionRestoreError = error;
    Q_EMIT sessionRestoreErrorChanged();
}

void ClipStore::setSourceFolderURL(const std::optional<QUrl> &url)
{
    Q_EMIT objectWillChange();
    m_sourceFolderURL = url;
}

// ---- Plain view state ---------------------------------------------------------

void ClipStore::setShowTagPickerForClipID(const std::optional<QUuid> &id)
{
    if (id == m_view.showTagPickerForClipID)
        return;
    Q_EMIT objectWillChange();
    m_view.showTagPickerForClipID = id;
    Q_EMIT viewStateChanged();
}

void ClipStore::setSelectedClipIDs(const QSet<QUuid> &ids)
{
    if (ids == m_view.selectedClipIDs)
        return;
    m_view.selectedClipIDs = ids;
    Q_EMIT selectionChanged();
}

void ClipStore::setClipToOpen(const std::optional<Clip> &clip)
{
    const std::optional<QUuid> oldID = m_view.clipToOpen ? std::optional<QUuid>(m_view.clipToOpen->id) : std::nullopt;
    const std::optional<QUuid> newID = clip ? std::optional<QUuid>(clip->id) : std::nullopt;
    const bool differs = oldID != newID;
    if (differs)
        Q_EMIT objectWillChange();
    m_view.clipToOpen = clip;
    if (differs)
        Q_EMIT viewStateChanged();
}

void ClipStore::setRenamingClipID(const std::optional<QUuid> &id)
{
    if (id == m_view.renamingClipID)
        return;
    Q_EMIT objectWillChange();
    m_view.renamingClipID = id;
    Q_EMIT viewStateChanged();
}

void ClipStore::setAudioMetrics(const QHash<QUuid, AudioMetrics> &metrics)
{
    const bool countChanged = metrics.size() != m_audioMetrics.size();
    m_audioMetrics = metrics;
    if (countChanged) {
        Q_EMIT objectWillChange();
        Q_EMIT audioMetricsChanged();
    }
}

// ---- The change hook --------------------------------------------------------------

void ClipStore::clipsDidChange()
{
    invalidateDerivedCaches();
    dropStaleFilters();

    QSet<QUuid> existing;
    existing.reserve(m_clips.size());
    for (const Clip &clip : std::as_const(m_clips))
        existing.insert(clip.id);
    QSet<QUuid> pruned = m_view.selectedClipIDs;
    pruned.intersect(existing);
    if (pruned != m_view.selectedClipIDs) {
        Q_EMIT objectWillChange();
        m_view.selectedClipIDs = pruned;
        Q_EMIT selectionChanged();
    }
}

void ClipStore::dropStaleFilters()
{
    if (m_view.filterTag) {
        const QString &tag = *m_view.filterTag;
        const bool carried = std::any_of(m_clips.cbegin(), m_clips.cend(), [&](const Clip &c) { return c.tags.contains(tag); });
        if (!carried)
            setFilterTag(std::nullopt);
    }
    if (m_view.filterHandMarkers) {
        const bool anyMarker = std::any_of(m_clips.cbegin(), m_clips.cend(),
                                           [](const Clip &c) { return c.markerFlag && c.markerFlag->isMarker(); });
        if (!anyMarker)
            setFilterHandMarkers(false);
    }
}

void ClipStore::invalidateDerivedCaches()
{
    m_sortedAndFilteredCache.reset();
    m_sortedAndFilteredPositionsCache.reset();
    m_clipStatsCache.reset();
    m_clipIndexCache.reset();
    m_usedTagsCache.reset();
    m_numberingResetCache.reset();
    m_exportPreviewTreeCache.reset();
}

bool ClipStore::writeSessionFile(const SessionData &data, QString *errorText)
{
    return SessionPersistence::write(data, errorText);
}

std::optional<std::pair<SessionData, QList<Clip>>> ClipStore::readSessionFile(std::optional<UnreadableSession> *problem)
{
    return SessionPersistence::read(problem);
}

SessionData ClipStore::makeSessionData() const
{
    SessionData data;
    data.clips = m_clips;
    data.sourceFolderURL = m_sourceFolderURL;
    data.availableTags = m_availableTags;
    data.folderOrganization = rawValue(m_folderOrganization);
    data.gridColumns = m_view.gridColumns;
    data.savedAt = QDateTime::currentDateTimeUtc();
    return data;
}
