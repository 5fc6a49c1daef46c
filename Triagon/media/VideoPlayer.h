#pragma once

#include <QElapsedTimer>
#include <QImage>
#include <QObject>
#include <QSize>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

class VideoPlayerWorker;

// Our player of one video file, over FFmpeg. It opens paused, decodes on a
// worker thread of its own and hands frames to the GUI scaled to the size they
// are shown at (`setTargetSize`). Everything public is called on the thread
// that created the player (the GUI thread); callbacks and signals arrive there.
//
// Used by the pooled scrub players of the cards, the grid's keyboard shuttle,
// the full player and inline previews. The pool's players are created with
// `Options::pooledScrub()`: a decoder that is dropped when nobody asked the
// player for anything for a while or when other cards need the room (it
// reopens on next use), while the file and the scaled frames stay.
class VideoPlayer : public QObject
{
    Q_OBJECT

public:
    struct Options
    {
        // Decoder threads; 0 lets FFmpeg choose from the processor count.
        int decoderThreads = 0;
        // Decoder threads while seeking and stepping (the pointer or the
        // keys wait for those): a decoder that has to start at a keyframe
        // reopens with this many. 0: decoderThreads.
        int seekDecoderThreads = 0;
        // Drop the decoder after this many milliseconds without a request
        // while paused (0: keep it open). The file stays open and the frame
        // stays on show.
        int releaseDecoderAfterMs = 0;
        // Counts against the process-wide limit of open pooled decoders.
        bool pooled = false;
        // Bytes of recently decoded, scaled frames kept for cheap sweeps back
        // and forth over a short stretch.
        qint64 frameCacheBytes = 48LL * 1024 * 1024;
        // Of those, the bytes kept while the decoder is released (the most
        // recently used frames): seeking back to them needs no decoder.
        qint64 keptFrameCacheBytes = 48LL * 1024 * 1024;
        // Frames before an exact seek's target that are kept (scaled) when
        // the decoder starts at a keyframe: the first steps back from there
        // need no decoding.
        int framesKeptBeforeSeek = 4;
        // Makes the reader that reads ahead of a player going backwards
        // ready as soon as the file opens, so that the first steps back
        // after opening come as quickly as the later ones.
        bool readyForReverse = false;
        // Starts muted (the pool's players stay muted).
        bool muted = false;

        static Options pooledScrub();
        static Options fullPlayer();
        // The process-wide limits of pooled decoders (PooledDecoderBudget):
        // open decoders, and their frame threads together.
        static int pooledDecoderLimit();
        static int pooledThreadLimit();
    };

    using SeekCompletion = std::function<void(bool finished)>;

    explicit VideoPlayer(const QString &path, QObject *parent = nullptr);
    VideoPlayer(const QString &path, const Options &options, QObject *parent = nullptr);
    ~VideoPlayer() override;

    QString path() const { return m_path; }
    const Options &options() const { return m_options; }

    // False once the file failed to open or after `close()`.
    bool hasItem() const { return !m_closed; }
    // Stops the player for good and releases the decoder and the file; the
    // frame is dropped, so a view that still holds the player shows nothing.
    // Later seeks, plays and steps are ignored.
    void close();

    // Known once the file is open (`opened` signal); 0 before.
    double duration() const { return m_duration; }
    double frameRate() const { return m_frameRate; }
    // The size the picture is shown at: its pixel aspect ratio and display
    // matrix applied (the frames shown have its proportions).
    QSize displaySize() const { return m_displaySize; }
    bool hasAudio() const { return m_hasAudio; }
    QString errorText() const { return m_errorText; }

    bool isMuted() const { return m_muted; }
    void setMuted(bool muted);

    // Playback rate: 0 is paused; 1, 2, 4 and 8 play forward. Sound plays at
    // rate 1 only, unless muted; the video then follows the sound's clock.
    double rate() const { return m_rate; }
    void setRate(double rate);
    void play() { setRate(1); }
    void pause() { setRate(0); }

    // The player's time in seconds: the target of the newest seek while one
    // is outstanding, the playback clock while playing, else the time of the
    // frame on show (or of the last exact seek).
    double currentTime() const;

