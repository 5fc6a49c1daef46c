#pragma once

#include "media/FFmpegErrorLog.h"
#include "media/FFmpegPointers.h"
#include "media/KeyframeIndex.h"
#include "media/SeeklessReader.h"
#include "media/VideoOrientation.h"

#include <QByteArray>
#include <QSize>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <set>

// An opened media file: the demuxer with its stream information read, the
// first real video stream (cover art is skipped) and the first audio stream.
//
// Times handed in and out of the media layer are seconds from the first
// presented frame of the video stream, whatever the container's start time
// (MPEG-TS starts at about 1.4 s) or edit list (an MP4's first frame may be
// shown at 3.5 s): every engine (probe, posters, players, sound, analyses)
// measures a clip from that frame alike, and its sound is placed on the
// same clock. A file without video measures from the container's start.
//
// Opening never throws and never crashes on a damaged file: it fails with a
// text instead. Not thread-safe; use one instance per thread.
class FFmpegFormat
{
public:
    FFmpegFormat() = default;
    FFmpegFormat(FFmpegFormat &&) = default;
    FFmpegFormat &operator=(FFmpegFormat &&) = default;
    FFmpegFormat(const FFmpegFormat &) = delete;
    FFmpegFormat &operator=(const FFmpegFormat &) = delete;

    // Opens a local regular file (only the file protocol: a playlist in
    // disguise cannot make the demuxer fetch anything; never a pipe or a
    // device, see MediaFileGate) and reads its stream
    // information, unless readStreamInfo is false (then only the header is
    // read: enough for container metadata). On failure returns false and
    // sets *error.
    bool open(const QString &path, QString *error = nullptr, bool readStreamInfo = true);
    // Opens a file for decoding its frames. QuickTime and MP4 headers already
    // hold everything a decoder needs (codec, size, rate, timing, the sample
    // index), so their stream information is not read: reading it decodes
    // several frames, which costs more than a poster or a scrub seek. Other
    // containers are opened as open() does.
    bool openForDecoding(const QString &path, QString *error = nullptr);
    // As open(), for media bytes held in memory (nothing touches the disk).
    bool openMemory(const QByteArray &bytes, QString *error = nullptr);
    bool isOpen() const { return bool(m_context); }
    void close();

    const QString &path() const { return m_path; }
    AVFormatContext *context() const { return m_context.get(); }

    int videoStreamIndex() const { return m_videoStream; }
    int audioStreamIndex() const { return m_audioStream; }
    AVStream *videoStream() const;
    AVStream *audioStream() const;

    // Duration in seconds from the zero point: the video stream's, else the
    // container's; 0 when unknown or not finite. A file that states none
    // (FFmpeg's guess from the bit rate is none either) lasts to where its
    // last frame ends, read from its last packets on first use
    // (FFmpegFormatEnd.cpp).
    double durationSeconds() const;
    // The zero point of media times, in AV_TIME_BASE units of the
    // container's clock (0 when unknown).
    qint64 startTime() const;
    // The zero point in a stream's ticks (exact for the video stream).
    qint64 zeroTimestamp(const AVStream *stream) const;

    // Conversions between seconds from the file's start and a stream's timestamps.
    qint64 toStreamTimestamp(double seconds, const AVStream *stream) const;
    double toSeconds(qint64 timestamp, const AVStream *stream) const;

    // Of the video stream; 0 / empty when there is none.
    QSize codedSize() const;
    // The size the picture is shown at: the coded size with the pixel
    // aspect ratio applied to the width (sampleAspectRatio()), then placed
    // upright (orientation(): a quarter turn swaps the sides).
    QSize displaySize() const;
    // The pixel aspect ratio: the container's, else the codec's (as
    // av_guess_sample_aspect_ratio picks); 0/1 when neither says.
    AVRational sampleAspectRatio() const;
    // How the stored picture is shown upright (the display matrix).
    VideoOrientation orientation() const;
    // Nominal frame rate (average rate, else the stream's base rate); 0 when unknown.
    double frameRate() const;

    // Opens a decoder for one of the file's streams and makes the demuxer
    // skip the packets of every other stream. Null with *error on failure.
    // The concealment it logs is counted in `concealments` when given;
    // `options` go to the decoder (and its frame threads) as it opens.
    FFmpegCodecContextPtr openDecoder(AVStream *stream, int threadCount, QString *error, FFmpegErrorLog::Counter *concealments = nullptr,
                                      AVDictionary **options = nullptr);

    // Reads the next packet and sends it to the decoder when it belongs to
    // the stream. At the end of the file, or on a read error in a truncated
    // one, sends the flush packet instead and sets *draining, so that the
    // decoder hands out what it still holds. Returns what the decoder said
    // of the stream's packet (AVERROR(EAGAIN) included); no value when none
    // was sent.
    // `beforeSend`, when given, sees each packet of the stream just before
    // the decoder does; when it returns false the stream ends there as at
    // the end of the file: the packet is not sent and the decoder drains.
    std::optional<int> sendNextPacket(AVCodecContext *decoder, AVPacket *packet, int streamIndex, bool *draining,
                                      const std::function<bool(const AVPacket &)> &beforeSend = {});
    // The error of the read that ended the packets before the end of the
    // file (a truncated or damaged file); 0 while reads succeed and when they
    // reached the end.
    int readError() const { return m_readError; }

