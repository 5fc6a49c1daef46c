#include "library/model/TagName.h"

#include <QChar>
#include <QHash>
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

QString TagName::canonical(const QString &tag)
{
    // Returns the same (shared) text when it is composed already: ASCII and
    // most other names cost a scan and no copy.
    return tag.normalized(QString::NormalizationForm_C);
}

QStringList TagName::canonical(const QStringList &tags)
{
    QStringList result;
    result.reserve(tags.size());
    QHash<QString, QString> firstSpelling; // composed form -> the text it first came as
    for (const QString &tag : tags) {
        const QString composed = canonical(tag);
        const auto seen = firstSpelling.constFind(composed);
        if (seen == firstSpelling.cend())
            firstSpelling.insert(composed, tag);
        else if (*seen != tag)
            continue;
        result.append(composed);
    }
    return result;
}
