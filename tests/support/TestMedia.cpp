#include "support/TestMedia.h"

#include "support/FormatMatrix.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

struct Recipe
{
    QString name;
    QStringList arguments;                         // ffmpeg arguments before the output path; empty for special files
    std::function<bool(const QString &path)> make; // used instead of ffmpeg when set
    std::function<bool(const QString &path)> post; // applied to the ffmpeg output
    QString recipe = {};                           // what the file is made of, when more than the arguments
};

QStringList lavfi(const QString &graph)
{
    return {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"), graph};
}

QStringList x264(int gop = 30)
{
    return {QStringLiteral("-c:v"),     QStringLiteral("libx264"), QStringLiteral("-preset"), QStringLiteral("ultrafast"),
            QStringLiteral("-pix_fmt"), QStringLiteral("yuv420p"), QStringLiteral("-g"),      QString::number(gop)};
}

QStringList aac()
{
    return {QStringLiteral("-c:a"), QStringLiteral("aac"), QStringLiteral("-b:a"), QStringLiteral("96k")};
}

bool truncateTo30Percent(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadWrite))
        return false;
    return f.resize(f.size() * 3 / 10);
}

const std::vector<Recipe> &recipes()
{
    static const std::vector<Recipe> all = [] {
        std::vector<Recipe> r;
        const QString small = QStringLiteral("size=320x240:rate=30");
        r.push_back({QStringLiteral("pattern_1080p30.mp4"),
                     lavfi(QStringLiteral("testsrc2=size=1920x1080:rate=30"))
                         + lavfi(QStringLiteral("sine=frequency=1000:sample_rate=48000"))
                         + QStringList{QStringLiteral("-t"), QStringLiteral("4")} + x264(60) + aac(),
                     {},
                     {}});
        r.push_back({QStringLiteral("portrait.mp4"),
                     lavfi(QStringLiteral("testsrc2=size=1080x1920:rate=30"))
                         + lavfi(QStringLiteral("sine=frequency=440:sample_rate=48000"))
                         + QStringList{QStringLiteral("-t"), QStringLiteral("2")} + x264() + aac(),
                     {},
                     {}});
        r.push_back(
            {QStringLiteral("noaudio.mp4"),
             lavfi(QStringLiteral("testsrc2=size=640x360:rate=30")) + QStringList{QStringLiteral("-t"), QStringLiteral("2")} + x264(),
             {},
             {}});
        r.push_back(
            {QStringLiteral("rotated.mp4"),
             lavfi(QStringLiteral("testsrc2=size=1920x1080:rate=30")) + QStringList{QStringLiteral("-t"), QStringLiteral("1")} + x264(),
             {},
             FormatMatrix::setQuarterTurn});
        r.push_back({QStringLiteral("dated.mov"),
                     lavfi(QStringLiteral("testsrc2=") + small) + QStringList{QStringLiteral("-t"), QStringLiteral("1")} + x264()
                         + QStringList{QStringLiteral("-metadata"), QStringLiteral("creation_time=2024-05-01T10:20:30.000000Z")},
                     {},
                     {}});
        r.push_back({QStringLiteral("counter.mp4"),
                     lavfi(QStringLiteral("testsrc=") + small) + QStringList{QStringLiteral("-t"), QStringLiteral("10")} + x264(60),
                     {},
                     {}});
        // Frame counter with B-frames (pyramid, as cameras and editors write them).
        r.push_back({QStringLiteral("bframes.mp4"),
                     lavfi(QStringLiteral("testsrc=") + small) + QStringList{QStringLiteral("-t"), QStringLiteral("8")}
                         + QStringList{QStringLiteral("-c:v"), QStringLiteral("libx264"), QStringLiteral("-preset"),
                                       QStringLiteral("medium"), QStringLiteral("-pix_fmt"), QStringLiteral("yuv420p"),
                                       QStringLiteral("-g"), QStringLiteral("60"), QStringLiteral("-bf"), QStringLiteral("3")},
                     {},
                     {}});
        r.push_back({QStringLiteral("clip.mkv"),
                     lavfi(QStringLiteral("testsrc2=") + small) + QStringList{QStringLiteral("-t"), QStringLiteral("1")} + x264(),
                     {},
                     {}});
        r.push_back(
            {QStringLiteral("clip.webm"),
             lavfi(QStringLiteral("testsrc2=") + small)
                 + QStringList{QStringLiteral("-t"), QStringLiteral("1"), QStringLiteral("-c:v"), QStringLiteral("libvpx-vp9"),
                               QStringLiteral("-deadline"), QStringLiteral("realtime"), QStringLiteral("-cpu-used"), QStringLiteral("8")},
             {},
             {}});
        r.push_back({QStringLiteral("audioonly.mp4"),
                     lavfi(QStringLiteral("sine=frequency=1000:sample_rate=48000")) + QStringList{QStringLiteral("-t"), QStringLiteral("2")}
                         + aac(),
                     {},
                     {}});
        r.push_back({QStringLiteral("silence.mp4"),
                     lavfi(QStringLiteral("testsrc2=") + small) + lavfi(QStringLiteral("anullsrc=channel_layout=stereo:sample_rate=48000"))
                         + QStringList{QStringLiteral("-t"), QStringLiteral("4")} + x264() + aac(),
                     {},
                     {}});
        r.push_back({QStringLiteral("burst.mp4"),
                     lavfi(QStringLiteral("testsrc2=") + small)
                         + lavfi(QStringLiteral("aevalsrc='if(between(t,2.0,2.5),sin(2*PI*1000*t),0)':s=48000:d=4"))
                         + QStringList{QStringLiteral("-t"), QStringLiteral("4")} + x264() + aac(),
                     {},
                     {}});
        r.push_back({QStringLiteral("black.mp4"),
                     lavfi(QStringLiteral("color=c=black:") + small)
                         + lavfi(QStringLiteral("anullsrc=channel_layout=stereo:sample_rate=48000"))
                         + QStringList{QStringLiteral("-t"), QStringLiteral("1")} + x264() + aac(),
                     {},
                     {}});
        r.push_back({QStringLiteral("truncated.mp4"),
                     lavfi(QStringLiteral("testsrc2=") + small) + QStringList{QStringLiteral("-t"), QStringLiteral("2")} + x264()
                         + QStringList{QStringLiteral("-movflags"), QStringLiteral("+faststart")},
                     {},
                     truncateTo30Percent});
        r.push_back({QStringLiteral("empty.mp4"),
                     {},
                     [](const QString &p) {
                         QFile f(p);
                         return f.open(QIODevice::WriteOnly);
                     },
                     {}});
        r.push_back({QStringLiteral("notavideo.mov"),
                     {},
                     [](const QString &p) {
                         QFile f(p);
                         return f.open(QIODevice::WriteOnly) && f.write("This is a text file, not a movie.\n") > 0;
                     },
                     {}});
        // Loudness: lossless tones at known levels, so that figures hold to 1e-4.
        const QStringList pcm{QStringLiteral("-c:a"), QStringLiteral("pcm_s16le")};
        r.push_back(
            {QStringLiteral("tone_half_mono16k.mov"), lavfi(QStringLiteral("aevalsrc=0.5*sin(2*PI*1000*t):s=16000:d=5")) + pcm, {}, {}});
        r.push_back({QStringLiteral("tone_half_stereo48k.mkv"),
                     lavfi(QStringLiteral("aevalsrc=0.5*sin(2*PI*1000*t)|0.5*sin(2*PI*1000*t):s=48000:d=5")) + pcm,
                     {},
                     {}});
        r.push_back(
            {QStringLiteral("tone_tenth_mono16k.mov"), lavfi(QStringLiteral("aevalsrc=0.1*sin(2*PI*1000*t):s=16000:d=5")) + pcm, {}, {}});
        r.push_back({QStringLiteral("burst_mono16k.mov"),
                     lavfi(QStringLiteral("aevalsrc='if(between(t,2.0,2.5),0.9*sin(2*PI*1000*t),0)':s=16000:d=4")) + pcm,
                     {},
                     {}});
        r.push_back({QStringLiteral("silence_mono16k.mov"), lavfi(QStringLiteral("aevalsrc=0:s=16000:d=3")) + pcm, {}, {}});
        r.push_back({QStringLiteral("truncated_tone.mov"),
                     lavfi(QStringLiteral("aevalsrc=0.5*sin(2*PI*1000*t):s=16000:d=4")) + pcm
                         + QStringList{QStringLiteral("-movflags"), QStringLiteral("+faststart")},
                     {},
                     truncateTo30Percent});
        // The format matrix's Matroska whose seeks fail, made longer: its
        // times fall back twice, at 4.464 s and 70 s.
        const MatrixFormat wrapping = FormatMatrix::noCues(QSize(160, 90), 80, -70, false, 74);
        r.push_back({QStringLiteral("nocues_wrap.mkv"),
                     wrapping.arguments,
                     {},
                     [wrapping](const QString &path) { return FormatMatrix::finish(wrapping, path); },
                     FormatMatrix::recipe(wrapping)});
        // The formats cameras write, small and short.
        for (const MatrixFormat &format : FormatMatrix::formats(FormatMatrix::Scale::Test)) {
            const auto finish = [format](const QString &path) { return FormatMatrix::finish(format, path); };
            r.push_back({format.name, format.arguments, {}, finish, FormatMatrix::recipe(format)});
        }
        return r;
    }();
    return all;
}

