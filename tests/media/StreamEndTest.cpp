// Files whose header does not tell where their frames end: a recording
// written to a pipe or whose recorder was killed states no duration, and a
// truncated file states more than it holds.
#include "media/FFmpegVideoDecoder.h"
#include "media/MediaProbe.h"
#include "support/TestMedia.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <utility>

namespace {

const QStringList vp9{QStringLiteral("-c:v"),      QStringLiteral("libvpx-vp9"), QStringLiteral("-deadline"), QStringLiteral("realtime"),
                      QStringLiteral("-cpu-used"), QStringLiteral("8"),          QStringLiteral("-g"),        QStringLiteral("30")};

class StreamEndTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { s_dir = std::make_unique<QTemporaryDir>(); }
    static void TearDownTestSuite() { s_dir.reset(); }

    // Made with the ffmpeg tool from `frames` frames of a test picture (and
    // the inputs `sound` adds); the frame count, not a length, so that the
    // tool tells the muxer no duration.
    static QString make(const QString &name, const QString &size, int frames, const QStringList &coding, const QStringList &sound = {})
    {
        const QString path = s_dir->filePath(name);
        const QStringList source{QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                                 QStringLiteral("testsrc2=size=%1:rate=30").arg(size)};
        EXPECT_TRUE(TestMedia::runFfmpeg(source + sound + QStringList{QStringLiteral("-frames:v"), QString::number(frames)} + coding
                                         + QStringList{path}));
        return path;
    }
    static void cut(const QString &path, double fraction)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.resize(qint64(double(file.size()) * fraction)));
    }
    // Every frame decoded in order: the last one's start and end, in seconds.
    static std::pair<double, double> lastFrame(const QString &path)
    {
        FFmpegVideoDecoder decoder;
        EXPECT_TRUE(decoder.open(path, 1));
        qint64 start = AV_NOPTS_VALUE;
        qint64 end = AV_NOPTS_VALUE;
        while (decoder.decodeNextFrame()) {
            start = std::max(start, decoder.frameTimestamp());
            end = std::max(end, decoder.frameEndTimestamp());
        }
        return {decoder.toSeconds(start), decoder.toSeconds(end)};
    }
    static bool statesDuration(const QString &path)
    {
        FFmpegFormat format;
        return format.open(path) && format.context()->duration != AV_NOPTS_VALUE;
    }

    static std::unique_ptr<QTemporaryDir> s_dir;
};

std::unique_ptr<QTemporaryDir> StreamEndTest::s_dir;

TEST_F(StreamEndTest, AFileThatStatesNoDurationLastsToWhereItsLastFrameEnds)
{
    // A browser's recording: WebM written to a pipe (a file that cannot
    // seek, as a pipe is to the muxer).
    const QString piped = make(QStringLiteral("piped.webm"), QStringLiteral("160x120"), 90,
                               vp9 + QStringList{QStringLiteral("-seekable"), QStringLiteral("0")});
    // A recorder killed midway: Matroska with sound, neither cues nor
    // duration, its last cluster cut off. One cluster of more than the
    // stretch read first from the end: the scan widens to find its start.
    const QString killed = make(
        QStringLiteral("killed.mkv"), QStringLiteral("320x240"), 180,
        {QStringLiteral("-c:v"), QStringLiteral("libx264"), QStringLiteral("-preset"), QStringLiteral("ultrafast"), QStringLiteral("-qp"),
         QStringLiteral("0"), QStringLiteral("-g"), QStringLiteral("600"), QStringLiteral("-c:a"), QStringLiteral("aac"),
         QStringLiteral("-cluster_time_limit"), QStringLiteral("100000"), QStringLiteral("-cluster_size_limit"),
         QStringLiteral("100000000"), QStringLiteral("-seekable"), QStringLiteral("0")},
        {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"), QStringLiteral("sine=sample_rate=48000")});
    ASSERT_GT(QFileInfo(killed).size(), 1300 * 1024);
    cut(killed, 0.9);

    for (const QString &path : {piped, killed}) {
        SCOPED_TRACE(path.toStdString());
        ASSERT_FALSE(statesDuration(path));
        const double end = lastFrame(path).second;
        ASSERT_GT(end, 1.0);
        EXPECT_NEAR(MediaProbe::probeClip(path).duration, end, 1e-3);
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_NEAR(MediaProbe::probeBytes(file.readAll()).duration, end, 1e-3);
        // The player and the scrub take it from the file they open.
        FFmpegVideoDecoder decoder;
        ASSERT_TRUE(decoder.open(path, 1));
        EXPECT_NEAR(decoder.durationSeconds(), end, 1e-3);
    }
    EXPECT_NEAR(MediaProbe::probeClip(piped).duration, 3.0, 1e-3);
}

TEST_F(StreamEndTest, ATruncatedFileAnswersPastItsLastFrameFromTheLastKeyframeItHolds)
{
    // Its index in front promises 20 s; a quarter of the bytes are left.
    const QString path = make(QStringLiteral("truncated.webm"), QStringLiteral("160x120"), 600,
                              vp9 + QStringList{QStringLiteral("-cues_to_front"), QStringLiteral("1")});
    cut(path, 0.25);
    ASSERT_NEAR(MediaProbe::probeClip(path).duration, 20.0, 1e-3);
    const auto [last, end] = lastFrame(path);
    ASSERT_GT(last, 3.0);
    ASSERT_LT(end, 10.0);

    for (const double seconds : {end + 0.2, 10.0, 19.9}) {
        SCOPED_TRACE(seconds);
        // Only the frames from the last keyframe on (one a second) are
        // decoded, not every frame from the start.
        FFmpegVideoDecoder decoder;
        ASSERT_TRUE(decoder.open(path, 1));
        int packets = 0;
        decoder.setWantedFrames([&](qint64) { return ++packets > 0; });
        ASSERT_TRUE(decoder.seekExact(seconds));
        EXPECT_NEAR(decoder.frameTime(), last, 1e-6);
        EXPECT_LE(packets, 60);

        // A poster takes any frame within half a second: past that, the last.
        FFmpegVideoDecoder poster;
        ASSERT_TRUE(poster.open(path, 1));
        ASSERT_TRUE(poster.seekNear(seconds, 0.5, 0.5));
        EXPECT_GE(poster.frameTime(), std::min(last, seconds - 0.5) - 1e-6);
        EXPECT_LE(poster.frameTime(), last + 1e-6);
    }
}

} // namespace
