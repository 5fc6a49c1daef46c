#pragma once

#include "media/AudioStreamDecoder.h"
#include "media/BackwardReader.h"
#include "media/FFmpegFrameConverter.h"
#include "media/FFmpegVideoDecoder.h"
#include "media/FrameCache.h"
#include "media/VideoPlayer.h"

#include <QElapsedTimer>
#include <QImage>
#include <QMetaObject>
#include <QSize>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

class AudioDeviceSink;

// The decoding side of a VideoPlayer: one thread that owns the FFmpeg
// decoder, the cache of scaled frames and, while playing with sound, the
// sound decoder and the audio output; while the player goes backwards, a
// BackwardReader reads ahead of it. It takes commands in order and reports
// back to the player through queued calls on the player's thread.
class VideoPlayerWorker
{
public:
    struct Command
    {
        enum class Kind { Seek, Step, SetRate, SetMuted, SetTargetSize, SetBackwardStep };
        Kind kind = Kind::Seek;
        double seconds = 0;
        double toleranceBefore = 0;
        double toleranceAfter = 0;
        int count = 0;
        double rate = 0;
        bool muted = false;
        QSize size;
    };

    VideoPlayerWorker(VideoPlayer *owner, const QString &path, const VideoPlayer::Options &options, QSize targetSize, bool muted);
    ~VideoPlayerWorker();

    void post(const Command &command);
    // Asks the worker to close its decoder as soon as it is idle (thread-safe).
    void requestRelease();
    // A seek the owner holds back until the one being made is done.
    struct WaitingSeek
    {
        double seconds = 0;
        double toleranceBefore = 0;
        double toleranceAfter = 0;
    };
    // Notes the seek held back, or that none is (thread-safe): a shuttle's
    // landing that no reading ahead covers gives way to it rather than
    // decoding a frame that would be passed at once, and a landing waiting
    // for the reader gives way to it once its frame is cached.
    void noteSeekWaiting(std::optional<WaitingSeek> seek);
    bool isDecoderOpen() const { return m_decoderOpen.load(); }
    bool isReadingAhead() const { return m_readingAhead.load(); }

private:
    // Why the decoder is opened: a seek or step of the player in use gets
    // the seek thread count, showing the first frame the plain one.
    enum class OpenFor { FirstFrame, Seek };

    void run();
    void handle(const Command &command);
    template <typename Call>
    void report(Call &&call);

    bool ensureOpen(OpenFor purpose);
    int threadsFor(OpenFor purpose) const;
    void releaseDecoder();
    qint64 toTicks(double seconds) const;
    double toSeconds(qint64 ticks) const;
    qint64 frameTicks() const;
    QSize effectiveTarget() const;

    // Decodes the next frame.
    bool decodeNext(QString *error = nullptr);
    QImage imageOfCurrent();
    void cacheCurrent(const QImage &image);
    // The cache's link from the decoder's current frame to the one before it.
    qint64 previousOfCurrent() const;
    // Brings the decoder to the frame for a seek, or takes it from the cache;
    // with `useCache` the frame is shown, without it only the decoder moves.
    bool land(double seconds, double toleranceBefore, double toleranceAfter, bool useCache);
    // The same in stream ticks: an exact target, or any frame from `low` to
    // `high` (tolerant). Frames decoded on the way from `cacheFrom` on are
    // kept (none when unknown); with a `cacheStride`, only those near the
    // times `cacheAnchor` minus whole strides (where a player going
    // backwards by that stride will ask).
    struct Landing
    {
        qint64 target = 0;
        bool tolerant = false;
        qint64 low = 0;
        qint64 high = 0;
        std::optional<qint64> cacheFrom;
        qint64 cacheStride = 0;
        qint64 cacheAnchor = 0;
        bool useCache = true;
    };
    // Where a seek lands: its target and, with a tolerance, the frames that will do.
    Landing landingFor(double seconds, double toleranceBefore, double toleranceAfter) const;
    bool landAt(const Landing &landing);
    // The steps of landAt, in order.
    // A landing that uses the cache: its result where the cache or the
    // reader settles it (a frame shown, or giving way to the seek waiting
    // behind it); none when the decoder has to decode its frame.
    std::optional<bool> landWithoutDecoder(const Landing &landing);
    bool presentCached(const FrameCache::Entry &entry);
    // Whether the decoder's frame is the landing's already, or the one it
    // backs up to just before it.
    bool decoderThereAlready(const Landing &landing);
    // How the decoder reaches a landing: decoding on from where it stands,
    // or from the keyframe before the target. `kept` is the landing with
    // the frames kept on the way (from `kept.cacheFrom` on); frames before
    // `skipBefore` that nothing refers to are skipped, and so not kept.
    struct Approach
    {
        bool decodeOn = false;
        Landing kept;
        qint64 skipBefore = 0;
    };
    Approach approachTo(const Landing &landing) const;
    bool decodesOn(const Landing &landing, qint64 frame) const;
    // Whether the decoder's frame is at the landing or past it.
    bool arrivedAt(const Landing &landing) const;
    // Keeps the decoder's frame when the landing keeps it and it is not the landing's own.
    void cacheOnTheWay(const Landing &kept);
    // Seeks to the keyframe before the target; a pooled player's share of
    // the processors goes to `*sharedThreads`.
    bool seekFromKeyframe(const Approach &approach, int *sharedThreads);
    // Decodes on until the decoder arrives, or stays on the last frame.
    bool decodeUntilArrived(const Approach &approach);
    // An exact landing ends on the frame on show at its target, not on the
    // one after it.
    bool backToFrameOnShow(const Landing &landing);
    void present(qint64 timestamp, const QImage &image);
    void setSkipping(bool skipping);
    std::optional<qint64> keyframeAtOrBefore(qint64 timestamp) const;
    void showDecoderFrame();
    // Tells the player the display size once a decoded frame shows it to
    // differ from the one the file's header gave (a pixel aspect ratio
    // that only the codec states).
    void reportDisplaySize();
    bool positionDecoderAtShown();
    // Returns how many of the frames came from the cache.
    int step(int count);

