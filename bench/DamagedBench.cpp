// triagon-bench damaged FOLDER [SOURCE]: a long file made to look like a
// damaged card, with its healthy twin, for `poster`, `scrub` and `player`:
// FOLDER/healthy.mp4 is SOURCE (or, without it, a 10-minute 640x360 30 fps
// H.264 clip with a keyframe every 5 s, made with the ffmpeg tool) and
// FOLDER/damaged.mp4 the same with 1,500 random bytes inside its keyframes
// at 145, 150, 295, 300, 445 and 450 s. Prints the keyframes damaged, and
// the frames a landing there decodes (the work the recovery bounds).
#include "Bench.h"

#include "media/FFmpegVideoDecoder.h"
#include "support/DamagedKeyframes.h"
#include "support/FormatMatrix.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace {

const QList<double> damagedTimes{145, 150, 295, 300, 445, 450};
constexpr int damagedBytes = 1500;

bool makeSource(const QString &path)
{
    return FormatMatrix::runFfmpeg(
        {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"), QStringLiteral("testsrc2=size=640x360:rate=30:duration=600"),
         QStringLiteral("-c:v"), QStringLiteral("libx264"), QStringLiteral("-preset"), QStringLiteral("veryfast"), QStringLiteral("-g"),
         QStringLiteral("150"), QStringLiteral("-keyint_min"), QStringLiteral("150"), QStringLiteral("-sc_threshold"), QStringLiteral("0"),
         QStringLiteral("-pix_fmt"), QStringLiteral("yuv420p"), path});
}

int run(const QStringList &arguments)
{
    if (arguments.isEmpty()) {
        std::fprintf(stderr, "usage: triagon-bench damaged FOLDER [SOURCE]\n");
        return 2;
    }
    const QDir folder(arguments[0]);
    QDir().mkpath(folder.path());
    const QString healthy = folder.filePath(QStringLiteral("healthy.mp4"));
    const QString damaged = folder.filePath(QStringLiteral("damaged.mp4"));
    QFile::remove(healthy);
    QFile::remove(damaged);
    if (arguments.size() > 1 ? !QFile::copy(arguments[1], healthy) : !makeSource(healthy)) {
        std::fprintf(stderr, "cannot make %s\n", qUtf8Printable(healthy));
        return 1;
    }
    QString error;
    QList<double> hit;
    if (!QFile::copy(healthy, damaged) || !DamagedKeyframes::damage(damaged, damagedTimes, damagedBytes, &error, &hit)) {
        std::fprintf(stderr, "cannot damage %s: %s\n", qUtf8Printable(damaged), qUtf8Printable(error));
        return 1;
    }
    QStringList times;
    for (const double seconds : hit)
        times << QString::number(seconds, 'f', 3);
    bench::print("healthy", QFileInfo(healthy).absoluteFilePath());
    bench::print("damaged", QFileInfo(damaged).absoluteFilePath());
    bench::print("damaged_keyframes_s", times.join(QLatin1Char(',')));
    // A fresh decoder's exact landing a second after each damaged keyframe.
    double most = 0;
    for (const double seconds : hit) {
        FFmpegVideoDecoder decoder;
        if (!decoder.open(damaged, FFmpegVideoDecoder::oneOffThreadCount()))
            return 1;
        const quint64 before = FFmpegVideoDecoder::framesDecodedInProcess();
        decoder.seekExact(seconds + 1.0);
        most = std::max(most, double(FFmpegVideoDecoder::framesDecodedInProcess() - before));
    }
    bench::print("most_frames_decoded_per_landing", most, 0);
    return 0;
}

const BenchCommand command("damaged", "FOLDER [SOURCE]   a 10-minute file with damaged keyframes and its healthy twin", run);

} // namespace
