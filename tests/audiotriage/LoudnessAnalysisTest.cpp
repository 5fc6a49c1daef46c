#include "LoudnessReference.h"

#include "app/LogCapture.h"
#include "audiotriage/LoudnessAnalysis.h"
#include "audiotriage/LoudnessMeter.h"
#include "media/FFmpegAudioDecoder.h"
#include "support/TestMedia.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

constexpr double kTolerance = 1e-4;
const char *const kAudioCategory = "com.brinkwolder.Triagon.audio";
using Outcome = LoudnessAnalysis::Outcome;

// The track as the analysis decodes it, in one list.
std::vector<qint16> decodedTrack(const QString &path)
{
    FFmpegAudioFormat format;
    format.sampleRate = 16000;
    format.channels = 1;
    format.sampleType = FFmpegAudioFormat::SampleType::Int16;
    format.mapping = FFmpegAudioFormat::ChannelMapping::MeanToMono;
    std::vector<qint16> track;
    FFmpegAudioDecoder::decode(path, format, [&](const void *samples, int frames) {
        const auto *s = static_cast<const qint16 *>(samples);
        track.insert(track.end(), s, s + frames);
        return true;
    });
    return track;
}

void expectSame(const AudioMetrics &actual, const AudioMetrics &expected)
{
    EXPECT_EQ(actual.maxRMS, expected.maxRMS);
    EXPECT_EQ(actual.avgRMS, expected.avgRMS);
    EXPECT_EQ(actual.spikeRatio, expected.spikeRatio);
    EXPECT_EQ(actual.dynamicRange, expected.dynamicRange);
    EXPECT_EQ(actual.peakAmplitude, expected.peakAmplitude);
}

void expectZeros(const AudioMetrics &m)
{
    EXPECT_EQ(m, AudioMetrics());
}

class LoudnessOfWavFiles : public ::testing::Test
{
protected:
    QString wav(const QString &name, const std::vector<qint16> &samples, int rate = 16000, int channels = 1)
    {
        const QString path = dir.filePath(name);
        EXPECT_TRUE(writeWav(path, samples, rate, channels));
        return path;
    }
    QTemporaryDir dir;
};

} // namespace

TEST(LoudnessAnalysis, HalfAmplitudeToneGivesItsRmsAndPeak)
{
    for (const QString &name : {QStringLiteral("tone_half_mono16k.mov"), QStringLiteral("tone_half_stereo48k.mkv")}) {
        SCOPED_TRACE(name.toStdString());
        const LoudnessAnalysis::Result result = LoudnessAnalysis::measure(TestMedia::path(name));
        EXPECT_EQ(result.outcome, Outcome::Measured);
        const AudioMetrics &m = result.metrics;
        EXPECT_NEAR(m.maxRMS, 0.35355, kTolerance);
        EXPECT_NEAR(m.avgRMS, 0.35355, kTolerance);
        // Resampled from 48 kHz, the tone's abrupt start rings a little above 0.5.
        EXPECT_NEAR(m.peakAmplitude, 0.5, name.endsWith(QStringLiteral("48k.mkv")) ? 5e-3 : kTolerance);
        EXPECT_NEAR(m.dynamicRange, 0.0, kTolerance);
        EXPECT_EQ(m.spikeRatio, 0.0f);
        // Full loud term, no spikes, no range.
        EXPECT_NEAR(m.loudnessScore(), 0.5, 1e-3);
    }
    const AudioMetrics tenth = LoudnessAnalysis::measure(TestMedia::path(QStringLiteral("tone_tenth_mono16k.mov"))).metrics;
    EXPECT_NEAR(tenth.maxRMS, 0.070711, kTolerance);
    EXPECT_NEAR(tenth.peakAmplitude, 0.1, kTolerance);
}

