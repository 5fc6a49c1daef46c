#include "app/widgets/ElidedLabel.h"

#include <QAccessible>
#include <QHBoxLayout>
#include <QTest>
#include <gtest/gtest.h>

namespace {

const QString longName = QStringLiteral("A_very_long_clip_name_from_the_second_camera_take_0042_final.mov");

} // namespace

TEST(ElidedLabel, TheFullTextStaysTheTextAndTheAccessibleName)
{
    ElidedLabel label(longName, Qt::ElideMiddle);
    label.resize(120, 20);
    EXPECT_EQ(label.text(), longName);
    EXPECT_EQ(label.accessibleName(), longName);
    EXPECT_EQ(label.textFormat(), Qt::PlainText);
    EXPECT_FALSE(label.wordWrap());

    label.setText(QStringLiteral("short.mov"));
    EXPECT_EQ(label.text(), QStringLiteral("short.mov"));
    EXPECT_EQ(label.accessibleName(), QStringLiteral("short.mov"));
    label.setText(QString());
    EXPECT_TRUE(label.accessibleName().isEmpty());

    // What a screen reader hears is the full name, however narrow the label.
    label.setText(longName);
    label.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&label));
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(&label);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->text(QAccessible::Name), longName);
}

TEST(ElidedLabel, PaintsTheTextShortenedWhereItsModeSays)
{
    ElidedLabel middle(longName, Qt::ElideMiddle);
    ElidedLabel left(longName, Qt::ElideLeft);
    ElidedLabel right(Qt::ElideRight);
    right.setText(longName);
    for (ElidedLabel *label : {&middle, &left, &right})
        label->resize(150, 20);

    const QString ellipsis = QStringLiteral("\u2026");
    EXPECT_TRUE(middle.shownText().contains(ellipsis));
    EXPECT_FALSE(middle.shownText().startsWith(ellipsis));
    EXPECT_FALSE(middle.shownText().endsWith(ellipsis));
    EXPECT_TRUE(middle.shownText().endsWith(QStringLiteral(".mov")));
    EXPECT_TRUE(left.shownText().startsWith(ellipsis));
    EXPECT_TRUE(left.shownText().endsWith(QStringLiteral("final.mov")));
    EXPECT_TRUE(right.shownText().endsWith(ellipsis));
    EXPECT_TRUE(right.shownText().startsWith(QStringLiteral("A_very")));
    for (ElidedLabel *label : {&middle, &left, &right})
        EXPECT_LE(label->fontMetrics().horizontalAdvance(label->shownText()), label->contentsRect().width());

    // Wide enough: shown whole; the mode can change afterwards.
    middle.resize(middle.sizeHint().width(), 20);
    EXPECT_EQ(middle.shownText(), longName);
    middle.resize(150, 20);
    middle.setElideMode(Qt::ElideRight);
    EXPECT_EQ(middle.elideMode(), Qt::ElideRight);
    EXPECT_TRUE(middle.shownText().endsWith(ellipsis));
}

TEST(ElidedLabel, GivesWayInALayoutInsteadOfGrowing)
{
    QWidget row;
    auto *layout = new QHBoxLayout(&row);
    auto *label = new ElidedLabel(longName, Qt::ElideMiddle, &row);
    layout->addWidget(label, 1);
    row.resize(140, 30);
    row.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&row));
    EXPECT_LE(label->width(), 140);
    EXPECT_LT(label->minimumSizeHint().width(), label->fontMetrics().horizontalAdvance(longName));
    EXPECT_GE(label->sizeHint().width(), label->fontMetrics().horizontalAdvance(longName));
    EXPECT_NE(label->shownText(), longName);
    EXPECT_EQ(label->text(), longName);
}
