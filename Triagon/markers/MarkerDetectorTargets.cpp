#include "markers/MarkerDetector.h"

#include "library/model/FinderOrder.h"

#include <algorithm>
#include <numeric>
#include <vector>

// ==== Marker target planning =================================================
// A hand marker is filmed right after the take it marks, so the tag goes on
// the clip before it in shooting order: the clip numbered one less in the
// same folder, or, across a numbering reset that the user linked, the last
// clip before the restart.

QList<MarkerDetector::FolderGroup> MarkerDetector::clipsByFolder(const QList<Clip> &clips)
{
    QList<FolderGroup> groups;
    QHash<QUrl, qsizetype> groupIndex;
    for (const Clip &clip : clips) {
        const QUrl folder = folderURL(clip.url);
        auto it = groupIndex.constFind(folder);
        if (it == groupIndex.constEnd()) {
            it = groupIndex.insert(folder, groups.size());
            groups.append(FolderGroup{folder, {}});
        }
        groups[*it].clips.append(clip);
    }
    return groups;
}

QHash<QUuid, int> MarkerDetector::markerTargets(const QSet<QUuid> &markers, const QList<Clip> &clips)
{
    QHash<QUuid, int> plan;
    if (markers.isEmpty())
        return plan;

    QList<Clip> online;
    online.reserve(clips.size());
    for (const Clip &clip : clips) {
        if (!clip.isMissing)
            online.append(clip);
    }
    QSet<QUuid> onlineIDs;
    for (const Clip &clip : std::as_const(online))
        onlineIDs.insert(clip.id);

    // The clip before each clip, from the file numbers of its folder.
    QHash<QUuid, QUuid> previous;
    for (const FolderGroup &group : clipsByFolder(online)) {
        const QList<Clip> &members = group.clips;
        std::vector<QCollatorSortKey> keys;
        keys.reserve(members.size());
        for (const Clip &clip : members)
            keys.push_back(FinderOrder::sortKey(clip.urlFileName()));
        std::vector<qsizetype> order(members.size());
        std::iota(order.begin(), order.end(), qsizetype(0));
        // Names that compare equal keep their input order: a total order.
        std::stable_sort(order.begin(), order.end(), [&keys](qsizetype a, qsizetype b) { return keys[a].compare(keys[b]) < 0; });
        for (size_t i = 1; i < order.size(); ++i) {
            const Clip &before = members[order[i - 1]];
            const Clip &after = members[order[i]];
            if (isConsecutive(before, after))
                previous.insert(after.id, before.id);
        }
    }
    // A linked numbering reset joins the first clip after the restart to the
    // last clip before it.
    for (const Clip &clip : std::as_const(online)) {
        const auto &review = clip.numberingResetReview;
        if (review && review->decision == NumberingResetReview::Decision::linked && onlineIDs.contains(review->previousClipID)
            && review->previousClipID != clip.id)
            previous.insert(clip.id, review->previousClipID);
    }

    // From each marker back over the markers before it to the take. The
    // last marker of k back-to-back ones counts k; the largest count wins.
    for (const Clip &clip : std::as_const(online)) {
        if (!markers.contains(clip.id))
            continue;
        QUuid current = clip.id;
        int count = 0;
        QSet<QUuid> visited;
        std::optional<QUuid> target;
        while (markers.contains(current)) {
            if (visited.contains(current))
                break; // linked reviews that form a cycle
            visited.insert(current);
            ++count;
            const auto before = previous.constFind(current);
            if (before == previous.constEnd())
                break; // the marker has no clip before it
            if (markers.contains(*before)) {
                current = *before;
                continue;
            }
            target = *before;
            break;
        }
        if (target)
            plan[*target] = std::max(count, plan.value(*target, 0));
    }
    return plan;
}

QString MarkerDetector::markerTagName(const QString &base, qint64 count)
{
    if (count < 2)
        return base;
    return base + QLatin1Char('x') + QString::number(count);
}
