#include "library/ClipStore.h"

#include "library/model/FinderOrder.h"
#include "library/model/StrictInteger.h"
#include "markers/HandMarkerScan.h"
#include "markers/MarkerDetector.h"
#include "media/ThumbnailGenerator.h"

#include <QPointer>

#include <algorithm>
#include <functional>

// ==== Hand markers and numbering resets =====================================
// The store's edits behind the hand-marker sheet, the clip cards' marker flag
// and the numbering-reset review, and the hand-marker scan.

namespace {

bool isMarkerFlagged(const Clip &clip)
{
    return clip.markerFlag && clip.markerFlag->isMarker();
}

// Takes the marker clips that `wanted` accepts out of `clips`, from the back,
// so that every recorded position is the clip's position at the moment it
// is taken out; records each removal and its file.
void takeMarkerClips(QList<Clip> &clips, const std::function<bool(const Clip &)> &wanted, QList<UndoAction> &parts, QList<QUrl> &files)
{
    for (qsizetype i = clips.size() - 1; i >= 0; --i) {
        if (!isMarkerFlagged(clips[i]) || !wanted(clips[i]))
            continue;
        const Clip removed = clips.takeAt(i);
        files.append(removed.url);
        parts.append(UndoAction::removeClip(removed, i));
    }
}

QString removalDescription(qsizetype count)
{
    return QStringLiteral("Remove ") + QString::number(count) + QStringLiteral(" marker clip")
           + (count == 1 ? QString() : QStringLiteral("s"));
}

} // namespace

// The base itself, or the base, "x" and a decimal integer (an optional
// sign and digits, nothing else); exact and case-sensitive.
bool ClipStore::isMarkerTag(const QString &tag, const QString &base)
{
    // A base that cannot be a tag has no family: an empty one would
    // otherwise claim every tag of the form "x2".
    if (!isValidTagName(base))
        return false;
    if (tag == base)
        return true;
    const QString prefix = base + QLatin1Char('x');
    if (!tag.startsWith(prefix))
        return false;
    const QString rest = tag.mid(prefix.size());
    // Strictly an optional sign and digits: "bangerx 2" is an ordinary tag.
    return !rest.isEmpty() && parseStrictInt64(rest).has_value();
}

bool ClipStore::containsNumberingReset(const MarkerDetector::NumberingReset &reset, const QList<MarkerDetector::NumberingReset> &resets)
{
    return std::any_of(resets.cbegin(), resets.cend(), [&reset](const MarkerDetector::NumberingReset &r) {
        return r.previousClipID == reset.previousClipID && r.firstClipID == reset.firstClipID;
    });
}

// Drops from the catalog the marker-family tags (not the base) that no
// clip carries. No undo entry: the callers record the catalog change.
void ClipStore::pruneUnusedMarkerTags(const QString &base)
{
    QSet<QString> carried;
    for (const Clip &clip : std::as_const(m_clips)) {
        for (const QString &tag : clip.tags)
            carried.insert(tag);
    }
    QStringList kept;
    kept.reserve(m_availableTags.size());
    for (const QString &tag : std::as_const(m_availableTags)) {
        if (tag != base && isMarkerTag(tag, base) && !carried.contains(tag))
            continue;
        kept.append(tag);
    }
    setAvailableTags(kept);
}

void ClipStore::setMarkerFlag(std::optional<MarkerFlag> flag, QUuid clipID)
{
    const std::optional<qsizetype> at = indexOfClip(clipID);
    if (!at)
        return;
    const std::optional<MarkerFlag> old = m_clips[*at].markerFlag;
    if (old == flag)
        return;
    QList<Clip> clips = m_clips;
    clips[*at].markerFlag = flag;
    setClips(std::move(clips));
    registerUndo(UndoAction::setMarkerFlag(clipID, old, flag));
    scheduleSessionSave();
}

// Takes every clip flagged as a marker (not "special") out of the
// session, as one "Remove N marker clip(s)"; the files stay on disk.
void ClipStore::removeMarkerClips()
{
    QList<Clip> clips = m_clips;
    QList<UndoAction> parts;
    QList<QUrl> removedURLs;
    takeMarkerClips(
        clips, [](const Clip &) { return true; }, parts, removedURLs);
    if (parts.isEmpty())
        return;
    const qsizetype count = parts.size();
    setClips(std::move(clips));
    // The files stay where they are and may be imported again.
    for (const QUrl &url : std::as_const(removedURLs))
        m_loadedURLs.remove(url);
    registerUndo(UndoAction::compound(removalDescription(count), parts));
    scheduleSessionSave();
}

