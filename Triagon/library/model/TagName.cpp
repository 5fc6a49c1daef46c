#include "library/model/TagName.h"

#include <QChar>
#include <QList>

bool TagName::isValid(const QString &name)
{
    // QString::trimmed strips exactly the white space and newline characters
    // (Unicode separators, tab to carriage return, U+0085) that the rule means.
    if (name.trimmed().isEmpty())
        return false;
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    for (const char32_t c : name.toUcs4()) {
        if (c == U'/' || c == U':' || c == U'\\')
            return false;
        const QChar::Category category = QChar::category(c);
        if (category == QChar::Other_Control || category == QChar::Other_Format)
            return false;
    }
    return true;
}
