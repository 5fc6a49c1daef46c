#include "organize/FolderPlan.h"

#include "Printers.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

Clip clip(const QString &filename, qint64 rating, const QStringList &tags = {})
{
    Clip c;
    c.id = QUuid::createUuid();
    c.filename = filename;
    c.url = QUrl::fromLocalFile(QStringLiteral("/footage/") + filename);
    c.rating = rating;
    c.tags = tags;
    return c;
}

ExportFileEntry entry(const QString &filename, std::optional<QString> annotation = std::nullopt)
{
    return ExportFileEntry{filename, annotation};
}

QStringList folderNames(const QList<ExportFolder> &folders)
{
    QStringList names;
    for (const ExportFolder &folder : folders)
        names.append(folder.name);
    return names;
}

const QString refusal = QStringLiteral("Enter a folder name without slashes or colons.");

void touch(const QString &path)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
}

} // namespace

TEST(FolderPlan, FolderNamesByRatingAndByTag)
{
    const QStringList expected{QStringLiteral("Unrated"), QStringLiteral("1-star"), QStringLiteral("2-star"),
                               QStringLiteral("3-star"),  QStringLiteral("4-star"), QStringLiteral("5-star")};
    for (int rating = 0; rating <= 5; ++rating)
        EXPECT_EQ(FolderPlan::ratingFolderName(rating), expected[rating]);
    EXPECT_EQ(FolderPlan::ratingFolderName(6), QStringLiteral("Unrated"));
    EXPECT_EQ(FolderPlan::ratingFolderName(-1), QStringLiteral("Unrated"));

    const Clip tagged = clip(QStringLiteral("a.mov"), 4, {QStringLiteral(" Interview "), QStringLiteral("B-roll")});
    EXPECT_EQ(FolderPlan::plannedFolderName(tagged, FolderOrganization::byRating), QStringLiteral("4-star"));
    EXPECT_EQ(FolderPlan::plannedFolderName(tagged, FolderOrganization::byTag), QStringLiteral(" Interview ")); // as stored, not trimmed
    EXPECT_EQ(FolderPlan::plannedFolderName(clip(QStringLiteral("b.mov"), 2), FolderOrganization::byTag), QStringLiteral("2-star"));
    EXPECT_EQ(FolderPlan::plannedFolderName(clip(QStringLiteral("c.mov"), 9), FolderOrganization::byTag), QStringLiteral("Unrated"));
}

TEST(FolderPlan, RatingPlanRunsFromFiveStarsDownWithEntriesInFinderOrder)
{
    const QList<Clip> clips{clip(QStringLiteral("clip10.mov"), 3), clip(QStringLiteral("x.mov"), 0), clip(QStringLiteral("Clip2.mov"), 3),
                            clip(QStringLiteral("best.mov"), 5, {QStringLiteral("A")}), clip(QStringLiteral("clip1.mov"), 3)};
    const QList<ExportFolder> plan = FolderPlan::ratingFolderPlan(clips);
    const QList<ExportFolder> expected{
        {QStringLiteral("5-star"), {entry(QStringLiteral("best.mov"))}},
        {QStringLiteral("3-star"),
         {entry(QStringLiteral("clip1.mov")), entry(QStringLiteral("Clip2.mov")), entry(QStringLiteral("clip10.mov"))}},
        {QStringLiteral("Unrated"), {entry(QStringLiteral("x.mov"))}},
    };
    EXPECT_EQ(plan, expected);
    EXPECT_TRUE(FolderPlan::ratingFolderPlan({}).isEmpty());
}

TEST(FolderPlan, RatingOutsideTheScaleIsPlannedWhereTheRunMovesIt)
{
    // A session file may hold any rating; the run moves such a clip into
    // "Unrated", so the preview must show it there rather than leave it out.
    const QList<Clip> clips{clip(QStringLiteral("b.mov"), 7), clip(QStringLiteral("a.mov"), 0), clip(QStringLiteral("c.mov"), -2)};
    const QList<ExportFolder> expected{
        {QStringLiteral("Unrated"), {entry(QStringLiteral("a.mov")), entry(QStringLiteral("b.mov")), entry(QStringLiteral("c.mov"))}}};
    EXPECT_EQ(FolderPlan::ratingFolderPlan(clips), expected);
    EXPECT_EQ(FolderPlan::tagFolderPlan(clips), expected);
}

