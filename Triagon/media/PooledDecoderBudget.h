#pragma once

#include <QtGlobal>

#include <list>
#include <mutex>

class VideoPlayerWorker;

// The process-wide limit on open decoders of pooled scrub players. Up to 24
// cards keep a player each, but only the few used last keep a decoder (and
// its frames) open; the others are asked to close theirs and reopen when used
// again. Thread-safe.
class PooledDecoderBudget
{
public:
    static PooledDecoderBudget &instance();

    int limit() const;
    void setLimit(int decoders);

    // A pooled decoder was opened or used: it becomes the most recent, and
    // the least recently used ones beyond the limit are asked to close.
    void touch(VideoPlayerWorker *worker);
    // The decoder was closed.
    void remove(VideoPlayerWorker *worker);
    int openCount() const;

private:
    PooledDecoderBudget() = default;

    mutable std::mutex m_mutex;
    std::list<VideoPlayerWorker *> m_open; // least recently used first
    int m_limit = 3;
};
