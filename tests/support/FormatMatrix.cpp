#include "support/FormatMatrix.h"

#include "support/FrameNumberStrip.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QtEndian>

#include <cmath>
#include <cstring>

namespace {

QStringList lavfi(const QString &graph)
{
    return {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"), graph};
}

struct Shape
{
    QSize coded;
    double seconds = 4;
    bool grain = false;
    double burstStart = FormatMatrix::burstStart;
    double burstEnd = FormatMatrix::burstEnd;
};

// A quiet 1 kHz tone with a loud burst, the same on both channels.
QStringList sound(const Shape &shape)
{
    const QString channel =
        QStringLiteral("(0.05+0.45*between(t,%1,%2))*sin(2*PI*1000*t)").arg(shape.burstStart).arg(shape.burstEnd - 1e-6);
    return lavfi(QStringLiteral("aevalsrc='%1|%1':s=48000:d=%2").arg(channel).arg(shape.seconds));
}

// The picture: the frame counter, grain when asked (drawn before the strip,
// which stays clean), the strip.
QStringList picture(const Shape &shape, const QString &rate)
{
    QStringList arguments = lavfi(QStringLiteral("testsrc=size=%1x%2:rate=%3:duration=%4")
                                      .arg(shape.coded.width())
                                      .arg(shape.coded.height())
                                      .arg(rate)
                                      .arg(shape.seconds));
    arguments += sound(shape);
    QString filters = shape.grain ? QStringLiteral("noise=alls=14:allf=t+u,") : QString();
    filters += FrameNumberStrip::filter();
    arguments += {QStringLiteral("-vf"), filters, QStringLiteral("-t"), QString::number(shape.seconds)};
    return arguments;
}

QStringList x264(int gop, int bFrames, bool bench)
{
    QStringList arguments{QStringLiteral("-c:v"),
                          QStringLiteral("libx264"),
                          QStringLiteral("-preset"),
                          QStringLiteral("veryfast"),
                          QStringLiteral("-profile:v"),
                          QStringLiteral("high"),
                          QStringLiteral("-pix_fmt"),
                          QStringLiteral("yuv420p"),
                          QStringLiteral("-g"),
                          QString::number(gop),
                          QStringLiteral("-keyint_min"),
                          QString::number(gop),
                          QStringLiteral("-sc_threshold"),
                          QStringLiteral("0"),
                          QStringLiteral("-bf"),
                          QString::number(bFrames)};
    if (bench)
        arguments += {QStringLiteral("-b:v"), QStringLiteral("24M"),      QStringLiteral("-maxrate"),
                      QStringLiteral("30M"),  QStringLiteral("-bufsize"), QStringLiteral("30M")};
    return arguments;
}

// VP8 with an alpha channel (which makes libavformat write every frame in a
// BlockGroup), keyframes only where forced.
QStringList vp8(const QString &keyframeTimes, bool bench)
{
    QStringList arguments{
        QStringLiteral("-c:v"),      QStringLiteral("libvpx"),  QStringLiteral("-deadline"),         QStringLiteral("realtime"),
        QStringLiteral("-cpu-used"), QStringLiteral("8"),       QStringLiteral("-auto-alt-ref"),     QStringLiteral("0"),
        QStringLiteral("-g"),        QStringLiteral("1000"),    QStringLiteral("-force_key_frames"), keyframeTimes,
        QStringLiteral("-pix_fmt"),  QStringLiteral("yuva420p")};
    if (bench)
        arguments += {QStringLiteral("-b:v"), QStringLiteral("12M")};
    return arguments;
}

QStringList audio(const QString &codec, const QString &bitrate = QString())
{
    QStringList arguments{QStringLiteral("-c:a"), codec};
    if (!bitrate.isEmpty())
        arguments += {QStringLiteral("-b:a"), bitrate};
    return arguments;
}

QString stampOf(const MatrixFormat &format)
{
    return QString::fromLatin1(QCryptographicHash::hash(FormatMatrix::recipe(format).toUtf8(), QCryptographicHash::Sha1).toHex());
}

MatrixFormat entry(const QString &name, const QString &codec, QSize displaySize, int rotation, int rateNumerator, int rateDenominator,
                   double duration, bool intraOnly = false)
{
    MatrixFormat format;
    format.name = QStringLiteral("fmt_") + name;
    format.codec = codec;
    format.displaySize = displaySize;
    format.rotation = rotation;
    format.rateNumerator = rateNumerator;
    format.rateDenominator = rateDenominator;
    // Whole frames: the last one starts before the length asked for and lasts its full time.
    format.duration = std::ceil(duration * rateNumerator / rateDenominator - 1e-9) * rateDenominator / rateNumerator;
    format.intraOnly = intraOnly;
    format.burstStart = FormatMatrix::burstStart;
    format.burstEnd = FormatMatrix::burstEnd;
    return format;
}

} // namespace

int MatrixFormat::frameAt(double seconds) const
{
    // A little slack for times computed from frame times in floating point.
    return int(std::floor(seconds * rateNumerator / rateDenominator + 1e-6));
}

double MatrixFormat::frameTime(int number) const
{
    return double(number) * rateDenominator / rateNumerator;
}

QList<MatrixFormat> FormatMatrix::formats(Scale scale)
{
    const bool bench = scale == Scale::Bench;
    const QSize landscape = bench ? QSize(1920, 1080) : QSize(320, 180);
    const double seconds = bench ? 20 : 4;
    const Shape shape{landscape, seconds, bench};
    const QStringList aac = audio(QStringLiteral("aac"), QStringLiteral("128k"));
    const QStringList opus = audio(QStringLiteral("libopus"), QStringLiteral("96k"));
    QList<MatrixFormat> all;

    // AVCHD as camcorders write it: MPEG-TS (from about 1.4 s), H.264 with
    // B-frames and groups of half a second, AC-3 sound; PAL rate.
    MatrixFormat avchd = entry(QStringLiteral("avchd.mts"), QStringLiteral("H.264"), landscape, 0, 25, 1, seconds);
    avchd.arguments = picture(shape, QStringLiteral("25")) + x264(12, 2, bench) + audio(QStringLiteral("ac3"), QStringLiteral("256k"))
                      + QStringList{QStringLiteral("-f"), QStringLiteral("mpegts")};
    all << avchd;

    // The same in 192-byte packets (Blu-ray's M2TS, also named .MTS), NTSC rate.
    MatrixFormat m2ts = entry(QStringLiteral("m2ts.mts"), QStringLiteral("H.264"), landscape, 0, 30000, 1001, seconds);
    m2ts.arguments = picture(shape, QStringLiteral("30000/1001")) + x264(15, 2, bench)
                     + audio(QStringLiteral("ac3"), QStringLiteral("256k"))
                     + QStringList{QStringLiteral("-f"), QStringLiteral("mpegts"), QStringLiteral("-mpegts_m2ts_mode"),
                                   QStringLiteral("1")};
    all << m2ts;

    // An MP4 whose first picture is shown at 3.5 s (an edit list with an empty edit).
    MatrixFormat offset = entry(QStringLiteral("offset.mp4"), QStringLiteral("H.264"), landscape, 0, 30, 1, seconds);
    offset.arguments = picture(shape, QStringLiteral("30")) + x264(30, 3, bench) + aac
                       + QStringList{QStringLiteral("-output_ts_offset"), QStringLiteral("3.5")};
    all << offset;

    // ProRes 422, 10-bit 4:2:2, every frame a keyframe, PCM sound.
    MatrixFormat prores = entry(QStringLiteral("prores.mov"), QStringLiteral("ProRes 422"), landscape, 0, 30, 1, seconds, true);
    prores.arguments = picture(shape, QStringLiteral("30"))
                       + QStringList{QStringLiteral("-c:v"), QStringLiteral("prores_ks"), QStringLiteral("-profile:v"),
                                     QStringLiteral("2"),    QStringLiteral("-pix_fmt"),  QStringLiteral("yuv422p10le")}
                       + audio(QStringLiteral("pcm_s24le"));
    all << prores;

    // HEVC Main 10 as phones and mirrorless cameras write it; 4K for the benchmarks.
    const QSize uhd = bench ? QSize(3840, 2160) : landscape;
    const double hevcSeconds = bench ? 12 : seconds;
    MatrixFormat hevc = entry(QStringLiteral("hevc10.mp4"), QStringLiteral("HEVC"), uhd, 0, 30, 1, hevcSeconds);
    hevc.arguments = picture(Shape{uhd, hevcSeconds, bench}, QStringLiteral("30"))
                     + QStringList{QStringLiteral("-c:v"),         QStringLiteral("libx265"),
                                   QStringLiteral("-preset"),      QStringLiteral("ultrafast"),
                                   QStringLiteral("-x265-params"), QStringLiteral("log-level=error:keyint=30:min-keyint=30:scenecut=0"),
                                   QStringLiteral("-pix_fmt"),     QStringLiteral("yuv420p10le"),
                                   QStringLiteral("-tag:v"),       QStringLiteral("hvc1")}
                     + (bench ? QStringList{QStringLiteral("-b:v"), QStringLiteral("40M")} : QStringList()) + aac;
    all << hevc;

    // Matroska (no codec tag; the first picture after the sound's first sample).
    MatrixFormat mkv = entry(QStringLiteral("mkv.mkv"), QStringLiteral("H.264"), landscape, 0, 30, 1, seconds);
    mkv.arguments = picture(shape, QStringLiteral("30")) + x264(30, 3, bench) + aac;
    all << mkv;

    // WebM: VP9 with Opus.
    MatrixFormat webm = entry(QStringLiteral("vp9.webm"), QStringLiteral("vp09"), landscape, 0, 30, 1, seconds);
    webm.arguments = picture(shape, QStringLiteral("30"))
                     + QStringList{QStringLiteral("-c:v"),     QStringLiteral("libvpx-vp9"), QStringLiteral("-deadline"),
                                   QStringLiteral("realtime"), QStringLiteral("-cpu-used"),  QStringLiteral("8"),
                                   QStringLiteral("-row-mt"),  QStringLiteral("1"),          QStringLiteral("-g"),
                                   QStringLiteral("30"),       QStringLiteral("-pix_fmt"),   QStringLiteral("yuv420p")}
                     + (bench ? QStringList{QStringLiteral("-b:v"), QStringLiteral("12M")} : QStringList()) + opus;
    all << webm;

    // A phone held upright: a landscape picture with a quarter turn in its track header.
    MatrixFormat phone = entry(QStringLiteral("phone.mp4"), QStringLiteral("H.264"), landscape.transposed(), 90, 30, 1, seconds);
    phone.arguments = picture(shape, QStringLiteral("30")) + x264(30, 0, bench) + aac;
    all << phone;

    // NTSC's 29.97 frames per second.
    MatrixFormat ntsc = entry(QStringLiteral("ntsc.mp4"), QStringLiteral("H.264"), landscape, 0, 30000, 1001, seconds);
    ntsc.arguments = picture(shape, QStringLiteral("30000/1001")) + x264(30, 3, bench) + aac;
    all << ntsc;

    // A screen recording in WebM as GStreamer 0.10 wrote it: VP8, frames
    // that refer to others in BlockGroups without a reference, keyframes at
    // 0, 1 and 3.27 s and then every 4 s.
    MatrixFormat screen = entry(QStringLiteral("vp8keys.webm"), QStringLiteral("vp08"), landscape, 0, 30, 1, seconds);
    QStringList keyframeTimes{QStringLiteral("0"), QStringLiteral("1")};
    for (double t = 3.27; t < seconds; t += 4)
        keyframeTimes << QString::number(t);
    screen.arguments = picture(shape, QStringLiteral("30")) + vp8(keyframeTimes.join(QLatin1Char(',')), bench) + opus;
    screen.blockReferencesDropped = true;
    all << screen;

    // Two frames at one a second, written the same way: the second frame
    // refers to the first.
    const Shape twoFrames{landscape, 2, bench, 1.0, 1.5};
    MatrixFormat two = entry(QStringLiteral("vp8two.webm"), QStringLiteral("vp08"), landscape, 0, 1, 1, twoFrames.seconds);
    two.burstStart = twoFrames.burstStart;
    two.burstEnd = twoFrames.burstEnd;
    two.arguments = picture(twoFrames, QStringLiteral("1")) + vp8(QStringLiteral("0"), bench) + opus;
    two.blockReferencesDropped = true;
    all << two;

    // Open groups of pictures (x264's open-gop): the B-frames that follow a
    // keyframe in the file are shown before it and refer to the group before.
    MatrixFormat openGop = entry(QStringLiteral("opengop.mp4"), QStringLiteral("H.264"), landscape, 0, 30, 1, seconds);
    openGop.arguments = picture(shape, QStringLiteral("30")) + x264(30, 3, bench)
                        + QStringList{QStringLiteral("-x264-params"), QStringLiteral("open-gop=1")} + aac;
    all << openGop;

    // Keyframes of the container that do not decode alone: the P-frames at
    // 1 s and 3 s listed as sync samples, between the real keyframes.
    MatrixFormat falseKey = entry(QStringLiteral("falsekey.mp4"), QStringLiteral("H.264"), landscape, 0, 30, 1, seconds);
    falseKey.arguments = picture(shape, QStringLiteral("30")) + x264(60, 0, bench) + aac;
    falseKey.falseKeyframes = {30, 90};
    all << falseKey;

    all << noCues(landscape, seconds, -(seconds + 1), bench);
    return all;
}

MatrixFormat FormatMatrix::noCues(QSize size, double seconds, double firstPictureAt, bool bench, double burstAt)
{
    // Matroska whose blocks lie before their cluster's time (a muxer that let
    // the streams start before 0, and counted the length from the first
    // picture): the demuxer gets no times from them (it numbers the packets
    // on from 0), keeps no index and has no cues, and every seek fails.
    // MPEG-4 Part 2 with one keyframe and AAC at PAL rate, as an old
    // camera's file remuxed. The blocks hold their time as a 16-bit offset
    // from a cluster time of 0: those from 65.536 s before 0 to 32.767 s
    // before it, and from 0 on, have a time of their own (the offset), the
    // others none.
    const Shape shape{size, seconds, bench, burstAt, burstAt + (burstEnd - burstStart)};
    MatrixFormat format = entry(QStringLiteral("nocues.mkv"), QStringLiteral("MPEG-4"), size, 0, 25, 1, seconds);
    format.burstStart = shape.burstStart;
    format.burstEnd = shape.burstEnd;
    format.matroskaDuration = format.duration;
    format.arguments = picture(shape, QStringLiteral("25"))
                       + QStringList{QStringLiteral("-c:v"), QStringLiteral("mpeg4"), QStringLiteral("-g"),
                                     QStringLiteral("600"),  QStringLiteral("-q:v"),  QStringLiteral("3")}
                       + audio(QStringLiteral("aac"), QStringLiteral("128k"))
                       + QStringList{QStringLiteral("-output_ts_offset"), QString::number(firstPictureAt),
                                     QStringLiteral("-avoid_negative_ts"), QStringLiteral("disabled")};
    return format;
}

QString FormatMatrix::recipe(const MatrixFormat &format)
{
    QStringList parts = format.arguments;
    if (!format.falseKeyframes.isEmpty()) {
        QStringList frames;
        for (const int frame : format.falseKeyframes)
            frames << QString::number(frame);
        parts << QStringLiteral("false keyframes ") + frames.join(QLatin1Char(','));
    }
    if (format.matroskaDuration > 0)
        parts << QStringLiteral("duration %1").arg(format.matroskaDuration);
    if (format.blockReferencesDropped)
        parts << QStringLiteral("block references dropped");
    return parts.join(QChar(0x1F));
}

bool FormatMatrix::finish(const MatrixFormat &format, const QString &path, QString *error)
{
    const auto cannot = [&](const char *what) {
        if (error)
            *error = QStringLiteral("cannot %1 %2").arg(QLatin1String(what), path);
        return false;
    };
    if (format.rotation == 90 && !setQuarterTurn(path))
        return cannot("turn");
    if (format.blockReferencesDropped && !dropBlockReferences(path))
        return cannot("drop the block references of");
    if (format.matroskaDuration > 0 && !setMatroskaDuration(path, format.matroskaDuration))
        return cannot("set the duration of");
    return format.falseKeyframes.isEmpty() || markKeyframes(path, format.falseKeyframes, error);
}

bool FormatMatrix::setMatroskaDuration(const QString &path, double seconds)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    const QByteArray head = file.read(4096);
    // The Duration element (0x4489) with its size (eight bytes) in the segment information.
    const qsizetype at = head.indexOf(QByteArray::fromHex("448988"));
    if (at < 0)
        return false;
    const double milliseconds = seconds * 1000.0;
    quint64 bits = 0;
    static_assert(sizeof bits == sizeof milliseconds);
    std::memcpy(&bits, &milliseconds, sizeof bits);
    char value[8];
    qToBigEndian<quint64>(bits, value);
    return file.seek(at + 3) && file.write(value, 8) == 8;
}

