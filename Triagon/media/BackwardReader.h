#pragma once

#include "media/FFmpegVideoDecoder.h"

#include <QImage>
#include <QSize>
#include <QString>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

// Reads ahead of a player going backwards (reverse shuttle, frame steps
// back), on threads and decoders of its own, keeping, scaled, the frames the
// player will ask for. It sweeps down the file from where the player stands
// in pieces that decode on their own, the latest first (the player asks for
// those first), several side by side: a long-GOP stream one keyframe
// interval per piece, from its keyframe up to its end (each interval is
// decoded once); an all-intra stream (ProRes) one frame per piece, decoding
// only the frames asked for. It keeps a given distance ahead of the player:
// the player tells where it stands at each step. The player's own decoder
// meanwhile stays free to answer its requests at once. Thread-safe.
class BackwardReader
{
public:
    // Where the player goes (stream ticks).
    struct Course
    {
        qint64 anchor = 0; // the time the player asked for last
        // The distance between its requests, a frame or more: the frames kept
        // are those near anchor - k * stride (every frame for a frame's stride).
        qint64 stride = 0;
        // The stride exactly, where it is not a whole number of ticks (a
        // shuttle's step in a time base of milliseconds): the frames kept
        // follow it without drifting off the times asked for. 0: `stride`.
        double exactStride = 0;
        qint64 ahead = 0; // how far below the anchor frames are read
        QSize size;       // the frames are scaled to fit it
        // A new sweep starts reading here (the player holds the frames
        // above it already); the anchor when unset.
        std::optional<qint64> from;
        // The player reads the keyframe interval that holds `from` itself
        // (its frame is wanted at once, and the player's decoder, with every
        // thread, has it sooner than a reader) and keeps its frames from
        // `playerKeepsFrom` on: a new sweep of a long-GOP stream starts below
        // that interval's keyframe, or below playerKeepsFrom when the
        // interval starts earlier.
        bool leaveFirstInterval = false;
        qint64 playerKeepsFrom = 0;
        // How fast the anchor moves down while the player goes backwards, in
        // ticks per second of wall time, whether or not its frames are shown
        // in time (a shuttle); 0 when it moves only as frames are shown. A
        // piece is then read where the player will be once it is ready.
        double ticksPerSecond = 0;
    };
    struct Frame
    {
        qint64 timestamp = 0;
        qint64 previous = 0; // as FrameCache takes it (FrameCache::unknown, FrameCache::streamStart)
        qint64 end = 0;
        QImage image;
    };

    // `wake` is called on a reader's thread whenever frames are ready or the
    // sweep stopped; it must not call back into the reader. Decoders are
    // closed after `keepOpenMs` without work (they open again for the next).
    BackwardReader(const QString &path, int keepOpenMs, std::function<void()> wake);
    ~BackwardReader();
    BackwardReader(const BackwardReader &) = delete;
    BackwardReader &operator=(const BackwardReader &) = delete;

    // Opens the decoders the file allows and decodes a first frame with each
    // ahead of the first sweep: a decoder's first frame costs several times a
    // later one, and the first pieces of a sweep are read side by side.
    void warmUp();
    // Follows the player: a course that goes on from the one followed (the
    // same stride and size, the anchor lower but not past the sweep) moves
    // the sweep's reach down with it; any other starts a new sweep from its
    // anchor (the pieces still being read stop; frames handed out stay).
    void follow(const Course &course);
    void cancel();
    // The frames made since the last call (pieces read side by side hand
    // theirs in any order).
    std::vector<Frame> takeFrames();
    // Waits at most `ms` for frames to take or for the sweep to stop.
    void waitForFrames(int ms);
    // Whether a frame shown between `from` and `to` is being read now or
    // will be soon (the sweep has not passed it and it lies within reach).
    bool willRead(qint64 from, qint64 to) const;
    // Whether frames shown between `from` and `to` lie where the sweep went
    // past unread (some of them): a shuttle faster than the reading would
    // have passed them before their frames were ready.
    bool passedOver(qint64 from, qint64 to) const;
    // Whether pieces are being read or wait within reach.
    bool isReading() const;
    // Whether the file could not be read (nothing is read then).
    bool failed() const;
    // How many decoders read side by side (known once the file was opened; 1 before).
    int readerCount() const;

    // Whether a frame at `timestamp` is near one of the times anchor - k *
    // stride (always, for a stride of about a frame or less).
    static bool nearStride(qint64 anchor, double stride, qint64 timestamp, qint64 frameTicks);
    // No frame at or before `to` that is near one of those times lies after
    // the time this gives (which may lie past `to`).
    static qint64 lastNearStride(qint64 anchor, double stride, qint64 to, qint64 frameTicks);
    // How many decoders read side by side for pictures of `size` with
    // `bytesPerSample`, on `processors` processors, and how many threads each uses.
    static int readersFor(QSize size, int bytesPerSample, int processors);
    static int threadsPerReader(int readers, int processors);

private:
    // A stretch that decodes on its own: frames from `from` to `to`.
    struct Piece
    {
        qint64 from = 0;
        qint64 to = 0;
    };
    struct Reader
    {
        std::thread thread;
        FFmpegVideoDecoder decoder;   // its thread only
        std::optional<Piece> reading; // guarded by m_mutex
        quint64 readingSerial = 0;    // the sweep it is read for
    };

