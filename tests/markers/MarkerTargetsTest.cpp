#include "markers/MarkerDetector.h"

#include "Printers.h"

#include <gtest/gtest.h>

namespace {

Clip clipAt(const QString &path)
{
    Clip clip;
    clip.id = QUuid::createUuid();
    clip.url = QUrl::fromLocalFile(path);
    clip.filename = clip.urlFileName();
    clip.duration = 1;
    return clip;
}

// Clips of one folder, named as given.
QList<Clip> folder(const QStringList &names, const QString &path = QStringLiteral("/shoot/A"))
{
    QList<Clip> clips;
    for (const QString &name : names)
        clips.append(clipAt(path + QLatin1Char('/') + name));
    return clips;
}

QSet<QUuid> ids(std::initializer_list<const Clip *> clips)
{
    QSet<QUuid> result;
    for (const Clip *clip : clips)
        result.insert(clip->id);
    return result;
}

void link(Clip &first, const Clip &previous, NumberingResetReview::Decision decision = NumberingResetReview::Decision::linked)
{
    first.numberingResetReview = NumberingResetReview{previous.id, decision};
}

} // namespace

TEST(MarkerTargets, TheClipBeforeAMarkerIsItsTarget)
{
    // Given out of order: the file numbers decide, not the list.
    const QList<Clip> clips = folder({QStringLiteral("C0011.MP4"), QStringLiteral("C0010.MP4")});
    const auto plan = MarkerDetector::markerTargets(ids({&clips[0]}), clips);
    EXPECT_EQ(plan, (QHash<QUuid, int>{{clips[1].id, 1}}));
    EXPECT_TRUE(MarkerDetector::markerTargets({}, clips).isEmpty());
}

TEST(MarkerTargets, BackToBackMarkersStackOnOneTake)
{
    const QList<Clip> clips = folder(
        {QStringLiteral("C0010.MP4"), QStringLiteral("C0011.MP4"), QStringLiteral("C0012.MP4"), QStringLiteral("C0013.MP4")});
    EXPECT_EQ(MarkerDetector::markerTargets(ids({&clips[1], &clips[2]}), clips), (QHash<QUuid, int>{{clips[0].id, 2}}));
    EXPECT_EQ(MarkerDetector::markerTargets(ids({&clips[1], &clips[2], &clips[3]}), clips), (QHash<QUuid, int>{{clips[0].id, 3}}));
    EXPECT_EQ(MarkerDetector::markerTargets(ids({&clips[1], &clips[3]}), clips), (QHash<QUuid, int>{{clips[0].id, 1}, {clips[2].id, 1}}));
}

TEST(MarkerTargets, GapsPrefixesAndDigitCounts)
{
    // C0012 is missing on disk: C0013 has no clip before it.
    const QList<Clip> gap = folder({QStringLiteral("C0010.MP4"), QStringLiteral("C0011.MP4"), QStringLiteral("C0013.MP4")});
    EXPECT_EQ(MarkerDetector::markerTargets(ids({&gap[1], &gap[2]}), gap), (QHash<QUuid, int>{{gap[0].id, 1}}));
    // The digit counts differ but the numbers follow each other.
    const QList<Clip> widths = folder({QStringLiteral("C9.MP4"), QStringLiteral("C10.MP4")});
    EXPECT_EQ(MarkerDetector::markerTargets(ids({&widths[1]}), widths), (QHash<QUuid, int>{{widths[0].id, 1}}));
    const QList<Clip> prefixes = folder({QStringLiteral("B0010.MP4"), QStringLiteral("A0011.MP4")});
    EXPECT_TRUE(MarkerDetector::markerTargets(ids({&prefixes[1]}), prefixes).isEmpty());
    // Another folder is another sequence.
    QList<Clip> split = folder({QStringLiteral("C0010.MP4")});
    split += folder({QStringLiteral("C0011.MP4")}, QStringLiteral("/shoot/B"));
    EXPECT_TRUE(MarkerDetector::markerTargets(ids({&split[1]}), split).isEmpty());
}

TEST(MarkerTargets, OfflineClipsTakeNoPart)
{
    QList<Clip> clips = folder({QStringLiteral("C0010.MP4"), QStringLiteral("C0011.MP4")});
    clips[0].isMissing = true;
    EXPECT_TRUE(MarkerDetector::markerTargets(ids({&clips[1]}), clips).isEmpty());
    clips[0].isMissing = false;
    clips[1].isMissing = true;
    EXPECT_TRUE(MarkerDetector::markerTargets(ids({&clips[1]}), clips).isEmpty());
}

TEST(MarkerTargets, ALinkedResetIsCrossed)
{
    QList<Clip> clips = folder(
        {QStringLiteral("C0120.MP4"), QStringLiteral("C0121.MP4"), QStringLiteral("C0001.MP4"), QStringLiteral("C0002.MP4")});
    const QSet<QUuid> marker = ids({&clips[2]});
    EXPECT_TRUE(MarkerDetector::markerTargets(marker, clips).isEmpty());
    link(clips[2], clips[1], NumberingResetReview::Decision::dismissed);
    EXPECT_TRUE(MarkerDetector::markerTargets(marker, clips).isEmpty());
    link(clips[2], clips[1]);
    EXPECT_EQ(MarkerDetector::markerTargets(marker, clips), (QHash<QUuid, int>{{clips[1].id, 1}}));
    // Two markers right after the restart stack across it.
    EXPECT_EQ(MarkerDetector::markerTargets(ids({&clips[2], &clips[3]}), clips), (QHash<QUuid, int>{{clips[1].id, 2}}));
    // A link to an offline clip, or to the clip itself, counts for nothing.
    clips[1].isMissing = true;
    EXPECT_TRUE(MarkerDetector::markerTargets(marker, clips).isEmpty());
    clips[1].isMissing = false;
    link(clips[2], clips[2]);
    EXPECT_TRUE(MarkerDetector::markerTargets(marker, clips).isEmpty());
}

TEST(MarkerTargets, ACycleOfLinkedReviewsEnds)
{
    QList<Clip> clips = folder({QStringLiteral("X1.MP4"), QStringLiteral("Y7.MP4")});
    link(clips[0], clips[1]);
    link(clips[1], clips[0]);
    EXPECT_TRUE(MarkerDetector::markerTargets(ids({&clips[0], &clips[1]}), clips).isEmpty());
}

TEST(MarkerTargets, TagNames)
{
    EXPECT_EQ(MarkerDetector::markerTagName(QStringLiteral("banger"), 0), QStringLiteral("banger"));
    EXPECT_EQ(MarkerDetector::markerTagName(QStringLiteral("banger"), 1), QStringLiteral("banger"));
    EXPECT_EQ(MarkerDetector::markerTagName(QStringLiteral("banger"), 2), QStringLiteral("bangerx2"));
    EXPECT_EQ(MarkerDetector::markerTagName(QStringLiteral("take"), 13), QStringLiteral("takex13"));
}