// Applies a hand-marker scan to the clips of the scope (all clips when
// none): accepted markers flagged, other flags cleared, marker-family
// tags other than a clip's planned tag removed, planned tags added,
// optionally the markers removed, the catalog kept in step; one
// "Detect Markers (N changes)". A planned tag that is not a valid tag
// name is never written.
void ClipStore::applyDetectedMarkers(const QSet<QUuid> &markers, const QHash<QUuid, QString> &tagPerTarget, QString base,
                                     bool removeMarkers, const std::optional<QSet<QUuid>> &scope)
{
    const QStringList catalogBefore = m_availableTags;
    const auto inScope = [&scope](const QUuid &id) { return !scope || scope->contains(id); };
    // A planned tag that could not be a tag (a base typed with a "/", say)
    // never reaches a clip or the catalog.
    const auto plannedTag = [&tagPerTarget](const QUuid &id) -> std::optional<QString> {
        const auto it = tagPerTarget.constFind(id);
        if (it == tagPerTarget.constEnd() || !isValidTagName(*it))
            return std::nullopt;
        return *it;
    };

    QList<Clip> clips = m_clips;
    QList<UndoAction> parts;
    for (Clip &clip : clips) {
        if (!inScope(clip.id))
            continue;
        const bool accepted = markers.contains(clip.id);
        if (accepted && !isMarkerFlagged(clip)) {
            parts.append(UndoAction::setMarkerFlag(clip.id, clip.markerFlag, MarkerFlag::marker()));
            clip.markerFlag = MarkerFlag::marker();
        } else if (!accepted && clip.markerFlag) {
            parts.append(UndoAction::setMarkerFlag(clip.id, clip.markerFlag, std::nullopt));
            clip.markerFlag.reset();
        }

        const std::optional<QString> newTag = plannedTag(clip.id);
        QStringList tags;
        tags.reserve(clip.tags.size() + 1);
        for (const QString &tag : std::as_const(clip.tags)) {
            if (isMarkerTag(tag, base) && tag != newTag)
                continue;
            tags.append(tag);
        }
        if (newTag && !tags.contains(*newTag))
            tags.append(*newTag);
        if (tags != clip.tags) {
            parts.append(UndoAction::setTags(clip.id, clip.tags, tags));
            clip.tags = tags;
        }
    }

    // Accepted markers in the scope were flagged above, so exactly they go.
    QList<QUrl> removedURLs;
    if (removeMarkers)
        takeMarkerClips(
            clips, [&inScope](const Clip &clip) { return inScope(clip.id); }, parts, removedURLs);
    if (parts.isEmpty())
        return;

    setClips(std::move(clips));
    for (const QUrl &url : std::as_const(removedURLs))
        m_loadedURLs.remove(url);

    // New tag names join the end of the catalog in Finder order (bangerx2
    // before bangerx10), then unused marker tags leave it.
    QStringList newNames;
    for (auto it = tagPerTarget.cbegin(); it != tagPerTarget.cend(); ++it) {
        if (isValidTagName(*it) && !m_availableTags.contains(*it) && !newNames.contains(*it))
            newNames.append(*it);
    }
    std::sort(newNames.begin(), newNames.end(), [](const QString &a, const QString &b) {
        const int order = FinderOrder::compare(a, b);
        return order != 0 ? order < 0 : a < b;
    });
    if (!newNames.isEmpty())
        setAvailableTags(m_availableTags + newNames);
    pruneUnusedMarkerTags(base);
    if (m_availableTags != catalogBefore)
        parts.append(UndoAction::setTagCatalog(catalogBefore, m_availableTags));

    registerUndo(
        UndoAction::compound(QStringLiteral("Detect Markers (") + QString::number(parts.size()) + QStringLiteral(" changes)"), parts));
    scheduleSessionSave();
}

std::optional<ClipStore::CrossResetPlan> ClipStore::crossResetMarkerPlan(const MarkerDetector::NumberingReset &reset) const
{
    const std::optional<qsizetype> firstAt = indexOfClip(reset.firstClipID);
    const std::optional<qsizetype> previousAt = indexOfClip(reset.previousClipID);
    if (!firstAt || !previousAt || m_clips[*firstAt].isMissing || m_clips[*previousAt].isMissing)
        return std::nullopt;

    QList<Clip> linked = m_clips;
    linked[*firstAt].numberingResetReview = NumberingResetReview{reset.previousClipID, NumberingResetReview::Decision::linked};
    // The flagged markers, and the first clip after the reset as if it were one.
    QSet<QUuid> markers;
    for (const Clip &clip : std::as_const(m_clips)) {
        if (isMarkerFlagged(clip))
            markers.insert(clip.id);
    }
    markers.insert(reset.firstClipID);
    const QHash<QUuid, int> linkedPlan = MarkerDetector::markerTargets(markers, linked);
    markers.remove(reset.firstClipID);
    const QHash<QUuid, int> baseline = MarkerDetector::markerTargets(markers, m_clips);

    // The first clip, in store order, whose count the link raises.
    for (const Clip &clip : std::as_const(m_clips)) {
        const auto it = linkedPlan.constFind(clip.id);
        if (it != linkedPlan.constEnd() && *it > baseline.value(clip.id, 0))
            return CrossResetPlan{clip, *it};
    }
    return std::nullopt;
}

