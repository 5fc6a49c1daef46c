#pragma once

#include "library/model/Clip.h"

#include <QList>
#include <QString>

// Totals of a clip list: count, known running time and known bytes, and how
// many clips lack a duration or a size.
struct ExportTotals
{
    int clipCount = 0;
    double duration = 0;
    qint64 bytes = 0;
    int unknownDurationCount = 0;
    int unknownSizeCount = 0;

    // "12 min 7 sec", "2 hr 2 min" (whole seconds rounded half away from
    // zero), "Unknown" when no clip's duration is known, "≥ " before a total
    // that leaves clips out.
    QString durationText() const;
    // The byte count in decimal units ("1.5 GB"), with "Unknown" and "≥ " as above.
    QString sizeText() const;
};

// One pass in list order: a duration counts when finite and above zero, a
// size when above zero; the byte sum saturates at the largest qint64.
ExportTotals exportTotals(const QList<Clip> &clips);
