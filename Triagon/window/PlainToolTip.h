#pragma once

#include <QString>

// A tooltip that shows `text` exactly as written. Qt renders a tooltip as rich
// text when it looks like markup, so a tag or file name such as "<b>A</b>"
// inside it would be interpreted; such a text is escaped and wrapped so that
// it reads literally. Other texts are returned unchanged.
QString plainToolTip(const QString &text);
