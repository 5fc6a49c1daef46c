#include "media/FFmpegFormat.h"

#include "media/FileDecodingNotes.h"
#include "media/StreamEndScan.h"

#include <cmath>

// Where an FFmpegFormat's file ends: the keyframes a truncated file still
// holds, and where the frames of a file that states no duration end.

std::optional<qint64> FFmpegFormat::keyframeHeldBefore(qint64 timestamp) const
{
    AVStream *video = videoStream();
    const int count = video && !m_keyframes ? avformat_index_get_entries_count(video) : 0;
    const int64_t size = count > 0 && m_context->pb ? avio_size(m_context->pb) : -1;
    if (size <= 0 || avformat_index_get_entry(video, count - 1)->pos < size)
        return std::nullopt;
    // The index runs in file order: the entries before the first one past
    // the end are those the file holds.
    int low = 0;
    int high = count;
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (avformat_index_get_entry(video, middle)->pos < size)
            low = middle + 1;
        else
            high = middle;
    }
    for (int index = low - 1; index >= 0; --index) {
        const AVIndexEntry *entry = avformat_index_get_entry(video, index);
        if (entry->timestamp + m_keyframeOffset < timestamp && listsKeyframe(entry))
            return entry->timestamp + m_keyframeOffset;
    }
    return std::nullopt;
}

std::optional<double> FFmpegFormat::scannedDurationSeconds() const
{
    if (m_scannedDuration)
        return *m_scannedDuration;
    // Read once for every reader of the file.
    const std::shared_ptr<FileDecodingNotes> notes = m_path.isEmpty() ? nullptr : FileDecodingNotes::forFile(m_path);
    if (notes) {
        if (const std::optional<std::optional<double>> known = notes->framesEnd()) {
            m_scannedDuration = *known;
            return *known;
        }
    }
    // Measured on the video stream, else on the sound.
    const AVStream *stream = videoStream() ? videoStream() : audioStream();
    const double rate = stream ? frameRate(stream) : 0;
    std::optional<qint64> end;
    if (stream && StreamEndScan::reads(m_context.get()))
        end = StreamEndScan::find([this] { return headerCopy(); }, stream, rate > 0 ? 1.0 / rate : 0.0);
    const double seconds = end ? toSeconds(*end, stream) : 0;
    m_scannedDuration = std::isfinite(seconds) && seconds > 0 ? std::optional<double>(seconds) : std::nullopt;
    if (notes)
        notes->setFramesEnd(*m_scannedDuration);
    return *m_scannedDuration;
}