TEST(LoudnessAnalysis, OnlyTheSamplesTheResamplerReturnsAreMeasured)
{
    // 5 s at 48 kHz become 80000 samples at 16 kHz: what the resampler makes,
    // not the room it was given (which is larger), reaches the windows.
    const QString path = TestMedia::path(QStringLiteral("tone_half_stereo48k.mkv"));
    const std::vector<qint16> track = decodedTrack(path);
    EXPECT_NEAR(double(track.size()), 80000.0, 16.0);
    const AudioMetrics m = LoudnessAnalysis::measure(path).metrics;
    EXPECT_NEAR(m.avgRMS, 0.35355, kTolerance);
    EXPECT_EQ(m.spikeRatio, 0.0f);
}

TEST(LoudnessAnalysis, BurstInSilenceIsASpike)
{
    // 40 windows, of which windows 20 to 24 hold a 0.9 tone.
    const AudioMetrics m = LoudnessAnalysis::measure(TestMedia::path(QStringLiteral("burst_mono16k.mov"))).metrics;
    const double burst = 0.9 / std::sqrt(2.0);
    EXPECT_NEAR(m.maxRMS, burst, kTolerance);
    EXPECT_NEAR(m.avgRMS, burst * 5 / 40, kTolerance);
    EXPECT_NEAR(m.spikeRatio, 5.0 / 40, kTolerance);
    EXPECT_NEAR(m.dynamicRange, burst, kTolerance); // sorted[36] - sorted[4]
    EXPECT_NEAR(m.peakAmplitude, 0.9, kTolerance);
    EXPECT_NEAR(m.loudnessScore(), 0.5 + 0.3 * (0.125 / 0.15) + 0.2, 1e-3);
}

TEST(LoudnessAnalysis, SilenceMeasuresZeros)
{
    for (const QString &name : {QStringLiteral("silence_mono16k.mov"), QStringLiteral("silence.mp4")}) {
        const LoudnessAnalysis::Result result = LoudnessAnalysis::measure(TestMedia::path(name));
        EXPECT_EQ(result.outcome, Outcome::Measured) << name.toStdString();
        expectZeros(result.metrics);
        EXPECT_EQ(result.metrics.loudnessScore(), 0.0);
    }
}

TEST(LoudnessAnalysis, StreamedFiguresEqualTheWholeTrackComputation)
{
    for (const QString &name :
         {QStringLiteral("tone_half_mono16k.mov"), QStringLiteral("tone_half_stereo48k.mkv"), QStringLiteral("burst_mono16k.mov"),
          QStringLiteral("burst.mp4"), QStringLiteral("pattern_1080p30.mp4"), QStringLiteral("truncated_tone.mov")}) {
        SCOPED_TRACE(name.toStdString());
        const QString path = TestMedia::path(name);
        const std::vector<qint16> track = decodedTrack(path);
        ASSERT_GE(track.size(), 1600u);
        const LoudnessAnalysis::Result result = LoudnessAnalysis::measure(path);
        expectSame(result.metrics, referenceMetrics(track));
        EXPECT_EQ(result.outcome, name.startsWith(QStringLiteral("truncated")) ? Outcome::StoppedEarly : Outcome::Measured);
    }
}

TEST(LoudnessAnalysis, MeterGivesTheSameFiguresForAnyChunking)
{
    QRandomGenerator random(1234);
    std::vector<qint16> track(80000 + 777);
    for (size_t i = 0; i < track.size(); ++i) {
        // Loud and quiet stretches, so that the statistics have something to do.
        const int level = (i / 4000) % 3 == 0 ? 30000 : 2000;
        track[i] = qint16(random.bounded(-level, level));
    }
    const AudioMetrics expected = referenceMetrics(track);
    for (int attempt = 0; attempt < 4; ++attempt) {
        LoudnessMeter meter;
        size_t at = 0;
        while (at < track.size()) {
            const size_t piece = std::min<size_t>(track.size() - at, attempt == 0 ? 1 : random.bounded(1, 5000));
            meter.add(track.data() + at, qsizetype(piece));
            at += piece;
        }
        EXPECT_EQ(meter.sampleCount(), qint64(track.size()));
        expectSame(meter.metrics(), expected);
    }
}

