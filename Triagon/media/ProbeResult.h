#pragma once

#include <QDateTime>
#include <QString>
#include <QtGlobal>

#include <optional>

// What the media probe learned of one file. Everything that could not be
// read is 0 or empty; the store turns it into a clip.
struct ProbeResult
{
    double duration = 0; // seconds, finite and not negative
    qint64 width = 0;    // display size: the rotation applied
    qint64 height = 0;
    double frameRate = 0;                // nominal frames per second of the video stream
    quint32 fourCC = 0;                  // the video codec's four-character code, first character most significant
    QString codec;                       // its display name; empty without a video stream
    qint64 fileSize = 0;                 // bytes
    std::optional<QDateTime> recordedAt; // from the creation-date metadata, in UTC
    bool recordingDateChecked = true;    // false only when the probe was cancelled before the date
};
