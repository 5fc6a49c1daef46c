#pragma once

#include "library/model/Clip.h"

#include <QList>
#include <QUuid>
#include <optional>

// Hand-marker and numbering-reset logic: static functions over clips, no instances.
class MarkerDetector
{
public:
    MarkerDetector() = delete;

    // A place where a camera's file numbering restarts.
    struct NumberingReset
    {
        QUuid previousClipID; // the last clip before the restart
        QUuid firstClipID;    // the first clip after it
        friend bool operator==(const NumberingReset &, const NumberingReset &) = default;
    };

    // The statistics of one sampled frame.
    struct FrameStats
    {
        double time = 0;
        double laplacianVariance = 0;
        double skinFraction = 0;
        double darkFraction = 0;
        double lumaStdDev = 0;
    };

    // The detection input of one clip.
    struct Metrics
    {
        double duration = 0;
        std::optional<FrameStats> frame;
    };

    // The resets among the session's clips (in store order), sorted by the
    // first clip's UUID text.
    static QList<NumberingReset> numberingResets(const QList<Clip> &clips);
};
