#include "library/model/ClipDisplayTexts.h"

#include <QChar>

#include <algorithm>
#include <cmath>
#include <limits>

qint64 truncatedSeconds(double seconds)
{
    if (!std::isfinite(seconds))
        return 0;
    constexpr double limit = 9.2e18;
    if (seconds >= limit)
        return static_cast<qint64>(limit);
    if (seconds <= -limit)
        return -static_cast<qint64>(limit);
    return static_cast<qint64>(std::trunc(seconds));
}

QString codecName(quint32 fourCC)
{
    switch (fourCC) {
    case 0x61766331:
        return QStringLiteral("H.264"); // avc1
    case 0x68766331:
        return QStringLiteral("HEVC"); // hvc1
    case 0x6D757861:
        return QStringLiteral("HEVC Alpha"); // muxa
    case 0x6D703476:
        return QStringLiteral("MPEG-4"); // mp4v
    case 0x6A706567:
        return QStringLiteral("MJPEG"); // jpeg
    case 0x61706368:
        return QStringLiteral("ProRes 422 HQ"); // apch
    case 0x6170636E:
        return QStringLiteral("ProRes 422"); // apcn
    case 0x61706373:
        return QStringLiteral("ProRes 422 LT"); // apcs
    case 0x6170636F:
        return QStringLiteral("ProRes 422 Proxy"); // apco
    case 0x61703468:
        return QStringLiteral("ProRes 4444"); // ap4h
    case 0x61703478:
        return QStringLiteral("ProRes 4444 XQ"); // ap4x
    default:
        break;
    }
    QString text;
    for (int shift = 24; shift >= 0; shift -= 8)
        text.append(QChar(static_cast<char16_t>((fourCC >> shift) & 0xFF)));
    // Trim tabs and space separators only.
    auto isBlank = [](QChar c) { return c == QLatin1Char('\t') || c.category() == QChar::Separator_Space; };
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && isBlank(text[start]))
        ++start;
    while (end > start && isBlank(text[end - 1]))
        --end;
    text = text.mid(start, end - start);
    // A tag with a NUL, a control or an invisible format byte is not a name
    // anyone could read; showing those bytes would only garble the card.
    const bool printable = std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.isPrint(); });
    return text.isEmpty() || !printable ? QStringLiteral("Unknown") : text;
}

QString formatTotalDuration(double seconds)
{
    const qint64 t = truncatedSeconds(seconds);
    if (t < 3660)
        return QString::number(t / 60) + QStringLiteral("m ") + QString::number(t - 60 * (t / 60)) + QStringLiteral("s");
    return QString::number(t / 3600) + QStringLiteral("h ") + QString::number((t / 60) % 60) + QStringLiteral("m");
}