TEST_F(LoudnessOfWavFiles, ShortTracksKeepOnlyThePeak)
{
    std::vector<qint16> short1599(1599, 8192);
    short1599[100] = -16384;
    const AudioMetrics a = LoudnessAnalysis::measure(wav(QStringLiteral("a.wav"), short1599)).metrics;
    EXPECT_EQ(a.maxRMS, 0.0f);
    EXPECT_EQ(a.avgRMS, 0.0f);
    EXPECT_EQ(a.spikeRatio, 0.0f);
    EXPECT_EQ(a.dynamicRange, 0.0f);
    EXPECT_EQ(a.peakAmplitude, 0.5f);

    // One window: max equals mean, no range, no spike.
    const AudioMetrics one = LoudnessAnalysis::measure(wav(QStringLiteral("b.wav"), std::vector<qint16>(1600, 8192))).metrics;
    EXPECT_EQ(one.maxRMS, 0.25f);
    EXPECT_EQ(one.avgRMS, 0.25f);
    EXPECT_EQ(one.dynamicRange, 0.0f);
    EXPECT_EQ(one.spikeRatio, 0.0f);

    // 3199 samples: the loud tail is no window and counts for the peak only.
    std::vector<qint16> tail(1600, 8192);
    tail.insert(tail.end(), 1599, 32000);
    const AudioMetrics t = LoudnessAnalysis::measure(wav(QStringLiteral("c.wav"), tail)).metrics;
    EXPECT_EQ(t.maxRMS, 0.25f);
    EXPECT_EQ(t.avgRMS, 0.25f);
    EXPECT_EQ(t.peakAmplitude, 32000 / 32768.0f);
}

TEST_F(LoudnessOfWavFiles, FullScaleSamples)
{
    EXPECT_EQ(LoudnessAnalysis::measure(wav(QStringLiteral("neg.wav"), std::vector<qint16>(3200, -32768))).metrics.peakAmplitude, 1.0f);
    const AudioMetrics pos = LoudnessAnalysis::measure(wav(QStringLiteral("pos.wav"), std::vector<qint16>(3200, 32767))).metrics;
    EXPECT_EQ(pos.peakAmplitude, 32767 / 32768.0f);
    // 1600 squares added in 32-bit float drift slightly from the exact level.
    EXPECT_NEAR(pos.maxRMS, 32767 / 32768.0, kTolerance);
}

TEST_F(LoudnessOfWavFiles, WindowsAboveTwiceTheMeanAreSpikes)
{
    // Levels of about 0.1, 0.1, 0.1 and 0.5: the mean is 0.2 and only 0.5 > 0.4.
    const AudioMetrics m = LoudnessAnalysis::measure(wav(QStringLiteral("s.wav"), constantWindows({3277, 3277, 3277, 16384}))).metrics;
    EXPECT_NEAR(m.avgRMS, 0.2, kTolerance);
    EXPECT_EQ(m.spikeRatio, 0.25f);
    EXPECT_EQ(m.maxRMS, 0.5f);
    // Four windows: lower index 0, upper index 3.
    EXPECT_NEAR(m.dynamicRange, 0.4, kTolerance);
}

TEST_F(LoudnessOfWavFiles, PercentileIndicesOfFiftyWindows)
{
    // Window w at level w: sorted[5] and sorted[45] bound the range.
    std::vector<qint16> levels;
    for (int w = 0; w < 50; ++w)
        levels.push_back(qint16(w * 600));
    const AudioMetrics m = LoudnessAnalysis::measure(wav(QStringLiteral("p.wav"), constantWindows(levels))).metrics;
    EXPECT_NEAR(m.dynamicRange, (45 - 5) * 600 / 32768.0, kTolerance);
}

