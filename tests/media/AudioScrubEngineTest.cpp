#include "media/AudioScrubEngine.h"
#include "media/AudioStreamDecoder.h"
#include "media/PcmSink.h"
#include "support/TestMedia.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {
constexpr int waitMs = 30000;

// Records what would be heard; a machine without a sound card cannot.
class RecordingSink : public PcmSink
{
public:
    struct Log
    {
        std::vector<std::vector<float>> played; // one entry per write
        int clears = 0;
        bool failStart = false;
        int starts = 0;
    };
    explicit RecordingSink(std::shared_ptr<Log> log) : m_log(std::move(log)) {}
    int sampleRate() const override { return 44100; }
    int channelCount() const override { return 2; }
    bool start(QString *error) override
    {
        ++m_log->starts;
        if (m_log->failStart) {
            if (error)
                *error = QStringLiteral("no device");
            return false;
        }
        m_running = true;
        return true;
    }
    bool isRunning() const override { return m_running; }
    qint64 write(const float *interleaved, qint64 frames) override
    {
        m_log->played.emplace_back(interleaved, interleaved + frames * 2);
        return frames;
    }
    void clear() override { ++m_log->clears; }
    qint64 queuedFrames() const override { return 0; }
    qint64 playedFrames() const override { return 0; }

private:
    std::shared_ptr<Log> m_log;
    bool m_running = false;
};

struct Fixture
{
    std::shared_ptr<RecordingSink::Log> log = std::make_shared<RecordingSink::Log>();
    double now = 100.0;
    std::unique_ptr<AudioScrubEngine> engine;

    explicit Fixture(qint64 budget = AudioScrubEngine::defaultCacheBytes)
    {
        engine = std::make_unique<AudioScrubEngine>(std::make_unique<RecordingSink>(log), budget);
        engine->setClock([this] { return now; });
    }
    void loadAndWait(const QString &path)
    {
        QSignalSpy loaded(engine.get(), &AudioScrubEngine::bufferLoaded);
        engine->preloadBuffer(path);
        EXPECT_TRUE(loaded.wait(waitMs));
    }
};

// The same window decoded directly.
std::vector<float> decodedTrack(const QString &path)
{
    AudioStreamDecoder decoder;
    EXPECT_EQ(decoder.open(path, 44100, 2), AudioStreamDecoder::OpenResult::Opened);
    EXPECT_TRUE(decoder.seek(0)); // from the first picture on, as the engine reads
    QByteArray data;
    decoder.read(data, 44100 * 31);
    const auto *samples = reinterpret_cast<const float *>(data.constData());
    return std::vector<float>(samples, samples + data.size() / 4);
}
} // namespace

TEST(AudioScrubEngine, PlaysAn80MillisecondSliceWithFiveMillisecondFades)
{
    Fixture f;
    const QString path = TestMedia::path(QStringLiteral("pattern_1080p30.mp4"));
    f.loadAndWait(path);
    ASSERT_TRUE(f.engine->isCached(path));
    f.engine->playSnippet(path, 1.0);
    ASSERT_EQ(f.log->played.size(), 1u);
    const std::vector<float> &snippet = f.log->played[0];
    ASSERT_EQ(snippet.size(), 3528u * 2);
    EXPECT_EQ(f.engine->activeURL(), path);

    const std::vector<float> track = decodedTrack(path);
    const size_t start = 44100; // 1.0 s
    for (size_t i = 0; i < 3528; ++i) {
        const float gain = i < 220 ? float(i) / 220 : (i >= 3528 - 220 ? float(3527 - i) / 220 : 1.0f);
        for (size_t c = 0; c < 2; ++c)
            ASSERT_FLOAT_EQ(snippet[i * 2 + c], track[(start + i) * 2 + c] * gain) << "frame " << i;
    }
    EXPECT_EQ(snippet[0], 0.0f);
    EXPECT_EQ(snippet[3527 * 2 + 1], 0.0f);
    // The generator's 1 kHz sine (1/8 of full scale) in the middle of the slice.
    float loudest = 0;
    for (float s : snippet)
        loudest = std::max(loudest, std::fabs(s));
    EXPECT_GT(loudest, 0.1f);
}

TEST(AudioScrubEngine, TimesOutsideTheClipPlayItsFirstOrLastSlice)
{
    Fixture f;
    const QString path = TestMedia::path(QStringLiteral("pattern_1080p30.mp4"));
    f.loadAndWait(path);
    const std::vector<float> track = decodedTrack(path);
    const size_t frames = track.size() / 2;

    f.engine->playSnippet(path, 99.0);
    ASSERT_EQ(f.log->played.size(), 1u);
    ASSERT_EQ(f.log->played[0].size(), 3528u * 2);
    EXPECT_FLOAT_EQ(f.log->played[0][1000 * 2], track[(frames - 3528 + 1000) * 2]);

    f.now += 1;
    f.engine->playSnippet(path, -5.0);
    ASSERT_EQ(f.log->played.size(), 2u);
    EXPECT_FLOAT_EQ(f.log->played[1][1000 * 2], track[1000 * 2]);

    f.now += 1;
    f.engine->playSnippet(path, std::nan(""));
    EXPECT_EQ(f.log->played.size(), 3u);
}

