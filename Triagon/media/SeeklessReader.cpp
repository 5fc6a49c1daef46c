#include "media/SeeklessReader.h"

SeeklessReader::SeeklessReader(std::shared_ptr<SeeklessIndex> index, int videoStream, int audioStream)
    : m_index(std::move(index)), m_held(makeFFmpegPacket())
{
    m_streams[0].index = videoStream;
    m_streams[1].index = audioStream;
}

SeeklessReader::Stream *SeeklessReader::streamOf(int index)
{
    for (Stream &stream : m_streams) {
        if (stream.index >= 0 && stream.index == index)
            return &stream;
    }
    return nullptr;
}

void SeeklessReader::restartAt(qint64 position)
{
    for (Stream &stream : m_streams) {
        stream.unwrapper.reset();
        stream.position = -1;
        stream.ordinal = 0;
    }
    m_fromFileStart = false;
    m_from = position;
    if (m_holding && m_held)
        av_packet_unref(m_held.get());
    m_holding = false;
}

bool SeeklessReader::passesOver(const AVPacket &packet) const
{
    return m_from >= 0 && packet.pos >= 0 && packet.pos < m_from;
}

void SeeklessReader::place(AVPacket &packet)
{
    Stream *stream = streamOf(packet.stream_index);
    if (!stream)
        return;
    if (packet.pos >= m_from)
        m_from = -1; // there: the packets after it all count
    stream->ordinal = packet.pos >= 0 && packet.pos == stream->position ? stream->ordinal + 1 : 0;
    stream->position = packet.pos;
    if (const std::optional<SeeklessIndex::Times> placed = m_index->place(stream->index, packet.pos, stream->ordinal)) {
        stream->unwrapper.follow(packet.pts, packet.dts, *placed);
        packet.pts = placed->shown;
        packet.dts = placed->decoded;
        return;
    }
    if (!m_fromFileStart && !stream->unwrapper.hasStarted()) {
        // Nothing placed before it since the seek: no time can be told.
        packet.pts = AV_NOPTS_VALUE;
        packet.dts = AV_NOPTS_VALUE;
        return;
    }
    // In order from the start of the file, as the index places them; past
    // what the index holds (a file that was read no further in order when
    // it was made), on from the last packet it placed.
    const PacketTimeUnwrapper::Times times = stream->unwrapper.next(packet.pts, packet.dts, packet.duration);
    packet.pts = times.shown;
    packet.dts = times.decoded;
}

void SeeklessReader::hold(AVPacket *packet)
{
    if (!m_held)
        return;
    av_packet_unref(m_held.get());
    av_packet_move_ref(m_held.get(), packet);
    m_holding = true;
}

bool SeeklessReader::takeHeld(AVPacket *packet)
{
    if (!m_holding)
        return false;
    av_packet_move_ref(packet, m_held.get());
    m_holding = false;
    return true;
}
