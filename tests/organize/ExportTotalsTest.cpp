#include "library/model/ExportScope.h"
#include "library/model/ExportTotals.h"

#include "Printers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

Clip clipWith(double duration, qint64 fileSize)
{
    Clip clip;
    clip.id = QUuid::createUuid();
    clip.duration = duration;
    clip.fileSize = fileSize;
    return clip;
}

ExportTotals durationOnly(double seconds, int unknown = 0)
{
    ExportTotals totals;
    totals.clipCount = 1 + unknown;
    totals.duration = seconds;
    totals.unknownDurationCount = unknown;
    return totals;
}

ExportTotals bytesOnly(qint64 bytes)
{
    ExportTotals totals;
    totals.clipCount = 1;
    totals.bytes = bytes;
    return totals;
}

const QString atLeast = QString(QChar(0x2265)) + QLatin1Char(' ');

} // namespace

TEST(ExportScope, RawValuesRoundTripAndOnlyTheFourTextsParse)
{
    const QStringList expected{QStringLiteral("Shortlisted clips"), QStringLiteral("Current filtered view"),
                               QStringLiteral("Selected clips"), QStringLiteral("All clips")};
    QStringList raw;
    for (ExportScope scope : allExportScopes()) {
        raw.append(rawValue(scope));
        EXPECT_EQ(exportScopeFromRaw(rawValue(scope)), scope);
    }
    EXPECT_EQ(raw, expected);
    EXPECT_FALSE(exportScopeFromRaw(QStringLiteral("all clips")));
    EXPECT_FALSE(exportScopeFromRaw(QStringLiteral("All clips ")));
    EXPECT_FALSE(exportScopeFromRaw(QString()));
    EXPECT_EQ(qHash(ExportScope::selected, 7), qHash(QStringLiteral("Selected clips"), 7));
}

TEST(ExportTotals, CountsKnownValuesAndUnknownOnes)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const QList<Clip> clips{clipWith(30, 1000), clipWith(0, 0),   clipWith(-4, -1),
                            clipWith(nan, 500), clipWith(inf, 0), clipWith(12.5, 2000)};
    const ExportTotals totals = exportTotals(clips);
    EXPECT_EQ(totals.clipCount, 6);
    EXPECT_DOUBLE_EQ(totals.duration, 42.5);
    EXPECT_EQ(totals.unknownDurationCount, 4);
    EXPECT_EQ(totals.bytes, 3500);
    EXPECT_EQ(totals.unknownSizeCount, 3);

    const ExportTotals none = exportTotals({});
    EXPECT_EQ(none.clipCount, 0);
    EXPECT_EQ(none.duration, 0);
    EXPECT_EQ(none.bytes, 0);
    EXPECT_EQ(none.unknownDurationCount, 0);
    EXPECT_EQ(none.unknownSizeCount, 0);
    EXPECT_EQ(none.durationText(), QStringLiteral("0 sec"));
}

TEST(ExportTotals, ByteSumSaturatesInsteadOfOverflowing)
{
    const qint64 max = std::numeric_limits<qint64>::max();
    const ExportTotals totals = exportTotals({clipWith(1, max - 10), clipWith(1, 100), clipWith(1, max)});
    EXPECT_EQ(totals.bytes, max);
    EXPECT_FALSE(totals.sizeText().isEmpty());
}

TEST(ExportTotals, DurationTexts)
{
    EXPECT_EQ(durationOnly(0).durationText(), QStringLiteral("0 sec"));
    EXPECT_EQ(durationOnly(0.49).durationText(), QStringLiteral("0 sec"));
    EXPECT_EQ(durationOnly(0.5).durationText(), QStringLiteral("1 sec"));
    EXPECT_EQ(durationOnly(59.4).durationText(), QStringLiteral("59 sec"));
    EXPECT_EQ(durationOnly(59.5).durationText(), QStringLiteral("1 min 0 sec"));
    EXPECT_EQ(durationOnly(727).durationText(), QStringLiteral("12 min 7 sec"));
    EXPECT_EQ(durationOnly(3599.4).durationText(), QStringLiteral("59 min 59 sec"));
    EXPECT_EQ(durationOnly(3599.5).durationText(), QStringLiteral("1 hr 0 min"));
    EXPECT_EQ(durationOnly(3600).durationText(), QStringLiteral("1 hr 0 min"));
    EXPECT_EQ(durationOnly(7325).durationText(), QStringLiteral("2 hr 2 min"));
    EXPECT_EQ(durationOnly(360000).durationText(), QStringLiteral("100 hr 0 min"));
    // Values no sum of real clips reaches still give a text, never an undefined conversion.
    EXPECT_EQ(durationOnly(std::numeric_limits<double>::infinity()).durationText(), QStringLiteral("1281023894007607 hr 45 min"));
    EXPECT_EQ(durationOnly(1e300).durationText(), QStringLiteral("1281023894007607 hr 45 min"));
    EXPECT_EQ(durationOnly(std::numeric_limits<double>::quiet_NaN()).durationText(), QStringLiteral("0 sec"));
}

TEST(ExportTotals, UnknownDurationsGivePrefixOrUnknown)
{
    const ExportTotals partly = exportTotals({clipWith(30, 1), clipWith(0, 1)});
    EXPECT_EQ(partly.durationText(), atLeast + QStringLiteral("30 sec"));
    EXPECT_EQ(durationOnly(7325, 2).durationText(), atLeast + QStringLiteral("2 hr 2 min"));

    const ExportTotals allUnknown = exportTotals({clipWith(0, 1), clipWith(std::nan(""), 1)});
    EXPECT_EQ(allUnknown.durationText(), QStringLiteral("Unknown"));
}

TEST(ExportTotals, SizeTextsInDecimalUnits)
{
    EXPECT_EQ(bytesOnly(0).sizeText(), QStringLiteral("0 bytes"));
    EXPECT_EQ(bytesOnly(1).sizeText(), QStringLiteral("1 byte"));
    EXPECT_EQ(bytesOnly(999).sizeText(), QStringLiteral("999 bytes"));
    EXPECT_EQ(bytesOnly(1000).sizeText(), QStringLiteral("1.0 kB"));
    EXPECT_EQ(bytesOnly(12'340'000).sizeText(), QStringLiteral("12.3 MB"));
    EXPECT_EQ(bytesOnly(1'500'000'000).sizeText(), QStringLiteral("1.5 GB"));
    EXPECT_EQ(bytesOnly(2'000'000'000'000).sizeText(), QStringLiteral("2.0 TB"));
}

TEST(ExportTotals, UnknownSizesGivePrefixOrUnknown)
{
    EXPECT_EQ(exportTotals({clipWith(1, 0), clipWith(1, 0)}).sizeText(), QStringLiteral("Unknown"));
    EXPECT_EQ(exportTotals({clipWith(1, 1'500'000'000), clipWith(1, 0)}).sizeText(), atLeast + QStringLiteral("1.5 GB"));
    EXPECT_EQ(exportTotals({}).sizeText(), QStringLiteral("0 bytes"));
}
