#pragma once

#include "library/model/ExportTotals.h"

// The session summary that the main window shows (the store's clipStats()).
struct ClipStats
{
    int ratedCount = 0;             // rating greater than 0
    int taggedCount = 0;            // at least one tag
    double totalDuration = 0;       // sum of every duration, as stored
    double shortlistedDuration = 0; // sum over the shortlisted clips, as stored
    ExportTotals shortlistTotals;   // totals of the shortlisted clips
    bool hasShortlisted = false;
    int exportSkippedCount = 0; // not shortlisted
    int portraitCount = 0;      // width smaller than height
    int totalCount = 0;
};
