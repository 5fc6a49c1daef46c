#pragma once

#include "library/model/Clip.h"
#include "library/model/ExportFolder.h"
#include "library/model/FolderOrganization.h"

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
    // "5-star" … "1-star" for 5 to 1, "Unrated" for 0 and for any other value.
    static QString ratingFolderName(qint64 rating);
    // The folder a clip goes to: by rating its rating folder; by tag its first
    // tag exactly as stored, or its rating folder when it has no tag.
    static QString plannedFolderName(const Clip &clip, FolderOrganization organization);

    // One folder per rating from "5-star" down to "Unrated", only those with
    // files; entries in Finder order. A rating outside 0 to 5 goes with the
    // unrated clips, where the commit run moves it too.
    static QList<ExportFolder> ratingFolderPlan(const QList<Clip> &clips);
    // One folder per first tag in the order its first clip comes (entries
    // annotated "also: " with the other tags), then the rating folders of the
    // untagged clips.
    static QList<ExportFolder> tagFolderPlan(const QList<Clip> &clips);
    // The plan for the given organization.
    static QList<ExportFolder> folderPlan(const QList<Clip> &clips, FolderOrganization organization)
    {
        switch (organization) {
        case FolderOrganization::byTag:
            return tagFolderPlan(clips);
        case FolderOrganization::byRating:
            return ratingFolderPlan(clips);
        }
        return {};
    }

    // The test of a new destination folder's name: no value when acceptable
    // (or when there is no name), else the error text.
    static std::optional<QString> validateFolderName(const std::optional<QString> &name);
    // The test the commit run applies to every planned folder name before it
    // creates anything: not empty once trimmed; not "." or ".." and without
    // "/", ":", "\" or control characters as stored.
    static bool isUsableFolderName(const QString &name);

    // The folder that the rating or tag folders go into: the destination
    // itself without a name; else the trimmed name (a directory URL with a
    // trailing slash) inside it, or the first free "name 1", "name 2", ….
    // An existing entry of any kind, a dangling symbolic link included,
    // counts as taken. Gives an empty URL for a name that validateFolderName
    // refuses, so that no path is ever built from a name with a separator.
    static QUrl exportFolderURL(const QUrl &destination, const std::optional<QString> &newFolderName);
    // "triagon-manifest.json" inside the export folder, or the first free
    // "triagon-manifest-1.json", "triagon-manifest-2.json", ….
    static QUrl manifestURL(const QUrl &exportFolder);
};