    void run(int index);
    bool open(Reader &reader);
    bool hasWorkLocked(int index) const;
    bool warmsUpLocked(int index) const;
    bool readsLocked(const Reader &reader) const { return reader.reading && reader.readingSerial == m_serial; }
    // Where the anchor will be `seconds` from now, at the pace the course gives.
    qint64 anchorInLocked(double seconds) const;
    // Takes the next piece of the sweep (the latest not yet taken); false
    // when none is within reach or the sweep was replaced.
    bool takePiece(Reader &reader, quint64 serial, Piece *piece);
    // The steps of takePiece, in order, each false when no piece is taken
    // now. A piece is planned from the sweep as it stood when the reader
    // came for one; what a step changes in the sweep holds only while the
    // sweep is the same (`serial`).
    struct Plan
    {
        qint64 top = 0; // the end of the piece
        Course course;
        qint64 grid = 0;
        bool leaveFirst = false;
        qint64 playerKeepsFrom = 0;
        // Where the player will be once a piece taken now is read (the anchor
        // when it moves only as its frames are shown).
        qint64 playerThen = 0;
        bool keepsUp = true;
    };
    bool planFromSweep(quint64 serial, Plan *plan) const;
    // The first piece of a sweep lies below the interval the player reads itself.
    bool leaveFirstInterval(FFmpegVideoDecoder &decoder, quint64 serial, qint64 start, Plan *plan);
    // The sweep goes past what a player faster than the reading would pass
    // before its frames are ready.
    bool keepAheadOfPlayer(FFmpegVideoDecoder &decoder, quint64 serial, Plan *plan);
    // The piece that ends at the top: one keyframe interval, or one frame of
    // an all-intra stream; `*next` is where the piece after it ends.
    static Piece cutPiece(FFmpegVideoDecoder &decoder, const Plan &plan, qint64 frame, qint64 *next);
    // The reader reads the piece; the sweep goes on below it.
    bool markTaken(Reader &reader, quint64 serial, const Piece &piece, qint64 next, qint64 start);
    // False when the sweep was replaced or the reader stops.
    bool readPiece(Reader &reader, const Course &course, quint64 serial, const Piece &piece);
    bool readFrameAlone(Reader &reader, const Course &course, quint64 serial, const Piece &piece);
    bool current(quint64 serial) const;
    static double gridStride(const Course &course) { return course.exactStride > 0 ? course.exactStride : double(course.stride); }
    // Whether the piece still has frames the player will come to.
    bool wanted(quint64 serial, const Piece &piece) const;
    void hand(quint64 serial, Frame frame);
    void endPiece(Reader &reader, quint64 serial);
    void stopSweep(quint64 serial);

    const QString m_path;
    const int m_keepOpenMs;
    const std::function<void()> m_wake;
    const int m_processors;

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::optional<Course> m_course;                      // the sweep followed
    std::chrono::steady_clock::time_point m_anchorSetAt; // when the course's anchor was given
    double m_pieceSeconds = 0;                           // how long a keyframe interval takes to read, lately
    double m_ticksPerReaderSecond = 0;                   // how fast one reader gets through the stream, lately
    qint64 m_gridAnchor = 0;                             // the frames kept lie near m_gridAnchor - k * stride
    quint64 m_serial = 0;
    qint64 m_nextTop = 0; // the end of the next piece to take
    bool m_swept = false; // the sweep reached the start of the file
    // The first piece is still to go below the interval left to the player;
    // until it is planned, no frame from m_leftAbove up is read.
    bool m_leaveFirst = false;
    qint64 m_leftAbove = 0;
    qint64 m_playerKeepsFrom = 0;
    std::vector<Frame> m_frames;
    std::vector<Piece> m_passedOver; // of this sweep, the latest few
    bool m_stop = false;
    bool m_failed = false;
    unsigned m_warmUps = 0;             // the readers still to warm up, a bit each
    int m_readers = 1;                  // decoders that take pieces
    bool m_readersKnown = false;        // m_readers is the file's (the first decoder opened)
    std::atomic_bool m_stopping{false}; // stops a decode at once
    // One reader at a time works out where the next piece lies (it may read
    // the file's packets to learn its keyframes).
    std::mutex m_planning;
    std::vector<std::unique_ptr<Reader>> m_pool;
};
