#pragma once

#include "library/DomainError.h"
#include "library/model/Clip.h"

#include <QList>
#include <QUrl>
#include <variant>

// Which clips' files are on disk, and whether a chosen file may stand in for
// an offline clip's file. Pure file-system checks; the store applies the results.
namespace MediaAvailability {

// True when something exists at the path of the URL; an existing folder
// counts, a dangling link does not.
bool fileExists(const QUrl &url);

// True when the path leads to a regular file, through links. Pipes, sockets
// and devices are not: opening one to read media can block for ever.
bool isRegularFile(const QString &path);

// The clips with isMissing set from the file system, one test per clip.
QList<Clip> withAvailability(QList<Clip> clips);

// The file that the clip at position index may be relinked to, or the
// refusal. The chosen URL is standardized first; the refusals, in the order
// they are tested:
// - invalid file name: nothing exists there, the lower-cased extension is not
//   a video extension, it is not a regular file (a link to one is not), or
//   another clip already uses it (the clip's own URL does not count);
// - the operating system's error when the file's size cannot be read;
// - different file size: the clip has a recorded size and the file's differs.
std::variant<QUrl, DomainError> checkRelinkTarget(const QList<Clip> &clips, qsizetype index, const QUrl &chosen);

} // namespace MediaAvailability
