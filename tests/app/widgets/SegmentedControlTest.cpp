#include "app/widgets/SegmentedControl.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

const QStringList titles{QStringLiteral("System"), QStringLiteral("Light"), QStringLiteral("Dark")};

} // namespace

TEST(SegmentedControl, ChoosingFromCodeSendsNothingAndMayChooseNone)
{
    SegmentedControl control(titles);
    QSignalSpy activated(&control, &SegmentedControl::activated);
    QSignalSpy changed(&control, &SegmentedControl::currentIndexChanged);
    ASSERT_EQ(control.count(), 3);
    ASSERT_EQ(control.segments().size(), 3);
    EXPECT_EQ(control.segment(1), control.segments()[1]);
    EXPECT_EQ(control.segment(3), nullptr);
    EXPECT_EQ(control.segment(-1), nullptr);
    EXPECT_EQ(control.currentIndex(), -1);

    control.setCurrentIndex(2);
    EXPECT_EQ(control.currentIndex(), 2);
    EXPECT_TRUE(control.segment(2)->isChecked());
    control.setCurrentIndex(-1);
    EXPECT_EQ(control.currentIndex(), -1);
    for (QAbstractButton *segment : control.segments())
        EXPECT_FALSE(segment->isChecked());
    control.setCurrentIndex(7);
    EXPECT_EQ(control.currentIndex(), -1);
    control.setCurrentIndex(0);
    EXPECT_EQ(activated.count(), 0);
    EXPECT_EQ(changed.count(), 0);
}

TEST(SegmentedControl, AClickSendsActivatedAlwaysAndChangedOnlyWhenTheChoiceMoves)
{
    SegmentedControl control(titles);
    control.setCurrentIndex(0);
    control.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&control));
    QSignalSpy activated(&control, &SegmentedControl::activated);
    QSignalSpy changed(&control, &SegmentedControl::currentIndexChanged);

    QTest::mouseClick(control.segment(2), Qt::LeftButton);
    EXPECT_EQ(control.currentIndex(), 2);
    ASSERT_EQ(activated.count(), 1);
    EXPECT_EQ(activated[0][0].toInt(), 2);
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed[0][0].toInt(), 2);

    // The segment already chosen: activated (the settings store it again), no change.
    control.segment(2)->click();
    EXPECT_EQ(activated.count(), 2);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_TRUE(control.segment(2)->isChecked());
}

TEST(SegmentedControl, ArrowKeysMoveTheChoiceAndTabStopsOnceAtTheChosenSegment)
{
    QWidget window;
    auto *layout = new QHBoxLayout(&window);
    auto *before = new QLineEdit(&window);
    auto *control = new SegmentedControl(titles, &window);
    auto *after = new QLineEdit(&window);
    layout->addWidget(before);
    layout->addWidget(control);
    layout->addWidget(after);
    control->setCurrentIndex(1);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QSignalSpy activated(control, &SegmentedControl::activated);
    QSignalSpy changed(control, &SegmentedControl::currentIndexChanged);

    before->setFocus();
    QTest::keyClick(before, Qt::Key_Tab);
    EXPECT_TRUE(control->segment(1)->hasFocus());

    QTest::keyClick(control->segment(1), Qt::Key_Right);
    EXPECT_EQ(control->currentIndex(), 2);
    EXPECT_TRUE(control->segment(2)->hasFocus());
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed[0][0].toInt(), 2);
    // At the end the choice stays, though the key still counts as a choice.
    QTest::keyClick(control->segment(2), Qt::Key_Right);
    EXPECT_EQ(control->currentIndex(), 2);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(activated.count(), 2);
    QTest::keyClick(control->segment(2), Qt::Key_Left);
    QTest::keyClick(control->segment(1), Qt::Key_Left);
    EXPECT_EQ(control->currentIndex(), 0);
    EXPECT_TRUE(control->segment(0)->hasFocus());
    EXPECT_EQ(changed.count(), 3);

    // One Tab leaves the row.
    QTest::keyClick(control->segment(0), Qt::Key_Tab);
    EXPECT_TRUE(after->hasFocus());
    QTest::keyClick(after, Qt::Key_Backtab);
    EXPECT_TRUE(control->segment(0)->hasFocus());

    // Space on the focused segment chooses it like a click.
    control->setCurrentIndex(2);
    control->segment(0)->setFocus();
    QTest::keyClick(control->segment(0), Qt::Key_Space);
    EXPECT_EQ(control->currentIndex(), 0);
}

TEST(SegmentedControl, SegmentsAreCheckableButtonsThatScreenReadersAnnounce)
{
    SegmentedControl control(titles);
    control.setAccessibleName(QStringLiteral("Appearance"));
    control.setCurrentIndex(1);
    control.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&control));
    for (int i = 0; i < control.count(); ++i) {
        QAbstractButton *segment = control.segment(i);
        EXPECT_EQ(segment->text(), titles[i]);
        EXPECT_TRUE(segment->isCheckable());
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(segment);
        ASSERT_NE(accessible, nullptr);
        EXPECT_EQ(accessible->text(QAccessible::Name), titles[i]);
        EXPECT_EQ(accessible->state().checked, i == 1) << i;
    }
}

