#include "library/model/ExportTotals.h"

#include <QLocale>
#include <cmath>
#include <limits>

namespace {

// "≥ " marks a total that leaves out clips whose value is not known.
const QString &atLeastPrefix()
{
    static const QString prefix = QString(QChar(0x2265)) + QLatin1Char(' ');
    return prefix;
}

// Whole seconds of a running time, rounded half away from zero. The cap is
// applied to the double before it becomes an integer, so no value (a huge or
// infinite sum, or NaN from a hand-set field) reaches an undefined conversion.
qint64 roundedSeconds(double seconds)
{
    constexpr double cap = 4611686018427387904.0; // 2^62
    if (std::isnan(seconds) || seconds <= 0)
        return 0;
    const double rounded = std::round(seconds);
    return rounded >= cap ? static_cast<qint64>(cap) : static_cast<qint64>(rounded);
}

} // namespace

ExportTotals exportTotals(const QList<Clip> &clips)
{
    ExportTotals totals;
    totals.clipCount = static_cast<int>(clips.size());
    constexpr qint64 maxBytes = std::numeric_limits<qint64>::max();
    for (const Clip &clip : clips) {
        if (std::isfinite(clip.duration) && clip.duration > 0)
            totals.duration += clip.duration;
        else
            ++totals.unknownDurationCount;
        if (clip.fileSize > 0)
            totals.bytes = clip.fileSize > maxBytes - totals.bytes ? maxBytes : totals.bytes + clip.fileSize;
        else
            ++totals.unknownSizeCount;
    }
    return totals;
}

QString ExportTotals::durationText() const
{
    if (clipCount >= 1 && unknownDurationCount == clipCount)
        return QStringLiteral("Unknown");
    const qint64 t = roundedSeconds(duration);
    QString text;
    if (t >= 3600)
        text = QString::number(t / 3600) + QStringLiteral(" hr ") + QString::number((t % 3600) / 60) + QStringLiteral(" min");
    else if (t >= 60)
        text = QString::number(t / 60) + QStringLiteral(" min ") + QString::number(t % 60) + QStringLiteral(" sec");
    else
        text = QString::number(t) + QStringLiteral(" sec");
    return unknownDurationCount >= 1 ? atLeastPrefix() + text : text;
}

// Decimal units (1 kB = 1000 bytes) with one decimal from kilobytes up, as the
// desktop's file manager shows sizes ("1.5 GB", "12.3 MB", "999 bytes"). The
// number follows the user's locale; a single byte reads "1 byte".
QString ExportTotals::sizeText() const
{
    if (clipCount >= 1 && unknownSizeCount == clipCount)
        return QStringLiteral("Unknown");
    const qint64 b = bytes < 0 ? 0 : bytes;
    const QString text = b == 1 ? QStringLiteral("1 byte") : QLocale().formattedDataSize(b, 1, QLocale::DataSizeSIFormat);
    return unknownSizeCount >= 1 ? atLeastPrefix() + text : text;
}
