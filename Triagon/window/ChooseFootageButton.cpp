#include "window/ChooseFootageButton.h"

#include "app/SymbolCatalog.h"

namespace {

constexpr GradientButton::Style chooseFootageStyle{
    .iconSize = 18, .spacing = 10, .paddingH = 32, .paddingV = 14, .radius = 12, .fontPixels = 16, .shadow = true};

} // namespace

ChooseFootageButton::ChooseFootageButton(ColorSource accent, QWidget *parent)
    : GradientButton(QStringLiteral("Choose Footage"), SymbolCatalog::drawer(QStringLiteral("plus.rectangle.on.folder")),
                     chooseFootageStyle, std::move(accent), parent)
{
}