TEST(AudioScrubEngine, ThrottlesSnippetsOnItsOwnClock)
{
    Fixture f;
    const QString path = TestMedia::path(QStringLiteral("pattern_1080p30.mp4"));
    const QString other = TestMedia::path(QStringLiteral("portrait.mp4"));
    f.loadAndWait(path);
    f.engine->playSnippet(path, 0.5); // the first one is never throttled
    EXPECT_EQ(f.log->played.size(), 1u);

    f.now += 0.03;
    f.engine->playSnippet(other, 0.5); // within 0.06 s: nothing at all, not even a decode
    EXPECT_EQ(f.log->played.size(), 1u);
    EXPECT_FALSE(f.engine->isLoading(other));
    EXPECT_EQ(f.engine->decodesStarted(), 1);

    f.now += 0.031;
    f.engine->playSnippet(path, 0.6);
    EXPECT_EQ(f.log->played.size(), 2u);

    // A call that played nothing does not hold the next one back.
    f.now += 0.07;
    f.engine->playSnippet(other, 0.5); // not decoded yet: starts its decode
    EXPECT_TRUE(f.engine->isLoading(other));
    f.now += 0.001;
    f.engine->playSnippet(path, 0.7);
    EXPECT_EQ(f.log->played.size(), 3u);
}

TEST(AudioScrubEngine, TheFirstHoverStartsOneDecodeAndPlaysNothing)
{
    Fixture f;
    const QString path = TestMedia::path(QStringLiteral("burst.mp4"));
    QSignalSpy loaded(f.engine.get(), &AudioScrubEngine::bufferLoaded);
    f.engine->playSnippet(path, 2.2);
    f.now += 1;
    f.engine->playSnippet(path, 2.2);
    f.engine->preloadBuffer(path);
    EXPECT_TRUE(f.log->played.empty());
    EXPECT_EQ(f.engine->decodesStarted(), 1);
    ASSERT_TRUE(loaded.wait(waitMs));
    f.now += 1;
    f.engine->playSnippet(path, 2.2);
    ASSERT_EQ(f.log->played.size(), 1u);
    f.engine->preloadBuffer(path); // cached: nothing more
    EXPECT_EQ(f.engine->decodesStarted(), 1);
}

TEST(AudioScrubEngine, ANewSnippetOrStopCutsThePreviousOneOff)
{
    Fixture f;
    const QString path = TestMedia::path(QStringLiteral("burst.mp4"));
    f.loadAndWait(path);
    f.engine->playSnippet(path, 2.1);
    const int clears = f.log->clears;
    f.now += 0.1;
    f.engine->playSnippet(path, 2.3);
    EXPECT_EQ(f.log->clears, clears + 1);
    f.engine->stopPlayback();
    EXPECT_EQ(f.log->clears, clears + 2);
}

TEST(AudioScrubEngine, KeepsTwelveClipsInDecodeOrderWithinItsByteBudget)
{
    QTemporaryDir folder;
    Fixture f;
    QStringList paths;
    for (int i = 0; i < 13; ++i) {
        paths << TestMedia::copyTo(QStringLiteral("audioonly.mp4"), folder.path(), QStringLiteral("a%1.mp4").arg(i));
        f.loadAndWait(paths.last());
        if (i == 0) {
            // Playing from the first clip does not protect it.
            f.now += 1;
            f.engine->playSnippet(paths[0], 0.5);
        }
    }
    EXPECT_EQ(f.engine->cacheOrder().size(), 12);
    EXPECT_FALSE(f.engine->isCached(paths[0]));
    EXPECT_TRUE(f.engine->isCached(paths[1]));
    EXPECT_EQ(f.engine->cacheOrder().first(), paths[1]);
    // Asking for it again decodes it again.
    f.now += 1;
    f.engine->playSnippet(paths[0], 0.5);
    EXPECT_TRUE(f.engine->isLoading(paths[0]));

    // About 0.7 MB per clip of 2 s: a budget of 2 MB keeps two.
    Fixture small(2 * 1024 * 1024);
    for (int i = 0; i < 4; ++i)
        small.loadAndWait(paths[i]);
    EXPECT_LE(small.engine->cachedBytes(), 2 * 1024 * 1024);
    EXPECT_EQ(small.engine->cacheOrder(), (QStringList{paths[2], paths[3]}));
}

