#pragma once

#include <QString>

namespace TagName {
// A tag name is valid when its trimmed form is not empty, it is not "." or
// "..", and it holds no "/", ":", "\" and no control or format character.
bool isValid(const QString &name);
} // namespace TagName
