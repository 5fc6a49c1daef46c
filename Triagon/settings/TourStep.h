#pragma once

#include <QString>

// One card of a guided tour. Every card is shown centred over the main window;
// a step points at no particular region of it.
struct TourStep
{
    // In the onboarding tour, the step's position counted from 0.
    int id = 0;
    // The name of the picture shown on the card (the tour overlay maps it to an
    // icon of the desktop theme, with a drawn fallback).
    QString icon;
    QString title;
    QString body;

    friend bool operator==(const TourStep &, const TourStep &) = default;
};
