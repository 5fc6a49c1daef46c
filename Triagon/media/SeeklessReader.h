#pragma once

#include "media/FFmpegPointers.h"
#include "media/PacketTimeUnwrapper.h"
#include "media/SeeklessIndex.h"

#include <memory>

// One reader's packets of a file that refuses seeks (FFmpegFormat::
// refusesSeeks), put on the file's timeline: by the index of their byte
// positions once it is made (SeeklessIndex, shared by the file's readers),
// else, reading in order from the start, as the index does it. After a seek
// by position the packets before the one sought to (those of its cluster
// before it, or all of them where reading went on from the start) are passed
// over. Not thread-safe: one per FFmpegFormat.
class SeeklessReader
{
public:
    SeeklessReader(std::shared_ptr<SeeklessIndex> index, int videoStream, int audioStream);

    const std::shared_ptr<SeeklessIndex> &index() const { return m_index; }

    // Reading goes on to the packet at byte position `position`: the
    // packets before it are passed over.
    void restartAt(qint64 position);
    // Whether a packet read is passed over (not handed out).
    bool passesOver(const AVPacket &packet) const;
    // Gives a packet read its times on the file's timeline. A packet of the
    // video or sound stream that the index cannot place after a seek by
    // position is left without times: it is never taken for another.
    void place(AVPacket &packet);

    // The first packet read after a seek by position, read to check where
    // the seek landed: handed out by the next read.
    void hold(AVPacket *packet);
    bool takeHeld(AVPacket *packet);

private:
    struct Stream
    {
        int index = -1;
        PacketTimeUnwrapper unwrapper;
        qint64 position = -1; // of the last packet read
        int ordinal = 0;      // of that packet among those at its position
    };
    Stream *streamOf(int index);

    std::shared_ptr<SeeklessIndex> m_index;
    Stream m_streams[2];
    bool m_fromFileStart = true;
    qint64 m_from = -1; // the packet sought to, until it is read
    FFmpegPacketPtr m_held;
    bool m_holding = false;
};
