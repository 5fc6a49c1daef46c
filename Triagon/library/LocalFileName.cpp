#include "library/LocalFileName.h"

#include <QFile>

#include <sys/stat.h>

bool LocalFileName::survivesAsText(const QByteArray &bytes)
{
    return QFile::encodeName(QFile::decodeName(bytes)) == bytes;
}

bool LocalFileName::namesItsFile(const QUrl &url)
{
    if (!url.isLocalFile())
        return true;
    const QByteArray bytes = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
    if (!survivesAsText(bytes))
        return false;
    if (!url.path().contains(QChar::ReplacementCharacter))
        return true;
    struct stat info
    {
    };
    return ::lstat(bytes.constData(), &info) == 0;
}

QString LocalFileName::printable(const QByteArray &bytes)
{
    QString text;
    qsizetype start = 0;
    // Decodes the longest valid runs; a byte that breaks a run is shown by value.
    while (start < bytes.size()) {
        qsizetype end = bytes.size();
        while (end > start && !survivesAsText(bytes.mid(start, end - start)))
            --end;
        if (end > start) {
            text += QFile::decodeName(bytes.mid(start, end - start));
            start = end;
        } else {
            text += QStringLiteral("\\x") + QString::number(uchar(bytes.at(start)), 16).rightJustified(2, QLatin1Char('0')).toUpper();
            ++start;
        }
    }
    return text;
}
