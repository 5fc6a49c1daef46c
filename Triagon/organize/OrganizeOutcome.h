#pragma once

#include "library/model/ExportResult.h"
#include "organize/ManifestEntry.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QUrl>
#include <QUuid>

// What an organize run hands back to the store.
struct OrganizeOutcome
{
    ExportResult result;
    // Clips whose file was moved and verified: they leave the session.
    QSet<QUuid> movedIDs;
    // Clips whose file could not be returned after a failed size check: the
    // file stays at its new place, which becomes the clip's.
    QHash<QUuid, QUrl> relocations;
    // The commit record's path; empty when the run stopped before planning
    // its moves.
    QString recordPath;
    // The entries as last written (or as planned, when writing failed).
    QList<ManifestEntry> entries;
};
