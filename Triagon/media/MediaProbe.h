#pragma once

#include "media/ProbeResult.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <optional>

// Reads the facts of a video file for its clip card: duration, display size,
// frame rate, codec, file size and recording date. Never fails and never
// logs: a file that cannot be read gives zeros and empty texts. Holds no
// state; any number of probes may run at once on any threads.
class MediaProbe
{
public:
    // The whole probe of one file. When *cancelled is set before the
    // recording date is read, the result has no date (and counts as checked,
    // as every probed clip does).
    static ProbeResult probeClip(const QString &path, const std::atomic_bool *cancelled = nullptr);
    // The same probe of media bytes held in memory.
    static ProbeResult probeBytes(const QByteArray &bytes);

    // The recording date alone, from the container's creation-date
    // metadata; reads only the file's header. None when absent, unreadable
    // or not an ISO 8601 date and time with a zone, or when *cancelled is set.
    static std::optional<QDateTime> loadRecordingDate(const QString &path, const std::atomic_bool *cancelled = nullptr);

    // Parses "2024-05-01T10:20:30Z", "2024-05-01T10:20:30.500Z" and the
    // forms with an offset ("+02:00", "+0200"); the result is in UTC.
    static std::optional<QDateTime> parseRecordingDate(const QString &text);
};
