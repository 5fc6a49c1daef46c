#pragma once

#include "library/model/Clip.h"
#include "organize/ExportFolder.h"

#include <QList>
#include <QString>
#include <QUrl>
#include <optional>

// The pure planning side of organizing: folder names, the folder plans by
// rating and by tag, the new-folder name test and the free names of the
// export folder and the manifest. Safe to call from any thread.
class FolderPlan
{
public:
    static QString ratingFolderName(qint64 rating);
    static QString plannedFolderName(const Clip &clip, bool byRating);
    static QList<ExportFolder> ratingFolderPlan(const QList<Clip> &clips);
    static QList<ExportFolder> tagFolderPlan(const QList<Clip> &clips);
    // No value when acceptable (or no name), else the error text.
    static std::optional<QString> validateFolderName(const std::optional<QString> &name);
    static QUrl exportFolderURL(const QUrl &destination, const std::optional<QString> &newFolderName);
    static QUrl manifestURL(const QUrl &exportFolder);
};
