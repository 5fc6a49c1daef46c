#include "media/FFmpegFormat.h"

#include "media/MatroskaClusters.h"

#include <vector>

// Seeks in a file whose container refuses them (refusesSeeks()).
//
// Matroska whose blocks lie before their cluster's time has neither cues nor
// times a seek by time could go by, and FFmpeg's seek fails. Reading the
// file from its start for every seek costs a decode of everything before
// the target. Instead the file is read once, packets only, for the byte
// positions of its packets and their times as read in order
// (SeeklessIndex, shared by the file's readers); a seek then goes by byte
// position to the keyframe before its target (for Matroska, to the start of
// the cluster that holds it: the demuxer takes up reading only there), and
// every packet read is placed on the timeline by its position.

namespace {
// How many packets the pass through the file reads between two looks at
// whether it is to stop.
constexpr int packetsBetweenStopChecks = 256;
} // namespace

void FFmpegFormat::readWithoutSeeks(std::shared_ptr<SeeklessIndex> index)
{
    m_seeksRefused = true;
    if (!index)
        index = m_path.isEmpty() ? std::make_shared<SeeklessIndex>() : SeeklessIndex::forFile(m_path);
    m_seekless = std::make_unique<SeeklessReader>(std::move(index), m_videoStream, m_audioStream);
    // The demuxer takes a stream's start from the first time it reads when
    // it has none, and after a seek by position that is any packet's: the
    // start is fixed now, where the packets read from the start begin.
    for (AVStream *stream : {videoStream(), audioStream()}) {
        if (stream && stream->start_time == AV_NOPTS_VALUE)
            stream->start_time = 0;
    }
}

bool FFmpegFormat::refusalKnown()
{
    // Found by another reader of the file, which made its index.
    if (!m_seeksRefused) {
        if (std::shared_ptr<SeeklessIndex> index = SeeklessIndex::madeFor(m_path))
            readWithoutSeeks(std::move(index));
    }
    return m_seeksRefused;
}

int FFmpegFormat::readPacket(AVPacket *packet)
{
    // A file that could not be opened again (gone meanwhile) ends there.
    if (!m_context)
        return AVERROR(EIO);
    if (!m_seekless)
        return av_read_frame(m_context.get(), packet);
    if (m_seekless->takeHeld(packet))
        return 0;
    while (true) {
        const int result = av_read_frame(m_context.get(), packet);
        if (result < 0)
            return result;
        if (!m_seekless->passesOver(*packet)) {
            m_seekless->place(*packet);
            return result;
        }
        av_packet_unref(packet);
    }
}

bool FFmpegFormat::makeSeeklessIndex()
{
    // Held here: opening the file again for the pass replaces the reader.
    const std::shared_ptr<SeeklessIndex> index = m_seekless->index();
    if (index->isMade())
        return true;
    const auto read = [this](SeeklessIndex::Recorder &recorder) {
        if (!seekToStart())
            return false;
        FFmpegPacketPtr packet = makeFFmpegPacket();
        if (!packet)
            return false;
        // Every packet of the streams kept, whatever this reader decodes.
        std::vector<AVDiscard> discards;
        for (unsigned i = 0; i < m_context->nb_streams; ++i) {
            discards.push_back(m_context->streams[i]->discard);
            if (int(i) == m_videoStream || int(i) == m_audioStream)
                m_context->streams[i]->discard = AVDISCARD_DEFAULT;
        }
        m_atStart = false;
        bool stopped = false;
        for (int count = 1;; ++count) {
            if (count % packetsBetweenStopChecks == 0 && interrupted()) {
                stopped = true;
                break;
            }
            const int result = av_read_frame(m_context.get(), packet.get());
            if (result == AVERROR(EAGAIN))
                continue;
            if (result < 0)
                break; // the end, or a read error that reading in order stops at too
            const bool keyframe = (packet->flags & AV_PKT_FLAG_KEY) && !(packet->flags & AV_PKT_FLAG_CORRUPT);
            recorder.record(packet->stream_index, packet->pos, packet->pts, packet->dts, packet->duration, keyframe);
            av_packet_unref(packet.get());
        }
        for (unsigned i = 0; i < m_context->nb_streams && i < discards.size(); ++i)
            m_context->streams[i]->discard = discards[i];
        return !stopped;
    };
    return index->make({m_videoStream, m_audioStream}, read, [this] { return interrupted(); });
}

bool FFmpegFormat::seekByPosition(int streamIndex, qint64 timestamp, QString *error)
{
    if (!m_seekless)
        return seekToStart(error);
    if (!makeSeeklessIndex()) {
        if (!interrupted())
            return seekToStart(error); // the file could not be read again
        if (error)
            *error = QStringLiteral("Interrupted");
        return false;
    }
    const KeyframeIndex *keyframes = m_seekless->index()->keyframes(streamIndex);
    KeyframeIndex::Keyframe keyframe;
    if (!keyframes || keyframes->keyframeAtOrBefore(timestamp, &keyframe) != KeyframeIndex::Lookup::Found)
        return seekToStart(error);
    // Where a demuxer takes up reading after a seek by byte position
    // depends on where its parsing stood: Matroska's, inside a cluster, goes
    // on after that one (past the packet, where it seeks backwards), and at
    // the end it stays there. Opened again it stands near the start: a
    // packet beyond what opening read is sought to; else, or where that
    // fails too, read from the start.
    if (landAt(keyframe.position, true))
        return true;
    if (!reopen(error))
        return false;
    if (keyframe.position > avio_tell(m_context->pb) && landAt(keyframe.position, true))
        return true;
    if (!m_atStart && !reopen(error))
        return false;
    if (landAt(keyframe.position, false))
        return true;
    if (error)
        *error = QStringLiteral("Cannot read the file at %1").arg(keyframe.position);
    return false;
}

bool FFmpegFormat::landAt(qint64 position, bool seek)
{
    if (seek) {
        // A Matroska demuxer takes up reading at the start of a cluster only.
        const qint64 from = MatroskaClusters::isMatroska(m_context.get()) ? MatroskaClusters::startOf(m_context->pb, position) : position;
        if (from < 0 || av_seek_frame(m_context.get(), -1, from, AVSEEK_FLAG_BYTE) < 0)
            return false;
    }
    m_read = true;
    m_atStart = false;
    restartRun(false);
    m_seekless->restartAt(position);
    // Reading at or before the packet will do: those before it are passed over.
    FFmpegPacketPtr first = makeFFmpegPacket();
    int result = first ? AVERROR(EAGAIN) : AVERROR(ENOMEM);
    while (result == AVERROR(EAGAIN))
        result = av_read_frame(m_context.get(), first.get());
    if (result < 0 || first->pos < 0 || first->pos > position)
        return false;
    if (!m_seekless->passesOver(*first)) {
        m_seekless->place(*first);
        m_seekless->hold(first.get());
    }
    return true;
}
