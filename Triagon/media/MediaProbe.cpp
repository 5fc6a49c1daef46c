#include "media/MediaProbe.h"

#include "library/model/ClipDisplayTexts.h"
#include "media/FFmpegFormat.h"
#include "media/FFmpegFourCC.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <cmath>

namespace {

bool isCancelled(const std::atomic_bool *cancelled)
{
    return cancelled && cancelled->load(std::memory_order_relaxed);
}

// The creation date as the camera wrote it: Apple's own key (local time
// with its zone) before the movie header's time.
std::optional<QDateTime> recordingDateOf(const FFmpegFormat &format)
{
    for (const char *key : {"com.apple.quicktime.creationdate", "creation_time"}) {
        const QString text = format.metadata(key);
        if (text.isEmpty())
            continue;
        if (auto date = MediaProbe::parseRecordingDate(text))
            return date;
    }
    return std::nullopt;
}

qint64 fileSizeOf(const QString &path)
{
    const QFileInfo info(path);
    return info.isFile() ? std::max<qint64>(0, info.size()) : 0;
}

} // namespace

std::optional<QDateTime> MediaProbe::parseRecordingDate(const QString &text)
{
    static const QRegularExpression pattern(
        QStringLiteral("^(\\d{4})-(\\d{2})-(\\d{2})T(\\d{2}):(\\d{2}):(\\d{2})(?:\\.(\\d{1,9}))?(Z|[+-]\\d{2}(?::?\\d{2})?)$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    auto number = [&](int group) { return match.capturedView(group).toInt(); };
    const QDate date(number(1), number(2), number(3));
    int milliseconds = 0;
    if (match.hasCaptured(7)) {
        const QString fraction = (match.captured(7) + QStringLiteral("00")).left(3);
        milliseconds = fraction.toInt();
    }
    const QTime time(number(4), number(5), number(6), milliseconds);
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    const QString zone = match.captured(8);
    int offsetSeconds = 0;
    if (zone != QLatin1String("Z")) {
        const int sign = zone.startsWith(QLatin1Char('-')) ? -1 : 1;
        const QString digits = zone.mid(1).remove(QLatin1Char(':'));
        const int hours = digits.left(2).toInt();
        const int minutes = digits.size() >= 4 ? digits.mid(2, 2).toInt() : 0;
        if (hours > 23 || minutes > 59)
            return std::nullopt;
        offsetSeconds = sign * (hours * 3600 + minutes * 60);
    }
    const QDateTime result(date, time, Qt::OffsetFromUTC, offsetSeconds);
    if (!result.isValid())
        return std::nullopt;
    return result.toUTC();
}

std::optional<QDateTime> MediaProbe::loadRecordingDate(const QString &path, const std::atomic_bool *cancelled)
{
    if (isCancelled(cancelled))
        return std::nullopt;
    FFmpegFormat format;
    if (!format.open(path, nullptr, false))
        return std::nullopt;
    return recordingDateOf(format);
}

namespace {

// The facts read from an opened file; the file size is the caller's.
void readFacts(const FFmpegFormat &format, ProbeResult &result, const std::atomic_bool *cancelled)
{
    result.duration = format.durationSeconds();
    if (const AVStream *video = format.videoStream()) {
        const QSize size = format.displaySize();
        result.width = std::max(0, size.width());
        result.height = std::max(0, size.height());
        result.frameRate = format.frameRate();
        result.fourCC = videoFourCC(format.context(), video->codecpar);
        result.codec = result.fourCC ? codecName(result.fourCC) : QString();
    }
    if (isCancelled(cancelled))
        return;
    result.recordedAt = recordingDateOf(format);
}

} // namespace

ProbeResult MediaProbe::probeClip(const QString &path, const std::atomic_bool *cancelled)
{
    ProbeResult result;
    result.fileSize = fileSizeOf(path);
    FFmpegFormat format;
    if (format.open(path))
        readFacts(format, result, cancelled);
    return result;
}

ProbeResult MediaProbe::probeBytes(const QByteArray &bytes)
{
    ProbeResult result;
    result.fileSize = bytes.size();
    FFmpegFormat format;
    if (format.openMemory(bytes))
        readFacts(format, result, nullptr);
    return result;
}
