#pragma once

#include "media/FFmpegFormat.h"
#include "media/FFmpegFrameConverter.h"
#include "media/FFmpegFrameReceive.h"
#include "media/FileDecodingNotes.h"

#include <QImage>
#include <QSize>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

// Decodes the video stream of one file: frames in presentation order, exact
// seeks and conversion of the current frame to a QImage. Errors come back
// as text; nothing throws. Not thread-safe: one decoder per thread at a time
// (it may move between threads between calls).
//
// The frame on show at a time t is the last frame whose presentation time is
// at or before t; a frame lasts until the next one starts (its duration from
// the container, else one frame at the nominal rate). Before the first frame
// the first frame is on show, past the last one the last.
class FFmpegVideoDecoder
{
public:
    // Decoder threads. Frame threads hold frames of their own, so decoders
    // kept open in large numbers (scrub players) use one thread each, while
    // a one-off decode (a poster, a frame analysis) may use several cores.
    static int pooledThreadCount();
    static int oneOffThreadCount();

    FFmpegVideoDecoder();
    ~FFmpegVideoDecoder();
    FFmpegVideoDecoder(const FFmpegVideoDecoder &) = delete;
    FFmpegVideoDecoder &operator=(const FFmpegVideoDecoder &) = delete;

    // Opens the file and the decoder of its first video stream. threadCount
    // 0 lets FFmpeg choose; see pooledThreadCount() and oneOffThreadCount().
    bool open(const QString &path, int threadCount, QString *error = nullptr);
    // The same with a file that is already open (FFmpegFormat::openForDecoding):
    // a file kept open is not opened and read again.
    bool open(FFmpegFormat format, int threadCount, QString *error = nullptr);
    bool isOpen() const { return bool(m_codec); }
    void close();

    // Closes the decoder and its frames but keeps the file open, so that
    // reopenCodec() is cheap; the position in the file is lost.
    void releaseCodec();
    bool hasFile() const { return m_format.isOpen(); }
    bool reopenCodec(int threadCount, QString *error = nullptr);
    // Closes the decoder and hands the open file back (for keeping it).
    FFmpegFormat takeFormat();
    int threadCount() const { return m_threadCount; }

    const FFmpegFormat &format() const { return m_format; }
    AVStream *stream() const { return m_format.videoStream(); }
    AVCodecContext *codecContext() const { return m_codec.get(); }

    double durationSeconds() const { return m_format.durationSeconds(); }
    double frameRate() const { return m_format.frameRate(); }
    // Length of one frame in seconds (1/30 when the rate is unknown).
    double frameDuration() const;
    // The same in stream ticks (at least 1).
    qint64 frameDurationTicks() const;
    // How the stored picture is shown upright (the file's display matrix).
    VideoOrientation orientation() const { return m_orientation; }
    // The size the picture is shown at (FFmpegFormat::displaySize); once a
    // frame is decoded, that frame's, whose pixel aspect ratio is the
    // codec's where the container states none (a file opened for decoding
    // without its stream information knows only the container's before).
    QSize displaySize() const;

    // Decodes the next frame in presentation order into frame(). False at
    // the end of the stream (atEnd()) or on a failure (*error says which).
    // Damaged packets are skipped, not reported.
    bool decodeNextFrame(QString *error = nullptr);