bool FormatMatrix::make(const MatrixFormat &format, const QString &folder, QString *error)
{
    QDir().mkpath(folder);
    const QString target = folder + QLatin1Char('/') + format.name;
    // Built under a temporary name with the real extension (ffmpeg picks the container by it).
    const QString partial = folder + QStringLiteral("/partial-") + format.name;
    QFile::remove(partial);
    const bool ok = runFfmpeg(format.arguments + QStringList{partial}, error) && finish(format, partial, error);
    if (!ok) {
        QFile::remove(partial);
        return false;
    }
    QFile::remove(target);
    return QFile::rename(partial, target);
}

bool FormatMatrix::makeAll(Scale scale, const QString &folder, QString *error)
{
    for (const MatrixFormat &format : formats(scale)) {
        const QString target = folder + QLatin1Char('/') + format.name;
        QFile stamp(target + QStringLiteral(".stamp"));
        if (QFileInfo::exists(target) && stamp.open(QIODevice::ReadOnly) && QString::fromLatin1(stamp.readAll()) == stampOf(format))
            continue;
        stamp.close();
        if (!make(format, folder, error)) {
            if (error)
                *error = format.name + QStringLiteral(": ") + *error;
            return false;
        }
        if (stamp.open(QIODevice::WriteOnly | QIODevice::Truncate))
            stamp.write(stampOf(format).toLatin1());
    }
    return true;
}

