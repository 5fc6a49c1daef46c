#include "library/model/FileName.h"
#include "library/model/FinderOrder.h"
#include "library/model/FolderOrganization.h"
#include "library/model/GroupMode.h"
#include "library/model/MarkerFlag.h"
#include "library/model/NumberingResetReview.h"
#include "library/model/SortOrder.h"
#include "library/model/StrictInteger.h"
#include "library/model/VideoExtensions.h"
#include "support/DefaultLocale.h"

#include <QSet>
#include <gtest/gtest.h>

TEST(MarkerFlagCoding, DecodesCurrentAndOlderSpellings)
{
    EXPECT_EQ(MarkerFlag::decode("marker"), MarkerFlag::marker());
    EXPECT_EQ(MarkerFlag::decode("good"), MarkerFlag::special(1));
    EXPECT_EQ(MarkerFlag::decode("special"), MarkerFlag::special(1));
    EXPECT_EQ(MarkerFlag::decode("verySpecial"), MarkerFlag::special(2));
    EXPECT_EQ(MarkerFlag::decode("special:3"), MarkerFlag::special(3));
    EXPECT_EQ(MarkerFlag::decode("special:+3"), MarkerFlag::special(3));
    EXPECT_EQ(MarkerFlag::decode("special:0")->hands(), 1);
    EXPECT_EQ(MarkerFlag::decode("special:-4")->hands(), 1);
    // One hand is always written in the counted form.
    EXPECT_EQ(MarkerFlag::decode("good")->encoded(), QStringLiteral("special:1"));
    EXPECT_EQ(MarkerFlag::marker().encoded(), QStringLiteral("marker"));
}

TEST(MarkerFlagCoding, RejectsAnythingElseQuotingTheWholeText)
{
    for (const QString &text : {QStringLiteral("special:"), QStringLiteral("special: 3"), QStringLiteral("special:3a"),
                                QStringLiteral("Marker"), QStringLiteral("special:99999999999999999999")}) {
        QString error;
        EXPECT_FALSE(MarkerFlag::decode(text, &error).has_value()) << text.toStdString();
        EXPECT_EQ(error, QStringLiteral("Unknown MarkerFlag value '") + text + QLatin1Char('\''));
    }
}

TEST(MarkerFlagCoding, EqualityAndHashing)
{
    EXPECT_EQ(MarkerFlag::special(2), MarkerFlag::special(2));
    EXPECT_NE(MarkerFlag::special(2), MarkerFlag::special(3));
    EXPECT_NE(MarkerFlag::special(1), MarkerFlag::marker());
    EXPECT_EQ(qHash(MarkerFlag::special(2)), qHash(MarkerFlag::special(2)));
    const QSet<MarkerFlag> flags{MarkerFlag::marker(), MarkerFlag::marker(), MarkerFlag::special(1)};
    EXPECT_EQ(flags.size(), 2);
}

TEST(RawValueEnums, ComeOnlyFromTheirExactTexts)
{
    EXPECT_EQ(groupModeFromRaw("No Grouping"), GroupMode::none);
    EXPECT_FALSE(groupModeFromRaw("None").has_value());
    EXPECT_FALSE(groupModeFromRaw("no grouping").has_value());
    EXPECT_EQ(groupModeFromRaw("By Tag"), GroupMode::category);
    EXPECT_EQ(sortOrderFromRaw("Duration"), SortOrder::duration);
    EXPECT_FALSE(sortOrderFromRaw("name").has_value());
    EXPECT_EQ(folderOrganizationFromRaw("By Rating"), FolderOrganization::byRating);
    EXPECT_FALSE(folderOrganizationFromRaw("By rating").has_value());
    EXPECT_EQ(NumberingResetReview::decisionFromRaw("linked"), NumberingResetReview::Decision::linked);
    EXPECT_FALSE(NumberingResetReview::decisionFromRaw("Linked").has_value());
    EXPECT_EQ(allSortOrders(), (QList<SortOrder>{SortOrder::name, SortOrder::duration, SortOrder::rating}));
    EXPECT_EQ(allGroupModes(), (QList<GroupMode>{GroupMode::none, GroupMode::rating, GroupMode::category}));
}

// Every value reads back from the text the session file holds for it; the
// texts are those files already hold.
TEST(RawValueEnums, EveryValueReadsBackFromTheTextItIsWrittenAs)
{
    using Decision = NumberingResetReview::Decision;
    for (const FolderOrganization organization : allFolderOrganizations())
        EXPECT_EQ(folderOrganizationFromRaw(rawValue(organization)), organization);
    for (const Decision decision : {Decision::dismissed, Decision::linked})
        EXPECT_EQ(NumberingResetReview::decisionFromRaw(NumberingResetReview::rawValue(decision)), decision);
    EXPECT_EQ(folderOrganizationFromRaw("By Tag"), FolderOrganization::byTag);
    EXPECT_EQ(NumberingResetReview::decisionFromRaw("dismissed"), Decision::dismissed);
}

