#pragma once

// A clip's loudness figures, kept by the store per clip.
struct AudioMetrics
{
    float maxRMS = 0;
    float avgRMS = 0;
    float spikeRatio = 0;
    float dynamicRange = 0;
    float peakAmplitude = 0;
};
