#pragma once

#include "library/model/ClipEditor.h"

#include <QString>
#include <QStringList>
#include <functional>

// A ClipEditor over plain members, with no store behind it: what a service
// asks of the session, and in which order, is in `calls` (the reads are not
// logged). Its "all" scope is every clip; any other scope is empty.
class PlainClipEditor : public ClipEditor
{
public:
    const QList<Clip> &clips() const override { return m_clips; }
    void setClips(QList<Clip> clips) override
    {
        calls.append(QStringLiteral("setClips"));
        m_clips = std::move(clips);
    }
    std::optional<qsizetype> indexOfClip(const QUuid &id) const override
    {
        for (qsizetype i = 0; i < m_clips.size(); ++i) {
            if (m_clips[i].id == id)
                return i;
        }
        return std::nullopt;
    }
    const QStringList &availableTags() const override { return m_tags; }
    void setAvailableTags(const QStringList &tags) override
    {
        calls.append(QStringLiteral("setAvailableTags"));
        m_tags = tags;
    }
    void forgetLoadedURL(const QUrl &url) override { forgotten.append(url); }

    void registerUndo(const UndoAction &action) override
    {
        calls.append(QStringLiteral("registerUndo"));
        undo.append(action);
    }
    void scheduleSessionSave() override { calls.append(QStringLiteral("scheduleSessionSave")); }
    void saveSessionImmediately() override { calls.append(QStringLiteral("saveSessionImmediately")); }
    void clearSessionFile() override { calls.append(QStringLiteral("clearSessionFile")); }

    const QList<NumberingReset> &numberingResets() const override { return m_resets; }
    const QHash<QUuid, MarkerMetrics> &markerMetrics() const override { return m_metrics; }
    void setMarkerMetrics(const QHash<QUuid, MarkerMetrics> &metrics) override { m_metrics = metrics; }
    const QUuid &sessionGeneration() const override { return m_generation; }

    QList<Clip> clipsInScope(ExportScope scope) const override { return scope == ExportScope::all ? m_clips : QList<Clip>(); }
    FolderOrganization folderOrganization() const override { return FolderOrganization::byRating; }
    void stopReadingFiles() override
    {
        calls.append(QStringLiteral("stopReadingFiles"));
        if (onStopReadingFiles)
            onStopReadingFiles();
    }
    void applyOrganizedMoves(const QSet<QUuid> &movedIDs, const QHash<QUuid, QUrl> &relocations) override
    {
        calls.append(QStringLiteral("applyOrganizedMoves"));
        moved = movedIDs;
        relocated = relocations;
        m_clips.removeIf([&movedIDs](const Clip &clip) { return movedIDs.contains(clip.id); });
    }

    QStringList calls;
    std::function<void()> onStopReadingFiles;
    QList<QUrl> forgotten;
    QList<UndoAction> undo;
    QSet<QUuid> moved;
    QHash<QUuid, QUrl> relocated;

private:
    QList<Clip> m_clips;
    QStringList m_tags;
    QList<NumberingReset> m_resets;
    QHash<QUuid, MarkerMetrics> m_metrics;
    QUuid m_generation = QUuid::createUuid();
};
