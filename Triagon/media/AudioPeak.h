#pragma once

#include <QList>
#include <QMetaType>

// A loud stretch of a clip: where it begins and ends, as fractions 0 … 1 of
// the analysed audio. `end` is exclusive and always greater than `start`.
struct AudioPeak
{
    double start = 0;
    double end = 0;

    friend bool operator==(const AudioPeak &, const AudioPeak &) = default;
};

Q_DECLARE_METATYPE(AudioPeak)
