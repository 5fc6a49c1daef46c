// Pictures as the files show them: pixels that are not square, display
// matrices that mirror, frames asked for exactly where they start, pictures
// of a few pixels and encrypted files. The files are made here, small.
#include "library/model/Clip.h"
#include "media/FFmpegFrameConverter.h"
#include "media/FFmpegVideoDecoder.h"
#include "media/MediaProbe.h"
#include "media/VideoPlayer.h"
#include "support/FormatMatrix.h"
#include "support/PlayerWaits.h"
#include "support/TestMedia.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>
#include <gtest/gtest.h>

#include <memory>

namespace {

// The ffmpeg tool's arguments, written as on its command line.
QStringList words(const char *line)
{
    return QString::fromLatin1(line).split(QLatin1Char(' '));
}

const QStringList h264 = words("-c:v libx264 -preset ultrafast -pix_fmt yuv420p");

// Players are fitted into 640x360 from the start, the size before any is
// set: their first frame may come before a new size reaches their thread.
const QSize playerSize(640, 360);

QImage firstFrame(const QString &path, QString *error)
{
    FFmpegVideoDecoder decoder;
    if (!decoder.open(path, 1, error) || !decoder.decodeNextFrame(error))
        return {};
    return decoder.frameImage();
}

} // namespace

TEST(PictureGeometry, PixelsThatAreNotSquareAreShownAtTheirDisplaySize)
{
    QTemporaryDir dir;
    struct Case
    {
        QString name;
        QString source;
        QStringList coding;
        QSize shown;
        QString label;
    };
    const QString hdv = QStringLiteral("testsrc2=size=1440x1080:rate=25,setsar=4/3");
    const QList<Case> cases{
        // HDV and AVCHD: 4:3 pixels, stated by the container (MP4) or only by the codec (MPEG-TS).
        {QStringLiteral("hdv.mp4"), hdv, h264, QSize(1920, 1080), QStringLiteral("1080p")},
        {QStringLiteral("hdv.mts"), hdv, h264, QSize(1920, 1080), QStringLiteral("1080p")},
        // DVD: 16:9 on 720x480 (32:27 pixels); DV: PAL 4:3 (16:15 pixels).
        {QStringLiteral("dvd.mpg"), QStringLiteral("testsrc2=size=720x480:rate=30000/1001"), words("-c:v mpeg2video -aspect 16:9"),
         QSize(853, 480), QStringLiteral("853×480")},
        {QStringLiteral("dv.mov"), QStringLiteral("testsrc2=size=720x576:rate=25,setsar=16/15"), words("-c:v dvvideo -pix_fmt yuv420p"),
         QSize(768, 576), QStringLiteral("768×576")},
    };
    for (const Case &clip : cases) {
        SCOPED_TRACE(clip.name.toStdString());
        const QString path = dir.filePath(clip.name);
        ASSERT_TRUE(TestMedia::lavfiClip(path, clip.source, 0.2, clip.coding));
        const ProbeResult probe = MediaProbe::probeClip(path);
        EXPECT_EQ(QSize(int(probe.width), int(probe.height)), clip.shown);
        Clip card;
        card.width = probe.width;
        card.height = probe.height;
        EXPECT_EQ(card.resolutionLabel(), clip.label);
        QString error;
        EXPECT_EQ(firstFrame(path, &error).size(), clip.shown) << error.toStdString();
        // The scrub player: its size, and pictures of its proportions.
        const auto player = PlayerWaits::readyPlayer(path, VideoPlayer::Options::pooledScrub(), playerSize);
        EXPECT_EQ(player->displaySize(), clip.shown);
        const QSize fitted = FFmpegFrameConverter::fitSize(clip.shown, playerSize);
        EXPECT_EQ(player->currentFrame().size(), fitted);
    }

    // An MP4 whose pixel aspect only the codec states (no 'pasp' box, the
    // track header as wide as the coded picture): its header, read alone
    // for decoding, does not tell; the full player learns it from the first
    // frame.
    const QString codecOnly = dir.filePath(QStringLiteral("codec-only.mp4"));
    ASSERT_TRUE(QFile::copy(dir.filePath(QStringLiteral("hdv.mp4")), codecOnly));
    {
        QFile file(codecOnly);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        QByteArray bytes = file.readAll();
        const qsizetype box = bytes.indexOf("pasp");
        ASSERT_GT(box, 0);
        bytes.replace(box, 4, "free");
        const qsizetype header = bytes.indexOf("tkhd");
        ASSERT_GT(header, 0);
        qToBigEndian<quint32>(1440u << 16, bytes.data() + header - 4 + 84); // its width, 16.16 (version 0)
        file.seek(0);
        file.write(bytes);
    }
    FFmpegFormat header;
    ASSERT_TRUE(header.openForDecoding(codecOnly));
    ASSERT_EQ(header.displaySize(), QSize(1440, 1080)); // else this file shows nothing new
    EXPECT_EQ(MediaProbe::probeClip(codecOnly).width, 1920);
    const auto player = PlayerWaits::readyPlayer(codecOnly, VideoPlayer::Options::fullPlayer(), playerSize);
    EXPECT_EQ(player->displaySize(), QSize(1920, 1080));
    EXPECT_EQ(player->currentFrame().size(), QSize(640, 360));
}

