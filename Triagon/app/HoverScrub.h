#pragma once

#include "app/ScrubModifier.h"

#include <QList>
#include <QString>
#include <Qt>

#include <optional>

// Where a hover over a card's poster puts the clip: the pointer's horizontal
// fraction of the poster spans the whole clip, or, while a scrub modifier key
// is held, a window of that many seconds around the moment where the key was
// first seen held (the anchor), for precise positioning.
struct HoverScrub
{
    double progress = 0; // 0 ... 1 of the clip
    double time = 0;     // seconds, always finite
    std::optional<double> anchor;
    std::optional<ScrubModifier> activeModifier;

    // `x` and `width` in the poster's coordinates; `anchor` is the anchor kept
    // from the previous event of this hover. A duration that is not finite or
    // not positive counts as 0; a fraction that is not a number counts as 1.
    static HoverScrub at(double x, double width, double duration, const QList<ScrubModifier> &modifiers, Qt::KeyboardModifiers held,
                         std::optional<double> anchor);
};

// A finite duration in seconds, 0 for anything else (negative, NaN, infinity).
double finiteDuration(double seconds);
// A time within 0 … duration (a duration as finiteDuration takes it); a time
// that is not finite gives 0. Jumps and drags clamp their target with it.
double clampedTime(double seconds, double duration);

// Minutes and two-digit seconds of a time, "1:15" for 75.9 s and "60:00" for
// an hour; a time that is not finite or below 0 shows "0:00".
QString formatScrubTime(double seconds);