TEST_F(LoudnessOfWavFiles, StereoIsTheMeanOfItsChannels)
{
    std::vector<qint16> stereo;
    for (int i = 0; i < 3200; ++i) {
        stereo.push_back(16384);
        stereo.push_back(0);
    }
    const AudioMetrics m = LoudnessAnalysis::measure(wav(QStringLiteral("st.wav"), stereo, 16000, 2)).metrics;
    EXPECT_NEAR(m.peakAmplitude, 0.25, kTolerance);
    EXPECT_NEAR(m.maxRMS, 0.25, kTolerance);
}

TEST(LoudnessAnalysis, FilesWithoutReadableSoundGiveZeros)
{
    {
        LogCapture log(kAudioCategory);
        const LoudnessAnalysis::Result noAudio = LoudnessAnalysis::measure(TestMedia::path(QStringLiteral("noaudio.mp4")));
        EXPECT_EQ(noAudio.outcome, Outcome::NoAudio);
        expectZeros(noAudio.metrics);
        const LoudnessAnalysis::Result missing = LoudnessAnalysis::measure(TestMedia::dir() + QStringLiteral("/no-such-clip.mov"));
        EXPECT_EQ(missing.outcome, Outcome::FileMissing);
        expectZeros(missing.metrics);
        EXPECT_TRUE(log.entries().isEmpty());
    }
    for (const QString &name : {QStringLiteral("notavideo.mov"), QStringLiteral("empty.mp4")}) {
        LogCapture log(kAudioCategory);
        const LoudnessAnalysis::Result result = LoudnessAnalysis::measure(TestMedia::path(name));
        EXPECT_EQ(result.outcome, Outcome::Unreadable);
        expectZeros(result.metrics);
        ASSERT_EQ(log.entries().size(), 1);
        EXPECT_EQ(log.entries().first().type, QtCriticalMsg);
        EXPECT_TRUE(
            log.entries().first().message.startsWith(QStringLiteral("Loudness analysis: cannot read ") + name + QStringLiteral(": ")))
            << log.entries().first().message.toStdString();
    }
}

TEST(LoudnessAnalysis, TruncatedFileKeepsWhatWasReadAndLogs)
{
    LogCapture log(kAudioCategory);
    const QString path = TestMedia::path(QStringLiteral("truncated_tone.mov"));
    const LoudnessAnalysis::Result result = LoudnessAnalysis::measure(path);
    EXPECT_EQ(result.outcome, Outcome::StoppedEarly);
    EXPECT_NEAR(result.metrics.maxRMS, 0.35355, kTolerance);
    EXPECT_NEAR(result.metrics.peakAmplitude, 0.5, kTolerance);
    // Only part of the 4 s was there.
    const std::vector<qint16> track = decodedTrack(path);
    EXPECT_GE(track.size(), 1600u);
    EXPECT_LT(track.size(), 64000u * 6 / 10);
    ASSERT_EQ(log.entries().size(), 1);
    EXPECT_EQ(log.entries().first().type, QtCriticalMsg);
    EXPECT_TRUE(log.entries().first().message.startsWith(QStringLiteral("Loudness analysis: reading truncated_tone.mov stopped early: ")))
        << log.entries().first().message.toStdString();
}

TEST(LoudnessScore, WeightsAndLimits)
{
    EXPECT_EQ(AudioMetrics().loudnessScore(), 0.0);
    EXPECT_EQ((AudioMetrics{0.6f, 0.1f, 0.3f, 0.3f, 1.0f}).loudnessScore(), 1.0);
    EXPECT_NEAR((AudioMetrics{0.15f, 0.1f, 0.075f, 0.075f, 0.5f}).loudnessScore(), 0.25 + 0.15 + 0.1, 1e-6);
    EXPECT_NEAR((AudioMetrics{0.3f, 0.1f, 0.0f, 0.0f, 0.5f}).loudnessScore(), 0.5, 1e-6);
    // A figure that is not a number cannot upset the ranking.
    EXPECT_EQ((AudioMetrics{std::nanf(""), 0, 0, 0, 0}).loudnessScore(), 0.0);
}
