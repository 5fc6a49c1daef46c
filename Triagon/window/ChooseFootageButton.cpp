#include "window/ChooseFootageButton.h"

#include "window/Icons.h"

namespace {

constexpr GradientButton::Style chooseFootageStyle{
    .iconSize = 18, .spacing = 10, .paddingH = 32, .paddingV = 14, .radius = 12, .fontPixels = 16, .shadow = true};

} // namespace

ChooseFootageButton::ChooseFootageButton(ColorSource accent, QWidget *parent)
    : GradientButton(QStringLiteral("Choose Footage"), Icons::drawFolderAdd, chooseFootageStyle, std::move(accent), parent)
{
}
