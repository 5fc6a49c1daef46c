#pragma once

#include "media/KeyframeIndex.h"
#include "media/PacketTimeUnwrapper.h"

#include <QString>
#include <QtGlobal>

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

// The packets of a file whose container refuses seeks (FFmpegFormat::
// refusesSeeks), by their byte positions: made by reading the file once
// from its start, packets only (no decoding), so that a seek goes by byte
// position to the keyframe before its target instead of reading the file
// from its start every time. The times are those of the packets as read in
// order (PacketTimeUnwrapper): after a seek by position the container's own
// times are no help (those it numbered on while reading in order are missing,
// the others fall back every 65.5 s), so every packet read is placed by its
// position. Kept for the file's video and sound streams; shared by the
// file's readers (forFile()), so that the file is read for it once however
// many decoders open it. Times are stream ticks. Thread-safe.
class SeeklessIndex
{
public:
    using Times = PacketTimeUnwrapper::Times;

    struct Packet
    {
        qint64 position = -1; // of the packet in the file
        Times times;
        bool keyframe = false;
    };

    // Hands the packets read in order to the index under way.
    class Recorder
    {
    public:
        explicit Recorder(std::vector<int> streams);
        // One packet read in order from the start of the file (packets of
        // other streams than those kept are passed over).
        void record(int stream, qint64 position, qint64 pts, qint64 dts, qint64 duration, bool keyframe);

    private:
        friend class SeeklessIndex;
        struct Stream
        {
            PacketTimeUnwrapper unwrapper;
            std::vector<Packet> packets;
        };
        std::map<int, Stream> m_streams;
    };

    // The index of the file at path as it is on disk now: shared while the
    // file stays the same; a file replaced or changed gets a new one.
    static std::shared_ptr<SeeklessIndex> forFile(const QString &path);
    // The index made of the file at path by one of its readers, else null:
    // the file refuses seeks, which need not be found again.
    static std::shared_ptr<SeeklessIndex> madeFor(const QString &path);

    // Makes the index unless it is made: `read` reads the file from its
    // start, handing every packet to the recorder, and returns whether it
    // reached the end of the file (or a read error: what lies after it is
    // read no further in order either). One reader makes it at a time; the
    // others wait for it while `stop` says nothing. False when stopped or
    // when `read` was: nothing is kept then. The index keeps `streams`.
    bool make(const std::vector<int> &streams, const std::function<bool(Recorder &)> &read, const std::function<bool()> &stop);
    bool isMade() const;

    // The times of the packet of `stream` at `position`: the `ordinal`th
    // of those that start there (the frames of a laced block share its
    // position). None when the index does not know it.
    std::optional<Times> place(int stream, qint64 position, int ordinal) const;
    // The keyframes of `stream` (every packet of a sound stream is one),
    // with their byte positions; null before the index is made and for a
    // stream it does not keep.
    const KeyframeIndex *keyframes(int stream) const;

private:
    struct Stream
    {
        std::vector<Packet> byPosition; // in the file's order
        std::shared_ptr<KeyframeIndex> keyframes = std::make_shared<KeyframeIndex>();
    };
    const Stream *streamLocked(int stream) const;

    std::timed_mutex m_making;
    mutable std::mutex m_mutex;
    bool m_made = false;
    std::map<int, Stream> m_streams;
};
