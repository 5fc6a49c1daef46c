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
    switch (rule.side) {
    case AudioTriageRule::Side::loud:
        return level >= rule.threshold;
    case AudioTriageRule::Side::quiet:
        return level <= rule.threshold;
    }
    return false;
}

// Where a percentage rule's k positions begin among n ranked results: the
// loud rule takes the top ones, the quiet rule the bottom ones.
qsizetype firstChosenPosition(AudioTriageRule::Side side, qsizetype n, qsizetype k)
{
    switch (side) {
    case AudioTriageRule::Side::loud:
        return 0;
    case AudioTriageRule::Side::quiet:
        return n - k;
    }
    return 0;
}

} // namespace

qsizetype AudioTriageRule::count(const QList<AudioTriageResult> &sorted) const
{
    if (!enabled)
        return 0;
    const qsizetype n = sorted.size();
    switch (mode) {
    case SelectionMode::percentage: {
        const double k = std::ceil(double(n) * percentage / 100.0);
        // Also a non-finite percentage ends here rather than in an integer conversion.
        if (!(k >= 1))
            return n > 0 ? 1 : 0;
        return k >= double(n) ? n : qsizetype(k);
    }
    case SelectionMode::threshold:
        return std::count_if(sorted.cbegin(), sorted.cend(), [&](const AudioTriageResult &r) { return passes(*this, r.metrics); });
    }
    return 0;
}

QList<qsizetype> AudioTriageRule::chosen(const QList<AudioTriageResult> &sorted) const
{
    QList<qsizetype> positions;
    const qsizetype k = count(sorted);
    if (k < 1)
        return positions;
    const qsizetype n = sorted.size();
    switch (mode) {
    case SelectionMode::percentage: {
        const qsizetype first = firstChosenPosition(side, n, k);
        for (qsizetype i = first; i < first + k; ++i)
            positions.append(i);
        break;
    }
    case SelectionMode::threshold:
        for (qsizetype i = 0; i < n; ++i) {
            if (passes(*this, sorted[i].metrics))
                positions.append(i);
        }
        break;
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
    switch (side) {
    case Side::loud:
        return 0.7 * double(sorted.first().metrics.maxRMS);
    case Side::quiet:
        return std::max(2.0 * double(sorted.last().metrics.maxRMS), 0.01);
    }
    return std::nullopt;
}

double AudioTriageRule::usablePercentage(double stored)
{
    if (!std::isfinite(stored))
        return defaultPercentage;
    return std::clamp(stored, minPercentage, maxPercentage);
}

QString rawValue(AudioTriageRule::SelectionMode mode)
{
    switch (mode) {
    case AudioTriageRule::SelectionMode::percentage:
        return QStringLiteral("Top/Bottom %");
    case AudioTriageRule::SelectionMode::threshold:
        return QStringLiteral("Threshold");
    }
    return QString();
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
