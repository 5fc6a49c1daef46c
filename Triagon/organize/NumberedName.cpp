#include "organize/NumberedName.h"

#include "library/model/FileName.h"

#include <QTextBoundaryFinder>

namespace {

qsizetype utf8Size(QStringView text)
{
    return text.toUtf8().size();
}

} // namespace

QString NumberedName::cutToBytes(const QString &text, qsizetype bytes)
{
    if (utf8Size(text) <= bytes)
        return text;
    // Whole user-perceived characters, one after another, while they fit.
    QTextBoundaryFinder characters(QTextBoundaryFinder::Grapheme, text);
    qsizetype kept = 0;
    qsizetype used = 0;
    for (qsizetype end = characters.toNextBoundary(); end > 0; end = characters.toNextBoundary()) {
        used += utf8Size(QStringView(text).sliced(kept, end - kept));
        if (used > bytes)
            break;
        kept = end;
    }
    return text.left(kept);
}

QString NumberedName::numbered(const QString &name, qint64 number, qsizetype limit)
{
    const QString suffix = QLatin1Char('_') + QString::number(number);
    const QString extension = FileName::extension(name);
    const QString dottedExtension = extension.isEmpty() ? QString() : QLatin1Char('.') + extension;
    const qsizetype room = limit - utf8Size(suffix) - utf8Size(dottedExtension);
    if (room >= 1)
        return cutToBytes(FileName::withoutExtension(name), room) + suffix + dottedExtension;
    return cutToBytes(name, limit - utf8Size(suffix)) + suffix;
}