TEST(PictureGeometry, DisplayMatricesShowWhatTheToolsFiltersShow)
{
    // Four quadrants of four colours, and what the ffmpeg tool's filters
    // make of them for each display matrix (the track header's layout: a
    // point (p, q) is shown at (a p + c q, b p + d q)).
    QTemporaryDir dir;
    const QString plain = dir.filePath(QStringLiteral("plain.mp4"));
    ASSERT_TRUE(TestMedia::lavfiClip(plain,
                                     QStringLiteral("color=c=red:size=64x48:rate=25,drawbox=x=32:y=0:w=32:h=24:c=lime:t=fill,"
                                                    "drawbox=x=0:y=24:w=32:h=24:c=blue:t=fill,drawbox=x=32:y=24:w=32:h=24:c=white:t=fill"),
                                     0.2, h264));
    constexpr qint32 one = 0x10000;
    constexpr qint32 w = 0x40000000;
    struct Case
    {
        const char *name;
        std::array<qint32, 9> matrix;
        QString filters;
    };
    const Case cases[] = {
        {"mirrored left to right", {-one, 0, 0, 0, one, 0, 0, 0, w}, QStringLiteral("hflip")},
        {"mirrored top to bottom", {one, 0, 0, 0, -one, 0, 0, 0, w}, QStringLiteral("vflip")},
        {"a quarter turn", {0, one, 0, -one, 0, 0, 0, 0, w}, QStringLiteral("transpose=clock")},
        {"a quarter turn mirrored", {0, one, 0, one, 0, 0, 0, 0, w}, QStringLiteral("transpose=clock,hflip")},
    };
    for (const Case &shown : cases) {
        SCOPED_TRACE(shown.name);
        const QString path = dir.filePath(QString::fromLatin1(shown.name) + QStringLiteral(".mp4"));
        ASSERT_TRUE(QFile::copy(plain, path));
        ASSERT_TRUE(FormatMatrix::setDisplayMatrix(path, shown.matrix));
        const QString reference = dir.filePath(QStringLiteral("reference.png"));
        QFile::remove(reference);
        ASSERT_TRUE(TestMedia::runFfmpeg({QStringLiteral("-i"), plain, QStringLiteral("-vf"), shown.filters, QStringLiteral("-frames:v"),
                                          QStringLiteral("1"), reference}));
        const QImage expected(reference);
        QString error;
        const QImage image = firstFrame(path, &error);
        ASSERT_EQ(image.size(), expected.size()) << error.toStdString();
        EXPECT_EQ(MediaProbe::probeClip(path).width, expected.width());
        for (const QPoint at : {QPoint(1, 1), QPoint(3, 1), QPoint(1, 3), QPoint(3, 3)}) {
            const QPoint pixel(at.x() * image.width() / 4, at.y() * image.height() / 4);
            const QColor got = image.pixelColor(pixel);
            const QColor want = expected.pixelColor(pixel);
            EXPECT_LT(std::abs(got.red() - want.red()) + std::abs(got.green() - want.green()) + std::abs(got.blue() - want.blue()), 60)
                << pixel.x() << "," << pixel.y();
        }
    }
}