bool FormatMatrix::runFfmpeg(const QStringList &arguments, QString *errorText)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QStringLiteral("ffmpeg"), QStringList{QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"),
                                                        QStringLiteral("error"), QStringLiteral("-nostdin"), QStringLiteral("-y")}
                                                + arguments);
    if (!process.waitForStarted(10000)) {
        if (errorText)
            *errorText = QStringLiteral("ffmpeg did not start");
        return false;
    }
    process.waitForFinished(-1);
    const bool ok = process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    if (!ok && errorText)
        *errorText = QString::fromLocal8Bit(process.readAll());
    return ok;
}

bool FormatMatrix::setQuarterTurn(const QString &path)
{
    return setDisplayMatrix(path, {0, 0x10000, 0, -0x10000, 0, 0, 0, 0, 0x40000000});
}

bool FormatMatrix::setDisplayMatrix(const QString &path, const std::array<qint32, 9> &matrix)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    QByteArray data = file.readAll();
    const qsizetype header = data.indexOf("tkhd");
    if (header < 4)
        return false;
    const int version = static_cast<unsigned char>(data[header + 4]);
    const qsizetype at = header - 4 + (version == 0 ? 48 : 60);
    for (size_t i = 0; i < matrix.size(); ++i)
        qToBigEndian<qint32>(matrix[i], data.data() + at + 4 * qsizetype(i));
    file.seek(0);
    return file.write(data) == data.size();
}
