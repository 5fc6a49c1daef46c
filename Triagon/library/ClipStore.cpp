#include "library/ClipStore.h"

#include "app/Loggers.h"
#include "library/ImportPanel.h"
#include "library/MediaAvailability.h"
#include "library/Overloaded.h"
#include "library/SessionJsonWriter.h"
#include "library/model/FileName.h"
#include "library/model/FinderOrder.h"
#include "library/model/JsonReader.h"
#include "library/model/PlainTextOrder.h"
#include "library/model/ReferenceDate.h"
#include "library/model/VideoExtensions.h"
#include "organize/FolderPlan.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <vector>

namespace {

// Replaces every occurrence of a tag and keeps only the first occurrence of
// each name, in place (renaming onto an existing tag merges the two).
QStringList replacedWithoutDuplicates(const QStringList &list, const QString &from, const QString &to)
{
    QStringList result;
    QSet<QString> seen;
    for (const QString &tag : list) {
        const QString t = tag == from ? to : tag;
        if (seen.contains(t))
            continue;
        seen.insert(t);
        result.append(t);
    }
    return result;
}

// Trims only spaces and full stops: the rename drops a stray trailing dot or
// blank typed before the extension, but keeps tabs and other characters.
QString trimSpacesAndFullStops(const QString &text)
{
    auto strip = [](QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('.'); };
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && strip(text[start]))
        ++start;
    while (end > start && strip(text[end - 1]))
        --end;
    return text.mid(start, end - start);
}

const QString kFolderName = QStringLiteral("Triagon");
const QString kFileName = QStringLiteral("session.json");

// Moves an unreadable session file out of the way of the next save, beside
// the original: "session.unreadable-<time>.json". If the folder does not
// allow the rename, a save (which also renames inside it) fails as well and
// is reported, so the file is not lost either way.
void moveUnreadableFileAside(const QString &path)
{
    const QFileInfo info(path);
    const QString stamp = QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString target;
    for (int n = 0;; ++n) {
        target = info.absolutePath() + QStringLiteral("/session.unreadable-") + stamp
            + (n == 0 ? QString() : QLatin1Char('-') + QString::number(n)) + QStringLiteral(".json");
        if (!QFileInfo::exists(target))
            break;
    }
    QFile file(path);
    if (file.rename(target)) {
        qCCritical(sessionLogger, "Kept the unreadable session file as %s; starting with an empty session", qUtf8Printable(target));
    } else {
        qCCritical(sessionLogger, "Could not move the unreadable session file aside: %s", qUtf8Printable(file.errorString()));
    }
}

// A clip's name becomes a file name when it is organized; a name from the
// file that is not one path component ("../x", "a/b", "") is made safe.
void makeNameSafe(Clip &clip)
{
    if (FileName::isSinglePathComponent(clip.filename))
        return;
    QString name = ClipStore::sanitizeClipName(clip.filename);
    if (!FileName::isSinglePathComponent(name)) {
        const QString fromFile = clip.urlFileName();
        name = FileName::isSinglePathComponent(fromFile) ? fromFile : QStringLiteral("Clip");
    }
    qCInfo(sessionLogger, "Session clip name \"%s\" is not a file name; using \"%s\"", qUtf8Printable(clip.filename), qUtf8Printable(name));
    clip.filename = name;
}

} // namespace

const QStringList &ClipStore::builtInTags()
{
    static const QStringList tags{QStringLiteral("Action"),    QStringLiteral("Three"),        QStringLiteral("Dunk"),
                                  QStringLiteral("Huddle"),    QStringLiteral("Warmup"),       QStringLiteral("Establishment"),
                                  QStringLiteral("Interview"), QStringLiteral("Celebration"),  QStringLiteral("Defense"),
                                  QStringLiteral("Fast Break")};
    return tags;
}

ClipStore::ClipStore(QObject *parent)
    : QObject(parent), m_availableTags(builtInTags()), m_saveTimer(new QTimer(this)), m_sessionGeneration(QUuid::createUuid())
{
    // The timer is a child of the store, so a save never outlives it.
    m_saveTimer->setSingleShot(true);
    m_saveTimer->setInterval(saveDelayMs);
    m_saveTimer->setTimerType(Qt::PreciseTimer);
    connect(m_saveTimer, &QTimer::timeout, this, &ClipStore::saveSessionImmediately);
}

ClipStore::~ClipStore() = default;

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
    setFilteringOption(m_sortOrder, order);
}

void ClipStore::setFilterRating(qint64 rating)
{
    setFilteringOption(m_filterRating, rating);
}

void ClipStore::setFilterTag(const std::optional<QString> &tag)
{
    setFilteringOption(m_filterTag, tag);
}

void ClipStore::setFilterHandMarkers(bool on)
{
    setFilteringOption(m_filterHandMarkers, on);
}

void ClipStore::setHideUntouched(bool on)
{
    setFilteringOption(m_hideUntouched, on);
}

void ClipStore::setGridColumns(qint64 columns)
{
    Q_EMIT objectWillChange();
    m_gridColumns = columns;
    Q_EMIT viewOptionsChanged();
}

void ClipStore::setGroupMode(GroupMode mode)
{
    Q_EMIT objectWillChange();
    m_groupMode = mode;
    Q_EMIT viewOptionsChanged();
}