    // Whether the video stream is encrypted (Common Encryption and the
    // like): its decoder cannot make pictures of it without the key. The
    // demuxer says so in the stream's encryption side data, else in that of
    // each packet: known once a packet of it was read.
    bool isEncrypted() const;

    // Whether packets were read or the file was sought since it was opened
    // (else reading starts at the beginning of the file).
    bool hasBeenRead() const { return m_read; }
    // Whether the container failed to seek even to its start (Matroska
    // without cues whose blocks carry no times the demuxer can use: a failed
    // seek leaves it at the end). Its seeks then go by byte position, by an
    // index of its packets made once for the file's readers (SeeklessIndex,
    // FFmpegFormatSeekless.cpp), and every packet read gets its time from
    // that index: the container's own are no help.
    bool refusesSeeks() const { return m_seeksRefused; }
    // While the flag is set, the index of a file that refuses seeks is not
    // made (its pass through the file ends; the seek that needed it fails).
    void setInterruptFlag(const std::atomic_bool *flag) { m_interrupt = flag; }
    // The decoding time (else the presentation time) of the first packet of
    // the video stream read since the read position last moved: where a
    // seek landed. None before one is read.
    std::optional<qint64> firstPacketOfRun() const { return m_runFirstPacket; }
    // Whether the packets read since the read position last moved began at
    // the start of the file.
    bool runsFromFileStart() const { return m_runFromFileStart; }

    // Keyframes of the video stream (FFmpegFormatKeyframes.cpp), as
    // presentation times in its ticks. Containers with an index of their own
    // answer from it; MPEG-TS, which has none, from the keyframes learnt
    // from the packets read (KeyframeIndex, shared by the file's readers).
    bool keepsOwnKeyframeIndex() const { return bool(m_keyframes); }
    const std::shared_ptr<KeyframeIndex> &ownKeyframeIndex() const { return m_keyframes; }
    // The keyframe from which the frame on show at `timestamp` is decoded,
    // when it is known without reading the file.
    std::optional<qint64> keyframeAtOrBefore(qint64 timestamp) const;
    // The first keyframe shown after `timestamp`, when known without reading.
    std::optional<qint64> keyframeAfter(qint64 timestamp) const;
    // Reads the packets (no decoding) before `timestamp` until the keyframe
    // that holds it is known; only for a container without an index. The
    // read position is lost. False when it could not be found.
    bool learnKeyframeFor(qint64 timestamp);
    // The keyframe from which the frame on show at `timestamp` is decoded,
    // exactly, reading what it takes (the packets of a file without an
    // index, a keyframe's own packet in others). The read position is lost.
    std::optional<qint64> readKeyframeFor(qint64 timestamp);
    // Moves the read position to the keyframe from which the frame on show
    // at `timestamp` is decoded (to the start before the first keyframe).
    bool seekToKeyframeFor(qint64 timestamp, QString *error = nullptr);
    // Moves the read position to the start of the file (opening it again
    // where the container cannot seek there).
    bool seekToStart(QString *error = nullptr);
    // Moves the read position of one stream to a packet at or before `timestamp`.
    bool seekStream(int streamIndex, qint64 timestamp, QString *error = nullptr);
    // A decoded keyframe shown at `shown`: corrects where the container's
    // index says keyframes show.
    void noteKeyframe(qint64 shown);
    // Of a truncated file whose index lists keyframes past its end (its
    // header promises more than it holds): the last keyframe shown before
    // `timestamp` whose data the file still holds (FFmpegFormatEnd.cpp).
    // None for a file that holds every keyframe its index lists, and for
    // files without an index.
    std::optional<qint64> keyframeHeldBefore(qint64 timestamp) const;
    // Whether every frame of the video stream is a keyframe (ProRes, DNxHR,
    // Motion JPEG, and files of other codecs written without prediction).
    bool isIntraOnly() const;

    // A metadata value of the container, else of the video stream; empty when absent.
    QString metadata(const char *key) const;

    // The same rules for any stream.
    static VideoOrientation orientation(const AVStream *stream);
    static double frameRate(const AVStream *stream);

