#pragma once

#include "media/FFmpegVideoDecoder.h"

#include <QImage>
#include <QSize>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

// Reads a stretch of one file ahead of a player going backwards (reverse
// shuttle, frame steps back), on a thread and a decoder of its own, keeping,
// scaled, the frames the player will ask for: a long-GOP stream one keyframe
// interval at a time, from the keyframe before it up to its end; an
// all-intra stream (ProRes) frame by frame, decoding only the frames asked
// for. The player's own decoder meanwhile stays free to answer its requests
// at once. Thread-safe.
class BackwardReader
{
public:
    struct Job
    {
        qint64 from = 0; // keep the frames from here ...
        qint64 to = 0;   // ... up to here (stream ticks, both inclusive)
        // With a stride, only the frames near anchor - k * stride (where a
        // player going back by that stride asks); 0 keeps every frame.
        qint64 stride = 0;
        qint64 anchor = 0;
        QSize size; // the frames are scaled to fit it
    };
    struct Frame
    {
        qint64 timestamp = 0;
        qint64 previous = 0; // as FrameCache takes it (FrameCache::unknown, FrameCache::streamStart)
        qint64 end = 0;
        QImage image;
    };

    // `wake` is called on the reader's thread whenever frames are ready or a
    // job ended; it must not call back into the reader. The decoder is
    // closed after `keepOpenMs` without a job (it opens again for the next).
    BackwardReader(const QString &path, int threads, int keepOpenMs, std::function<void()> wake);
    ~BackwardReader();
    BackwardReader(const BackwardReader &) = delete;
    BackwardReader &operator=(const BackwardReader &) = delete;

    // Opens the decoder and decodes a first frame ahead of the first job:
    // a decoder's first frame costs several times a later one.
    void warmUp();
    // Starts a job; a job still running stops at its next frame, and what
    // it had not handed out yet is dropped.
    void start(const Job &job);
    void cancel();
    // The frames made since the last call, in decoding order.
    std::vector<Frame> takeFrames();
    // Waits at most `ms` for frames to take or for the job to end.
    void waitForFrames(int ms);
    // The job running or waiting to run, if any.
    std::optional<Job> job() const;
    // Whether the file could not be read (no job is done then).
    bool failed() const;

    // Whether a frame at `timestamp` is one the job keeps.
    static bool keeps(const Job &job, qint64 timestamp, qint64 frameTicks);
    // Whether a frame at `timestamp` is near one of the times anchor - k *
    // stride (always, for a stride of about a frame or less).
    static bool nearStride(qint64 anchor, qint64 stride, qint64 timestamp, qint64 frameTicks);

private:
    void run();
    bool open();
    // False when the job was replaced or the reader stops.
    bool runJob(const Job &job, quint64 serial);
    // The same for a stream whose frames are all keyframes.
    bool runJobFrameByFrame(const Job &job, quint64 serial);
    bool current(quint64 serial);
    // Whether decoding on from the current frame reaches `timestamp`
    // without passing a keyframe.
    bool reachesWithoutKeyframe(qint64 timestamp) const;
    void hand(quint64 serial, Frame frame);

    const QString m_path;
    const int m_threads;
    const int m_keepOpenMs;
    const std::function<void()> m_wake;

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::optional<Job> m_job;
    quint64 m_serial = 0;
    std::vector<Frame> m_frames;
    bool m_stop = false;
    bool m_failed = false;
    bool m_warmUp = false;
    std::atomic_bool m_stopping{false}; // stops a decode at once
    std::thread m_thread;

    // Reader thread only.
    FFmpegVideoDecoder m_decoder;
};
