#pragma once

#include "library/model/ExportFileEntry.h"

#include <QList>
#include <QString>

// One planned folder of the organize preview tree, identified by its name.
struct ExportFolder
{
    QString name;
    QList<ExportFileEntry> files;

    friend bool operator==(const ExportFolder &, const ExportFolder &) = default;
};