QString stampFor(const Recipe &recipe)
{
    const QString made = recipe.recipe.isEmpty() ? recipe.arguments.join(QChar(0x1F)) : recipe.recipe;
    return QString::fromLatin1(QCryptographicHash::hash(made.toUtf8(), QCryptographicHash::Sha1).toHex());
}

bool generate(const Recipe &recipe, const QString &folder, QString *error)
{
    const QString target = folder + QLatin1Char('/') + recipe.name;
    const QString stampPath = target + QStringLiteral(".stamp");
    const QString stamp = stampFor(recipe);
    {
        QFile s(stampPath);
        if (QFileInfo::exists(target) && s.open(QIODevice::ReadOnly) && QString::fromLatin1(s.readAll()) == stamp)
            return true;
    }
    // Build under a temporary name with the real suffix so ffmpeg picks the container.
    const QString partial = folder + QStringLiteral("/partial-") + recipe.name;
    QFile::remove(partial);
    bool ok = false;
    if (recipe.make) {
        ok = recipe.make(partial);
    } else {
        ok = TestMedia::runFfmpeg(recipe.arguments + QStringList{partial}, error);
        if (ok && recipe.post)
            ok = recipe.post(partial);
    }
    if (!ok) {
        if (error && error->isEmpty())
            *error = QStringLiteral("could not make ") + recipe.name;
        QFile::remove(partial);
        return false;
    }
    QFile::remove(target);
    if (!QFile::rename(partial, target))
        return false;
    QFile s(stampPath);
    if (s.open(QIODevice::WriteOnly | QIODevice::Truncate))
        s.write(stamp.toLatin1());
    return true;
}

} // namespace