void ClipStore::setAvailableTags(const QStringList &tags)
{
    Q_EMIT objectWillChange();
    m_availableTags = tags;
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

void ClipStore::setSourceFolderURL(const std::optional<QUrl> &url)
{
    Q_EMIT objectWillChange();
    m_sourceFolderURL = url;
    Q_EMIT sourceFolderURLChanged();
}

// ---- Plain view state ---------------------------------------------------------

void ClipStore::setShowTagPickerForClipID(const std::optional<QUuid> &id)
{
    if (id == m_showTagPickerForClipID)
        return;
    Q_EMIT objectWillChange();
    m_showTagPickerForClipID = id;
    Q_EMIT viewStateChanged();
}

void ClipStore::setSelectedClipIDs(const QSet<QUuid> &ids)
{
    if (ids == m_selectedClipIDs)
        return;
    m_selectedClipIDs = ids;
    Q_EMIT selectionChanged();
}

void ClipStore::setClipToOpen(const std::optional<Clip> &clip)
{
    const std::optional<QUuid> oldID = m_clipToOpen ? std::optional<QUuid>(m_clipToOpen->id) : std::nullopt;
    const std::optional<QUuid> newID = clip ? std::optional<QUuid>(clip->id) : std::nullopt;
    const bool differs = oldID != newID;
    if (differs)
        Q_EMIT objectWillChange();
    m_clipToOpen = clip;
    if (differs)
        Q_EMIT viewStateChanged();
}

void ClipStore::setRenamingClipID(const std::optional<QUuid> &id)
{
    if (id == m_renamingClipID)
        return;
    Q_EMIT objectWillChange();
    m_renamingClipID = id;
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
    QSet<QUuid> pruned = m_selectedClipIDs;
    pruned.intersect(existing);
    if (pruned != m_selectedClipIDs) {
        Q_EMIT objectWillChange();
        m_selectedClipIDs = pruned;
        Q_EMIT selectionChanged();
    }
}

void ClipStore::dropStaleFilters()
{
    if (m_filterTag) {
        const QString &tag = *m_filterTag;
        const bool carried = std::any_of(m_clips.cbegin(), m_clips.cend(), [&](const Clip &c) { return c.tags.contains(tag); });
        if (!carried)
            setFilterTag(std::nullopt);
    }
    if (m_filterHandMarkers) {
        const bool anyMarker = std::any_of(m_clips.cbegin(), m_clips.cend(), [](const Clip &c) { return c.markerFlag && c.markerFlag->isMarker(); });
        if (!anyMarker)
            setFilterHandMarkers(false);
    }
}

void ClipStore::invalidateDerivedCaches()
{
    m_sortedAndFilteredCache.reset();
    m_clipStatsCache.reset();
    m_clipIndexCache.reset();
    m_usedTagsCache.reset();
    m_numberingResetCache.reset();
    m_exportPreviewTreeCache.reset();
}

// ---- Derived views ----------------------------------------------------------------

bool ClipStore::isUntouched(const Clip &clip)
{
    return clip.rating < 1 && clip.tags.isEmpty() && !clip.markerFlag && clip.filename == clip.urlFileName();
}

const QList<Clip> &ClipStore::sortedAndFilteredClips() const
{
    if (m_sortedAndFilteredCache)
        return *m_sortedAndFilteredCache;

    QList<Clip> result;
    result.reserve(m_clips.size());
    for (const Clip &clip : m_clips) {
        if (m_hideUntouched && isUntouched(clip))
            continue;
        if (m_filterRating > 0 && clip.rating != m_filterRating)
            continue;
        if (m_filterTag && !clip.tags.contains(*m_filterTag))
            continue;
        if (m_filterHandMarkers && !(clip.markerFlag && clip.markerFlag->isMarker()))
            continue;
        result.append(clip);
    }

    switch (m_sortOrder) {
    case SortOrder::name: {
        // The grid reads this after every edit, so the names are sorted by
        // their collation keys instead of being compared pair by pair.
        std::vector<std::pair<QCollatorSortKey, qsizetype>> keyed;
        keyed.reserve(size_t(result.size()));
        for (qsizetype i = 0; i < result.size(); ++i)
            keyed.emplace_back(FinderOrder::sortKey(result[i].filename), i);
        std::stable_sort(keyed.begin(), keyed.end(), [](const auto &a, const auto &b) { return a.first.compare(b.first) < 0; });
        QList<Clip> sorted;
        sorted.reserve(result.size());
        for (const auto &entry : keyed)
            sorted.append(result[entry.second]);
        result = std::move(sorted);
        break;
    }
    case SortOrder::duration:
        // NaN compares false with everything, which breaks the transitivity
        // a sort relies on; it sorts as 0.
        std::stable_sort(result.begin(), result.end(), [](const Clip &a, const Clip &b) {
            const double x = std::isnan(a.duration) ? 0.0 : a.duration;
            const double y = std::isnan(b.duration) ? 0.0 : b.duration;
            return x > y;
        });
        break;
    case SortOrder::rating:
        std::stable_sort(result.begin(), result.end(), [](const Clip &a, const Clip &b) { return a.rating > b.rating; });
        break;
    }
    m_sortedAndFilteredCache = std::move(result);
    return *m_sortedAndFilteredCache;
}

const QHash<QUuid, qsizetype> &ClipStore::clipIndex() const
{
    if (!m_clipIndexCache) {
        QHash<QUuid, qsizetype> index;
        index.reserve(m_clips.size());
        for (qsizetype i = 0; i < m_clips.size(); ++i)
            index.insert(m_clips[i].id, i);
        m_clipIndexCache = std::move(index);
    }
    return *m_clipIndexCache;
}

std::optional<qsizetype> ClipStore::indexOfClip(const QUuid &id) const
{
    const QHash<QUuid, qsizetype> &index = clipIndex();
    const auto it = index.constFind(id);
    if (it == index.constEnd())
        return std::nullopt;
    return *it;
}

const QStringList &ClipStore::usedTags() const
{
    if (m_usedTagsCache)
        return *m_usedTagsCache;
    QSet<QString> carried;
    for (const Clip &clip : m_clips) {
        for (const QString &tag : clip.tags)
            carried.insert(tag);
    }
    QStringList result;
    QSet<QString> inCatalog;
    for (const QString &tag : m_availableTags) {
        // A catalog may hold a name twice (default tags are taken as given);
        // the list of used tags names each tag once.
        if (inCatalog.contains(tag))
            continue;
        inCatalog.insert(tag);
        if (carried.contains(tag))
            result.append(tag);
    }
    QStringList others;
    for (const QString &tag : std::as_const(carried)) {
        if (!inCatalog.contains(tag))
            others.append(tag);
    }
    PlainTextOrder::sort(others);
    result += others;
    m_usedTagsCache = std::move(result);
    return *m_usedTagsCache;
}

bool ClipStore::hasActiveFilters() const
{
    return m_filterRating > 0 || m_filterTag.has_value() || m_filterHandMarkers || m_hideUntouched;
}

void ClipStore::clearFilters()
{
    setFilterRating(0);
    setFilterTag(std::nullopt);
    setFilterHandMarkers(false);
    setHideUntouched(false);
}

const ClipStore::ClipStats &ClipStore::clipStats() const
{
    if (m_clipStatsCache)
        return *m_clipStatsCache;
    ClipStats stats;
    for (const Clip &clip : m_clips) {
        if (clip.rating > 0)
            ++stats.ratedCount;
        if (!clip.tags.isEmpty())
            ++stats.taggedCount;
        if (clip.width < clip.height)
            ++stats.portraitCount;
        if (isShortlisted(clip)) {
            ExportTotals &totals = stats.shortlistTotals;
            ++totals.clipCount;
            if (std::isfinite(clip.duration) && clip.duration > 0)
                totals.duration += clip.duration;
            else
                ++totals.unknownDurationCount;
            if (clip.fileSize > 0) {
                constexpr qint64 maximum = std::numeric_limits<qint64>::max();
                totals.bytes = totals.bytes > maximum - clip.fileSize ? maximum : totals.bytes + clip.fileSize;
            } else {
                ++totals.unknownSizeCount;
            }
            stats.shortlistedDuration += clip.duration;
            stats.hasShortlisted = true;
        } else {
            ++stats.exportSkippedCount;
        }
        stats.totalDuration += clip.duration;
    }
    stats.totalCount = int(m_clips.size());
    m_clipStatsCache = stats;
    return *m_clipStatsCache;
}

const QList<MarkerDetector::NumberingReset> &ClipStore::numberingResets() const
{
    if (!m_numberingResetCache)
        m_numberingResetCache = MarkerDetector::numberingResets(m_clips);
    return *m_numberingResetCache;
}

const std::optional<QList<ClipStore::ExportFolder>> &ClipStore::exportPreviewTree() const
{
    if (!m_exportPreviewTreeCache) {
        const QList<Clip> shortlist = clipsInScope(ExportScope::shortlisted);
        if (shortlist.isEmpty())
            m_exportPreviewTreeCache.emplace(std::nullopt);
        else
            m_exportPreviewTreeCache.emplace(FolderPlan::folderPlan(shortlist, m_folderOrganization == FolderOrganization::byRating));
    }
    return *m_exportPreviewTreeCache;
}

QList<Clip> ClipStore::clipsInScope(ExportScope scope) const
{
    switch (scope) {
    case ExportScope::shortlisted: {
        QList<Clip> result;
        for (const Clip &clip : m_clips) {
            if (isShortlisted(clip))
                result.append(clip);
        }
        return result;
    }
    case ExportScope::filtered:
        return sortedAndFilteredClips();
    case ExportScope::selected: {
        QList<Clip> result;
        if (m_selectedClipIDs.isEmpty())
            return result;
        for (const Clip &clip : m_clips) {
            if (m_selectedClipIDs.contains(clip.id))
                result.append(clip);
        }
        return result;
    }
    case ExportScope::all:
        return m_clips;
    }
    return {};
}

// ==== Edits =================================================================
// The clip store's edits: ratings, tags, the tag catalog, renames, removals,
// loudness-triage tags and the review reset, with the queries of the tag
// picker and the selection bar.

bool ClipStore::isValidTagName(const QString &name)
{
    // QString::trimmed strips exactly the white space and newline characters
    // (Unicode separators, tab to carriage return, U+0085) that the rule means.
    if (name.trimmed().isEmpty())
        return false;
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    for (const char32_t c : name.toUcs4()) {
        if (c == U'/' || c == U':' || c == U'\\')
            return false;
        const QChar::Category category = QChar::category(c);
        if (category == QChar::Other_Control || category == QChar::Other_Format)
            return false;
    }
    return true;
}

QString ClipStore::sanitizeClipName(const QString &name)
{
    QString result = name;
    for (QChar &c : result) {
        // None of the three is ever half of a surrogate pair, so comparing
        // UTF-16 units is comparing scalars.
        if (c == QLatin1Char('/') || c == QLatin1Char(':') || c == QChar(u'\0'))
            c = QLatin1Char('-');
    }
    return result;
}

// ---- Ratings ----------------------------------------------------------------

void ClipStore::setRating(qint64 rating, QUuid clipID)
{
    const std::optional<qsizetype> at = indexOfClip(clipID);
    if (!at)
        return;
    QList<Clip> clips = m_clips;
    Clip &clip = clips[*at];
    const qint64 oldRating = clip.rating;
    const qint64 newRating = oldRating == rating ? 0 : rating;
    // Also when nothing changes (0 asked on an unrated clip): the request
    // still publishes, records and saves.
    clip.rating = newRating;
    setClips(std::move(clips));
    registerUndo(UndoAction::setRating(clipID, oldRating, newRating));
    scheduleSessionSave();
}

void ClipStore::rateSelection(qint64 rating, const QSet<QUuid> &clipIDs)
{
    if (clipIDs.size() == 1) {
        setRating(rating, *clipIDs.cbegin());
        return;
    }
    // Store order, so that the compound's parts have a stable order.
    QList<Clip> clips = m_clips;
    QList<UndoAction> parts;
    for (Clip &clip : clips) {
        if (!clipIDs.contains(clip.id) || clip.rating == rating)
            continue;
        parts.append(UndoAction::setRating(clip.id, clip.rating, rating));
        clip.rating = rating;
    }
    if (parts.isEmpty())
        return;
    const qsizetype count = parts.size();
    setClips(std::move(clips));
    registerUndo(UndoAction::compound(QStringLiteral("Rate ") + QString::number(count) + QStringLiteral(" clips"), parts));
    scheduleSessionSave();
}

// ---- Tags ---------------------------------------------------------------------

void ClipStore::toggleTag(QString tag, const QSet<QUuid> &clipIDs)
{
    bool anyMatching = false;
    bool allCarry = true;
    for (const Clip &clip : std::as_const(m_clips)) {
        if (!clipIDs.contains(clip.id))
            continue;
        anyMatching = true;
        if (!clip.tags.contains(tag)) {
            allCarry = false;
            break;
        }
    }
    const bool remove = anyMatching && allCarry;
    const QString description = (remove ? QStringLiteral("Remove '") : QStringLiteral("Add '")) + tag + QLatin1Char('\'');
    applyTagChange(clipIDs, description, remove, tag);
}

void ClipStore::applyTagChange(const QSet<QUuid> &clipIDs, QString description, bool remove, QString tag)
{
    QList<Clip> clips = m_clips;
    QList<UndoAction> parts;
    for (Clip &clip : clips) {
        if (!clipIDs.contains(clip.id))
            continue;
        QStringList newTags = clip.tags;
        if (remove)
            newTags.removeAll(tag);
        else if (!newTags.contains(tag))
            newTags.append(tag);
        if (newTags == clip.tags)
            continue;
        parts.append(UndoAction::setTags(clip.id, clip.tags, newTags));
        clip.tags = newTags;
    }
    if (parts.isEmpty())
        return;
    setClips(std::move(clips));
    // Read after the clips changed, so that a new tag joins the catalog at its
    // end. Not part of the record: undoing leaves the catalog as it now is.
    setAvailableTags(allTags());
    registerUndo(UndoAction::compound(description, parts));
    scheduleSessionSave();
}

void ClipStore::removeTag(QString tag, const QSet<QUuid> &clipIDs, QString description)
{
    applyTagChange(clipIDs, description, true, tag);
}

QStringList ClipStore::allTags() const
{
    QStringList result = m_availableTags;
    const QSet<QString> catalog(m_availableTags.cbegin(), m_availableTags.cend());
    for (const QString &tag : usedTags()) {
        if (!catalog.contains(tag))
            result.append(tag);
    }
    return result;
}

bool ClipStore::addCatalogTag(const QString &name)
{
    const QString tag = name.trimmed();
    if (!isValidTagName(tag))
        return false;
    if (m_availableTags.contains(tag))
        return true;
    setAvailableTags(m_availableTags + QStringList{tag});
    scheduleSessionSave();
    return true;
}

bool ClipStore::renameTag(const QString &oldName, const QString &newName)
{
    const QString tag = newName.trimmed();
    if (!isValidTagName(tag) || tag == oldName)
        return false;

    QList<Clip> clips = m_clips;
    QList<UndoAction> parts;
    for (Clip &clip : clips) {
        if (!clip.tags.contains(oldName))
            continue;
        const QStringList newTags = replacedWithoutDuplicates(clip.tags, oldName, tag);
        parts.append(UndoAction::setTags(clip.id, clip.tags, newTags));
        clip.tags = newTags;
    }
    const QStringList before = allTags();
    const QStringList after = replacedWithoutDuplicates(before, oldName, tag);
    parts.append(UndoAction::setTagCatalog(before, after));

    // The change hook switches a filter on the old name off (no clip carries
    // it any more); the filter follows the tag to its new name instead.
    const bool filterFollows = m_filterTag == oldName;
    setClips(std::move(clips));
    setAvailableTags(after);
    if (filterFollows)
        setFilterTag(tag);
    registerUndo(UndoAction::compound(QStringLiteral("Rename '") + oldName + QStringLiteral("' to '") + tag + QLatin1Char('\''), parts));
    scheduleSessionSave();
    return true;
}

void ClipStore::applyDefaultTags(const QStringList &tags)
{
    QStringList result;
    for (const QString &tag : tags) {
        if (isValidTagName(tag))
            result.append(tag);
    }
    const QSet<QString> valid(result.cbegin(), result.cend());
    for (const QString &tag : usedTags()) {
        if (!valid.contains(tag))
            result.append(tag);
    }
    if (result == m_availableTags)
        return;
    registerUndo(UndoAction::setTagCatalog(m_availableTags, result));
    setAvailableTags(result);
    scheduleSessionSave();
}

qsizetype ClipStore::visibleSelectionCount() const
{
    if (m_selectedClipIDs.isEmpty())
        return 0;
    qsizetype count = 0;
    for (const Clip &clip : sortedAndFilteredClips()) {
        if (m_selectedClipIDs.contains(clip.id))
            ++count;
    }
    return count;
}

std::pair<QStringList, QSet<QString>> ClipStore::tagPickerTags(const QUuid &clipID) const
{
    const QSet<QUuid> targets = m_selectedClipIDs.contains(clipID) ? m_selectedClipIDs : QSet<QUuid>{clipID};
    QSet<QString> all;
    std::optional<QSet<QString>> common;
    for (const Clip &clip : m_clips) {
        if (!targets.contains(clip.id))
            continue;
        const QSet<QString> tags(clip.tags.cbegin(), clip.tags.cend());
        all.unite(tags);
        if (common)
            common->intersect(tags);
        else
            common = tags;
    }
    QStringList commonList;
    if (common)
        commonList = QStringList(common->cbegin(), common->cend());
    PlainTextOrder::sort(commonList);
    QSet<QString> mixed = all;
    if (common)
        mixed.subtract(*common);
    return {commonList, mixed};
}

// ---- Names and membership ---------------------------------------------------------

void ClipStore::renameClip(QUuid clipID, QString newName)
{
    const std::optional<qsizetype> at = indexOfClip(clipID);
    if (!at || newName.isEmpty())
        return;
    const QString oldName = m_clips[*at].filename;
    const QString oldExtension = FileName::extension(oldName);
    const QString newExtension = FileName::extension(newName);
    // A bare name keeps the old extension; a typed one (even another) stays.
    const QString candidate = newExtension.isEmpty() && !oldExtension.isEmpty() ? newName + QLatin1Char('.') + oldExtension : newName;
    const QString base = trimSpacesAndFullStops(sanitizeClipName(FileName::withoutExtension(candidate)));
    if (base.isEmpty())
        return;
    // The name later becomes a file name when the clip is organized, so the
    // whole of it, extension included, must be one safe path component.
    const QString extension = sanitizeClipName(FileName::extension(candidate));
    const QString finalName = extension.isEmpty() ? base : base + QLatin1Char('.') + extension;
    if (!FileName::isSinglePathComponent(finalName) || finalName == oldName)
        return;

    QList<Clip> clips = m_clips;
    clips[*at].filename = finalName;
    setClips(std::move(clips));
    registerUndo(UndoAction::renameClip(clipID, oldName, finalName));
    scheduleSessionSave();
}

void ClipStore::removeClip(QUuid clipID)
{
    const std::optional<qsizetype> at = indexOfClip(clipID);
    if (!at)
        return;
    QList<Clip> clips = m_clips;
    const Clip removed = clips.takeAt(*at);
    setClips(std::move(clips));
    // The same file may be imported again.
    m_loadedURLs.remove(removed.url);
    registerUndo(UndoAction::removeClip(removed, *at));
    scheduleSessionSave();
}

void ClipStore::applyAudioTriageTags(const QList<QPair<QUuid, QString>> &pairs)
{
    const QHash<QUuid, qsizetype> index = clipIndex();
    QList<Clip> clips = m_clips;
    QList<QPair<QUuid, QString>> applied;
    for (const auto &pair : pairs) {
        const auto it = index.constFind(pair.first);
        if (it == index.constEnd())
            continue;
        Clip &clip = clips[*it];
        if (clip.tags.contains(pair.second))
            continue;
        clip.tags.append(pair.second);
        applied.append(pair);
    }
    if (applied.isEmpty())
        return;
    setClips(std::move(clips));
    QStringList catalog = m_availableTags;
    bool catalogGrew = false;
    for (const auto &pair : std::as_const(applied)) {
        if (!catalog.contains(pair.second)) {
            catalog.append(pair.second);
            catalogGrew = true;
        }
    }
    if (catalogGrew)
        setAvailableTags(catalog);
    registerUndo(UndoAction::audioTriageTags(applied));
    scheduleSessionSave();
}

void ClipStore::resetReview(bool all)
{
    QList<Clip> clips = m_clips;
    QList<UndoAction> parts;
    for (Clip &clip : clips) {
        if (!clip.tags.isEmpty()) {
            parts.append(UndoAction::setTags(clip.id, clip.tags, {}));
            clip.tags.clear();
        }
        if (!all)
            continue;
        if (clip.numberingResetReview) {
            parts.append(UndoAction::setNumberingResetReview(clip.id, clip.numberingResetReview, std::nullopt));
            clip.numberingResetReview.reset();
        }
        if (clip.rating != 0) {
            parts.append(UndoAction::setRating(clip.id, clip.rating, 0));
            clip.rating = 0;
        }
        if (clip.markerFlag) {
            parts.append(UndoAction::setMarkerFlag(clip.id, clip.markerFlag, std::nullopt));
            clip.markerFlag.reset();
        }
    }
    clearFilters();
    if (parts.isEmpty())
        return;
    setClips(std::move(clips));
    registerUndo(UndoAction::compound(all ? QStringLiteral("Reset Review") : QStringLiteral("Clear All Tags"), parts));
    scheduleSessionSave();
}

void ClipStore::openClipNamed(const QString &filename)
{
    for (const Clip &clip : std::as_const(m_clips)) {
        if (clip.filename == filename) {
            setClipToOpen(clip);
            return;
        }
    }
}

// ==== Undo history ==========================================================
// The undo history of the clip store: registering records, undo and redo
// with their appliers, the titles and the purge.

void ClipStore::registerUndo(const UndoAction &action)
{
    m_undoStack.append(action);
    m_redoStack.clear();
    if (m_undoStack.size() > undoLimit)
        m_undoStack.remove(0, m_undoStack.size() - undoLimit);
    Q_EMIT objectWillChange();
    Q_EMIT undoStateChanged();
}

void ClipStore::undo()
{
    if (m_undoStack.isEmpty())
        return;
    const UndoAction action = m_undoStack.takeLast();
    applyInverse(action);
    m_redoStack.append(action);
    finishUndoStep();
}

void ClipStore::redo()
{
    if (m_redoStack.isEmpty())
        return;
    const UndoAction action = m_redoStack.takeLast();
    reapply(action);
    m_undoStack.append(action);
    finishUndoStep();
}

void ClipStore::finishUndoStep()
{
    // Every tag that a clip carries again belongs in the catalog.
    setAvailableTags(allTags());
    m_usedTagsCache.reset();
    scheduleSessionSave();
    Q_EMIT objectWillChange();
    Q_EMIT undoStateChanged();
}

std::optional<QString> ClipStore::undoTitle() const
{
    if (m_undoStack.isEmpty())
        return std::nullopt;
    return QStringLiteral("Undo ") + m_undoStack.last().description();
}

std::optional<QString> ClipStore::redoTitle() const
{
    if (m_redoStack.isEmpty())
        return std::nullopt;
    return QStringLiteral("Redo ") + m_redoStack.last().description();
}

void ClipStore::purgeUndoHistory(const QSet<QUuid> &clipIDs)
{
    auto filter = [&](const QList<UndoAction> &stack) {
        QList<UndoAction> kept;
        kept.reserve(stack.size());
        for (const UndoAction &action : stack) {
            if (auto remaining = action.purged(clipIDs))
                kept.append(std::move(*remaining));
        }
        return kept;
    };
    m_undoStack = filter(m_undoStack);
    m_redoStack = filter(m_redoStack);
    Q_EMIT objectWillChange();
    Q_EMIT undoStateChanged();
}

void ClipStore::clearUndoHistory()
{
    m_undoStack.clear();
    m_redoStack.clear();
    Q_EMIT objectWillChange();
    Q_EMIT undoStateChanged();
}

void ClipStore::applyInPlace(const UndoAction &action, bool inverse)
{
    const QHash<QUuid, qsizetype> index = clipIndex();
    QList<Clip> working = m_clips;

    // Each case finds its clip by id and leaves the list alone when the clip
    // is gone.
    std::function<void(const UndoAction &)> apply = [&](const UndoAction &a) {
        auto clipFor = [&](const QUuid &id) -> Clip * {
            const auto it = index.constFind(id);
            return it == index.constEnd() ? nullptr : &working[*it];
        };
        std::visit(Overloaded{
                       [&](const UndoAction::SetRating &p) {
                           if (Clip *c = clipFor(p.clipID))
                               c->rating = inverse ? p.oldRating : p.newRating;
                       },
                       [&](const UndoAction::SetTags &p) {
                           if (Clip *c = clipFor(p.clipID))
                               c->tags = inverse ? p.oldTags : p.newTags;
                       },
                       [&](const UndoAction::SetTagCatalog &p) { setAvailableTags(inverse ? p.oldTags : p.newTags); },
                       [&](const UndoAction::RenameClip &p) {
                           if (Clip *c = clipFor(p.clipID))
                               c->filename = inverse ? p.oldName : p.newName;
                       },
                       [&](const UndoAction::AudioTriageTags &p) {
                           for (const auto &[id, tag] : p.applied) {
                               if (Clip *c = clipFor(id)) {
                                   if (inverse)
                                       c->tags.removeAll(tag);
                                   else
                                       c->tags.append(tag);
                               }
                           }
                       },
                       [&](const UndoAction::SetNumberingResetReview &p) {
                           if (Clip *c = clipFor(p.clipID))
                               c->numberingResetReview = inverse ? p.oldReview : p.newReview;
                       },
                       [&](const UndoAction::SetMarkerFlag &p) {
                           if (Clip *c = clipFor(p.clipID))
                               c->markerFlag = inverse ? p.oldFlag : p.newFlag;
                       },
                       [&](const UndoAction::Compound &p) {
                           if (inverse) {
                               for (auto it = p.actions.crbegin(); it != p.actions.crend(); ++it)
                                   apply(*it);
                           } else {
                               for (const UndoAction &part : p.actions)
                                   apply(part);
                           }
                       },
                       // Not in place; never reached through isInPlace().
                       [](const UndoAction::RemoveClip &) {},
                       [](const UndoAction::AddClips &) {},
                   },
                   a.payload());
    };
    apply(action);
    setClips(std::move(working));
}

void ClipStore::applyInverse(const UndoAction &action)
{
    if (action.isInPlace()) {
        applyInPlace(action, true);
        return;
    }
    if (const auto *compound = action.as<UndoAction::Compound>()) {
        for (auto it = compound->actions.crbegin(); it != compound->actions.crend(); ++it)
            applyInverse(*it);
    } else if (const auto *added = action.as<UndoAction::AddClips>()) {
        QSet<QUuid> ids;
        for (const Clip &clip : added->clips)
            ids.insert(clip.id);
        QList<Clip> remaining;
        remaining.reserve(m_clips.size());
        for (const Clip &clip : std::as_const(m_clips)) {
            if (!ids.contains(clip.id))
                remaining.append(clip);
        }
        setClips(std::move(remaining));
        for (const Clip &clip : added->clips)
            m_loadedURLs.remove(clip.url);
    } else if (const auto *removed = action.as<UndoAction::RemoveClip>()) {
        QList<Clip> clips = m_clips;
        clips.insert(std::min(removed->index, clips.size()), removed->clip);
        setClips(std::move(clips));
        m_loadedURLs.insert(removed->clip.url);
    }
}

void ClipStore::reapply(const UndoAction &action)
{
    if (action.isInPlace()) {
        applyInPlace(action, false);
        return;
    }
    if (const auto *compound = action.as<UndoAction::Compound>()) {
        for (const UndoAction &part : compound->actions)
            reapply(part);
    } else if (const auto *added = action.as<UndoAction::AddClips>()) {
        for (const Clip &clip : added->clips) {
            // The file may have been imported again in the meantime.
            if (m_loadedURLs.contains(clip.url))
                continue;
            appendClips({clip});
            m_loadedURLs.insert(clip.url);
        }
    } else if (const auto *removed = action.as<UndoAction::RemoveClip>()) {
        QList<Clip> clips = m_clips;
        clips.removeIf([&](const Clip &c) { return c.id == removed->clip.id; });
        setClips(std::move(clips));
        m_loadedURLs.remove(removed->clip.url);
    }
}

// ==== Session file ==========================================================
// The session file of the clip store: its JSON form, the debounced and the
// immediate save, reading it back and removing it.

// ---- JSON form -------------------------------------------------------------------

QJsonObject ClipStore::SessionData::toJson() const
{
    QJsonArray clipArray;
    for (const Clip &clip : clips)
        clipArray.append(clip.toJson());
    QJsonObject o;
    o.insert(QStringLiteral("clips"), clipArray);
    if (sourceFolderURL)
        o.insert(QStringLiteral("sourceFolderURL"), sourceFolderURL->toString(QUrl::FullyEncoded));
    o.insert(QStringLiteral("availableTags"), QJsonArray::fromStringList(availableTags));
    o.insert(QStringLiteral("folderOrganization"), folderOrganization);
    o.insert(QStringLiteral("gridColumns"), gridColumns);
    o.insert(QStringLiteral("savedAt"), savedAt.isValid() ? ReferenceDate::secondsSinceReference(savedAt) : 0.0);
    return o;
}

std::optional<ClipStore::SessionData> ClipStore::SessionData::fromJson(const QJsonObject &object, QString *errorText)
{
    JsonReader r(object);
    SessionData data;
    const QJsonArray clipArray = r.array(QStringLiteral("clips"));
    for (qsizetype i = 0; i < clipArray.size() && !r.failed(); ++i) {
        const QString where = QStringLiteral("clips[") + QString::number(i) + QStringLiteral("]: ");
        if (!clipArray[i].isObject()) {
            r.fail(where + JsonReader::typeMismatch(QStringLiteral("clips"), "Clip"));
            break;
        }
        QString clipError;
        if (auto clip = Clip::fromJson(clipArray[i].toObject(), &clipError))
            data.clips.append(std::move(*clip));
        else
            r.fail(where + clipError);
    }
    if (!r.failed() && r.has(QStringLiteral("sourceFolderURL")))
        data.sourceFolderURL = r.url(QStringLiteral("sourceFolderURL"));
    data.availableTags = r.strings(QStringLiteral("availableTags"));
    data.folderOrganization = r.string(QStringLiteral("folderOrganization"));
    data.gridColumns = r.integer(QStringLiteral("gridColumns"));
    const double savedAt = r.number(QStringLiteral("savedAt"));
    if (r.failed()) {
        if (errorText)
            *errorText = r.error();
        return std::nullopt;
    }
    data.savedAt = ReferenceDate::fromSecondsSinceReference(savedAt);
    return data;
}

// ---- Location ----------------------------------------------------------------------

QString ClipStore::sessionFilePath()
{
    // Computed once, on first use from any thread (a function-local static
    // is initialized exactly once); the folder is created at that moment.
    static const QString path = [] {
        const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QLatin1Char('/') + kFolderName;
        QDir().mkpath(folder); // a failure shows later as a failed save
        return folder + QLatin1Char('/') + kFileName;
    }();
    return path;
}

QStringList ClipStore::unreadableSessionFilePaths()
{
    const QFileInfo info(sessionFilePath());
    QStringList paths;
    const QFileInfoList entries = info.absoluteDir().entryInfoList({QStringLiteral("session.unreadable-*.json")}, QDir::Files, QDir::Name);
    for (const QFileInfo &entry : entries)
        paths.append(entry.absoluteFilePath());
    return paths;
}

// ---- Saving ------------------------------------------------------------------------------

void ClipStore::scheduleSessionSave()
{
    // Restarting the single-shot timer cancels the waiting save.
    m_saveTimer->start();
}

bool ClipStore::isSessionSaveScheduled() const
{
    return m_saveTimer->isActive();
}

void ClipStore::setSavingEnabled(bool enabled)
{
    m_savingEnabled = enabled;
    if (enabled && m_saveDeferred) {
        m_saveDeferred = false;
        scheduleSessionSave();
    }
}

ClipStore::SessionData ClipStore::makeSessionData() const
{
    SessionData data;
    data.clips = m_clips;
    data.sourceFolderURL = m_sourceFolderURL;
    data.availableTags = m_availableTags;
    data.folderOrganization = m_folderOrganization == FolderOrganization::byRating ? QStringLiteral("By Rating") : QStringLiteral("By Tag");
    data.gridColumns = m_gridColumns;
    data.savedAt = QDateTime::currentDateTimeUtc();
    return data;
}

void ClipStore::saveSessionImmediately()
{
    m_saveTimer->stop();
    if (!m_savingEnabled) {
        m_saveDeferred = true;
        qCDebug(sessionLogger, "Session save held back until the saved session is restored");
        return;
    }
    const SessionData data = makeSessionData();
    QString error;
    if (!writeSessionFile(data, &error)) {
        qCCritical(sessionLogger, "Immediate session save failed: %s", qUtf8Printable(error));
        setSessionSaveError(error);
        return;
    }
    Q_EMIT sessionSaved(data.clips.size());
}

bool ClipStore::writeSessionFile(const SessionData &data, QString *errorText)
{
    const QString path = sessionFilePath();
    // The folder may have been removed since it was made.
    QDir().mkpath(QFileInfo(path).absolutePath());
    // Written directly: building a JSON object per clip first costs more than the write itself.
    const QByteArray bytes = SessionJsonWriter::encode(data);
    QSaveFile file(path);
    auto failWith = [&](const QString &text) {
        if (errorText)
            *errorText = text;
        file.cancelWriting();
        return false;
    };
    if (!file.open(QIODevice::WriteOnly))
        return failWith(QStringLiteral("Could not write \"") + path + QStringLiteral("\": ") + file.errorString());
    if (file.write(bytes) != bytes.size())
        return failWith(QStringLiteral("Could not write \"") + path + QStringLiteral("\": ") + file.errorString());
    if (!file.commit())
        return failWith(QStringLiteral("Could not write \"") + path + QStringLiteral("\": ") + file.errorString());
    qCDebug(sessionLogger, "Saved session: %lld clips", static_cast<long long>(data.clips.size()));
    return true;
}

// ---- Reading and removing ---------------------------------------------------------------------

std::optional<std::pair<ClipStore::SessionData, QList<Clip>>> ClipStore::readSessionFile()
{
    const QString path = sessionFilePath();
    if (!QFileInfo::exists(path))
        return std::nullopt;

    auto unreadable = [&](const QString &reason) {
        qCCritical(sessionLogger, "Session file exists but could not be restored: %s", qUtf8Printable(reason));
        moveUnreadableFileAside(path);
        return std::nullopt;
    };

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return unreadable(file.errorString());
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return unreadable(file.errorString());
    file.close();

    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return unreadable(parseError.errorString() + QStringLiteral(" at offset ") + QString::number(parseError.offset));
    if (!document.isObject())
        return unreadable(QStringLiteral("The file does not hold a session object."));
    QString decodeError;
    std::optional<SessionData> data = SessionData::fromJson(document.object(), &decodeError);
    if (!data)
        return unreadable(decodeError);

    QList<Clip> restored = data->clips;
    qsizetype onDisk = 0;
    for (Clip &clip : restored) {
        makeNameSafe(clip);
        clip.isMissing = !QFileInfo::exists(clip.path());
        if (!clip.isMissing)
            ++onDisk;
    }
    qCInfo(sessionLogger, "Restoring session: %lld saved, %lld still on disk", static_cast<long long>(data->clips.size()),
           static_cast<long long>(onDisk));
    return std::make_pair(std::move(*data), std::move(restored));
}

void ClipStore::clearSessionFile()
{
    m_saveTimer->stop();
    m_saveDeferred = false;
    QFile file(sessionFilePath());
    if (!file.exists())
        return; // nothing to remove is not a failure
    if (!file.remove())
        qCCritical(sessionLogger, "Failed to clear session file: %s", qUtf8Printable(file.errorString()));
}

// ==== Import, offline media and session restore =============================
// The store's import, offline-media and session-restore members: each hands
// the work to ClipImporter, MediaAvailability or SessionRestorer.

void ClipStore::showImportPanel()
{
    if (!m_importPanel)
        return;
    const std::optional<QList<QUrl>> chosen =
        m_importPanel->run(QStringLiteral("Select folders or video files to add"), QStringLiteral("Add"));
    if (!chosen)
        return;
    for (const QUrl &url : *chosen) {
        const QString path = url.toLocalFile();
        if (!path.isEmpty() && QFileInfo(path).isDir()) {
            setSourceFolderURL(url);
            addURLs(url, {});
        } else if (hasSupportedVideoExtension(path)) {
            addURLs(std::nullopt, {url});
        }
    }
}

void ClipStore::addURLs(const std::optional<QUrl> &folder, const QList<QUrl> &files)
{
    m_importer->addURLs(folder, files);
}

void ClipStore::finishImportTask(const QUuid &taskID)
{
    m_importer->finishImportTask(taskID);
}

void ClipStore::rebuildLoadedURLs()
{
    m_sessionGeneration = QUuid::createUuid();
    m_importer->cancelImports();
    QSet<QUrl> loaded;
    loaded.reserve(m_clips.size());
    for (const Clip &clip : std::as_const(m_clips))
        loaded.insert(clip.url);
    m_loadedURLs = std::move(loaded);
    setLoading(false);
    setLoadingProgress(0);
}

void ClipStore::schedulePostImportWork()
{
    m_importer->schedulePostImportWork();
}

void ClipStore::probeRecordingDates()
{
    m_importer->probeRecordingDates();
}

void ClipStore::applyRecordingDates(const QList<RecordingDateResult> &results)
{
    m_importer->applyRecordingDates(results);
}

void ClipStore::cancelPrewarm()
{
    m_importer->cancelPrewarm();
}

QList<Clip> ClipStore::offlineClips() const
{
    QList<Clip> offline;
    for (const Clip &clip : m_clips) {
        if (clip.isMissing)
            offline.append(clip);
    }
    return offline;
}

void ClipStore::refreshAvailability()
{
    setClips(MediaAvailability::withAvailability(m_clips));
    schedulePostImportWork();
}

std::optional<DomainError> ClipStore::relinkClip(QUuid clipID, QUrl url)
{
    const std::optional<qsizetype> index = indexOfClip(clipID);
    if (!index)
        return std::nullopt;
    const auto checked = MediaAvailability::checkRelinkTarget(m_clips, *index, url);
    if (const auto *refusal = std::get_if<DomainError>(&checked))
        return *refusal;
    const QUrl target = std::get<QUrl>(checked);
    const QUrl oldURL = m_clips[*index].url;

    QList<Clip> clips = m_clips;
    clips[*index].url = target;
    setClips(clips);
    clips[*index].isMissing = false;
    setClips(std::move(clips));
    m_loadedURLs.remove(oldURL);
    m_loadedURLs.insert(target);
    // Records about the clip would replay its old file's facts.
    purgeUndoHistory({clipID});
    scheduleSessionSave();
    schedulePostImportWork();
    return std::nullopt;
}

void ClipStore::restoreSessionAtLaunch(SessionRestorer::MarkerTagName markerTagName, std::function<void(bool restored)> done)
{
    m_sessionRestorer->restoreSessionAtLaunch(std::move(markerTagName), std::move(done));
}

void ClipStore::startNewSession(const QStringList &tags)
{
    m_sessionRestorer->startNewSession(tags);
}
