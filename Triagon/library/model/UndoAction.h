#pragma once

#include "library/model/Clip.h"
#include "library/model/MarkerFlag.h"
#include "library/model/NumberingResetReview.h"

#include <QList>
#include <QPair>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QUuid>
#include <optional>
#include <variant>

// One undoable edit of the session, already applied to the store when it is
// recorded. A plain value: the history lives in memory only and is never
// written to the session file, so it has neither a JSON form nor equality.
class UndoAction
{
public:
    // One clip's rating changed (0 = unrated).
    struct SetRating
    {
        QUuid clipID;
        qint64 oldRating = 0;
        qint64 newRating = 0;
    };
    // One clip's whole tag list changed.
    struct SetTags
    {
        QUuid clipID;
        QStringList oldTags;
        QStringList newTags;
    };
    // The session's tag catalog changed.
    struct SetTagCatalog
    {
        QStringList oldTags;
        QStringList newTags;
    };
    // A clip left the session: the full record and its former position.
    struct RemoveClip
    {
        Clip clip;
        qsizetype index = 0;
    };
    // Clips appended by one import (all of its batches).
    struct AddClips
    {
        QList<Clip> clips;
    };
    // A clip's name in the session changed.
    struct RenameClip
    {
        QUuid clipID;
        QString oldName;
        QString newName;
    };
    // The (clip, tag) pairs that the loudness triage added.
    struct AudioTriageTags
    {
        QList<QPair<QUuid, QString>> applied;
    };
    struct SetNumberingResetReview
    {
        QUuid clipID;
        std::optional<NumberingResetReview> oldReview;
        std::optional<NumberingResetReview> newReview;
    };
    struct SetMarkerFlag
    {
        QUuid clipID;
        std::optional<MarkerFlag> oldFlag;
        std::optional<MarkerFlag> newFlag;
    };
    // Several actions undone and redone as one, in the order they were
    // applied; compounds may nest.
    struct Compound
    {
        QString description;
        QList<UndoAction> actions;
    };

    // The cases, in their fixed order (the index of the payload).
    enum class Kind {
        setRating,
        setTags,
        setTagCatalog,
        removeClip,
        addClips,
        renameClip,
        audioTriageTags,
        setNumberingResetReview,
        setMarkerFlag,
        compound,
    };

    using Payload = std::variant<SetRating, SetTags, SetTagCatalog, RemoveClip, AddClips, RenameClip, AudioTriageTags,
                                 SetNumberingResetReview, SetMarkerFlag, Compound>;

    explicit UndoAction(Payload payload) : m_payload(std::move(payload)) {}

    static UndoAction setRating(const QUuid &clipID, qint64 oldRating, qint64 newRating)
    {
        return UndoAction(Payload(SetRating{clipID, oldRating, newRating}));
    }
    static UndoAction setTags(const QUuid &clipID, const QStringList &oldTags, const QStringList &newTags)
    {
        return UndoAction(Payload(SetTags{clipID, oldTags, newTags}));
    }
    static UndoAction setTagCatalog(const QStringList &oldTags, const QStringList &newTags)
    {
        return UndoAction(Payload(SetTagCatalog{oldTags, newTags}));
    }
    static UndoAction removeClip(const Clip &clip, qsizetype index) { return UndoAction(Payload(RemoveClip{clip, index})); }
    static UndoAction addClips(const QList<Clip> &clips) { return UndoAction(Payload(AddClips{clips})); }
    static UndoAction renameClip(const QUuid &clipID, const QString &oldName, const QString &newName)
    {
        return UndoAction(Payload(RenameClip{clipID, oldName, newName}));
    }
    static UndoAction audioTriageTags(const QList<QPair<QUuid, QString>> &applied) { return UndoAction(Payload(AudioTriageTags{applied})); }
    static UndoAction setNumberingResetReview(const QUuid &clipID, const std::optional<NumberingResetReview> &oldReview,
                                              const std::optional<NumberingResetReview> &newReview)
    {
        return UndoAction(Payload(SetNumberingResetReview{clipID, oldReview, newReview}));
    }
    static UndoAction setMarkerFlag(const QUuid &clipID, const std::optional<MarkerFlag> &oldFlag, const std::optional<MarkerFlag> &newFlag)
    {
        return UndoAction(Payload(SetMarkerFlag{clipID, oldFlag, newFlag}));
    }
    static UndoAction compound(const QString &description, const QList<UndoAction> &actions)
    {
        return UndoAction(Payload(Compound{description, actions}));
    }

    Kind kind() const { return static_cast<Kind>(m_payload.index()); }
    const Payload &payload() const { return m_payload; }
    // The payload of one case, or null when the action is another case.
    template <typename T>
    const T *as() const
    {
        return std::get_if<T>(&m_payload);
    }

    // The menu wording shown after "Undo " and "Redo ".
    QString description() const;

    // True when the action only changes fields of existing clips or the tag
    // catalog: every case but additions and removals; a compound when all of
    // its parts are.
    bool isInPlace() const;

    // The action without what it says about the given clips, or no value
    // when nothing of it remains. A tag-catalog change always remains.
    std::optional<UndoAction> purged(const QSet<QUuid> &clipIDs) const;

private:
    Payload m_payload;
};
