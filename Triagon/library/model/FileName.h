#pragma once

#include <QString>

// Base name and extension of a file name, the one rule used everywhere
// (rename, clash numbering, import, relink): the extension is the text after
// the last "." of the last path component, unless that dot is its first
// character (".hidden" has none) or its last ("take." has none).
// QFileInfo's suffix/baseName split differently, so they are not used for this.
namespace FileName {
QString lastComponent(const QString &path);
QString extension(const QString &name);
// The name without its extension and the dot before it.
QString withoutExtension(const QString &name);
// True when the text can name one entry inside a folder: not empty, not "."
// or "..", and without "/" or NUL. Names read from a session file are
// external input and pass this test before any path is built from them.
bool isSinglePathComponent(const QString &name);
// Replaces "/", ":" and NUL by "-".
QString sanitizedClipName(const QString &name);
} // namespace FileName
