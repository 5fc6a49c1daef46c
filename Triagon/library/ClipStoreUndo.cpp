#include "library/ClipStore.h"

#include "library/model/Overloaded.h"

#include <algorithm>
#include <functional>

// ==== Undo history ==========================================================
// The undo history of the clip store: registering records, undo and redo
// with their appliers, the titles and the purge.

// Records an edit that has already been applied. Empties the redo stack
// and keeps the newest undoLimit records. Runs no hook, schedules no save.
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

// Drops from both stacks everything about the given clips (relinked, or
// moved away by an organize run).
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