TEST(FolderPlan, TagPlanKeepsFirstAppearanceOrderAndAnnotatesOtherTags)
{
    const QList<Clip> clips{clip(QStringLiteral("one.mov"), 0, {QStringLiteral("B"), QStringLiteral("A")}),
                            clip(QStringLiteral("two.mov"), 5, {QStringLiteral("A")}), clip(QStringLiteral("three.mov"), 2),
                            clip(QStringLiteral("four.mov"), 0)};
    const QList<ExportFolder> expected{
        {QStringLiteral("B"), {entry(QStringLiteral("one.mov"), QStringLiteral("also: A"))}},
        {QStringLiteral("A"), {entry(QStringLiteral("two.mov"))}},
        {QStringLiteral("2-star"), {entry(QStringLiteral("three.mov"))}},
        {QStringLiteral("Unrated"), {entry(QStringLiteral("four.mov"))}},
    };
    EXPECT_EQ(FolderPlan::tagFolderPlan(clips), expected);
}

TEST(FolderPlan, TagPlanSortsEachFolderAndListsRemainingTagsInStoredOrder)
{
    const QList<Clip> clips{clip(QStringLiteral("clip10.mov"), 0, {QStringLiteral("A"), QStringLiteral("C"), QStringLiteral("B")}),
                            clip(QStringLiteral("Clip2.mov"), 1, {QStringLiteral("A")}),
                            clip(QStringLiteral("clip1.mov"), 0, {QStringLiteral("A"), QStringLiteral("B")}),
                            clip(QStringLiteral("s.mov"), 5), clip(QStringLiteral("r.mov"), 5),
                            // A tag named like a rating folder is a folder of its own beside the rating folder.
                            clip(QStringLiteral("t.mov"), 0, {QStringLiteral("5-star")})};
    const QList<ExportFolder> plan = FolderPlan::tagFolderPlan(clips);
    EXPECT_EQ(folderNames(plan), (QStringList{QStringLiteral("A"), QStringLiteral("5-star"), QStringLiteral("5-star")}));
    ASSERT_EQ(plan.size(), 3);
    EXPECT_EQ(plan[0].files,
              (QList<ExportFileEntry>{entry(QStringLiteral("clip1.mov"), QStringLiteral("also: B")), entry(QStringLiteral("Clip2.mov")),
                                      entry(QStringLiteral("clip10.mov"), QStringLiteral("also: C, B"))}));
    EXPECT_EQ(plan[1].files, (QList<ExportFileEntry>{entry(QStringLiteral("t.mov"))}));
    EXPECT_EQ(plan[2].files, (QList<ExportFileEntry>{entry(QStringLiteral("r.mov")), entry(QStringLiteral("s.mov"))}));
    EXPECT_EQ(FolderPlan::folderPlan(clips, FolderOrganization::byRating), FolderPlan::ratingFolderPlan(clips));
}

TEST(FolderPlan, FinderOrderSortIsStableForEqualNames)
{
    // Names that compare equal keep the order the clips came in.
    Clip first = clip(QStringLiteral("take.mov"), 3);
    Clip second = clip(QStringLiteral("TAKE.mov"), 3);
    const QList<ExportFolder> plan = FolderPlan::ratingFolderPlan({clip(QStringLiteral("z.mov"), 3), first, second});
    ASSERT_EQ(plan.size(), 1);
    EXPECT_EQ(plan[0].files, (QList<ExportFileEntry>{entry(QStringLiteral("take.mov")), entry(QStringLiteral("TAKE.mov")),
                                                     entry(QStringLiteral("z.mov"))}));
}

TEST(FolderPlan, NewFolderNameTest)
{
    EXPECT_FALSE(FolderPlan::validateFolderName(std::nullopt));
    EXPECT_FALSE(FolderPlan::validateFolderName(QStringLiteral("Rushes")));
    EXPECT_FALSE(FolderPlan::validateFolderName(QStringLiteral("  Day 2 selects  ")));
    EXPECT_FALSE(FolderPlan::validateFolderName(QStringLiteral("...")));
    for (const QString &bad : {QString(), QStringLiteral("   "), QStringLiteral("\n\t"), QStringLiteral("."), QStringLiteral(" .. "),
                               QStringLiteral("a/b"), QStringLiteral("a:b"), QStringLiteral("a\\b"), QStringLiteral("a\tb"),
                               QStringLiteral("a") + QChar(0x200B) + QStringLiteral("b"), QStringLiteral("a") + QChar(0x7F)})
        EXPECT_EQ(FolderPlan::validateFolderName(bad), refusal) << bad.toStdString();
}