    // Lands on the frame on show at `seconds` (from the file's start): seeks
    // to the keyframe before it and decodes forward. A target a little ahead
    // of the current frame is reached by decoding on without a seek. False
    // when no frame could be decoded.
    bool seekExact(double seconds, QString *error = nullptr);
    // Lands on any frame shown between `seconds - before` and `seconds +
    // after`, preferring the one that costs least: a keyframe in that span,
    // else the first frame reached in it from the keyframe before. Past the
    // last frame it keeps the last frame. False when no frame could be
    // decoded.
    bool seekNear(double seconds, double before, double after, QString *error = nullptr);
    // Faster and coarse: the first frame decoded from the keyframe at or before `seconds`.
    bool seekKeyframe(double seconds, QString *error = nullptr);
    // Seeks to the keyframe from which the frame on show at `timestamp` is
    // reached and decodes the first frame there, which is then shown at or
    // before timestamp (or is the first frame of the stream). A keyframe of
    // the container whose frame comes out damaged is passed for the one
    // before it, once: a landing goes back one keyframe at most, so that its
    // cost stays bounded whatever the file's length.
    bool seekToKeyframeBefore(qint64 timestamp, QString *error = nullptr);
    // Whether the current frame is damaged: flagged by the decoder
    // (AV_FRAME_FLAG_CORRUPT, decode_error_flags, errors returned while
    // decoding it, concealment logged for it; with frame threads, the
    // concealment logged for the frames decoded ahead of it counts too),
    // decoded after such a frame with no clean keyframe since, or decoded
    // after a seek before any keyframe came out (a frame the container
    // calls a keyframe that does not decode alone). Decoding from earlier may
    // give the same frame clean (startEarlier()).
    bool frameIsDamaged() const { return m_hasFrame && m_frameDamaged; }
    // Whether decoding from further back may still give the current frame
    // cleaner: the frames decoded since the last seek began after the start
    // of the stream, this landing has not gone back a keyframe yet, and the
    // frame's group is not known to come out damaged from further back
    // (FileDecodingNotes).
    bool canStartEarlier() const;
    // Whether the current frame is the best there is: clean, or damaged
    // where no decode from further back gives it cleaner (decoded from the
    // start of the stream, or its group is known to be damaged). Such a frame
    // may be kept and shown; another damaged one is worth a decode from
    // further back when a landing can afford it.
    bool frameIsFinal() const;
    // The frame reached is damaged: seeks to the keyframe before the one
    // this run of frames began at and decodes its first frame there, as
    // seekToKeyframeBefore() does (once a landing: see canStartEarlier()).
    // The caller then decodes on to its target.
    bool startEarlier(QString *error = nullptr);
    // Seeks to that keyframe and decodes it alone: of an all-intra stream,
    // the frame on show at `timestamp` for the cost of one frame. The
    // decoder needs a seek again before it decodes further.
    bool decodeKeyframeAlone(qint64 timestamp, QString *error = nullptr);
    bool isIntraOnly() const { return m_format.isIntraOnly(); }
    // The keyframe from which the frame on show at `timestamp` is decoded,
    // exactly (FFmpegFormat::readKeyframeFor); the decoder needs a seek after it.
    std::optional<qint64> readKeyframeFor(qint64 timestamp) { return m_format.readKeyframeFor(timestamp); }

    // Frames that no other frame refers to are not decoded while set
    // (they come out of decodeNextFrame() no more); the frame before the
    // current one is then no longer known.
    void setSkipNonReference(bool skip);
    bool isSkipping() const { return m_skipping; }
    // While set, frames that no other frame refers to are decoded only when
    // `wanted` says so of their presentation time (judged packet by packet,
    // before decoding); frames then no longer know the frame before them.
    void setWantedFrames(std::function<bool(qint64 timestamp)> wanted);
    // While set, no packet decoded after `timestamp` (by its decoding time)
    // is given to the decoder: once one comes, the decoder hands out the
    // frames it holds and then reports the end (atEnd) as at the end of the
    // file, until the next seek. Every frame shown at or before `timestamp`
    // still comes out (each is decoded no later than it is shown); frames
    // after it that the decoder would otherwise work on in the meantime (its
    // frame threads and reordering run ahead of its output) are not decoded.
    // Packets without a decoding time are always given.
    void setLastDecoded(std::optional<qint64> timestamp);
    // How many frames the decoder's output lags behind the packets it was
    // given (frame threads and reordering): frames skipped because of a
    // setting come out up to this many frames after it changed.
    int pipelineDelayFrames() const;

