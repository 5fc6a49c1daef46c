#include "app/SecondsLabel.h"

#include <cmath>

QString secondsLabel(double seconds)
{
    if (std::isfinite(seconds) && seconds == std::trunc(seconds)) {
        // Printed through the floating-point formatter so that no whole value,
        // however large, goes through an integer conversion; -0 reads as 0.
        if (seconds == 0.0)
            return QStringLiteral("0s");
        return QString::asprintf("%.0fs", seconds);
    }
    return QString::asprintf("%.1fs", seconds);
}
