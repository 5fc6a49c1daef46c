#pragma once

#include "window/GradientButton.h"

// The empty state's call to action: a folder-with-plus symbol and the text
// "Choose Footage" in white on a rounded gradient of the accent colour, with a
// soft accent shadow below it.
class ChooseFootageButton : public GradientButton
{
    Q_OBJECT
public:
    explicit ChooseFootageButton(ColorSource accent, QWidget *parent = nullptr);
};
