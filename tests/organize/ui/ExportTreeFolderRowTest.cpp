#include "organize/ui/ExportTreeFolderRow.h"

#include <QAbstractButton>
#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>

namespace {

ExportFolder folderOf(const QString &name, int files)
{
    ExportFolder folder{name, {}};
    for (int i = 0; i < files; ++i)
        folder.files.append(
            {QStringLiteral("C%1.MOV").arg(i), i == 0 ? std::optional<QString>(QStringLiteral("also: B-roll")) : std::nullopt});
    return folder;
}

} // namespace

TEST(ExportTreeFolderRow, HeaderReadsTheFolderAndItsCountForAccessibility)
{
    EXPECT_EQ(ExportTreeFolderRow::accessibleHeaderName(QStringLiteral("5-star"), 3), QStringLiteral("5-star folder, 3 files"));
    EXPECT_EQ(ExportTreeFolderRow::accessibleHeaderName(QStringLiteral("B-roll"), 1), QStringLiteral("B-roll folder, 1 file"));
    EXPECT_EQ(ExportTreeFolderRow::accessibleHeaderName(QStringLiteral("Unrated"), 0), QStringLiteral("Unrated folder, 0 files"));

    ExportTreeFolderRow row(folderOf(QStringLiteral("5-star"), 3), {}, false, 4);
    EXPECT_EQ(row.header()->accessibleName(), QStringLiteral("5-star folder, 3 files"));
    EXPECT_EQ(row.header()->accessibleDescription(), QStringLiteral("collapsed"));
}

TEST(ExportTreeFolderRow, ShowsAtMostThePreviewLimitAndALineForTheRest)
{
    ExportTreeFolderRow exact(folderOf(QStringLiteral("A"), 4), {}, true, 4);
    EXPECT_EQ(exact.fileLines().size(), 4);
    EXPECT_EQ(exact.moreLine(), nullptr);

    ExportTreeFolderRow oneMore(folderOf(QStringLiteral("A"), 5), {}, true, 4);
    EXPECT_EQ(oneMore.fileLines().size(), 4);
    ASSERT_NE(oneMore.moreLine(), nullptr);
    EXPECT_EQ(oneMore.moreLine()->text(), QStringLiteral("and 1 more..."));
    EXPECT_EQ(ExportTreeFolderRow::moreText(3), QStringLiteral("and 3 more..."));
}

TEST(ExportTreeFolderRow, HeaderTogglesTheLinesAndStartsAsTheCreatorSays)
{
    ExportTreeFolderRow row(folderOf(QStringLiteral("A"), 2), {}, false, 4);
    row.resize(240, 100);
    row.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&row));
    EXPECT_FALSE(row.isExpanded());
    EXPECT_FALSE(row.fileLines().first()->isVisible());

    QTest::mouseClick(row.header(), Qt::LeftButton);
    EXPECT_TRUE(row.isExpanded());
    EXPECT_TRUE(row.header()->isChecked());
    EXPECT_EQ(row.header()->accessibleDescription(), QStringLiteral("expanded"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return row.fileLines().first()->isVisible(); }, 30000));

    QTest::mouseClick(row.header(), Qt::LeftButton);
    EXPECT_FALSE(row.isExpanded());
    // The lines leave once the 0.15 s collapse has run.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !row.fileLines().first()->isVisible(); }, 30000));
}

TEST(ExportTreeFolderRow, FileLinesOpenTheirClipOnlyWithAnOpenAction)
{
    QStringList opened;
    ExportTreeFolderRow openable(
        folderOf(QStringLiteral("A"), 2), [&](const QString &name) { opened.append(name); }, true, 4);
    openable.resize(240, 100);
    openable.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&openable));
    auto *second = qobject_cast<QAbstractButton *>(openable.fileLines().at(1));
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->accessibleName(), QStringLiteral("C1.MOV"));
    EXPECT_EQ(second->accessibleDescription(), QStringLiteral("Opens the clip"));
    QTest::mouseClick(second, Qt::LeftButton);
    EXPECT_EQ(opened, QStringList{QStringLiteral("C1.MOV")});

    ExportTreeFolderRow plain(folderOf(QStringLiteral("A"), 2), {}, true, 4);
    EXPECT_EQ(qobject_cast<QAbstractButton *>(plain.fileLines().at(0)), nullptr);
    // Without an open action a line is one element: name and annotation.
    EXPECT_EQ(plain.fileLines().at(0)->accessibleName(), QStringLiteral("C0.MOV (also: B-roll)"));
    EXPECT_EQ(plain.fileLines().at(1)->accessibleName(), QStringLiteral("C1.MOV"));
}
