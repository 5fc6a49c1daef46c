#include "audiotriage/LoudnessMeter.h"

#include <algorithm>
#include <cmath>

void LoudnessMeter::add(const qint16 *samples, qsizetype count)
{
    float peak = m_peak;
    float sum = m_windowSum;
    int fill = m_windowFill;
    for (qsizetype i = 0; i < count; ++i) {
        const float x = float(samples[i]) * sampleScale;
        peak = std::max(peak, std::fabs(x));
        // Squares add up in 32-bit float in sample order, window by window.
        sum += x * x;
        if (++fill == windowLength) {
            m_levels.push_back(std::sqrt(sum / float(windowLength)));
            sum = 0;
            fill = 0;
        }
    }
    m_peak = peak;
    m_windowSum = sum;
    m_windowFill = fill;
    m_sampleCount += count;
}

AudioMetrics LoudnessMeter::metrics() const
{
    AudioMetrics result;
    if (m_sampleCount == 0)
        return result;
    result.peakAmplitude = m_peak;
    if (m_levels.empty())
        return result;

    const size_t n = m_levels.size();
    const float count = float(n);
    float sum = 0;
    for (const float level : m_levels)
        sum += level;
    result.avgRMS = sum / count;
    result.maxRMS = *std::max_element(m_levels.cbegin(), m_levels.cend());

    std::vector<float> sorted = m_levels;
    std::sort(sorted.begin(), sorted.end());
    const size_t lower = size_t(count * 0.1f);
    const size_t upper = std::min(n - 1, size_t(count * 0.9f));
    result.dynamicRange = sorted[upper] - sorted[lower];

    const float spikeLevel = result.avgRMS + result.avgRMS;
    const auto spikes = std::count_if(m_levels.cbegin(), m_levels.cend(), [&](float level) { return level > spikeLevel; });
    result.spikeRatio = float(spikes) / count;
    return result;
}