TEST(SegmentedControl, SegmentsShareTheWidthTheyAreGivenAndFollowThePalette)
{
    SegmentedControl control({QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4"), QStringLiteral("5")});
    control.setFixedWidth(200);
    control.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&control));
    for (QAbstractButton *segment : control.segments())
        EXPECT_NEAR(segment->width(), 40, 1);
    EXPECT_EQ(control.segment(4)->geometry().right(), 199);

    QPalette palette = control.palette();
    palette.setColor(QPalette::Highlight, QColor(0x12, 0x34, 0x56));
    control.setPalette(palette);
    EXPECT_TRUE(control.segment(0)->styleSheet().contains(QStringLiteral("#123456")));
}

TEST(SegmentedControl, OnATrackSymbolSegmentsAreNamedAndAClickLeavesTheFocusWhereItWas)
{
    QWidget window;
    auto *layout = new QHBoxLayout(&window);
    auto *before = new QLineEdit(&window);
    auto *control = new SegmentedControl(SegmentedControl::Look::track, &window);
    QList<QColor> inks;
    const auto symbol = [&inks](QPainter &painter, const QRectF &box, const QColor &color) {
        inks.append(color);
        painter.fillRect(box, color);
    };
    control->addSymbolSegment(symbol, QStringLiteral("By tag"));
    control->addSymbolSegment(symbol, QStringLiteral("By rating"));
    control->addTextSegment(QStringLiteral("Name"));
    auto *after = new QLineEdit(&window);
    control->setTextPixels(11);
    control->setToolTip(QStringLiteral("Organize by tag"));
    layout->addWidget(before);
    layout->addWidget(control);
    layout->addWidget(after);
    control->setCurrentIndex(0);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QSignalSpy activated(control, &SegmentedControl::activated);
    QSignalSpy changed(control, &SegmentedControl::currentIndexChanged);

    EXPECT_EQ(control->look(), SegmentedControl::Look::track);
    ASSERT_EQ(control->count(), 3);
    EXPECT_EQ(control->segment(0)->accessibleName(), QStringLiteral("By tag"));
    EXPECT_EQ(control->segment(1)->accessibleName(), QStringLiteral("By rating"));
    EXPECT_TRUE(control->segment(1)->toolTip().isEmpty());
    EXPECT_EQ(control->segment(2)->text(), QStringLiteral("Name"));
    EXPECT_EQ(control->segment(2)->font().pixelSize(), 11);
    // The chosen symbol is drawn in the text colour, the others in the secondary one.
    inks.clear();
    control->grab();
    ASSERT_EQ(inks.size(), 2);
    EXPECT_EQ(inks[0], control->palette().color(QPalette::WindowText));
    EXPECT_EQ(inks[1], control->palette().color(QPalette::PlaceholderText));

    before->setFocus();
    QTest::mouseClick(control->segment(1), Qt::LeftButton);
    EXPECT_EQ(control->currentIndex(), 1);
    EXPECT_TRUE(control->segment(1)->isChecked());
    EXPECT_FALSE(control->segment(0)->isChecked());
    EXPECT_EQ(activated.count(), 1);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_TRUE(before->hasFocus());

    // One Tab stop, at the chosen segment; the arrows move the choice.
    QTest::keyClick(before, Qt::Key_Tab);
    ASSERT_TRUE(control->segment(1)->hasFocus());
    QTest::keyClick(control->segment(1), Qt::Key_Right);
    EXPECT_EQ(control->currentIndex(), 2);
    EXPECT_TRUE(control->segment(2)->hasFocus());
    QTest::keyClick(control->segment(2), Qt::Key_Tab);
    EXPECT_TRUE(after->hasFocus());
}

TEST(SegmentedControl, AnAssistiveToolsToggleChoosesLikeAClick)
{
    for (const bool track : {false, true}) {
        SegmentedControl control(track ? SegmentedControl::Look::track : SegmentedControl::Look::joined);
        for (const QString &title : titles)
            control.addTextSegment(title);
        control.setCurrentIndex(0);
        control.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&control));
        QSignalSpy activated(&control, &SegmentedControl::activated);
        QSignalSpy changed(&control, &SegmentedControl::currentIndexChanged);

        QAccessibleInterface *dark = QAccessible::queryAccessibleInterface(control.segment(2));
        ASSERT_NE(dark, nullptr);
        ASSERT_NE(dark->actionInterface(), nullptr);
        dark->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
        EXPECT_EQ(control.currentIndex(), 2) << track;
        EXPECT_TRUE(control.segment(2)->isChecked());
        EXPECT_FALSE(control.segment(0)->isChecked());
        EXPECT_EQ(activated.count(), 1);
        EXPECT_EQ(changed.count(), 1);

        // Toggling the chosen segment keeps it chosen.
        dark->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
        EXPECT_TRUE(control.segment(2)->isChecked()) << track;
        EXPECT_EQ(control.currentIndex(), 2);
        EXPECT_EQ(activated.count(), 2);
        EXPECT_EQ(changed.count(), 1);
    }
}