    // Seeks to `seconds` (clamped to 0 … duration). Tolerances let the player
    // take any frame within that distance before and after (0 and 0: the frame
    // on show at exactly that time). While a seek is in flight only the newest
    // further request is kept: a burst performs the first and the last, and the
    // dropped requests complete with finished = false. `done` runs on the GUI
    // thread once the frame is ready (or at once with false after `close()`).
    void seek(double seconds, SeekCompletion done = {}, double toleranceBefore = 0, double toleranceAfter = 0);
    bool isSeeking() const { return m_seekInFlight; }

    // Steps by `count` frames from the frame on show (pauses first).
    void stepByFrames(int count);

    // The distance, in seconds, between the times that tolerant seeks going
    // backwards will ask for (a reverse shuttle's step), or 0: the frames
    // read ahead of them are those. Without it the distance is guessed from
    // the seeks themselves, which a slow decoder makes drop. `stepsPerSecond`
    // is how often the caller asks (0: unknown): the time asked for then moves
    // back by seconds * stepsPerSecond each second whether or not its frames
    // are shown yet, and the frames are read where it will be.
    void setBackwardStep(double seconds, double stepsPerSecond = 0);

    // Frames are scaled to fit this size in device pixels, keeping the display
    // aspect ratio; an empty size means 640 × 360.
    void setTargetSize(const QSize &size);
    QSize targetSize() const { return m_targetSize; }

    // The frame on show, already scaled; null before the first frame.
    QImage currentFrame() const { return m_frame; }
    double currentFrameTime() const { return m_frameTime; }
    // True from the first frame after opening (like a player layer that is
    // ready for display) until `close()`.
    bool isReadyForDisplay() const { return m_readyForDisplay; }

    // Interval of the periodic `timeChanged` signal while playing (default 1/30 s).
    void setTimeInterval(int milliseconds);

    // Counters for tests and benchmarks.
    struct Stats
    {
        int seeksRequested = 0;
        int seeksPerformed = 0; // handed to the decoder
        int seeksDropped = 0;   // replaced by a newer request
        int decoderOpens = 0;
        int framesFromCache = 0; // seeks and single steps answered by the frame cache
    };
    Stats stats() const { return m_stats; }
    // Whether the worker holds an open decoder right now (for tests and benchmarks).
    bool isDecoderOpen() const;
    // Whether the worker is still decoding ahead of a player going backwards
    // (reverse shuttle, steps back), for tests and benchmarks.
    bool isReadingAhead() const;

Q_SIGNALS:
    // The file was opened (duration, size and frame rate are known) or failed.
    void opened();
    void failed(const QString &message);
    // A new frame is on show.
    void frameReady();
    void readyForDisplayChanged(bool ready);
    // Periodic time while playing, and after every seek, step and pause.
    void timeChanged(double seconds);
    void rateChanged(double rate);
    // Forward play reached the end of the clip; the rate is back to 0.
    void reachedEnd();

private:
    friend class VideoPlayerWorker;

    struct PendingSeek
    {
        double seconds = 0;
        double toleranceBefore = 0;
        double toleranceAfter = 0;
        SeekCompletion done;
    };

    void startSeek(PendingSeek seek);

    // Called (queued) from the worker.
    void onOpened(double duration, double frameRate, QSize displaySize, bool hasAudio);
    void onDisplaySize(QSize displaySize) { m_displaySize = displaySize; }
    void onFailed(const QString &message);
    void onFrame(const QImage &image, double time);
    void onSeekDone(double time, bool finished, bool fromCache);
    void onStepDone(double time, int fromCache);
    void onPlaybackTime(double time);
    void onReachedEnd(double time);
    void onDecoderOpened();

    QString m_path;
    Options m_options;
    std::unique_ptr<VideoPlayerWorker> m_worker;
    bool m_closed = false;
    QString m_errorText;

    double m_duration = 0;
    double m_frameRate = 0;
    QSize m_displaySize;
    bool m_hasAudio = false;

    bool m_muted = false;
    double m_rate = 0;
    QSize m_targetSize;

    double m_time = 0; // time as last settled (seek target, step, pause)
    double m_playbackTime = 0;
    bool m_seekInFlight = false;
    PendingSeek m_inFlight;
    std::optional<PendingSeek> m_pendingSeek;

    QImage m_frame;
    double m_frameTime = 0;
    bool m_readyForDisplay = false;

    QTimer m_timeTimer;
    Stats m_stats;
};
