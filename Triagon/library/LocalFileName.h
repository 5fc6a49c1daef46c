#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

// File names on Linux are bytes; the store keeps paths as text and turns
// them back into bytes to reach a file. A name that is not valid UTF-8 (the
// file-name encoding) does not survive the way there and back: its text
// stands for another path, which is missing or, worse, another file. Such
// names are told apart here, so that the import can leave them out.
namespace LocalFileName {

// Whether a name's bytes, made into text, give the same bytes back.
bool survivesAsText(const QByteArray &bytes);

// Whether a file URL names its file faithfully: its path bytes (a dropped
// URL carries them percent-encoded) survive as text, and a path holding the
// replacement character (where a file dialog put it for bytes it could not
// decode) leads to something that exists.
bool namesItsFile(const QUrl &url);

// The bytes for a log line: the text they decode to, with every byte that
// does not decode shown as \xNN.
QString printable(const QByteArray &bytes);

} // namespace LocalFileName
