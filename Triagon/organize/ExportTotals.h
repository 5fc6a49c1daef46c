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

    QString durationText() const;
    QString sizeText() const;
};

ExportTotals exportTotals(const QList<Clip> &clips);
