#include "media/SeeklessIndex.h"

#include "media/FileRegistry.h"

#include <algorithm>
#include <chrono>

namespace {

// How often a reader waiting for another's index looks whether it is to stop.
constexpr std::chrono::milliseconds waitSlice(20);

bool byPosition(const SeeklessIndex::Packet &a, const SeeklessIndex::Packet &b)
{
    return a.position < b.position;
}

FileRegistry<SeeklessIndex> &registry()
{
    // Few files refuse seeks, and each index holds every packet of one.
    static auto *const instance = new FileRegistry<SeeklessIndex>(8); // never destroyed: used until the very end
    return *instance;
}

} // namespace

std::shared_ptr<SeeklessIndex> SeeklessIndex::forFile(const QString &path)
{
    return registry().forFile(path);
}

std::shared_ptr<SeeklessIndex> SeeklessIndex::madeFor(const QString &path)
{
    std::shared_ptr<SeeklessIndex> index = path.isEmpty() ? nullptr : registry().existing(path);
    return index && index->isMade() ? index : nullptr;
}

SeeklessIndex::Recorder::Recorder(std::vector<int> streams)
{
    for (const int stream : streams) {
        if (stream >= 0)
            m_streams[stream];
    }
}

void SeeklessIndex::Recorder::record(int stream, qint64 position, qint64 pts, qint64 dts, qint64 duration, bool keyframe)
{
    const auto it = m_streams.find(stream);
    if (it == m_streams.end())
        return;
    const Times times = it->second.unwrapper.next(pts, dts, duration);
    it->second.packets.push_back(Packet{position, times, keyframe});
}

bool SeeklessIndex::make(const std::vector<int> &streams, const std::function<bool(Recorder &)> &read, const std::function<bool()> &stop)
{
    std::unique_lock making(m_making, std::defer_lock);
    while (!making.try_lock_for(waitSlice)) {
        if (stop && stop())
            return false;
    }
    if (isMade())
        return true; // made by the reader waited for
    Recorder recorder(streams);
    if (!read(recorder))
        return false;
    std::map<int, Stream> made;
    for (auto &[index, recorded] : recorder.m_streams) {
        Stream &stream = made[index];
        // Every packet was read, from the start of the file to its end.
        for (const Packet &packet : recorded.packets) {
            if (packet.keyframe && packet.position >= 0)
                stream.keyframes->record(KeyframeIndex::fileStart, packet.times.decoded, packet.times.shown, packet.position, true);
        }
        stream.keyframes->recordEndOfFile(KeyframeIndex::fileStart);
        stream.byPosition = std::move(recorded.packets);
        std::stable_sort(stream.byPosition.begin(), stream.byPosition.end(), byPosition);
    }
    std::lock_guard lock(m_mutex);
    m_streams = std::move(made);
    m_made = true;
    return true;
}

bool SeeklessIndex::isMade() const
{
    std::lock_guard lock(m_mutex);
    return m_made;
}

const SeeklessIndex::Stream *SeeklessIndex::streamLocked(int stream) const
{
    const auto it = m_streams.find(stream);
    return m_made && it != m_streams.end() ? &it->second : nullptr;
}

std::optional<SeeklessIndex::Times> SeeklessIndex::place(int stream, qint64 position, int ordinal) const
{
    std::lock_guard lock(m_mutex);
    const Stream *packets = streamLocked(stream);
    if (!packets || position < 0 || ordinal < 0)
        return std::nullopt;
    const auto first = std::lower_bound(packets->byPosition.begin(), packets->byPosition.end(), Packet{position, {}, false}, byPosition);
    if (packets->byPosition.end() - first <= ordinal || (first + ordinal)->position != position)
        return std::nullopt;
    return (first + ordinal)->times;
}

const KeyframeIndex *SeeklessIndex::keyframes(int stream) const
{
    std::lock_guard lock(m_mutex);
    const Stream *packets = streamLocked(stream);
    return packets ? packets->keyframes.get() : nullptr;
}
