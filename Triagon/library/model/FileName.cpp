#include "library/model/FileName.h"

namespace {
qsizetype extensionDot(const QString &name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0 || dot == name.size() - 1)
        return -1;
    return dot;
}
} // namespace

QString FileName::lastComponent(const QString &path)
{
    QString p = path;
    while (p.size() > 1 && p.endsWith(QLatin1Char('/')))
        p.chop(1);
    const qsizetype slash = p.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? p : p.mid(slash + 1);
}

QString FileName::extension(const QString &name)
{
    const QString last = lastComponent(name);
    const qsizetype dot = extensionDot(last);
    return dot < 0 ? QString() : last.mid(dot + 1);
}

QString FileName::withoutExtension(const QString &name)
{
    const qsizetype slash = name.lastIndexOf(QLatin1Char('/'));
    const QString last = name.mid(slash + 1);
    const qsizetype dot = extensionDot(last);
    return dot < 0 ? name : name.left(slash + 1 + dot);
}

bool FileName::isSinglePathComponent(const QString &name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") && !name.contains(QLatin1Char('/'))
           && !name.contains(QChar(u'\0'));
}

QString FileName::sanitizedClipName(const QString &name)
{
    QString result = name;
    for (QChar &c : result) {
        // None of the three is ever half of a surrogate pair, so comparing
        // UTF-16 units is comparing scalars.
        if (c == QLatin1Char('/') || c == QLatin1Char(':') || c == QChar(u'\0'))
            c = QLatin1Char('-');
    }
    return result;
}
