#include "app/widgets/WidgetStyle.h"

#include <QFrame>
#include <QLabel>
#include <QWidget>
#include <gtest/gtest.h>

TEST(WidgetStyle, FontsBySizeInPixels)
{
    QFont base;
    base.setItalic(true);
    const QFont sized = WidgetStyle::sizedFont(base, 12.6, QFont::DemiBold);
    EXPECT_EQ(sized.pixelSize(), 13);
    EXPECT_EQ(sized.weight(), QFont::DemiBold);
    EXPECT_TRUE(sized.italic());
    EXPECT_EQ(WidgetStyle::sizedFont(base, 0.2).pixelSize(), 1);
    const QFont mono = WidgetStyle::sizedFont(base, 11, QFont::Normal, true);
    EXPECT_EQ(mono.styleHint(), QFont::Monospace);
    EXPECT_EQ(mono.family(), QStringLiteral("monospace"));

    QWidget widget;
    QFont own = widget.font();
    own.setUnderline(true);
    widget.setFont(own);
    EXPECT_TRUE(WidgetStyle::sizedFont(&widget, 10).underline());
    EXPECT_EQ(WidgetStyle::sizedFont(static_cast<const QWidget *>(nullptr), 10).pixelSize(), 10);
}

TEST(WidgetStyle, SecondaryTextAndTextColours)
{
    QPalette palette;
    palette.setColor(QPalette::PlaceholderText, QColor(100, 110, 120, 200));
    EXPECT_EQ(WidgetStyle::secondary(palette), QColor(100, 110, 120, 200));
    EXPECT_NEAR(WidgetStyle::secondary(palette, 0.5).alphaF(), 200 / 255.0 * 0.5, 0.01);
    QWidget widget;
    widget.setPalette(palette);
    EXPECT_EQ(WidgetStyle::secondary(&widget).rgb(), QColor(100, 110, 120).rgb());
    EXPECT_EQ(WidgetStyle::secondary(static_cast<const QWidget *>(nullptr)), QPalette().color(QPalette::PlaceholderText));

    QLabel label;
    WidgetStyle::setTextColor(&label, Qt::red);
    EXPECT_EQ(label.palette().color(QPalette::WindowText), QColor(Qt::red));
    EXPECT_EQ(label.palette().color(QPalette::Text), QColor(Qt::red));
    EXPECT_EQ(label.palette().color(QPalette::ButtonText), QColor(Qt::red));
    // An invalid colour leaves the palette as it is.
    WidgetStyle::setTextColor(&label, QColor());
    EXPECT_EQ(label.palette().color(QPalette::WindowText), QColor(Qt::red));
}

TEST(WidgetStyle, LabelsAndHairlines)
{
    QWidget parent;
    QLabel *label = WidgetStyle::label(QStringLiteral("<b>not bold</b>"), 13, &parent, QFont::DemiBold);
    EXPECT_EQ(label->parentWidget(), &parent);
    EXPECT_EQ(label->textFormat(), Qt::PlainText);
    EXPECT_EQ(label->font().pixelSize(), 13);
    EXPECT_EQ(label->font().weight(), QFont::DemiBold);
    EXPECT_EQ(label->foregroundRole(), QPalette::WindowText);
    QLabel *secondary = WidgetStyle::secondaryLabel(QStringLiteral("<i>plain</i>"), 11, &parent);
    EXPECT_EQ(secondary->textFormat(), Qt::PlainText);
    EXPECT_EQ(secondary->font().pixelSize(), 11);
    EXPECT_EQ(secondary->font().weight(), QFont::Normal);
    EXPECT_EQ(secondary->foregroundRole(), QPalette::PlaceholderText);

    QFrame *across = WidgetStyle::hairline(&parent);
    EXPECT_EQ(across->frameShape(), QFrame::HLine);
    EXPECT_EQ(across->frameShadow(), QFrame::Plain);
    EXPECT_EQ(across->foregroundRole(), QPalette::Mid);
    EXPECT_EQ(WidgetStyle::hairline(&parent, Qt::Vertical)->frameShape(), QFrame::VLine);
}
