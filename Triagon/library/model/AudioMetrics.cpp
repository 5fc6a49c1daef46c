#include "library/model/AudioMetrics.h"

#include <algorithm>

double AudioMetrics::loudnessScore() const
{
    const double loud = 0.5 * std::min(double(maxRMS) / 0.3, 1.0);
    const double spikes = 0.3 * std::min(double(spikeRatio) / 0.15, 1.0);
    const double range = 0.2 * std::min(double(dynamicRange) / 0.15, 1.0);
    const double score = (spikes + loud) + range;
    // A record from elsewhere could hold a non-finite figure: the ranking
    // needs a plain number.
    if (!(score > 0))
        return 0;
    return std::min(score, 1.0);
}
