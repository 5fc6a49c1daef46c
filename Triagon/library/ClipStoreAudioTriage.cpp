// The clip store's part of the audio triage: the loudness records of the
// analysis run and the tags of its "Apply Tags".
#include "library/ClipStore.h"

#include "library/model/TagName.h"

// Stores one clip's loudness figures, replacing only that clip's entry;
// notifies as setAudioMetrics() does, when the number of entries changed.
void ClipStore::setAudioMetrics(const QUuid &clipID, const AudioMetrics &metrics)
{
    QHash<QUuid, AudioMetrics> all = m_audioMetrics;
    all.insert(clipID, metrics);
    setAudioMetrics(all);
}

// Appends each label to its clip unless the clip carries it already or
// the label fails the tag-name rule, blank ones included (see
// ClipStoreAudioTriage.cpp).
void ClipStore::applyAudioTriageTags(const QList<QPair<QUuid, QString>> &pairs)
{
    const QHash<QUuid, qsizetype> index = clipIndex();
    QList<Clip> clips = m_clips;
    QList<QPair<QUuid, QString>> applied;
    for (QPair<QUuid, QString> pair : pairs) {
        pair.second = TagName::canonical(pair.second);
        // Labels obey the tag-name rule like every other tag: a blank one
        // would be an invisible tag, and one with a slash or a colon a tag
        // that no organize can make a folder of.
        if (!isValidTagName(pair.second))
            continue;
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