    // Seeks with a tolerance come from going backwards: keep the run up to
    // the target (at most this long), the next steps land on it.
    static constexpr double backwardsCacheLeadSeconds = 3.0;

    // Reading ahead of a player going backwards (VideoPlayerWorkerReverse.cpp).
    // Notes where seeks and steps go: backwards by a stride, or not.
    void noteBackwards(qint64 anchor, qint64 stride);
    void noteNotBackwards();
    // How many steps back the cache should hold, from its budget.
    int readAheadSteps() const;
    // Whether a frame decoded on the way of `landing` is kept.
    bool worthCaching(const Landing &landing, qint64 timestamp) const;
    // Takes what the reader read ahead of a player going backwards; false
    // when it reads nothing (more).
    bool readAhead();
    // The full player at rest reads the stretch behind the frame on show
    // (every frame, as far as a player going back a frame a step would read).
    void readBehind();
    // Takes the frames the reader made into the cache.
    void takeReadAhead();
    // Whether a shuttle's landing the reader went past gives way to the
    // shuttle's next request (waiting a moment for it).
    bool givesWay(const Landing &landing);
    // Waits for the reader when it is reading the frame a landing needs.
    enum class ReadAheadWait {
        Arrived,   // the frame came
        NotComing, // the reader does not read it
        Superseded // the seek waiting behind this one can be shown now
    };
    ReadAheadWait awaitReadAhead(const Landing &landing);
    // Whether the cache holds the frame of the seek waiting behind the one being made.
    bool cacheAnswersWaitingSeek();
    void stopReader();
    BackwardReader &reader();

    // Playback.
    void startPlayback(double rate);
    void stopPlayback();
    void rebase(double mediaSeconds);
    double clock() const;
    void playbackStep(std::unique_lock<std::mutex> &lock);
    void startAudio(double mediaSeconds);
    void stopAudio();
    void topUpAudio();

    VideoPlayer *const m_owner;
    const QString m_path;
    const VideoPlayer::Options m_options;

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Command> m_commands;
    std::atomic_bool m_abort{false};
    std::optional<WaitingSeek> m_waitingSeek; // guarded by m_mutex
    std::atomic_bool m_releaseRequested{false};
    std::atomic_bool m_decoderOpen{false};
    std::atomic_bool m_readingAhead{false};
    // The reader has frames or finished its stretch (guarded by m_mutex).
    bool m_readerNews = false;
    std::thread m_thread;

    // Worker thread only from here on.
    FFmpegVideoDecoder m_decoder;
    FFmpegFrameConverter m_converter; // the decoder's frames become the pictures shown
    FrameCache m_cache;
    QSize m_target;
    bool m_muted = false;
    bool m_failed = false;
    bool m_openedOnce = false;
    QSize m_displaySize; // as the player was told
    double m_duration = 0;
    double m_frameDuration = 1.0 / 30.0;
    bool m_hasShown = false;
    qint64 m_shownTimestamp = 0;
    double m_shownSeconds = 0;
    bool m_shownIsLast = false;
    bool m_landedFromCache = false;         // the last landing took its frame from the cache
    std::optional<qint64> m_lastSeekTarget; // the time the last seek asked for
    bool m_readBehindDue = false;           // the full player landed and rests: read behind it soon

    // A player going backwards: the time it asked for last and its stride
    // (0: not going backwards); the last distances between its requests.
    qint64 m_backAnchor = 0;
    qint64 m_backStride = 0;
    double m_backwardStep = 0;           // the caller's step backwards in seconds (0: guessed)
    double m_backwardStepsPerSecond = 0; // how often the caller steps (0: unknown)
    qint64 m_strides[6] = {};
    int m_nextStride = 0;
    std::unique_ptr<BackwardReader> m_reader;

    double m_rate = 0;
    bool m_playing = false;
    QElapsedTimer m_wallClock;
    qint64 m_clockStart = 0;                   // m_wallClock nanoseconds at the clock's base
    double m_clockBase = 0;                    // media seconds at that moment
    qint64 m_playCursor = FrameCache::unknown; // the frame playback decoded last
    bool m_framePending = false;               // decoded, waiting for its time
    qint64 m_lastPresentMs = 0;

    AudioStreamDecoder m_audio;
    bool m_audioOpened = false;
    bool m_audioUnavailable = false;
    std::unique_ptr<AudioDeviceSink> m_sink;
    bool m_audioActive = false;
    double m_audioBase = 0;
};

template <typename Call>
void VideoPlayerWorker::report(Call &&call)
{
    if (m_abort.load())
        return;
    // Queued on the player's thread; dropped by Qt if the player is gone.
    QMetaObject::invokeMethod(
        m_owner, [owner = m_owner, call = std::forward<Call>(call)]() mutable { call(owner); }, Qt::QueuedConnection);
}
