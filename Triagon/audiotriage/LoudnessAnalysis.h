#pragma once

#include "library/model/AudioMetrics.h"

#include <QString>

#include <atomic>

// Measures the loudness of one file: its first audio stream (in stream
// order) is decoded and resampled to 16 kHz mono 16-bit (a stereo or
// multichannel track becomes the mean of its channels) and streamed through
// a LoudnessMeter. It never fails towards its caller: every file gets a
// record, and the outcome says how the measurement ended. Blocks; safe on
// any thread (each call has its own decoder).
class LoudnessAnalysis
{
public:
    enum class Outcome {
        Measured,     // the whole track was read
        NoAudio,      // the file has no audio stream: zeros, nothing logged
        FileMissing,  // the file is not there (offline): zeros, nothing logged
        Unreadable,   // the file or its audio could not be read: zeros, logged
        StoppedEarly, // the read ended early (truncated or damaged file): the
                      // figures of what was read, logged
        Cancelled,    // stopped by the caller: what was read, nothing logged
    };

    struct Result
    {
        AudioMetrics metrics;
        Outcome outcome = Outcome::Measured;
    };

    // `cancel` is only for shutting down: a set flag ends the decode early.
    static Result measure(const QString &path, const std::atomic_bool *cancel = nullptr);
};
