#include "library/model/Clip.h"
#include "library/model/ClipDisplayTexts.h"

#include <QLocale>
#include <gtest/gtest.h>

#include <limits>

namespace {
QString duration(double d)
{
    Clip c;
    c.duration = d;
    return c.durationText();
}
QString resolution(qint64 w, qint64 h)
{
    Clip c;
    c.width = w;
    c.height = h;
    return c.resolutionLabel();
}
QString rate(double f)
{
    Clip c;
    c.frameRate = f;
    return c.frameRateText();
}
QString size(qint64 bytes)
{
    Clip c;
    c.fileSize = bytes;
    return c.fileSizeText();
}
constexpr qint64 MB = 1048576;
quint32 fourCC(const char (&code)[5])
{
    return (quint32(quint8(code[0])) << 24) | (quint32(quint8(code[1])) << 16) | (quint32(quint8(code[2])) << 8) | quint32(quint8(code[3]));
}
} // namespace

TEST(DisplayTexts, DurationSwitchesToMinutesAtSixtySeconds)
{
    EXPECT_EQ(duration(0), QStringLiteral("0.0s"));
    EXPECT_EQ(duration(12.34), QStringLiteral("12.3s"));
    EXPECT_EQ(duration(59.96), QStringLiteral("60.0s"));
    EXPECT_EQ(duration(60.0), QStringLiteral("1:00"));
    EXPECT_EQ(duration(61.9), QStringLiteral("1:01"));
    EXPECT_EQ(duration(3725), QStringLiteral("62:05"));
    EXPECT_EQ(duration(-2.5), QStringLiteral("-2.5s"));
    EXPECT_EQ(duration(std::numeric_limits<double>::quiet_NaN()), QStringLiteral("0.0s"));
}

TEST(DisplayTexts, NumbersIgnoreTheUsersLocale)
{
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(duration(12.34), QStringLiteral("12.3s"));
    EXPECT_EQ(rate(29.97), QStringLiteral("29.97"));
    EXPECT_EQ(size(1536 * MB), QStringLiteral("1.5 GB"));
    QLocale::setDefault(previous);
}

TEST(DisplayTexts, ResolutionLabelGoesByTheLongerSide)
{
    EXPECT_EQ(resolution(3840, 2160), QStringLiteral("4K"));
    EXPECT_EQ(resolution(2160, 3840), QStringLiteral("4K"));
    EXPECT_EQ(resolution(2560, 1440), QStringLiteral("1440p"));
    EXPECT_EQ(resolution(1920, 1080), QStringLiteral("1080p"));
    EXPECT_EQ(resolution(1080, 1920), QStringLiteral("1080p"));
    EXPECT_EQ(resolution(1280, 720), QStringLiteral("720p"));
    EXPECT_EQ(resolution(1279, 720), QStringLiteral("1279\u00D7720"));
    EXPECT_EQ(resolution(0, 0), QString());
    EXPECT_EQ(resolution(640, -1), QString());
}

TEST(DisplayTexts, FrameRateRoundsToHundredths)
{
    EXPECT_EQ(rate(0), QString());
    EXPECT_EQ(rate(std::numeric_limits<double>::quiet_NaN()), QString());
    EXPECT_EQ(rate(29.97), QStringLiteral("29.97"));
    EXPECT_EQ(rate(59.94), QStringLiteral("59.94"));
    EXPECT_EQ(rate(23.976), QStringLiteral("23.98"));
    EXPECT_EQ(rate(30), QStringLiteral("30"));
    EXPECT_EQ(rate(29.999), QStringLiteral("30"));
    EXPECT_EQ(rate(24.999), QStringLiteral("25"));
    EXPECT_EQ(rate(12.5), QStringLiteral("12.50"));
}

TEST(DisplayTexts, FileSizeInBinaryMegabytesAndGigabytes)
{
    EXPECT_EQ(size(0), QString());
    EXPECT_EQ(size(10 * MB), QStringLiteral("10 MB"));
    EXPECT_EQ(size(MB * 4 / 10), QStringLiteral("0 MB"));
    EXPECT_EQ(size(1024 * MB), QStringLiteral("1024 MB"));
    EXPECT_EQ(size(1024 * MB + 1), QStringLiteral("1.0 GB"));
    EXPECT_EQ(size(1536 * MB), QStringLiteral("1.5 GB"));
}

TEST(DisplayTexts, CodecNamesFromFourCharacterCodes)
{
    EXPECT_EQ(codecName(fourCC("avc1")), QStringLiteral("H.264"));
    EXPECT_EQ(codecName(fourCC("hvc1")), QStringLiteral("HEVC"));
    EXPECT_EQ(codecName(fourCC("apch")), QStringLiteral("ProRes 422 HQ"));
    EXPECT_EQ(codecName(fourCC("ap4x")), QStringLiteral("ProRes 4444 XQ"));
    EXPECT_EQ(codecName(fourCC("hev1")), QStringLiteral("hev1"));
    EXPECT_EQ(codecName(fourCC("aprn")), QStringLiteral("aprn"));
    EXPECT_EQ(codecName(fourCC("    ")), QStringLiteral("Unknown"));
    EXPECT_EQ(codecName(fourCC(" vp9")), QStringLiteral("vp9"));
    EXPECT_EQ(codecName(0x09A07620u), QStringLiteral("v")); // tab, no-break space, "v", space
}

TEST(DisplayTexts, CodecTagsWithUnprintableBytesReadUnknown)
{
    EXPECT_EQ(codecName(0), QStringLiteral("Unknown"));
    EXPECT_EQ(codecName(0x61766300u), QStringLiteral("Unknown")); // "avc" and a NUL
    EXPECT_EQ(codecName(0x610A6231u), QStringLiteral("Unknown")); // a line feed inside
    EXPECT_EQ(codecName(0x0D617663u), QStringLiteral("Unknown")); // a carriage return is no blank to trim
    EXPECT_EQ(codecName(0x617F6331u), QStringLiteral("Unknown")); // DEL
    EXPECT_EQ(codecName(0x61856331u), QStringLiteral("Unknown")); // a C1 control byte
    EXPECT_EQ(codecName(0x61AD6331u), QStringLiteral("Unknown")); // soft hyphen, an invisible format character
    EXPECT_EQ(codecName(0x61097631u), QStringLiteral("Unknown")); // a tab between letters is not trimmed
    // Printable Latin-1 letters and inner spaces stay as they are.
    EXPECT_EQ(codecName(0x61E92031u), QString::fromUtf8("a\u00e9 1"));
}

TEST(DisplayTexts, TotalDurationSwitchesToHoursAt3660Seconds)
{
    EXPECT_EQ(formatTotalDuration(0), QStringLiteral("0m 0s"));
    EXPECT_EQ(formatTotalDuration(725), QStringLiteral("12m 5s"));
    EXPECT_EQ(formatTotalDuration(3599.9), QStringLiteral("59m 59s"));
    EXPECT_EQ(formatTotalDuration(3600), QStringLiteral("60m 0s"));
    EXPECT_EQ(formatTotalDuration(3659), QStringLiteral("60m 59s"));
    EXPECT_EQ(formatTotalDuration(3660), QStringLiteral("1h 1m"));
    EXPECT_EQ(formatTotalDuration(7199), QStringLiteral("1h 59m"));
    EXPECT_EQ(formatTotalDuration(86400), QStringLiteral("24h 0m"));
    EXPECT_EQ(formatTotalDuration(std::numeric_limits<double>::infinity()), QStringLiteral("0m 0s"));
}
