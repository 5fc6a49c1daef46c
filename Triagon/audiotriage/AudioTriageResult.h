#pragma once

#include "library/model/AudioMetrics.h"
#include "library/model/Clip.h"

#include <QList>

// One clip of an audio triage run with its loudness figures.
struct AudioTriageResult
{
    Clip clip;
    AudioMetrics metrics;
};
