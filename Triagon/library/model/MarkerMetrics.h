#pragma once

#include "library/model/MarkerFrameStats.h"

#include <optional>

// The hand-marker detection input of one clip. No frame when the clip was
// not sampled (too long, unknown length, cancelled, no picture).
struct MarkerMetrics
{
    double duration = 0;
    std::optional<MarkerFrameStats> frame;
    friend bool operator==(const MarkerMetrics &, const MarkerMetrics &) = default;
};
