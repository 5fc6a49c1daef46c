#pragma once

#include "organize/FileOperations.h"

#include <QList>
#include <QString>
#include <optional>

// What a stopped organize run (the process killed, the machine off) can leave
// besides its record: where the file system moves without replacing only by
// reserving the new name first (NoReplaceRename), the empty file that held
// the name for the file in flight. The records that still read "in_progress"
// say where each file was going; such an empty file is removed before the
// next run plans its names, so that it is neither mistaken for a clip nor
// takes a clip's name.
//
// A file of a record is judged only while its clip is still at its old
// place: the moved ones have lost that name. In plan order, the first
// pending file whose old place still holds a file is the one that was in
// flight (or the first not reached); only there can a reservation be:
//  - at the new place, an empty file while the clip is still at its old
//    place with its recorded size: the rename never came;
//  - at the old place, an empty file while the clip is at its new place and
//    was not empty: its move back (after a failed size check) never came.
// A clip that is itself empty moves as any other: the rename takes its old
// name away, so it never looks like a reservation. Records are only read.
class CommitRecordRecovery
{
public:
    struct Leftover
    {
        QString path;
        // None when the empty file was removed.
        std::optional<OrganizeError> failure;
    };

    // The leftovers found under the records of the folder, each removed when
    // it could be.
    static QList<Leftover> clearLeftovers(FileOperations &files, const QString &recordsFolder);
};
