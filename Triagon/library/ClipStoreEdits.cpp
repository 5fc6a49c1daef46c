#include "library/ClipStore.h"

#include "library/model/FileName.h"
#include "library/model/PlainTextOrder.h"
#include "library/model/TagName.h"

#include <algorithm>

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

} // namespace

// ==== Edits =================================================================
// The clip store's edits: ratings, tags, the tag catalog, renames, removals,
// loudness-triage tags and the review reset, with the queries of the tag
// picker and the selection bar.

// A tag name is valid when its trimmed form is not empty, it is not "."
// or "..", and it holds no "/", ":", "\" and no control or format character.
bool ClipStore::isValidTagName(const QString &name)
{
    return TagName::isValid(name);
}

QString ClipStore::sanitizeClipName(const QString &name)
{
    return FileName::sanitizedClipName(name);
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

// One id: as setRating. Several: sets the rating (no toggle) on each clip
// that lacks it, as one compound "Rate N clips".
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

// Removes the tag when every given clip carries it, else adds it to the
// clips lacking it.
void ClipStore::toggleTag(QString tag, const QSet<QUuid> &clipIDs)
{
    tag = TagName::canonical(tag);
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
    tag = TagName::canonical(tag);
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

// Adds a name (trimmed) to the catalog; false only when it is not a valid
// tag name. Not undoable.
bool ClipStore::addCatalogTag(const QString &name)
{
    const QString tag = TagName::canonical(name.trimmed());
    if (!isValidTagName(tag))
        return false;
    if (m_availableTags.contains(tag))
        return true;
    setAvailableTags(m_availableTags + QStringList{tag});
    scheduleSessionSave();
    return true;
}

// Renames (or merges) a tag on every clip and in the catalog; false for
// an invalid new name or no change.
bool ClipStore::renameTag(const QString &oldName, const QString &newName)
{
    const QString old = TagName::canonical(oldName);
    const QString tag = TagName::canonical(newName.trimmed());
    if (!isValidTagName(tag) || tag == old)
        return false;

    QList<Clip> clips = m_clips;
    QList<UndoAction> parts;
    for (Clip &clip : clips) {
        if (!clip.tags.contains(old))
            continue;
        const QStringList newTags = replacedWithoutDuplicates(clip.tags, old, tag);
        parts.append(UndoAction::setTags(clip.id, clip.tags, newTags));
        clip.tags = newTags;
    }
    const QStringList before = allTags();
    const QStringList after = replacedWithoutDuplicates(before, old, tag);
    parts.append(UndoAction::setTagCatalog(before, after));

    // The change hook switches a filter on the old name off (no clip carries
    // it any more); the filter follows the tag to its new name instead.
    const bool filterFollows = m_view.filterTag == old;
    setClips(std::move(clips));
    setAvailableTags(after);
    if (filterFollows)
        setFilterTag(tag);
    registerUndo(UndoAction::compound(QStringLiteral("Rename '") + old + QStringLiteral("' to '") + tag + QLatin1Char('\''), parts));
    scheduleSessionSave();
    return true;
}

// Makes the catalog the valid given tags followed by the other tags that
// clips carry.
void ClipStore::applyDefaultTags(const QStringList &tags)
{
    QStringList result;
    for (const QString &tag : TagName::canonical(tags)) {
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
    if (m_view.selectedClipIDs.isEmpty())
        return 0;
    qsizetype count = 0;
    for (const qsizetype i : sortedAndFilteredPositions()) {
        if (m_view.selectedClipIDs.contains(m_clips[i].id))
            ++count;
    }
    return count;
}

// The tags for the picker of a clip (of the selection when it holds the
// clip): those every target carries, in plain text order, and the ones
// only some carry.
std::pair<QStringList, QSet<QString>> ClipStore::tagPickerTags(const QUuid &clipID) const
{
    const QSet<QUuid> targets = m_view.selectedClipIDs.contains(clipID) ? m_view.selectedClipIDs : QSet<QUuid>{clipID};
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

// Renames a clip within the session (the file keeps its name). A bare
// name keeps the old extension. The result is always one safe file name.
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

// Clears every clip's tags, with all also reviews, ratings and flags;
// always switches every filter off.
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

// ---- After an organize run -------------------------------------------------------

void ClipStore::applyOrganizedMoves(const QSet<QUuid> &movedIDs, const QHash<QUuid, QUrl> &relocations)
{
    // The moved clips leave the session; their files may be imported again.
    QList<Clip> kept;
    kept.reserve(m_clips.size());
    for (const Clip &clip : std::as_const(m_clips)) {
        if (movedIDs.contains(clip.id))
            m_loadedURLs.remove(clip.url);
        else
            kept.append(clip);
    }
    setClips(std::move(kept));

    // Files that had to stay at their new place: the clip follows its file.
    if (!relocations.isEmpty()) {
        QList<Clip> clips = m_clips;
        for (auto it = relocations.cbegin(); it != relocations.cend(); ++it) {
            const std::optional<qsizetype> index = indexOfClip(it.key());
            if (!index)
                continue;
            m_loadedURLs.remove(clips[*index].url);
            clips[*index].url = it.value();
            m_loadedURLs.insert(it.value());
        }
        setClips(std::move(clips));
    }

    QSet<QUuid> purged = movedIDs;
    for (auto it = relocations.cbegin(); it != relocations.cend(); ++it)
        purged.insert(it.key());
    purgeUndoHistory(purged);
    refreshAvailability();

    if (m_view.selectedClipIDs.intersects(movedIDs)) {
        Q_EMIT objectWillChange();
        setSelectedClipIDs(m_view.selectedClipIDs - movedIDs);
    }
}
