#pragma once

#include "media/DecodeThreadAllotment.h"

#include <QtGlobal>

#include <atomic>
#include <list>
#include <mutex>

class VideoPlayerWorker;

// The process-wide limit on open decoders of pooled scrub players. Up to 24
// cards keep a player each, but only the ones used last keep a decoder open
// (its frame threads hold full-size frames); the others are asked to close
// theirs, keeping their file and their scaled frames, and reopen when used
// again. Bounded both by the number of open decoders and by their frame
// threads together. Seeks of several cards at once share the processors: a
// card alone seeks with all of them and several at once with a share each.
// A seek never waits for the others: while they use every processor it
// runs on one thread beyond them, so that a card whose landing takes long
// (a damaged file) never holds up the other cards' scrubbing. Thread-safe.
class PooledDecoderBudget
{
public:
    static PooledDecoderBudget &instance();

    int limit() const;
    void setLimit(int decoders);
    int threadLimit() const;
    void setThreadLimit(int threads);

    // A pooled decoder with `threads` frame threads was opened or used: it
    // becomes the most recent, and the least recently used ones beyond the
    // limits are asked to close.
    void touch(VideoPlayerWorker *worker, int threads = 1);
    // The decoder was closed.
    void remove(VideoPlayerWorker *worker);
    int openCount() const;

    // Frame threads for one seek that would like `wanted`: its fair share of
    // those free, at least one, at once. Give them back with endSeek() when
    // the seek is done.
    int beginSeek(int wanted);
    void endSeek(int threads);

private:
    PooledDecoderBudget();

    struct Open
    {
        VideoPlayerWorker *worker = nullptr;
        int threads = 1;
    };
    mutable std::mutex m_mutex;
    std::list<Open> m_open; // least recently used first
    int m_limit;
    int m_threadLimit;
    DecodeThreadAllotment m_seekThreads;
    std::atomic_int m_seeking{0};
};