    bool hasFrame() const { return m_hasFrame; }
    // The timestamp decoding stands at: the current frame's, the start of
    // the stream right after opening, else unknown (AV_NOPTS_VALUE).
    qint64 position() const { return m_hasFrame ? m_frameTimestamp : m_position; }
    bool atEnd() const { return m_atEnd && !m_hasPending; }
    // The current frame (owned by the decoder, valid until the next decode or seek).
    const AVFrame *frame() const { return m_hasFrame ? m_frame.get() : nullptr; }
    // The current frame's time in seconds from the file's start.
    double frameTime() const;
    // Its timestamp in the stream's time base.
    qint64 frameTimestamp() const { return m_frameTimestamp; }
    // Where the current frame stops being on show, once that is known: the
    // next frame's start when the next frame was decoded (backUp()), else
    // the end of its duration for the last frame of the stream and for a
    // stream whose durations were seen to hold; AV_NOPTS_VALUE otherwise.
    // Durations do not always hold: a container's (fragmented MP4) and one
    // at the nominal rate (variable-rate WebM) may run past the start of
    // the next frame.
    qint64 frameEndTimestamp() const;
    // The timestamp of the frame decoded right before the current one when
    // the two follow each other in the stream (decoded in one run, nothing
    // skipped); none otherwise.
    std::optional<qint64> previousTimestamp() const;
    // Makes that frame the current one again; the frame left becomes the
    // next one decodeNextFrame() gives. False when it is not known.
    bool backUp();

    // Whether the current frame is known to be the one on show at
    // `timestamp`: it starts there, or before it while the next frame starts
    // after it (frameEndTimestamp()), or it is the last frame (the first
    // frame before the stream's start).
    bool covers(qint64 timestamp) const;
    // Whether the current frame is the first frame of the stream.
    bool isFirstFrame() const { return m_hasFrame && m_isFirst; }

    // How many frames seekNear() would decode from the keyframe it starts
    // at, judged from the file's index without decoding (1 when a keyframe
    // lies in the span; -1 when the file has no index).
    static int estimatedFramesNear(const FFmpegFormat &format, double seconds, double before, double after);

    // The time in stream ticks of `seconds` (from the file's start), and back.
    qint64 toTimestamp(double seconds) const;
    double toSeconds(qint64 timestamp) const;

    // The current frame as an upright image fitted into maxSize (see FFmpegFrameConverter).
    QImage frameImage(QSize maxSize = {}, QString *error = nullptr);
    // The same through a converter of the caller's (one kept for the file).
    QImage frameImage(FFmpegFrameConverter &converter, QSize maxSize, QString *error = nullptr);

    // While the flag is set, decoding stops at the next frame (as at a
    // failure): long decodes end at once when their result is not wanted.
    // So does the pass through a file that refuses seeks (FFmpegFormat::setInterruptFlag).
    void setInterruptFlag(const std::atomic_bool *flag)
    {
        m_interrupt = flag;
        m_format.setInterruptFlag(flag);
    }
    bool interrupted() const { return m_interrupt && m_interrupt->load(); }

    // Frames that decoders of this process received from FFmpeg so far (the
    // work of landings, counted by the benchmarks and the tests).
    static quint64 framesDecodedInProcess();

private:
    // Consecutive packets the decoder may reject before a file counts as unreadable.
    static constexpr int maxConsecutiveDecodeErrors = ffmpegMaxConsecutiveDecodeErrors;
    // Frames in flight when skipping stops are the frame threads' and the
    // reordering delay's, and a few more for safety.
    static constexpr int uncertainOutputsAfterSkipping = 3;
    // A landing whose frame comes out damaged decodes it again from this
    // many keyframes further back at most.
    static constexpr int maxEarlierStarts = 1;

    // False with *error when no file is open.
    bool checkOpen(QString *error) const;
    bool openCodec(int threadCount, QString *error);
    void resetPosition();
    void updatePacketFilter();
    bool seekTo(qint64 timestamp, QString *error);
    // Moves to the start of the file, where decoding always begins.
    bool seekToFileStart(QString *error);
    // Reads the x264 build of a 4:4:4 H.264 stream from the file's first frame
    // once (FileDecodingNotes), reading its first packets without decoding
    // them, before the decoder opens with it. True when the file then
    // stands at its start.
    bool learnEncoderBuild();
    // The container's keyframe that begins the group of the frame shown at `timestamp`.
    std::optional<qint64> groupOf(qint64 timestamp) const;
    // A damaged frame decoded from before its group's keyframe: the group is
    // noted as damaged for every reader of the file.
    void noteLastingDamage();
    // seekToKeyframeBefore() from `seekTarget` on, `damagedRuns` runs of
    // frames found damaged so far.
    bool landOnKeyframe(qint64 target, qint64 seekTarget, int damagedRuns, QString *error);
    // Where to seek so that the keyframe before this run's is reached.
    qint64 beforeRun(qint64 fallback) const;
    // Decodes on to the frame on show at `target` (seekExact()), and to
    // the first frame from `low` on (seekNear()).
    bool decodeOnTo(qint64 target, double seconds, QString *error);
    bool decodeOnToSpan(qint64 low, QString *error);
    // Tells whether the frame received is damaged (frameIsDamaged()) and
    // keeps what it tells of the frames after it.
    bool judgeReceived(int errorsSeen, int concealed);
    // Decodes the next packet alone and drains the decoder: the frame of a
    // keyframe just sought to, without decoding the frames after it. The
    // decoder then needs a seek before it decodes further.
    bool decodeOnlyNextPacket(QString *error);
    qint64 durationOf(const AVFrame *frame) const;
    bool isFirstFrameOfStream(const AVFrame *frame) const;

