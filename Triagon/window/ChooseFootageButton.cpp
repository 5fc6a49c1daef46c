#include "window/ChooseFootageButton.h"

#include "window/Icons.h"

namespace {

GradientButton::Style chooseFootageStyle()
{
    GradientButton::Style style;
    style.iconSize = 18;
    style.spacing = 10;
    style.paddingH = 32;
    style.paddingV = 14;
    style.radius = 12;
    style.fontPixels = 16;
    style.shadow = true;
    return style;
}

} // namespace

ChooseFootageButton::ChooseFootageButton(ColorSource accent, QWidget *parent)
    : GradientButton(QStringLiteral("Choose Footage"), Icons::drawFolderAdd, chooseFootageStyle(), std::move(accent), parent)
{
}
