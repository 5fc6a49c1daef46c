// One clock for pictures and sound: times count from the first picture
// shown, and the sound is placed on that clock, whatever the container's
// start or the distance between the two tracks' starts.
#include "media/AudioStreamDecoder.h"
#include "media/FFmpegFormat.h"
#include "support/TestMedia.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>

namespace {

// Two seconds of picture and of sound in a Matroska file; the sound track starts
// `soundLead` seconds before the pictures (after them when negative), and is
// a loud tone from `toneFrom` seconds of its own on, silence before.
QString makeClip(const QString &folder, double soundLead, double toneFrom)
{
    const QString path = folder + QStringLiteral("/clip.mkv");
    const double pictureDelay = std::max(0.0, soundLead);
    const double soundDelay = std::max(0.0, -soundLead);
    const bool made = TestMedia::runFfmpeg({QStringLiteral("-itsoffset"),
                                            QString::number(pictureDelay),
                                            QStringLiteral("-f"),
                                            QStringLiteral("lavfi"),
                                            QStringLiteral("-i"),
                                            QStringLiteral("testsrc=size=160x90:rate=30:duration=2"),
                                            QStringLiteral("-itsoffset"),
                                            QString::number(soundDelay),
                                            QStringLiteral("-f"),
                                            QStringLiteral("lavfi"),
                                            QStringLiteral("-i"),
                                            QStringLiteral("aevalsrc='if(gte(t,%1),0.5*sin(2*PI*1000*t),0)':s=48000:d=2").arg(toneFrom),
                                            QStringLiteral("-c:v"),
                                            QStringLiteral("libx264"),
                                            QStringLiteral("-preset"),
                                            QStringLiteral("ultrafast"),
                                            QStringLiteral("-pix_fmt"),
                                            QStringLiteral("yuv420p"),
                                            QStringLiteral("-c:a"),
                                            QStringLiteral("pcm_s16le"),
                                            path});
    EXPECT_TRUE(made);
    return path;
}

// The loudest sample of the frames from `from` to `to` (48 kHz mono).
float loudest(const QByteArray &samples, qint64 from, qint64 to)
{
    const auto *data = reinterpret_cast<const float *>(samples.constData());
    float peak = 0;
    for (qint64 i = std::max<qint64>(0, from); i < std::min<qint64>(to, samples.size() / 4); ++i)
        peak = std::max(peak, std::fabs(data[i]));
    return peak;
}

QByteArray soundFromTheFirstPicture(const QString &path, qint64 frames)
{
    AudioStreamDecoder decoder;
    EXPECT_EQ(decoder.open(path, 48000, 1), AudioStreamDecoder::OpenResult::Opened);
    EXPECT_TRUE(decoder.seek(0));
    QByteArray samples;
    decoder.read(samples, frames);
    return samples;
}

} // namespace

TEST(MediaClock, SoundBeforeTheFirstPictureIsLeftOut)
{
    // The sound starts 0.3 s before the pictures and is silent up to then:
    // from the first picture on, it is loud at once.
    QTemporaryDir dir;
    const QString path = makeClip(dir.path(), 0.3, 0.3);
    FFmpegFormat format;
    ASSERT_TRUE(format.open(path));
    EXPECT_NEAR(format.durationSeconds(), 2.0, 0.04);
    const QByteArray samples = soundFromTheFirstPicture(path, 48000);
    EXPECT_GT(loudest(samples, 0, 480), 0.4f);
}

TEST(MediaClock, ATrackThatStartsLateBeginsWithSilence)
{
    // The sound starts 0.5 s after the first picture, loud from its own start.
    QTemporaryDir dir;
    const QString path = makeClip(dir.path(), -0.5, 0.0);
    const QByteArray samples = soundFromTheFirstPicture(path, 48000);
    ASSERT_EQ(samples.size(), 48000 * 4);
    EXPECT_EQ(loudest(samples, 0, 23500), 0.0f);
    EXPECT_GT(loudest(samples, 24500, 30000), 0.4f);

    AudioStreamDecoder decoder;
    ASSERT_EQ(decoder.open(path, 48000, 1), AudioStreamDecoder::OpenResult::Opened);
    EXPECT_NEAR(decoder.durationSeconds(), 2.5, 0.05); // where the sound ends on the clip's clock
}