TEST(AudioScrubEngine, MonoSoundPlaysOnBothSidesAtFullLevel)
{
    QTemporaryDir folder;
    const QString mono = folder.filePath(QStringLiteral("mono.m4a"));
    ASSERT_TRUE(TestMedia::runFfmpeg({QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                                      QStringLiteral("sine=frequency=440:sample_rate=44100"), QStringLiteral("-t"), QStringLiteral("1"),
                                      QStringLiteral("-ac"), QStringLiteral("1"), QStringLiteral("-c:a"), QStringLiteral("aac"), mono}));
    Fixture f;
    f.loadAndWait(mono);
    f.engine->playSnippet(mono, 0.5);
    ASSERT_EQ(f.log->played.size(), 1u);
    float left = 0;
    for (size_t i = 0; i < 3528; ++i) {
        EXPECT_EQ(f.log->played[0][i * 2], f.log->played[0][i * 2 + 1]);
        left = std::max(left, std::fabs(f.log->played[0][i * 2]));
    }
    // The generator's sine peaks at 1/8 of full scale; a -3 dB mix would give 0.088.
    EXPECT_GT(left, 0.12f);
}

TEST(AudioScrubEngine, ClipsWithoutReadableSoundStaySilentAndAreRetried)
{
    Fixture f;
    const QString noAudio = TestMedia::path(QStringLiteral("noaudio.mp4"));
    const QString broken = TestMedia::path(QStringLiteral("notavideo.mov"));
    QSignalSpy loaded(f.engine.get(), &AudioScrubEngine::bufferLoaded);
    f.engine->playSnippet(noAudio, 1.0);
    ASSERT_TRUE(loaded.wait(waitMs));
    EXPECT_FALSE(loaded.last().at(1).toBool());
    EXPECT_FALSE(f.engine->isCached(noAudio));
    f.engine->playSnippet(broken, 1.0); // not throttled: nothing was played
    ASSERT_TRUE(loaded.wait(waitMs));
    EXPECT_FALSE(f.engine->isCached(broken));
    f.engine->playSnippet(broken, 1.0);
    EXPECT_EQ(f.engine->decodesStarted(), 3);
    EXPECT_TRUE(f.log->played.empty());
    EXPECT_FALSE(f.engine->lastSnippetTime().has_value());
}

TEST(AudioScrubEngine, AnOutputThatWillNotStartPlaysNothing)
{
    Fixture f;
    f.log->failStart = true;
    // The fixture's sink started before failStart was set; a new engine tries again.
    auto log = std::make_shared<RecordingSink::Log>();
    log->failStart = true;
    AudioScrubEngine engine(std::make_unique<RecordingSink>(log));
    const QString path = TestMedia::path(QStringLiteral("burst.mp4"));
    QSignalSpy loaded(&engine, &AudioScrubEngine::bufferLoaded);
    engine.preloadBuffer(path);
    ASSERT_TRUE(loaded.wait(waitMs));
    engine.playSnippet(path, 2.2);
    EXPECT_TRUE(log->played.empty());
    EXPECT_FALSE(engine.lastSnippetTime().has_value());
    EXPECT_EQ(log->starts, 2);
}

TEST(AudioScrubEngine, FadesNeverOverlapOnShortSnippets)
{
    std::vector<float> samples(10 * 2, 1.0f);
    AudioScrubEngine::applyFades(samples.data(), 10, 2, 44100);
    // 5 frames of ramp on each side: 0, 0.2, 0.4, 0.6, 0.8 and back.
    const std::vector<float> expected{0, 0.2f, 0.4f, 0.6f, 0.8f, 0.8f, 0.6f, 0.4f, 0.2f, 0};
    for (size_t i = 0; i < 10; ++i)
        EXPECT_FLOAT_EQ(samples[i * 2], expected[i]) << i;
    std::vector<float> one{1.0f, 1.0f};
    AudioScrubEngine::applyFades(one.data(), 1, 2, 44100);
    EXPECT_EQ(one[0], 1.0f); // too short to fade
}

TEST(AudioScrubEngine, RunsSilentlyWithoutAnAudioDevice)
{
    AudioScrubEngine engine; // the real device, absent on a headless machine
    const QString path = TestMedia::path(QStringLiteral("burst.mp4"));
    QSignalSpy loaded(&engine, &AudioScrubEngine::bufferLoaded);
    engine.preloadBuffer(path);
    ASSERT_TRUE(loaded.wait(waitMs));
    for (int i = 0; i < 5; ++i) {
        engine.playSnippet(path, 2.0 + i * 0.1);
        QTest::qWait(70);
    }
    engine.stopPlayback();
}