TEST(VideoExtensionSet, HoldsLowerCaseExtensionsAndCallersLowerCase)
{
    EXPECT_EQ(supportedVideoExtensions().size(), 7);
    EXPECT_FALSE(supportedVideoExtensions().contains("MOV"));
    EXPECT_TRUE(hasSupportedVideoExtension("/footage/A001.MOV"));
    EXPECT_TRUE(hasSupportedVideoExtension("clip.mts"));
    EXPECT_FALSE(hasSupportedVideoExtension("/footage/.mov"));
    EXPECT_FALSE(hasSupportedVideoExtension("notes.txt"));
}

TEST(FileNameRule, ExtensionIsAfterTheLastDotThatIsNeitherFirstNorLast)
{
    EXPECT_EQ(FileName::extension("A001.mov"), QStringLiteral("mov"));
    EXPECT_EQ(FileName::extension("archive.tar.gz"), QStringLiteral("gz"));
    EXPECT_EQ(FileName::extension(".hidden"), QString());
    EXPECT_EQ(FileName::extension("take."), QString());
    EXPECT_EQ(FileName::extension("/a.b/file"), QString());
    EXPECT_EQ(FileName::withoutExtension("A001.mov"), QStringLiteral("A001"));
    EXPECT_EQ(FileName::withoutExtension(".hidden"), QStringLiteral(".hidden"));
    EXPECT_EQ(FileName::withoutExtension("/x/archive.tar.gz"), QStringLiteral("/x/archive.tar"));
    EXPECT_EQ(FileName::lastComponent("/footage/day1/"), QStringLiteral("day1"));
    EXPECT_TRUE(FileName::isSinglePathComponent("A001.mov"));
    EXPECT_TRUE(FileName::isSinglePathComponent("..."));
    EXPECT_FALSE(FileName::isSinglePathComponent(""));
    EXPECT_FALSE(FileName::isSinglePathComponent("."));
    EXPECT_FALSE(FileName::isSinglePathComponent(".."));
    EXPECT_FALSE(FileName::isSinglePathComponent("../A001.mov"));
    EXPECT_FALSE(FileName::isSinglePathComponent(QStringLiteral("A") + QChar(u'\0')));
}

// Also under the C locale (LANG=C.UTF-8), whose own collation compares code points.
const QList<QLocale> kNameOrderLocales{QLocale::c(), QLocale(QLocale::English, QLocale::UnitedStates),
                                       QLocale(QLocale::German, QLocale::Germany)};

TEST(FinderNameOrder, ComparesDigitRunsByValueAndIgnoresCase)
{
    for (const QLocale &locale : kNameOrderLocales) {
        SCOPED_TRACE(locale.name().toStdString());
        const DefaultLocale scoped(locale);
        EXPECT_TRUE(FinderOrder::lessThan("clip2.mov", "clip10.mov"));
        EXPECT_FALSE(FinderOrder::lessThan("clip10.mov", "clip2.mov"));
        EXPECT_TRUE(FinderOrder::lessThan("clip1.mov", "Clip2.mov"));
        EXPECT_TRUE(FinderOrder::lessThan("Clip2.mov", "clip10.mov"));
        EXPECT_TRUE(FinderOrder::lessThan("a.mov", "B.mov"));
        EXPECT_EQ(FinderOrder::compare("A001.MOV", "a001.mov"), 0);
    }
}

TEST(StrictIntegers, AcceptOnlySignAndDigits)
{
    EXPECT_EQ(parseStrictInt64("42"), 42);
    EXPECT_EQ(parseStrictInt64("-7"), -7);
    EXPECT_EQ(parseStrictInt64("+7"), 7);
    EXPECT_FALSE(parseStrictInt64(" 7").has_value());
    EXPECT_FALSE(parseStrictInt64("7 ").has_value());
    EXPECT_FALSE(parseStrictInt64("+").has_value());
    EXPECT_FALSE(parseStrictInt64("").has_value());
    EXPECT_FALSE(parseStrictInt64(QStringLiteral("\u0663")).has_value()); // Arabic-Indic digit
    EXPECT_EQ(parseStrictInt64("9223372036854775807"), std::numeric_limits<qint64>::max());
    EXPECT_FALSE(parseStrictInt64("9223372036854775808").has_value());
}

TEST(FinderNameOrder, SortKeysAgreeWithComparison)
{
    const QStringList names{"clip10.mov", "Clip2.mov", "clip1.mov", "A001.MOV", "a001.mov", "b", "B.mov", "a.mov"};
    for (const QLocale &locale : kNameOrderLocales) {
        SCOPED_TRACE(locale.name().toStdString());
        const DefaultLocale scoped(locale);
        for (const QString &a : names) {
            for (const QString &b : names) {
                const int byKey = FinderOrder::sortKey(a).compare(FinderOrder::sortKey(b));
                EXPECT_EQ(byKey < 0, FinderOrder::compare(a, b) < 0) << a.toStdString() << " " << b.toStdString();
                EXPECT_EQ(byKey == 0, FinderOrder::compare(a, b) == 0) << a.toStdString() << " " << b.toStdString();
            }
        }
    }
}