    FFmpegFormat m_format;
    // Declared before the decoder, whose threads count into it.
    FFmpegErrorLog::Counter m_concealments;
    int m_concealedAtLastFrame = 0; // its count when the last frame came out (or decoding moved)
    int m_doubtedOutputs = 0;       // frames still to come out that concealment logged may be of
    FFmpegCodecContextPtr m_codec;
    FFmpegPacketPtr m_packet;
    FFmpegFramePtr m_frame;
    FFmpegFramePtr m_received;
    FFmpegFramePtr m_previous; // the frame decoded before m_frame
    FFmpegFramePtr m_pending;  // after backUp(): the frame that comes next
    FFmpegFrameConverter m_converter;
    const std::atomic_bool *m_interrupt = nullptr;
    std::function<bool(qint64)> m_wanted;
    std::optional<qint64> m_lastDecoded;
    // Applies m_wanted and m_lastDecoded before each packet.
    std::function<bool(const AVPacket &)> m_packetFilter;
    int m_threadCount = 0;
    VideoOrientation m_orientation;
    bool m_hasFrame = false;
    bool m_atEnd = false;
    bool m_draining = false;
    bool m_skipping = false;
    qint64 m_frameTimestamp = AV_NOPTS_VALUE;
    qint64 m_frameEnd = AV_NOPTS_VALUE;
    // The previous frame's timestamp and end while it is known to come right
    // before the current one.
    bool m_hasPrevious = false;
    qint64 m_previousTimestamp = AV_NOPTS_VALUE;
    qint64 m_previousEnd = AV_NOPTS_VALUE;
    // Frames that leave the decoder after skipping stopped may still have
    // skipped frames before them: this many more outputs are not known to
    // follow their predecessors.
    int m_uncertainOutputs = 0;
    // Whether frames decoded one after the other were seen to start where
    // the one before ended by its duration, or later (durations hold), and
    // whether one started before (they do not: ends are known only from
    // the next frame's start).
    bool m_durationsHeld = false;
    bool m_durationOverran = false;
    bool m_isFirst = false; // the current frame is the stream's first
    bool m_previousIsFirst = false;
    bool m_pendingIsFirst = false;
    bool m_frameDamaged = false; // see frameIsDamaged()
    bool m_previousDamaged = false;
    bool m_pendingDamaged = false;
    // The frames decoded since the last seek: whether a keyframe came out
    // clean and nothing damaged since (the frames after it are sound);
    // whether they began at the start of the stream; how many runs before
    // this one (of the same landing) came out damaged.
    bool m_runSound = false;
    bool m_runFromStart = false;
    int m_damagedRuns = 0;
    qint64 m_runFirstFrame = AV_NOPTS_VALUE; // the timestamp of the run's first frame
    std::shared_ptr<FileDecodingNotes> m_notes = std::make_shared<FileDecodingNotes>();
    // After backUp(): the frame that decodeNextFrame() gives next, in m_pending.
    bool m_hasPending = false;
    qint64 m_pendingTimestamp = AV_NOPTS_VALUE;
    qint64 m_pendingEnd = AV_NOPTS_VALUE;
    // Where decoding stands without a current frame: right after opening it
    // is the start of the stream; after a seek it is unknown (AV_NOPTS_VALUE).
    qint64 m_position = AV_NOPTS_VALUE;
};
