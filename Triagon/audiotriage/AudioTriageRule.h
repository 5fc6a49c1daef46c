#pragma once

#include "audiotriage/AudioTriageResult.h"

#include <QList>
#include <QString>

#include <optional>

// One of the audio triage's two tag rules over the results ranked by
// loudness score (highest first): the loud rule takes clips from the top,
// the quiet rule from the bottom, either a percentage of the results or
// every clip whose maxRMS passes a threshold.
struct AudioTriageRule
{
    enum class Side { loud, quiet };
    // Raw values "Top/Bottom %" and "Threshold", the texts of the mode picker.
    enum class SelectionMode { percentage, threshold };

    // The range of the percentage sliders, and the starting values.
    static constexpr double minPercentage = 5;
    static constexpr double maxPercentage = 50;
    static constexpr double defaultPercentage = 15;
    // The range of the threshold sliders.
    static constexpr double minThreshold = 0.01;
    static constexpr double maxThreshold = 0.5;

    Side side = Side::loud;
    bool enabled = true;
    QString label;
    SelectionMode mode = SelectionMode::percentage;
    double percentage = defaultPercentage;
    double threshold = 0.25; // a maxRMS level

    // A rule with the starting values of its side ("Loud Peaks" at 0.25,
    // "Quiet" at 0.05).
    static AudioTriageRule loud();
    static AudioTriageRule quiet();

    // How many results the rule chooses: 0 while off; in percentage mode
    // ceil(n × percentage / 100), at least 1 when there are results and at
    // most n; in threshold mode every result whose maxRMS is at or above the
    // threshold (loud) or at or below it (quiet), wherever it ranks.
    qsizetype count(const QList<AudioTriageResult> &sorted) const;
    // The positions in `sorted` of the results the rule chooses, ascending
    // (score order); as many as count().
    QList<qsizetype> chosen(const QList<AudioTriageResult> &sorted) const;
    // Whether applying the rule can tag anything: it is on and its label is
    // not blank (a blank label adds no tag).
    bool addsTags() const;

    // The threshold a run proposes from its ranked results: loud 0.7 × the
    // top result's maxRMS, quiet twice the last one's but at least 0.01;
    // none for no results.
    static std::optional<double> proposedThreshold(Side side, const QList<AudioTriageResult> &sorted);
    // A percentage from the settings made usable: non-finite gives the
    // default, anything else is held to the sliders' range.
    static double usablePercentage(double stored);
};

QString rawValue(AudioTriageRule::SelectionMode mode);
// Exact match of a raw value; any other text gives nothing.
std::optional<AudioTriageRule::SelectionMode> selectionModeFromRaw(const QString &text);
// In declaration order.
QList<AudioTriageRule::SelectionMode> allSelectionModes();
