#pragma once

#include <QString>

// The numbered names of a clip whose name is taken in its folder:
// "name_1.ext", "name_2.ext", … A file system limits a name's length in bytes
// (255 on ext4, tmpfs and btrfs), and a name at that limit leaves no room for
// the number: its base is then shortened so that the whole name fits, and the
// extension stays.
namespace NumberedName {
// The name with "_" and the number before its extension, at most `limit`
// bytes of UTF-8 long (the file system's NAME_MAX). When even an empty base
// leaves no room for the extension, the whole name is shortened instead.
QString numbered(const QString &name, qint64 number, qsizetype limit);
// The longest start of the text that takes at most `bytes` bytes of UTF-8,
// never ending inside a character: not inside a multi-byte sequence, and not
// between a letter and its accents or within an emoji sequence.
QString cutToBytes(const QString &text, qsizetype bytes);
} // namespace NumberedName
