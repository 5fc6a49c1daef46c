#include "app/widgets/ToggleSwitch.h"

#include <QAccessible>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

// The track's colour on the side away from the knob.
QColor trackColor(ToggleSwitch &toggle)
{
    const QImage image = toggle.grab().toImage();
    const int x = toggle.isChecked() ? image.width() / 4 : image.width() * 3 / 4;
    return image.pixelColor(x, image.height() / 2);
}

} // namespace

TEST(ToggleSwitch, AClickFlipsItAndScreenReadersHearACheckBoxByItsName)
{
    QWidget window;
    auto *column = new QVBoxLayout(&window);
    auto *field = new QLineEdit(&window);
    auto *toggle = new ToggleSwitch(QStringLiteral("Scrub audio"), &window);
    column->addWidget(field);
    column->addWidget(toggle);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    EXPECT_EQ(toggle->sizeHint(), QSize(26, 15));
    EXPECT_EQ(toggle->sizePolicy().horizontalPolicy(), QSizePolicy::Fixed);
    EXPECT_TRUE(toggle->isCheckable());
    EXPECT_FALSE(toggle->isChecked());

    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(toggle);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->role(), QAccessible::CheckBox);
    EXPECT_EQ(accessible->text(QAccessible::Name), QStringLiteral("Scrub audio"));

    // A click flips it and leaves the focus where it was.
    field->setFocus();
    QSignalSpy toggled(toggle, &QAbstractButton::toggled);
    QTest::mouseClick(toggle, Qt::LeftButton, {}, toggle->rect().center());
    EXPECT_TRUE(toggle->isChecked());
    EXPECT_TRUE(accessible->state().checked);
    ASSERT_EQ(toggled.count(), 1);
    EXPECT_TRUE(field->hasFocus());

    // Tab reaches it, and Space flips it back.
    QTest::keyClick(field, Qt::Key_Tab);
    ASSERT_TRUE(toggle->hasFocus());
    QTest::keyClick(toggle, Qt::Key_Space);
    EXPECT_FALSE(toggle->isChecked());
    EXPECT_EQ(toggled.count(), 2);
}

TEST(ToggleSwitch, TheTrackTakesTheOnColourOfTheMomentAndDimsWhileDisabled)
{
    ToggleSwitch toggle(QStringLiteral("Loud Peaks group"));
    toggle.resize(toggle.sizeHint());
    QPalette palette = toggle.palette();
    palette.setColor(QPalette::Highlight, QColor(0, 0, 255));
    toggle.setPalette(palette);
    EXPECT_EQ(toggle.onColor(), QColor(0, 0, 255));

    toggle.setChecked(true);
    EXPECT_EQ(trackColor(toggle), QColor(0, 0, 255));
    QColor rule(255, 0, 0);
    toggle.setOnColor([&rule] { return rule; });
    EXPECT_EQ(trackColor(toggle), QColor(255, 0, 0));
    rule = QColor(0, 255, 0);
    EXPECT_EQ(trackColor(toggle), QColor(0, 255, 0));

    // Off, the track is a faint shade of the text colour, not the "on" colour.
    toggle.setChecked(false);
    EXPECT_NE(trackColor(toggle), QColor(0, 255, 0));
    // Disabled, the "on" colour is drawn faint.
    toggle.setChecked(true);
    toggle.setEnabled(false);
    const QColor dimmed = trackColor(toggle);
    EXPECT_NE(dimmed, QColor(0, 255, 0));
    EXPECT_GT(dimmed.green(), dimmed.red());
}
