#include "markers/MarkerService.h"

#include "library/model/ClipEditor.h"
#include "library/model/FinderOrder.h"
#include "library/model/StrictInteger.h"
#include "library/model/TagName.h"
#include "markers/HandMarkerScan.h"

#include <QObject>

#include <algorithm>
#include <functional>
#include <utility>

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

MarkerService::MarkerService(ClipEditor &editor) : m_editor(editor)
{
}

bool MarkerService::isMarkerTag(const QString &tag, const QString &base)
{
    // A base that cannot be a tag has no family: an empty one would
    // otherwise claim every tag of the form "x2".
    if (!TagName::isValid(base))
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

bool MarkerService::containsNumberingReset(const NumberingReset &reset, const QList<NumberingReset> &resets)
{
    return std::any_of(resets.cbegin(), resets.cend(), [&reset](const NumberingReset &r) {
        return r.previousClipID == reset.previousClipID && r.firstClipID == reset.firstClipID;
    });
}

void MarkerService::pruneUnusedMarkerTags(const QString &base)
{
    QSet<QString> carried;
    for (const Clip &clip : std::as_const(m_editor.clips())) {
        for (const QString &tag : clip.tags)
            carried.insert(tag);
    }
    QStringList kept;
    kept.reserve(m_editor.availableTags().size());
    for (const QString &tag : std::as_const(m_editor.availableTags())) {
        if (tag != base && isMarkerTag(tag, base) && !carried.contains(tag))
            continue;
        kept.append(tag);
    }
    m_editor.setAvailableTags(kept);
}

void MarkerService::setMarkerFlag(std::optional<MarkerFlag> flag, QUuid clipID)
{
    const std::optional<qsizetype> at = m_editor.indexOfClip(clipID);
    if (!at)
        return;
    const std::optional<MarkerFlag> old = m_editor.clips()[*at].markerFlag;
    if (old == flag)
        return;
    QList<Clip> clips = m_editor.clips();
    clips[*at].markerFlag = flag;
    m_editor.setClips(std::move(clips));
    m_editor.registerUndo(UndoAction::setMarkerFlag(clipID, old, flag));
    m_editor.scheduleSessionSave();
}

void MarkerService::removeMarkerClips()
{
    QList<Clip> clips = m_editor.clips();
    QList<UndoAction> parts;
    QList<QUrl> removedURLs;
    takeMarkerClips(
        clips, [](const Clip &) { return true; }, parts, removedURLs);
    if (parts.isEmpty())
        return;
    const qsizetype count = parts.size();
    m_editor.setClips(std::move(clips));
    // The files stay where they are and may be imported again.
    for (const QUrl &url : std::as_const(removedURLs))
        m_editor.forgetLoadedURL(url);
    m_editor.registerUndo(UndoAction::compound(removalDescription(count), parts));
    m_editor.scheduleSessionSave();
}

void MarkerService::applyDetectedMarkers(const QSet<QUuid> &markers, const QHash<QUuid, QString> &tagPerTarget, QString base,
                                         bool removeMarkers, const std::optional<QSet<QUuid>> &scope)
{
    const QStringList catalogBefore = m_editor.availableTags();
    const auto inScope = [&scope](const QUuid &id) { return !scope || scope->contains(id); };
    // A planned tag that could not be a tag (a base typed with a "/", say)
    // never reaches a clip or the catalog.
    const auto plannedTag = [&tagPerTarget](const QUuid &id) -> std::optional<QString> {
        const auto it = tagPerTarget.constFind(id);
        if (it == tagPerTarget.constEnd() || !TagName::isValid(*it))
            return std::nullopt;
        return *it;
    };

    QList<Clip> clips = m_editor.clips();
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

    m_editor.setClips(std::move(clips));
    for (const QUrl &url : std::as_const(removedURLs))
        m_editor.forgetLoadedURL(url);

    // New tag names join the end of the catalog in Finder order (bangerx2
    // before bangerx10), then unused marker tags leave it.
    QStringList newNames;
    for (auto it = tagPerTarget.cbegin(); it != tagPerTarget.cend(); ++it) {
        if (TagName::isValid(*it) && !m_editor.availableTags().contains(*it) && !newNames.contains(*it))
            newNames.append(*it);
    }
    std::sort(newNames.begin(), newNames.end(), [](const QString &a, const QString &b) {
        const int order = FinderOrder::compare(a, b);
        return order != 0 ? order < 0 : a < b;
    });
    if (!newNames.isEmpty())
        m_editor.setAvailableTags(m_editor.availableTags() + newNames);
    pruneUnusedMarkerTags(base);
    if (m_editor.availableTags() != catalogBefore)
        parts.append(UndoAction::setTagCatalog(catalogBefore, m_editor.availableTags()));

    m_editor.registerUndo(
        UndoAction::compound(QStringLiteral("Detect Markers (") + QString::number(parts.size()) + QStringLiteral(" changes)"), parts));
    m_editor.scheduleSessionSave();
}

std::optional<CrossResetPlan> MarkerService::crossResetMarkerPlan(const NumberingReset &reset) const
{
    const std::optional<qsizetype> firstAt = m_editor.indexOfClip(reset.firstClipID);
    const std::optional<qsizetype> previousAt = m_editor.indexOfClip(reset.previousClipID);
    if (!firstAt || !previousAt || m_editor.clips()[*firstAt].isMissing || m_editor.clips()[*previousAt].isMissing)
        return std::nullopt;

    QList<Clip> linked = m_editor.clips();
    linked[*firstAt].numberingResetReview = NumberingResetReview{reset.previousClipID, NumberingResetReview::Decision::linked};
    // The flagged markers, and the first clip after the reset as if it were one.
    QSet<QUuid> markers;
    for (const Clip &clip : std::as_const(m_editor.clips())) {
        if (isMarkerFlagged(clip))
            markers.insert(clip.id);
    }
    markers.insert(reset.firstClipID);
    const QHash<QUuid, int> linkedPlan = MarkerDetector::markerTargets(markers, linked);
    markers.remove(reset.firstClipID);
    const QHash<QUuid, int> baseline = MarkerDetector::markerTargets(markers, m_editor.clips());

    // The first clip, in store order, whose count the link raises.
    for (const Clip &clip : std::as_const(m_editor.clips())) {
        const auto it = linkedPlan.constFind(clip.id);
        if (it != linkedPlan.constEnd() && *it > baseline.value(clip.id, 0))
            return CrossResetPlan{clip, *it};
    }
    return std::nullopt;
}

void MarkerService::dismissNumberingReset(NumberingReset reset)
{
    if (!containsNumberingReset(reset, m_editor.numberingResets()))
        return;
    const std::optional<qsizetype> at = m_editor.indexOfClip(reset.firstClipID);
    if (!at)
        return;
    QList<Clip> clips = m_editor.clips();
    const std::optional<NumberingResetReview> old = clips[*at].numberingResetReview;
    const NumberingResetReview review{reset.previousClipID, NumberingResetReview::Decision::dismissed};
    clips[*at].numberingResetReview = review;
    m_editor.setClips(std::move(clips));
    m_editor.registerUndo(UndoAction::setNumberingResetReview(reset.firstClipID, old, review));
    m_editor.scheduleSessionSave();
}

bool MarkerService::applyNumberingResetDecisions(NumberingReset reset, QString base)
{
    if (!containsNumberingReset(reset, m_editor.numberingResets()))
        return false;
    const std::optional<CrossResetPlan> plan = crossResetMarkerPlan(reset);
    if (!plan)
        return false;
    const std::optional<qsizetype> firstAt = m_editor.indexOfClip(reset.firstClipID);
    const std::optional<qsizetype> targetAt = m_editor.indexOfClip(plan->clip.id);
    if (!firstAt || !targetAt || !TagName::isValid(base))
        return false;

    QList<Clip> clips = m_editor.clips();
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

    m_editor.setClips(std::move(clips));
    const QStringList catalogBefore = m_editor.availableTags();
    if (!m_editor.availableTags().contains(tag))
        m_editor.setAvailableTags(m_editor.availableTags() + QStringList{tag});
    pruneUnusedMarkerTags(base);
    if (m_editor.availableTags() != catalogBefore)
        parts.append(UndoAction::setTagCatalog(catalogBefore, m_editor.availableTags()));
    m_editor.registerUndo(UndoAction::compound(QStringLiteral("Confirm Hand Marker Across Reset"), parts));
    m_editor.scheduleSessionSave();
    return true;
}

HandMarkerScan *MarkerService::scanForHandMarkers(QObject *owner, MarkerDetector::PosterSource posters)
{
    HandMarkerScan::Inputs inputs;
    for (const Clip &clip : std::as_const(m_editor.clips())) {
        if (!clip.isMissing)
            inputs.candidates.append(clip);
    }
    // The scan may outlive this service but not the editor that owns it.
    ClipEditor *editor = &m_editor;
    inputs.cached = [editor](const QUuid &id) -> std::optional<MarkerDetector::Metrics> {
        const QHash<QUuid, MarkerMetrics> &cache = editor->markerMetrics();
        const auto it = cache.constFind(id);
        if (it == cache.constEnd())
            return std::nullopt;
        return *it;
    };
    const QUuid generation = editor->sessionGeneration();
    inputs.isCurrent = [editor, generation] { return editor->sessionGeneration() == generation; };
    inputs.posters = std::move(posters);

    auto *scan = new HandMarkerScan(std::move(inputs), owner);
    // Connected before any caller can connect: the metrics are kept before
    // the caller hears of the result.
    QObject::connect(scan, &HandMarkerScan::finished, owner, [editor](const std::optional<HandMarkerScan::Result> &result) {
        if (!result)
            return;
        QHash<QUuid, MarkerMetrics> all = editor->markerMetrics();
        for (const HandMarkerScan::Entry &entry : *result)
            all.insert(entry.clip.id, entry.metrics);
        editor->setMarkerMetrics(all);
    });
    return scan;
}
