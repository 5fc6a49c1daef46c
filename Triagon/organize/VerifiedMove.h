#pragma once

#include "library/model/Clip.h"
#include "organize/FileOperations.h"

#include <QList>
#include <QString>
#include <QUrl>
#include <optional>

// The two checks the organize run rests on: whether every clip lies on the
// destination's volume, and the size check after each move, which moves the
// file back when the size it arrived with is not the size it left with.
class VerifiedMove
{
public:
    // True when the folder of some clip lies on another volume than the
    // destination. A destination that does not exist yet is judged by its
    // nearest existing folder, where it would be made. Clip folders that
    // cannot be examined (offline) never make it true; each distinct folder
    // is looked at once.
    static bool hasClipOnOtherVolume(FileOperations &files, const QList<Clip> &clips, const QUrl &destination);

    // After the file was moved from source to destination: nothing when the
    // entry at the destination is a regular file of the expected size.
    // Otherwise the file is moved back (without replacing anything at the
    // source) and the error says which way that went: code 4 when it is back
    // at the source, code 3 when it could not be returned. The text starts
    // with what was wrong ("The file size changed during the move." or the
    // system's reason the destination could not be read).
    static std::optional<OrganizeError> moveVerifyingSize(FileOperations &files, const QString &source, const QString &destination,
                                                          qint64 expectedSize);
};
