#pragma once

#include "library/model/Clip.h"
#include "library/model/FolderOrganization.h"

#include <QList>
#include <QString>
#include <QUrl>
#include <optional>

// What an organize run is given: copies of everything it needs, so that it
// can work off the GUI thread without touching the store.
struct OrganizeRequest
{
    // The clips of the scope, in the scope's order.
    QList<Clip> clips;
    // The folder chosen by the user.
    QUrl destination;
    FolderOrganization organization = FolderOrganization::byTag;
    // Session clips outside the scope.
    int skippedCount = 0;
    // A new folder to make inside the destination; none puts the rating or
    // tag folders directly into the destination.
    std::optional<QString> newFolderName;
    bool generateManifest = false;
    // Where the commit record goes (created by the run).
    QString recordsFolder;
    // Written into the record; empty reads "unknown".
    QString appVersion;
};
