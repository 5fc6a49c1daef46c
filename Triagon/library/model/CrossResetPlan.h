#pragma once

#include "library/model/Clip.h"

// What confirming a numbering reset would tag: the clip and the number of
// hands stacked on it.
struct CrossResetPlan
{
    Clip clip;
    int hands = 0;
};
