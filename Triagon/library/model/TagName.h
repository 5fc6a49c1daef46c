#pragma once

#include <QString>
#include <QStringList>

namespace TagName {
// A tag name is valid when its trimmed form is not empty, it is not "." or
// "..", and it holds no "/", ":", "\" and no control or format character.
bool isValid(const QString &name);

// Tags that read the same are the same tag: canonically equivalent spellings
// (a precomposed "é" and an "e" followed by a combining accent) are one tag,
// while case still tells tags apart. Every tag the session takes in is
// brought to its composed (NFC) form, so that plain string equality and
// hashing compare tags as the user reads them.
QString canonical(const QString &tag);
// Each tag in its composed form, in order. Of two different spellings of one
// tag only the first stays; a tag repeated as the same text stays repeated.
QStringList canonical(const QStringList &tags);
} // namespace TagName