QString TestMedia::dir()
{
    return QStringLiteral(TRIAGON_TEST_MEDIA_DIR);
}

bool TestMedia::runFfmpeg(const QStringList &arguments, QString *errorText)
{
    return FormatMatrix::runFfmpeg(arguments, errorText);
}

bool TestMedia::lavfiClip(const QString &path, const QString &source, double seconds, const QStringList &coding)
{
    return runFfmpeg(lavfi(source) + QStringList{QStringLiteral("-t"), QString::number(seconds)} + coding + QStringList{path});
}

QString TestMedia::path(const QString &name)
{
    static bool generated = false;
    static QString failure;
    const QString folder = dir();
    if (!generated) {
        QDir().mkpath(folder);
        QLockFile lock(folder + QStringLiteral("/.generate.lock"));
        lock.setStaleLockTime(0);
        lock.lock();
        for (const Recipe &recipe : recipes()) {
            QString error;
            if (!generate(recipe, folder, &error))
                failure += recipe.name + QStringLiteral(": ") + error + QLatin1Char('\n');
        }
        generated = true;
    }
    const QString full = folder + QLatin1Char('/') + name;
    if (!QFileInfo::exists(full))
        ADD_FAILURE() << "test media " << name.toStdString() << " is missing. " << failure.toStdString();
    return full;
}

QString TestMedia::copyTo(const QString &name, const QString &folder, const QString &newName)
{
    const QString source = path(name);
    QDir().mkpath(folder);
    const QString target = folder + QLatin1Char('/') + (newName.isEmpty() ? name : newName);
    QFile::remove(target);
    if (!QFile::copy(source, target))
        ADD_FAILURE() << "could not copy " << name.toStdString() << " to " << target.toStdString();
    return target;
}

QString TestMedia::solidClip(const QString &color, double seconds)
{
    const QString folder = dir();
    QDir().mkpath(folder);
    const QString length = QString::number(seconds, 'f', 3);
    const QString name = QStringLiteral("solid_") + color + QLatin1Char('_') + length + QStringLiteral("s.mp4");
    const Recipe recipe{name,
                        lavfi(QStringLiteral("color=c=") + color + QStringLiteral(":size=320x240:rate=30"))
                            + QStringList{QStringLiteral("-t"), length} + x264(),
                        {},
                        {}};
    QLockFile lock(folder + QStringLiteral("/.generate.lock"));
    lock.setStaleLockTime(0);
    lock.lock();
    QString error;
    if (!generate(recipe, folder, &error))
        ADD_FAILURE() << "could not make " << name.toStdString() << ": " << error.toStdString();
    return folder + QLatin1Char('/') + name;
}
