#include "audiotriage/AudioTriagePlan.h"
#include "audiotriage/AudioTriageRule.h"
#include "audiotriage/AudioTriageRun.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using Mode = AudioTriageRule::SelectionMode;

// Results in score order with the given maxRMS levels (the score follows the
// level, so the order given is the ranked order for falling levels).
QList<AudioTriageResult> results(const QList<float> &levels)
{
    QList<AudioTriageResult> list;
    int n = 0;
    for (const float level : levels) {
        AudioTriageResult r;
        r.clip.id = QUuid::createUuid();
        r.clip.filename = QStringLiteral("clip%1.mov").arg(++n);
        r.metrics.maxRMS = level;
        list.append(r);
    }
    return list;
}

QList<AudioTriageResult> evenResults(int count)
{
    QList<float> levels;
    for (int i = count; i > 0; --i)
        levels.append(0.01f * float(i));
    return results(levels);
}

AudioTriageRule percentage(AudioTriageRule rule, double percent)
{
    rule.mode = Mode::percentage;
    rule.percentage = percent;
    return rule;
}

AudioTriageRule threshold(AudioTriageRule rule, double level)
{
    rule.mode = Mode::threshold;
    rule.threshold = level;
    return rule;
}

QList<QPair<QUuid, QString>> pair(const AudioTriageResult &r, const QString &label)
{
    return {{r.clip.id, label}};
}

} // namespace

TEST(AudioTriageRule, PercentageCountsRoundUpWithAtLeastOneClip)
{
    const AudioTriageRule loud = AudioTriageRule::loud();
    EXPECT_EQ(percentage(loud, 15).count(evenResults(7)), 2);  // ceil(1.05)
    EXPECT_EQ(percentage(loud, 5).count(evenResults(3)), 1);   // ceil(0.15)
    EXPECT_EQ(percentage(loud, 0).count(evenResults(3)), 1);   // the minimum of one
    EXPECT_EQ(percentage(loud, 15).count(evenResults(20)), 3); // exactly 3.0
    EXPECT_EQ(percentage(loud, 50).count(evenResults(0)), 0);
    EXPECT_EQ(percentage(loud, 250).count(evenResults(4)), 4);
    // No percentage a settings file could hold leads to an invalid count.
    EXPECT_EQ(percentage(loud, std::numeric_limits<double>::quiet_NaN()).count(evenResults(4)), 1);
    EXPECT_EQ(percentage(loud, std::numeric_limits<double>::infinity()).count(evenResults(4)), 4);
    AudioTriageRule off = loud;
    off.enabled = false;
    EXPECT_EQ(off.count(evenResults(7)), 0);
}

TEST(AudioTriageRule, ThresholdsCountEveryResultInclusively)
{
    // Score order: the second result is below the loud threshold, the third at it.
    const QList<AudioTriageResult> list = results({0.4f, 0.1f, 0.25f, 0.05f});
    const AudioTriageRule loud = threshold(AudioTriageRule::loud(), 0.25);
    EXPECT_EQ(loud.count(list), 2);
    EXPECT_EQ(loud.chosen(list), (QList<qsizetype>{0, 2}));
    const AudioTriageRule quiet = threshold(AudioTriageRule::quiet(), double(0.1f));
    EXPECT_EQ(quiet.chosen(list), (QList<qsizetype>{1, 3}));
    EXPECT_EQ(threshold(AudioTriageRule::loud(), 0.5).count(list), 0);
}

TEST(AudioTriagePlan, LoudFirstThenQuietWithoutTheLoudClips)
{
    // 3 results at 50 %: two loud, two quiet; the middle clip stays loud only.
    const QList<AudioTriageResult> list = evenResults(3);
    const AudioTriagePlan plan = AudioTriagePlan::make(percentage(AudioTriageRule::loud(), 50), percentage(AudioTriageRule::quiet(), 50),
                                                       list);
    EXPECT_EQ(plan.pairs, pair(list[0], QStringLiteral("Loud Peaks")) + pair(list[1], QStringLiteral("Loud Peaks"))
                              + pair(list[2], QStringLiteral("Quiet")));
    // The summary announces what the apply does, not the two counts as they stand.
    EXPECT_EQ(plan.loudTagged, 2);
    EXPECT_EQ(plan.quietTagged, 1);
    EXPECT_EQ(plan.untouched, 0);
}

