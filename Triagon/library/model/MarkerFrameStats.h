#pragma once

// The statistics of one frame sampled for the hand-marker detection.
struct MarkerFrameStats
{
    double time = 0;              // seconds; the frame at the clip's start is sampled
    double laplacianVariance = 0; // edge detail of the luma plane, never negative
    double skinFraction = 0;      // 0 to 1
    double darkFraction = 0;      // 0 to 1, luma below 30
    double lumaStdDev = 0;        // population deviation, 0 to 255 scale
    friend bool operator==(const MarkerFrameStats &, const MarkerFrameStats &) = default;
};
