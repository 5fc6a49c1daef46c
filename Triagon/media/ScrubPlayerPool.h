#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class VideoPlayer;

// Keeps one muted, paused scrub player per file for the clip cards and the
// grid's keyboard scrubbing: at most `maxPoolSize`, least recently used out
// first. Seeks are frame-exact and coalesced per file: while one is in flight
// only the newest requested time is kept, so the picture is never more than
// one seek behind the pointer. GUI thread only.
class ScrubPlayerPool : public QObject
{
    Q_OBJECT

public:
    explicit ScrubPlayerPool(int maxPoolSize = 24, QObject *parent = nullptr);
    ~ScrubPlayerPool() override;

    int maxPoolSize() const { return m_maxPoolSize; }

    // The pooled player of a file (made when absent; never null); it becomes
    // the most recently used. A file that cannot be opened still gives a
    // player, which never gets a frame.
    std::shared_ptr<VideoPlayer> player(const QString &path);

    // Seeks a pooled player exactly to max(0.01, seconds); returns at once.
    // `completion` runs on the GUI thread when the seek made for this request,
    // or for a newer one that replaced it, has completed. Players that are not
    // (or no longer) pooled are ignored, and their completion never runs.
    void seek(const std::shared_ptr<VideoPlayer> &player, double seconds, std::function<void()> completion = {});
    void seek(VideoPlayer *player, double seconds, std::function<void()> completion = {});

    // Stops and forgets every pooled player: players still held elsewhere show
    // nothing and ignore seeks.
    void purgePlayers();

    // Inspection.
    int count() const { return static_cast<int>(m_pool.size()); }
    bool contains(const QString &path) const { return m_pool.contains(path); }
    QStringList accessOrder() const { return m_accessOrder; }
    bool isSeeking(const QString &path) const { return m_isSeeking.value(path, false); }
    bool hasPendingSeek(const QString &path) const { return m_pendingSeekTime.contains(path); }

private:
    void release(const std::shared_ptr<VideoPlayer> &player);

    QHash<QString, std::shared_ptr<VideoPlayer>> m_pool;
    QStringList m_accessOrder; // least recently used first
    const int m_maxPoolSize;
    QHash<QString, bool> m_isSeeking;
    QHash<QString, double> m_pendingSeekTime;
    QHash<const VideoPlayer *, QString> m_playerURLs;
    // Completions of requests not yet satisfied, per file.
    QHash<QString, QList<std::function<void()>>> m_completions;
};