TEST(FolderPlan, PlannedFolderNameTestLooksAtTheNameAsStored)
{
    EXPECT_TRUE(FolderPlan::isUsableFolderName(QStringLiteral("Interview")));
    EXPECT_TRUE(FolderPlan::isUsableFolderName(QStringLiteral(" Interview ")));
    EXPECT_TRUE(FolderPlan::isUsableFolderName(QStringLiteral(" .. "))); // not exactly ".." as stored
    EXPECT_TRUE(FolderPlan::isUsableFolderName(FolderPlan::ratingFolderName(0)));
    for (const QString &bad : {QString(), QStringLiteral("  "), QStringLiteral("."), QStringLiteral(".."), QStringLiteral("a/b"),
                               QStringLiteral("a:b"), QStringLiteral("a\\b"), QStringLiteral("a\nb"), QStringLiteral(" x\n")})
        EXPECT_FALSE(FolderPlan::isUsableFolderName(bad)) << bad.toStdString();
}

TEST(FolderPlan, ExportFolderTakesTheFirstFreeNumberedName)
{
    QTemporaryDir destination;
    ASSERT_TRUE(destination.isValid());
    const QUrl destinationURL = QUrl::fromLocalFile(destination.path());
    const QDir dir(destination.path());

    EXPECT_EQ(FolderPlan::exportFolderURL(destinationURL, std::nullopt), destinationURL);
    EXPECT_EQ(FolderPlan::exportFolderURL(destinationURL, QStringLiteral(" Rushes ")),
              QUrl::fromLocalFile(dir.filePath(QStringLiteral("Rushes")) + QLatin1Char('/')));

    ASSERT_TRUE(dir.mkdir(QStringLiteral("Rushes")));
    ASSERT_TRUE(dir.mkdir(QStringLiteral("Rushes 1")));
    EXPECT_EQ(FolderPlan::exportFolderURL(destinationURL, QStringLiteral("Rushes")),
              QUrl::fromLocalFile(dir.filePath(QStringLiteral("Rushes 2")) + QLatin1Char('/')));
    // A trailing slash on the destination changes nothing.
    EXPECT_EQ(FolderPlan::exportFolderURL(QUrl::fromLocalFile(destination.path() + QLatin1Char('/')), QStringLiteral("Rushes")),
              QUrl::fromLocalFile(dir.filePath(QStringLiteral("Rushes 2")) + QLatin1Char('/')));

    // Any entry takes the name: a plain file, and a symbolic link to nothing.
    touch(dir.filePath(QStringLiteral("Rushes 2")));
    ASSERT_TRUE(QFile::link(dir.filePath(QStringLiteral("nowhere")), dir.filePath(QStringLiteral("Rushes 3"))));
    EXPECT_EQ(FolderPlan::exportFolderURL(destinationURL, QStringLiteral("Rushes")),
              QUrl::fromLocalFile(dir.filePath(QStringLiteral("Rushes 4")) + QLatin1Char('/')));

    // Names that could leave the destination give no folder at all.
    for (const QString &bad : {QStringLiteral("../elsewhere"), QStringLiteral(".."), QStringLiteral("a:b"), QStringLiteral(" ")})
        EXPECT_TRUE(FolderPlan::exportFolderURL(destinationURL, bad).isEmpty()) << bad.toStdString();
    EXPECT_TRUE(FolderPlan::exportFolderURL(QUrl(), QStringLiteral("Rushes")).isEmpty());
    EXPECT_TRUE(dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System).size() == 4); // nothing was created
}

TEST(FolderPlan, ManifestTakesTheFirstFreeNumberedName)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QDir dir(folder.path());
    const QUrl folderURL = QUrl::fromLocalFile(folder.path() + QLatin1Char('/'));

    EXPECT_EQ(FolderPlan::manifestURL(folderURL), QUrl::fromLocalFile(dir.filePath(QStringLiteral("triagon-manifest.json"))));
    touch(dir.filePath(QStringLiteral("triagon-manifest.json")));
    EXPECT_EQ(FolderPlan::manifestURL(folderURL), QUrl::fromLocalFile(dir.filePath(QStringLiteral("triagon-manifest-1.json"))));
    touch(dir.filePath(QStringLiteral("triagon-manifest-1.json")));
    ASSERT_TRUE(dir.mkdir(QStringLiteral("triagon-manifest-2.json")));
    EXPECT_EQ(FolderPlan::manifestURL(QUrl::fromLocalFile(folder.path())),
              QUrl::fromLocalFile(dir.filePath(QStringLiteral("triagon-manifest-3.json"))));
}
