#include "library/ClipStore.h"

#include "library/model/FinderOrder.h"
#include "library/model/PlainTextOrder.h"
#include "markers/MarkerDetector.h"
#include "organize/FolderPlan.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <vector>

// ---- Derived views ----------------------------------------------------------------

// The same list as positions in clips(): what the grid lays out, without
// copying a single clip.
const QList<qsizetype> &ClipStore::sortedAndFilteredPositions() const
{
    if (m_sortedAndFilteredPositionsCache)
        return *m_sortedAndFilteredPositionsCache;

    // The grid reads this after every filter, sort and clip change: the clips
    // are filtered and sorted as positions, and nothing of a clip is copied.
    QList<qsizetype> shown;
    shown.reserve(m_clips.size());
    for (qsizetype i = 0; i < m_clips.size(); ++i) {
        if (m_view.shows(m_clips[i]))
            shown.append(i);
    }

    switch (m_view.sortOrder) {
    case SortOrder::name: {
        // The clips in name order, filtered: the same as sorting the shown
        // clips stably, since ties keep the store's order in both.
        QList<qsizetype> sorted;
        if (shown.size() == m_clips.size()) {
            sorted = nameOrder();
        } else {
            sorted.reserve(shown.size());
            std::vector<bool> isShown(size_t(m_clips.size()), false);
            for (const qsizetype i : std::as_const(shown))
                isShown[size_t(i)] = true;
            for (const qsizetype i : nameOrder()) {
                if (isShown[size_t(i)])
                    sorted.append(i);
            }
        }
        shown = std::move(sorted);
        break;
    }
    case SortOrder::duration:
        // NaN compares false with everything, which breaks the transitivity
        // a sort relies on; it sorts as 0.
        std::stable_sort(shown.begin(), shown.end(), [this](qsizetype a, qsizetype b) {
            const double x = std::isnan(m_clips[a].duration) ? 0.0 : m_clips[a].duration;
            const double y = std::isnan(m_clips[b].duration) ? 0.0 : m_clips[b].duration;
            return x > y;
        });
        break;
    case SortOrder::rating:
        std::stable_sort(shown.begin(), shown.end(), [this](qsizetype a, qsizetype b) { return m_clips[a].rating > m_clips[b].rating; });
        break;
    }
    m_sortedAndFilteredPositionsCache = std::move(shown);
    return *m_sortedAndFilteredPositionsCache;
}

const QList<qsizetype> &ClipStore::nameOrder() const
{
    bool valid = m_nameOrderNames.size() == m_clips.size();
    for (qsizetype i = 0; valid && i < m_clips.size(); ++i) {
        const QString &was = m_nameOrderNames.at(i);
        const QString &is = m_clips.at(i).filename;
        // The same text buffer is the same name; a name held here keeps its
        // buffer alive, so no other name can take its place there.
        valid = (was.constData() == is.constData() && was.size() == is.size()) || was == is;
    }
    if (valid)
        return m_nameOrder;

    // Each name's collation key is made once; the sort then compares the
    // keys of the positions, which stay where they are.
    std::vector<QCollatorSortKey> keys;
    keys.reserve(size_t(m_clips.size()));
    QStringList names;
    names.reserve(m_clips.size());
    for (const Clip &clip : m_clips) {
        keys.push_back(FinderOrder::sortKey(clip.filename));
        names.append(clip.filename);
    }
    QList<qsizetype> order(m_clips.size());
    std::iota(order.begin(), order.end(), qsizetype(0));
    std::stable_sort(order.begin(), order.end(),
                     [&keys](qsizetype a, qsizetype b) { return keys[size_t(a)].compare(keys[size_t(b)]) < 0; });
    m_nameOrder = std::move(order);
    m_nameOrderNames = std::move(names);
    return m_nameOrder;
}

// The clips the grid shows: filtered (untouched, rating, tag, hand
// markers) and sorted stably by sortOrder, ties in store order.
const QList<Clip> &ClipStore::sortedAndFilteredClips() const
{
    if (!m_sortedAndFilteredCache) {
        // A clip is large: copied once, into a list of exactly their number.
        const QList<qsizetype> &shown = sortedAndFilteredPositions();
        QList<Clip> result;
        result.reserve(shown.size());
        for (const qsizetype i : shown)
            result.append(m_clips[i]);
        m_sortedAndFilteredCache = std::move(result);
    }
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

// The tags that clips carry: the catalog's first in catalog order, then
// the others in plain text order.
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

// The planned folders of the shortlisted clips under folderOrganization;
// no value when no clip is shortlisted.
const std::optional<QList<ClipStore::ExportFolder>> &ClipStore::exportPreviewTree() const
{
    if (!m_exportPreviewTreeCache) {
        const QList<Clip> shortlist = clipsInScope(ExportScope::shortlisted);
        if (shortlist.isEmpty())
            m_exportPreviewTreeCache.emplace(std::nullopt);
        else
            m_exportPreviewTreeCache.emplace(FolderPlan::folderPlan(shortlist, m_folderOrganization));
    }
    return *m_exportPreviewTreeCache;
}

// The clips an organize of the scope covers: shortlisted and selected in
// store order, the filtered view as the grid shows it, or all clips.
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
        if (m_view.selectedClipIDs.isEmpty())
            return result;
        for (const Clip &clip : m_clips) {
            if (m_view.selectedClipIDs.contains(clip.id))
                result.append(clip);
        }
        return result;
    }
    case ExportScope::all:
        return m_clips;
    }
    return {};
}
