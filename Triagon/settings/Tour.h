#pragma once

#include "settings/TourStep.h"

#include <QList>
#include <QString>

// A guided tour: its identifier (what the list of finished tours stores) and
// its cards in display order.
struct Tour
{
    QString id;
    QList<TourStep> steps;

    friend bool operator==(const Tour &, const Tour &) = default;
};