TEST(PictureGeometry, AFrameAskedForWhereItStartsIsShownThere)
{
    // Variable frame rate in Matroska: gaps of 40 and 30 ms, and the
    // container's duration of every frame 34 ms, past the start of each
    // frame that follows a short gap.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("variable.mkv"));
    ASSERT_TRUE(TestMedia::lavfiClip(path,
                                     QStringLiteral("testsrc=size=96x64:rate=25,settb=1/1000,setpts='(floor(N/2)*70+mod(N,2)*40)/1000/TB'"),
                                     1.0, h264 + words("-fps_mode passthrough -enc_time_base 1/1000")));
    QList<double> starts;
    {
        FFmpegVideoDecoder decoder;
        ASSERT_TRUE(decoder.open(path, 1));
        while (decoder.decodeNextFrame())
            starts << decoder.frameTime();
    }
    ASSERT_GE(starts.size(), 20);
    const auto player = PlayerWaits::readyPlayer(path, VideoPlayer::Options::pooledScrub(), playerSize);
    FFmpegVideoDecoder fresh;
    ASSERT_TRUE(fresh.open(path, 1));
    // Backwards, so that neither decodes on from the frame before.
    for (qsizetype i = starts.size() - 1; i >= 0; --i) {
        SCOPED_TRACE(i);
        ASSERT_TRUE(fresh.seekExact(starts[i]));
        EXPECT_DOUBLE_EQ(fresh.frameTime(), starts[i]);
        ASSERT_TRUE(PlayerWaits::seekAndWait(*player, starts[i]));
        EXPECT_DOUBLE_EQ(player->currentFrameTime(), starts[i]);
    }
    // Forwards from each frame to the next, decoding on.
    for (const double start : starts) {
        ASSERT_TRUE(fresh.seekExact(start));
        EXPECT_DOUBLE_EQ(fresh.frameTime(), start);
    }
}

TEST(PictureGeometry, TinyAndOddSizedPicturesConvert)
{
    // swscale writes whole blocks of pixels: rows are padded for them
    // (valgrind tells when they are not).
    QTemporaryDir dir;
    // H.264 as a browser's test file, odd sizes in FFV1 (x264 takes none).
    const QStringList ffv1 = words("-c:v ffv1 -pix_fmt yuv420p");
    for (const QSize size : {QSize(2, 2), QSize(33, 17), QSize(361, 241)}) {
        SCOPED_TRACE(size.width());
        const bool even = size.width() % 2 == 0;
        const QString path = dir.filePath(
            QStringLiteral("%1.%2").arg(size.width()).arg(even ? QStringLiteral("mp4") : QStringLiteral("mkv")));
        ASSERT_TRUE(TestMedia::lavfiClip(path, QStringLiteral("testsrc=size=%1x%2:rate=25").arg(size.width()).arg(size.height()), 0.2,
                                         even ? h264 : ffv1));
        FFmpegVideoDecoder decoder;
        ASSERT_TRUE(decoder.open(path, 1));
        ASSERT_TRUE(decoder.decodeNextFrame());
        FFmpegFrameConverter threaded(4);
        for (const QSize box : {QSize(), QSize(480, 270), QSize(7, 5), QSize(1, 1)}) {
            const QSize fitted = FFmpegFrameConverter::fitSize(size, box);
            EXPECT_EQ(decoder.frameImage(box).size(), fitted);
            EXPECT_EQ(decoder.frameImage(threaded, box).size(), fitted);
        }
    }
}

TEST(PictureGeometry, AnEncryptedFileSaysSo)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("encrypted.mp4"));
    ASSERT_TRUE(TestMedia::lavfiClip(path, QStringLiteral("testsrc2=size=64x48:rate=25"), 0.2,
                                     h264 + words("-encryption_scheme cenc-aes-ctr -encryption_key 00112233445566778899aabbccddeeff")
                                         + words("-encryption_kid 00112233445566778899aabbccddeeff")));
    QString error;
    EXPECT_TRUE(firstFrame(path, &error).isNull());
    EXPECT_EQ(error, QStringLiteral("The video is encrypted and cannot be decoded"));
    const auto player = PlayerWaits::readyPlayer(path, VideoPlayer::Options::fullPlayer(), playerSize);
    EXPECT_FALSE(player->isReadyForDisplay());
    EXPECT_EQ(player->errorText(), QStringLiteral("No picture can be decoded: The video is encrypted and cannot be decoded"));
}