    // Quietens FFmpeg's own logging (damaged files make it talk a lot);
    // TRIAGON_FFMPEG_LOG=1 keeps its warnings. Called by open(); idempotent.
    static void initialize();

private:
    struct MemoryInput;
    // How the file was opened, so that it can be opened again alike.
    enum class Opening { Streams, Header, Decoding, Memory, MemoryHeader };
    bool openAs(Opening opening, const QString &path, const QByteArray &bytes, QString *error);
    // Opens the file again as it was opened, keeping what was learnt of it
    // (the streams read, the keyframes) and that its seeks fail: reading
    // starts at its beginning.
    bool reopen(QString *error);
    // The same file (or bytes) opened again, its header only.
    FFmpegFormat headerCopy() const;
    // Opens the file's container without reading its streams.
    bool openFile(const QString &path, QString *error);
    bool openBytes(const QByteArray &bytes, QString *error);
    // Opens from a URL or, when pb is set, from a custom reader.
    bool openInput(const QByteArray &url, AVIOContext *pb, QString *error);
    // Reads the stream information when asked and finds the streams.
    bool finishOpening(bool readStreamInfo, QString *error);
    // The same for decoding (openForDecoding()).
    bool finishOpeningForDecoding(QString *error);
    bool headerIsComplete() const;
    void findStreams();
    // `readCues`: opened for the pictures, the keyframe index may be read
    // ahead of them (Matroska's cues) at the cost of the packets before the
    // first keyframe. False when that seek failed and lost the read position.
    bool setUpKeyframes(bool readCues);
    // Notes a packet read in order, for the keyframes learnt from the packets.
    void observePacket(const AVPacket &packet);
    // Reads the next packet; of a file that refuses seeks, with its time
    // on the file's timeline.
    int readPacket(AVPacket *packet);
    // The file refuses seeks: they go by byte position, by `index` (else
    // the file's shared one), and the packets read are placed by it.
    void readWithoutSeeks(std::shared_ptr<SeeklessIndex> index);
    // Whether the file is known to refuse seeks (and now read so).
    bool refusalKnown();
    // The search by time of a stream's packet at or before `timestamp`;
    // a file found to refuse seeks then goes by position.
    bool seekByTime(int streamIndex, qint64 timestamp, QString *error);
    // A file that refuses seeks (FFmpegFormatSeekless.cpp): the seek to the
    // keyframe of `streamIndex` at or before `timestamp` by its byte position
    // (to the start before the first).
    bool seekByPosition(int streamIndex, qint64 timestamp, QString *error);
    // Makes the file's index unless it is made; false when interrupted.
    bool makeSeeklessIndex();
    // Moves the read position to the packet at byte `position`, by a seek
    // when `seek` (to a Matroska packet's cluster), else on from where
    // reading stands; false when reading takes up past it.
    bool landAt(qint64 position, bool seek);
    bool interrupted() const { return m_interrupt && m_interrupt->load(); }
    // Matroska's index (FFmpegFormatMatroskaIndex.cpp): besides its cues it
    // lists every block the demuxer took for a keyframe while reading, and a
    // BlockGroup without a reference passes for one (older muxers wrote every
    // frame so). The packets read tell which entries are keyframes.
    bool listsKeyframe(const AVIndexEntry *entry) const;
    void noteIndexedPacket(const AVPacket &packet);
    // Seeks to the last entry at or before `timestamp` that a packet showed
    // to be a keyframe, reading the packets of its cluster where none did yet.
    bool seekToCheckedKeyframe(qint64 timestamp, QString *error);
    // Reads the packets from the start of the cluster that holds the index
    // entry at `entryTime` up to it; false when they could not be read.
    bool checkClusterOf(qint64 entryTime);
    void observeEndOfFile();
    // After a seek: the next packet starts a new run (from the start of the file or not).
    void restartRun(bool fromFileStart);
    double videoStartSeconds() const;
    // The duration the file states (or FFmpeg guessed); 0 when none.
    double statedDurationSeconds() const;
    // Where the last frame ends when the file states no duration, in
    // seconds from the zero point (StreamEndScan); none when it cannot be read.
    std::optional<double> scannedDurationSeconds() const;

    // Declared before the context so that the reader outlives it.
    std::shared_ptr<MemoryInput> m_memory;
    FFmpegFormatContextPtr m_context;
    QString m_path;
    int m_videoStream = -1;
    int m_audioStream = -1;
    // The zero point worked out from the header when stream information was
    // not read (the demuxer leaves its own unset then).
    std::optional<qint64> m_headerStartTime;
    Opening m_opening = Opening::Streams;
    bool m_read = false;
    int m_readError = 0;
    bool m_seeksRefused = false;
    bool m_encryptedPackets = false; // a packet of the video stream carried encryption details
    bool m_seeksChecked = false;     // the video's seek to its start worked (Matroska)
    // Of a file that refuses seeks: its packets placed on its timeline.
    std::unique_ptr<SeeklessReader> m_seekless;
    const std::atomic_bool *m_interrupt = nullptr;
    bool m_atStart = false; // opened again and nothing read since
    std::optional<qint64> m_runFirstPacket;
    // Keyframes learnt from the packets (containers without an index).
    std::shared_ptr<KeyframeIndex> m_keyframes;
    std::optional<qint64> m_runStart; // decoding time at which the packets read in order began
    bool m_runFromFileStart = true;
    // Matroska: index entries whose packets were found to be keyframes, and not to be.
    bool m_checksIndex = false;
    std::set<qint64> m_indexedKeyframes;
    std::set<qint64> m_indexedNonKeyframes;
    // A keyframe's presentation time less its decoding time, where the
    // container's index holds decoding times (B-frames shift them).
    qint64 m_keyframeOffset = 0;
    mutable std::optional<bool> m_intraOnly;
    // What the scan of the file's end found, once it ran.
    mutable std::optional<std::optional<double>> m_scannedDuration;
};
