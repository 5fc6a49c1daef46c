#include "app/HoverScrub.h"

#include <algorithm>
#include <cmath>
#include <limits>

double finiteDuration(double seconds)
{
    return std::isfinite(seconds) && seconds > 0 ? seconds : 0.0;
}

double clampedTime(double seconds, double duration)
{
    if (!std::isfinite(seconds))
        return 0.0;
    return std::max(0.0, std::min(finiteDuration(duration), seconds));
}

HoverScrub HoverScrub::at(double x, double width, double duration, const QList<ScrubModifier> &modifiers, Qt::KeyboardModifiers held,
                          std::optional<double> anchor)
{
    HoverScrub result;
    const double d = finiteDuration(duration);
    double f = x / width;
    if (std::isnan(f))
        f = 1;
    f = std::max(0.0, std::min(f, 1.0));

    const ScrubModifier *active = nullptr;
    for (const ScrubModifier &modifier : modifiers) {
        if (isModifierKeyHeld(modifier.key, held)) {
            active = &modifier;
            break;
        }
    }

    double p = f;
    if (active) {
        result.activeModifier = *active;
        const double a = anchor.has_value() && std::isfinite(*anchor) ? *anchor : f * d;
        result.anchor = a;
        const double seconds = std::isfinite(active->seconds) ? active->seconds : d;
        const double length = std::min(d, std::max(0.0, seconds));
        const double start = std::max(0.0, a - length / 2);
        const double end = std::min(d, start + length);
        p = d > 0 ? (start + f * (end - start)) / d : 0;
    }
    if (!std::isfinite(p))
        p = 0;
    p = std::max(0.0, std::min(p, 1.0));
    result.progress = p;
    result.time = d * p;
    return result;
}

QString formatScrubTime(double seconds)
{
    if (!std::isfinite(seconds) || seconds < 0)
        return QStringLiteral("0:00");
    // Whole seconds by truncation, within the range a whole number holds.
    const double whole = std::min(std::trunc(seconds), static_cast<double>(std::numeric_limits<qint64>::max() / 2));
    const qint64 t = static_cast<qint64>(whole);
    return QString::number(t / 60) + QLatin1Char(':') + QString::asprintf("%02d", static_cast<int>(t % 60));
}