void ClipStore::dismissNumberingReset(MarkerDetector::NumberingReset reset)
{
    if (!containsNumberingReset(reset, numberingResets()))
        return;
    const std::optional<qsizetype> at = indexOfClip(reset.firstClipID);
    if (!at)
        return;
    QList<Clip> clips = m_clips;
    const std::optional<NumberingResetReview> old = clips[*at].numberingResetReview;
    const NumberingResetReview review{reset.previousClipID, NumberingResetReview::Decision::dismissed};
    clips[*at].numberingResetReview = review;
    setClips(std::move(clips));
    registerUndo(UndoAction::setNumberingResetReview(reset.firstClipID, old, review));
    scheduleSessionSave();
}

// Links a current reset and tags the clip before the marker across it,
// as one "Confirm Hand Marker Across Reset"; false when nothing changed.
bool ClipStore::applyNumberingResetDecisions(MarkerDetector::NumberingReset reset, QString base)
{
    if (!containsNumberingReset(reset, numberingResets()))
        return false;
    const std::optional<CrossResetPlan> plan = crossResetMarkerPlan(reset);
    if (!plan)
        return false;
    const std::optional<qsizetype> firstAt = indexOfClip(reset.firstClipID);
    const std::optional<qsizetype> targetAt = indexOfClip(plan->clip.id);
    if (!firstAt || !targetAt || !isValidTagName(base))
        return false;

    QList<Clip> clips = m_clips;
    QList<UndoAction> parts;
    Clip &first = clips[*firstAt];
    const NumberingResetReview review{reset.previousClipID, NumberingResetReview::Decision::linked};
    parts.append(UndoAction::setNumberingResetReview(first.id, first.numberingResetReview, review));
    first.numberingResetReview = review;
    // The first clip after the restart is the hand marker.
    if (!isMarkerFlagged(first)) {
        parts.append(UndoAction::setMarkerFlag(first.id, first.markerFlag, MarkerFlag::marker()));
        first.markerFlag = MarkerFlag::marker();
    }

    const QString tag = MarkerDetector::markerTagName(base, plan->hands);
    Clip &target = clips[*targetAt];
    QStringList tags;
    bool replaced = false;
    for (const QString &existing : std::as_const(target.tags)) {
        if (!isMarkerTag(existing, base)) {
            tags.append(existing);
        } else if (!replaced) {
            // The stack's tag takes the place of the clip's marker tag.
            tags.append(tag);
            replaced = true;
        }
    }
    if (!replaced)
        tags.append(tag);
    if (tags != target.tags) {
        parts.append(UndoAction::setTags(target.id, target.tags, tags));
        target.tags = tags;
    }

    setClips(std::move(clips));
    const QStringList catalogBefore = m_availableTags;
    if (!m_availableTags.contains(tag))
        setAvailableTags(m_availableTags + QStringList{tag});
    pruneUnusedMarkerTags(base);
    if (m_availableTags != catalogBefore)
        parts.append(UndoAction::setTagCatalog(catalogBefore, m_availableTags));
    registerUndo(UndoAction::compound(QStringLiteral("Confirm Hand Marker Across Reset"), parts));
    scheduleSessionSave();
    return true;
}

// A hand-marker scan over the clips that are online, in store order,
// reusing markerMetrics and measuring with the poster generator; not yet
// started. Connect to it (directly: the result is not a queued type),
// then start() it. A run that finishes with a result has already stored
// its metrics in markerMetrics; a cancelled run, or one that outlives
// its session, stores nothing.
HandMarkerScan *ClipStore::scanForHandMarkers()
{
    HandMarkerScan::Inputs inputs;
    for (const Clip &clip : std::as_const(m_clips)) {
        if (!clip.isMissing)
            inputs.candidates.append(clip);
    }
    inputs.cached = [this](const QUuid &id) -> std::optional<MarkerDetector::Metrics> {
        const auto it = m_markerMetrics.constFind(id);
        if (it == m_markerMetrics.constEnd())
            return std::nullopt;
        return *it;
    };
    const QUuid generation = m_sessionGeneration;
    inputs.isCurrent = [this, generation] { return m_sessionGeneration == generation; };
    QPointer<ThumbnailGenerator> generator = thumbnailGenerator();
    inputs.posters = [generator](const QString &path, double seconds, QSize maxSize) {
        return generator ? generator->thumbnail(path, seconds, maxSize) : QtFuture::makeReadyFuture(QImage());
    };

    auto *scan = new HandMarkerScan(std::move(inputs), this);
    // Connected before any caller can connect: the metrics are kept before
    // the caller hears of the result.
    connect(scan, &HandMarkerScan::finished, this, [this](const std::optional<HandMarkerScan::Result> &result) {
        if (!result)
            return;
        for (const HandMarkerScan::Entry &entry : *result)
            m_markerMetrics.insert(entry.clip.id, entry.metrics);
    });
    return scan;
}
