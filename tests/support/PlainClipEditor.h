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
    void appendClips(const QList<Clip> &clips) override
    {
        calls.append(QStringLiteral("appendClips"));
        m_clips += clips;
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
    void setSourceFolderURL(const std::optional<QUrl> &) override { calls.append(QStringLiteral("setSourceFolderURL")); }

    void setLoading(bool) override { calls.append(QStringLiteral("setLoading")); }
    void setLoadingProgress(double) override { calls.append(QStringLiteral("setLoadingProgress")); }
    const QSet<QUrl> &loadedURLs() const override { return m_loaded; }
    void setLoadedURLs(const QSet<QUrl> &urls) override
    {
        calls.append(QStringLiteral("setLoadedURLs"));
        m_loaded = urls;
    }
    void forgetLoadedURL(const QUrl &url) override { forgotten.append(url); }
    // A new generation, as the store's does; the loaded files follow the clips.
    void rebuildLoadedURLs() override
    {
        calls.append(QStringLiteral("rebuildLoadedURLs"));
        m_generation = QUuid::createUuid();
        m_loaded.clear();
        for (const Clip &clip : std::as_const(m_clips))
            m_loaded.insert(clip.url);
    }
    void schedulePostImportWork() override { calls.append(QStringLiteral("schedulePostImportWork")); }
    void cancelPrewarm() override { calls.append(QStringLiteral("cancelPrewarm")); }

    void registerUndo(const UndoAction &action) override
    {
        calls.append(QStringLiteral("registerUndo"));
        undo.append(action);
    }
    void clearUndoHistory() override
    {
        calls.append(QStringLiteral("clearUndoHistory"));
        undo.clear();
    }
    void scheduleSessionSave() override { calls.append(QStringLiteral("scheduleSessionSave")); }
    void saveSessionImmediately() override { calls.append(QStringLiteral("saveSessionImmediately")); }
    void clearSessionFile() override { calls.append(QStringLiteral("clearSessionFile")); }
    void setSavingEnabled(bool enabled) override
    {
        calls.append(enabled ? QStringLiteral("enableSaving") : QStringLiteral("disableSaving"));
    }

    void setGridColumns(qint64) override { calls.append(QStringLiteral("setGridColumns")); }
    void setSelectedClipIDs(const QSet<QUuid> &) override { calls.append(QStringLiteral("setSelectedClipIDs")); }
    void setHoveredClipID(const std::optional<QUuid> &) override { calls.append(QStringLiteral("setHoveredClipID")); }
    void setClipToOpen(const std::optional<Clip> &) override { calls.append(QStringLiteral("setClipToOpen")); }
    void setRenamingClipID(const std::optional<QUuid> &) override { calls.append(QStringLiteral("setRenamingClipID")); }
    void clearFilters() override { calls.append(QStringLiteral("clearFilters")); }
    void setAudioMetrics(const QHash<QUuid, AudioMetrics> &) override { calls.append(QStringLiteral("setAudioMetrics")); }

    const QList<NumberingReset> &numberingResets() const override { return m_resets; }
    const QHash<QUuid, MarkerMetrics> &markerMetrics() const override { return m_metrics; }
    void setMarkerMetrics(const QHash<QUuid, MarkerMetrics> &metrics) override { m_metrics = metrics; }
    const QUuid &sessionGeneration() const override { return m_generation; }

    QList<Clip> clipsInScope(ExportScope scope) const override { return scope == ExportScope::all ? m_clips : QList<Clip>(); }
    FolderOrganization folderOrganization() const override { return FolderOrganization::byRating; }
    void setFolderOrganization(FolderOrganization) override { calls.append(QStringLiteral("setFolderOrganization")); }
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
    QSet<QUrl> m_loaded;
    QUuid m_generation = QUuid::createUuid();
};