TEST(AudioTriagePlan, ThresholdQuietClipsInScoreOrder)
{
    const QList<AudioTriageResult> list = results({0.4f, 0.04f, 0.3f, 0.02f});
    const AudioTriagePlan plan = AudioTriagePlan::make(threshold(AudioTriageRule::loud(), 0.3), threshold(AudioTriageRule::quiet(), 0.05),
                                                       list);
    EXPECT_EQ(plan.pairs, pair(list[0], QStringLiteral("Loud Peaks")) + pair(list[2], QStringLiteral("Loud Peaks"))
                              + pair(list[1], QStringLiteral("Quiet")) + pair(list[3], QStringLiteral("Quiet")));
    EXPECT_EQ(plan.untouched, 0);
}

TEST(AudioTriagePlan, RulesThatTagNothing)
{
    const QList<AudioTriageResult> list = evenResults(3);
    AudioTriageRule loud = percentage(AudioTriageRule::loud(), 50);
    AudioTriageRule quiet = percentage(AudioTriageRule::quiet(), 50);

    loud.enabled = false;
    quiet.enabled = false;
    AudioTriagePlan plan = AudioTriagePlan::make(loud, quiet, list);
    EXPECT_TRUE(plan.pairs.isEmpty());
    EXPECT_EQ(plan.untouched, 3);

    // A blank label tags nothing, so it takes no clip from the other rule either.
    loud.enabled = true;
    quiet.enabled = true;
    loud.label = QStringLiteral(" \t ");
    plan = AudioTriagePlan::make(loud, quiet, list);
    EXPECT_EQ(plan.pairs, pair(list[1], QStringLiteral("Quiet")) + pair(list[2], QStringLiteral("Quiet")));
    EXPECT_EQ(plan.loudTagged, 0);
    EXPECT_EQ(plan.quietTagged, 2);
    EXPECT_EQ(plan.untouched, 1);

    plan = AudioTriagePlan::make(AudioTriageRule::loud(), AudioTriageRule::quiet(), {});
    EXPECT_TRUE(plan.pairs.isEmpty());
    EXPECT_EQ(plan.untouched, 0);
}

TEST(AudioTriageRule, ProposedThresholds)
{
    const QList<AudioTriageResult> single = results({0.2f});
    EXPECT_NEAR(*AudioTriageRule::proposedThreshold(AudioTriageRule::Side::loud, single), 0.14, 1e-7);
    EXPECT_NEAR(*AudioTriageRule::proposedThreshold(AudioTriageRule::Side::quiet, single), 0.4, 1e-7);
    const QList<AudioTriageResult> silentLast = results({0.3f, 0.0f});
    EXPECT_EQ(*AudioTriageRule::proposedThreshold(AudioTriageRule::Side::quiet, silentLast), 0.01);
    EXPECT_FALSE(AudioTriageRule::proposedThreshold(AudioTriageRule::Side::loud, {}));
    EXPECT_FALSE(AudioTriageRule::proposedThreshold(AudioTriageRule::Side::quiet, {}));
}

TEST(AudioTriageRule, PercentagesFromTheSettingsAreHeldToTheSliderRange)
{
    EXPECT_EQ(AudioTriageRule::usablePercentage(25), 25);
    EXPECT_EQ(AudioTriageRule::usablePercentage(500), 50);
    EXPECT_EQ(AudioTriageRule::usablePercentage(0), 5);
    EXPECT_EQ(AudioTriageRule::usablePercentage(-3), 5);
    EXPECT_EQ(AudioTriageRule::usablePercentage(std::numeric_limits<double>::quiet_NaN()), 15);
    EXPECT_EQ(AudioTriageRule::usablePercentage(-std::numeric_limits<double>::infinity()), 15);
}

TEST(AudioTriageRule, SelectionModeRawValues)
{
    EXPECT_EQ(allSelectionModes(), (QList<Mode>{Mode::percentage, Mode::threshold}));
    EXPECT_EQ(rawValue(Mode::percentage), QStringLiteral("Top/Bottom %"));
    EXPECT_EQ(rawValue(Mode::threshold), QStringLiteral("Threshold"));
    EXPECT_EQ(selectionModeFromRaw(QStringLiteral("Threshold")), Mode::threshold);
    EXPECT_FALSE(selectionModeFromRaw(QStringLiteral("threshold")));
}

TEST(AudioTriageRun, RankingIsStableByScore)
{
    QList<AudioTriageResult> list = results({0.1f, 0.3f, 0.1f, 0.0f, 0.3f});
    const QList<AudioTriageResult> ranked = AudioTriageRun::ranked(list);
    QStringList names;
    for (const AudioTriageResult &r : ranked)
        names.append(r.clip.filename);
    EXPECT_EQ(names, (QStringList{QStringLiteral("clip2.mov"), QStringLiteral("clip5.mov"), QStringLiteral("clip1.mov"),
                                  QStringLiteral("clip3.mov"), QStringLiteral("clip4.mov")}));
}
