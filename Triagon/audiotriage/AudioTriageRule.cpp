#include "audiotriage/AudioTriageRule.h"

#include <algorithm>
#include <cmath>

AudioTriageRule AudioTriageRule::loud()
{
    AudioTriageRule rule;
    rule.side = Side::loud;
    rule.label = QStringLiteral("Loud Peaks");
    rule.threshold = 0.25;
    return rule;
}

AudioTriageRule AudioTriageRule::quiet()
{
    AudioTriageRule rule;
    rule.side = Side::quiet;
    rule.label = QStringLiteral("Quiet");
    rule.threshold = 0.05;
    return rule;
}

namespace {

bool passes(const AudioTriageRule &rule, const AudioMetrics &metrics)
{
    const double level = metrics.maxRMS;
    return rule.side == AudioTriageRule::Side::loud ? level >= rule.threshold : level <= rule.threshold;
}

} // namespace

qsizetype AudioTriageRule::count(const QList<AudioTriageResult> &sorted) const
{
    if (!enabled)
        return 0;
    const qsizetype n = sorted.size();
    if (mode == SelectionMode::percentage) {
        const double k = std::ceil(double(n) * percentage / 100.0);
        // Also a non-finite percentage ends here rather than in an integer conversion.
        if (!(k >= 1))
            return n > 0 ? 1 : 0;
        return k >= double(n) ? n : qsizetype(k);
    }
    return std::count_if(sorted.cbegin(), sorted.cend(), [&](const AudioTriageResult &r) { return passes(*this, r.metrics); });
}

QList<qsizetype> AudioTriageRule::chosen(const QList<AudioTriageResult> &sorted) const
{
    QList<qsizetype> positions;
    const qsizetype k = count(sorted);
    if (k < 1)
        return positions;
    const qsizetype n = sorted.size();
    if (mode == SelectionMode::percentage) {
        const qsizetype first = side == Side::loud ? 0 : n - k;
        for (qsizetype i = first; i < first + k; ++i)
            positions.append(i);
        return positions;
    }
    for (qsizetype i = 0; i < n; ++i) {
        if (passes(*this, sorted[i].metrics))
            positions.append(i);
    }
    return positions;
}

bool AudioTriageRule::addsTags() const
{
    return enabled && !label.trimmed().isEmpty();
}

std::optional<double> AudioTriageRule::proposedThreshold(Side side, const QList<AudioTriageResult> &sorted)
{
    if (sorted.isEmpty())
        return std::nullopt;
    if (side == Side::loud)
        return 0.7 * double(sorted.first().metrics.maxRMS);
    return std::max(2.0 * double(sorted.last().metrics.maxRMS), 0.01);
}

double AudioTriageRule::usablePercentage(double stored)
{
    if (!std::isfinite(stored))
        return defaultPercentage;
    return std::clamp(stored, minPercentage, maxPercentage);
}

QString rawValue(AudioTriageRule::SelectionMode mode)
{
    return mode == AudioTriageRule::SelectionMode::threshold ? QStringLiteral("Threshold") : QStringLiteral("Top/Bottom %");
}

std::optional<AudioTriageRule::SelectionMode> selectionModeFromRaw(const QString &text)
{
    for (const AudioTriageRule::SelectionMode mode : allSelectionModes()) {
        if (rawValue(mode) == text)
            return mode;
    }
    return std::nullopt;
}

QList<AudioTriageRule::SelectionMode> allSelectionModes()
{
    return {AudioTriageRule::SelectionMode::percentage, AudioTriageRule::SelectionMode::threshold};
}
