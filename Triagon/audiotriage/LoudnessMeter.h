#pragma once

#include "library/model/AudioMetrics.h"

#include <QtGlobal>

#include <vector>

// Turns a stream of 16-bit mono samples into AudioMetrics while they arrive,
// so that a long track never has to be held in memory: it keeps the peak,
// the running sum of the window being filled and one level per finished
// window (an hour of sound is 36000 floats). The figures are exactly those of
// a computation over the whole track in one list: the same 32-bit float
// operations in the same order.
class LoudnessMeter
{
public:
    // Samples per window: 0.1 s at the analysis rate of 16 kHz.
    static constexpr int windowLength = 1600;
    static constexpr int sampleRate = 16000;
    // A 16-bit sample s counts as s / 32768 (exactly 2^-15).
    static constexpr float sampleScale = 3.0517578125e-05f;

    // Appends samples in track order, in pieces of any size.
    void add(const qint16 *samples, qsizetype count);
    // Samples added so far.
    qint64 sampleCount() const { return m_sampleCount; }
    // The figures of everything added: zeros without samples; only the peak
    // below one window; a trailing partial window counts for the peak only.
    AudioMetrics metrics() const;

private:
    float m_peak = 0;
    float m_windowSum = 0;
    int m_windowFill = 0;
    qint64 m_sampleCount = 0;
    std::vector<float> m_levels;
};
