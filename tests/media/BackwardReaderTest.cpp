#include "media/BackwardReader.h"
#include "media/FFmpegVideoDecoder.h"
#include "support/FrameNumberStrip.h"
#include "support/TestMedia.h"

#include <QTest>
#include <gtest/gtest.h>

#include <map>

namespace {

constexpr int waitMs = 30000;

// Follows a player going back from `fromFrame` by `strideFrames` frames a
// step over `stepsAhead` steps, until nothing is left to read; the frames
// handed, by their frame number (read from the picture) and timestamp.
struct Sweep
{
    FFmpegVideoDecoder clock; // the file's times in stream ticks
    std::unique_ptr<BackwardReader> reader;
    double rate = 30;
    // How fast the player's time runs down (stream ticks per second), a shuttle's pace; 0: at its steps.
    double ticksPerSecond = 0;
    // The stride given exactly (fractions of a tick kept); else rounded to ticks.
    bool exactStride = false;
    qint64 tick(int frame) const { return clock.toTimestamp(frame / rate); }

    explicit Sweep(const QString &path, double frameRate) : rate(frameRate)
    {
        EXPECT_TRUE(clock.open(path, 1));
        reader = std::make_unique<BackwardReader>(path, 1000, [] {});
    }
    // Frame numbers handed since the last call, each with how often it came.
    // With leaveFirstInterval, the player keeps the frames from keepsFromFrame on.
    std::map<int, int> follow(int anchorFrame, int strideFrames, int stepsAhead, bool leaveFirstInterval = false, int keepsFromFrame = 0)
    {
        BackwardReader::Course course;
        course.anchor = tick(anchorFrame);
        course.stride = tick(strideFrames) - tick(0);
        course.ahead = qint64(stepsAhead) * course.stride;
        course.size = QSize(320, 180);
        course.leaveFirstInterval = leaveFirstInterval;
        course.playerKeepsFrom = tick(keepsFromFrame);
        course.ticksPerSecond = ticksPerSecond;
        if (exactStride)
            course.exactStride = strideFrames / rate / av_q2d(clock.stream()->time_base);
        reader->follow(course);
        if (leaveFirstInterval) {
            // The player reads the anchor's frame itself: it need not wait for the reader.
            const qint64 half = (tick(1) - tick(0)) / 2;
            EXPECT_FALSE(reader->willRead(course.anchor - half, course.anchor + half));
        }
        EXPECT_TRUE(QTest::qWaitFor([&] { return !reader->isReading(); }, waitMs));
        std::map<int, int> frames;
        for (const BackwardReader::Frame &frame : reader->takeFrames()) {
            const int number = FrameNumberStrip::read(frame.image);
            EXPECT_NEAR(clock.toSeconds(frame.timestamp), number / rate, 0.001) << number;
            ++frames[number];
        }
        return frames;
    }
};

} // namespace

// A long-GOP stream (a keyframe every 30 frames, B-frames): the reader sweeps
// down from where the player stands, one keyframe interval per piece, several
// side by side, and hands the frames of the steps within reach, each once and
// none missing, also where pieces meet.
TEST(BackwardReader, HandsTheFrameOfEveryStepWithinReachOnce)
{
    Sweep sweep(TestMedia::path(QStringLiteral("fmt_offset.mp4")), 30);
    // Back by 4 frames from frame 110, 20 steps ahead: frames 106, 102, ..., 30.
    std::map<int, int> frames = sweep.follow(110, 4, 20);
    for (int n = 106; n >= 30; n -= 4)
        EXPECT_EQ(frames[n], 1) << n;
    // The frame the player stands at (its request may still be waiting) comes too.
    EXPECT_EQ(frames[110], 1);
    for (const auto &[number, count] : frames)
        EXPECT_TRUE((110 - number) % 4 == 0 && number <= 110 && number >= 30 - 30) << number;

    // The player goes on down: the sweep goes on from where it stood, and
    // nothing read already comes again.
    frames = sweep.follow(98, 4, 20);
    for (int n = 26; n >= 18; n -= 4)
        EXPECT_EQ(frames[n], 1) << n;
    for (const auto &[number, count] : frames)
        EXPECT_LT(number, 30) << number;
}

TEST(BackwardReader, StepsBackOfOneFrameGetEveryFrameAcrossKeyframes)
{
    // The full player's steps back: every frame from 64 down to 25 (keyframes at 60 and 30).
    Sweep sweep(TestMedia::path(QStringLiteral("fmt_offset.mp4")), 30);
    const std::map<int, int> frames = sweep.follow(65, 1, 40);
    for (int n = 64; n >= 25; --n)
        EXPECT_EQ(frames.count(n) ? frames.at(n) : 0, 1) << n;
}

TEST(BackwardReader, AllIntraStreamsDecodeOnlyTheFramesOfTheSteps)
{
    // ProRes: every frame a keyframe; 8 frames a step gives only those frames.
    Sweep sweep(TestMedia::path(QStringLiteral("fmt_prores.mov")), 30);
    const std::map<int, int> frames = sweep.follow(100, 8, 10);
    EXPECT_EQ(frames.size(), 11u);
    for (int n = 100; n >= 20; n -= 8)
        EXPECT_EQ(frames.count(n) ? frames.at(n) : 0, 1) << n;
}

TEST(BackwardReader, AMpegTsFileIsSweptByTheKeyframesLearntFromItsPackets)
{
    // AVCHD at 25 fps, a keyframe every 12 frames, no index: 3 frames a step.
    Sweep sweep(TestMedia::path(QStringLiteral("fmt_avchd.mts")), 25);
    const std::map<int, int> frames = sweep.follow(90, 3, 20);
    for (int n = 87; n >= 30; n -= 3)
        EXPECT_EQ(frames.count(n) ? frames.at(n) : 0, 1) << n;
}

TEST(BackwardReader, OpenGroupsOfPicturesLeaveNoFrameOut)
{
    // HEVC with open groups: the frames shown just before a keyframe are
    // decoded after it, from the group before.
    Sweep sweep(TestMedia::path(QStringLiteral("fmt_hevc10.mp4")), 30);
    const std::map<int, int> frames = sweep.follow(100, 1, 45);
    for (int n = 99; n >= 56; --n)
        EXPECT_EQ(frames.count(n) ? frames.at(n) : 0, 1) << n;
}

TEST(BackwardReader, LeavesTheIntervalThePlayerReadsItselfAndSweepsOnBelowIt)
{
    // Keyframes at frames 0, 30, 60 and 90: the player stands at 80 and
    // reads frames 60 to 80 itself; the reader reads from 59 down, every
    // frame within reach once.
    Sweep sweep(TestMedia::path(QStringLiteral("fmt_offset.mp4")), 30);
    std::map<int, int> frames = sweep.follow(80, 1, 40, true);
    for (int n = 59; n >= 40; --n)
        EXPECT_EQ(frames.count(n) ? frames.at(n) : 0, 1) << n;
    for (const auto &[number, count] : frames)
        EXPECT_LT(number, 60) << number;

    // The player goes on down: so does the sweep, from where it stood.
    frames = sweep.follow(59, 1, 40);
    for (int n = 29; n >= 19; --n)
        EXPECT_EQ(frames.count(n) ? frames.at(n) : 0, 1) << n;
    for (const auto &[number, count] : frames)
        EXPECT_LT(number, 30) << number;

    // An interval longer than the player keeps: the reader reads the rest
    // of it (keyframe 60; the player keeps 70 to 89).
    Sweep longer(TestMedia::path(QStringLiteral("fmt_offset.mp4")), 30);
    frames = longer.follow(89, 1, 40, true, 70);
    for (int n = 69; n >= 50; --n)
        EXPECT_EQ(frames.count(n) ? frames.at(n) : 0, 1) << n;
    for (const auto &[number, count] : frames)
        EXPECT_LT(number, 70) << number;
}

TEST(BackwardReader, AShuttleFasterThanTheReadingIsMetWhereItWillBe)
{
    // A shuttle whose time runs down far faster than any interval is read
    // (keyframes at 0, 30, 60 and 90): every interval above where it will
    // be once a piece is ready would be passed before its frames came, so
    // the reader reads only the interval at the end of its reach (frame 70
    // of 110 - 40), from its keyframe at 60.
    Sweep sweep(TestMedia::path(QStringLiteral("fmt_offset.mp4")), 30);
    sweep.ticksPerSecond = 1e15;
    const std::map<int, int> frames = sweep.follow(110, 1, 40);
    for (int n = 70; n >= 60; --n)
        EXPECT_EQ(frames.count(n) ? frames.at(n) : 0, 1) << n;
    for (const auto &[number, count] : frames)
        EXPECT_TRUE(number >= 60 && number <= 70) << number;
    // What it went past is known as such (the player need not decode it
    // for a shuttle already gone by); what it read is not.
    EXPECT_TRUE(sweep.reader->passedOver(sweep.tick(80), sweep.tick(100)));
    EXPECT_FALSE(sweep.reader->passedOver(sweep.tick(64), sweep.tick(66)));
    // A landing's window may reach from the piece read (it ends where the
    // shuttle will be, anywhere between two frames) into the stretch gone
    // past: no frame of it will come.
    const qint64 half = (sweep.tick(1) - sweep.tick(0)) / 2;
    EXPECT_TRUE(sweep.reader->passedOver(sweep.tick(70) - half, sweep.tick(70) + 3 * half));

    // At a pace the reading keeps up with, the sweep reads on from where it stands.
    Sweep steady(TestMedia::path(QStringLiteral("fmt_offset.mp4")), 30);
    steady.ticksPerSecond = (steady.tick(1) - steady.tick(0)) / 100.0;
    const std::map<int, int> all = steady.follow(110, 1, 40);
    for (int n = 109; n >= 70; --n)
        EXPECT_EQ(all.count(n) ? all.at(n) : 0, 1) << n;
    EXPECT_FALSE(steady.reader->passedOver(steady.tick(80), steady.tick(80)));
}

TEST(BackwardReader, MatroskaPiecesEndWithoutLosingTheirLastFrames)
{
    // Matroska gives no decoding times of its own (FFmpeg works them out):
    // every frame from 75 down to 20 across the keyframes at 60 and 30.
    Sweep sweep(TestMedia::path(QStringLiteral("fmt_mkv.mkv")), 30);
    const std::map<int, int> frames = sweep.follow(76, 1, 56);
    for (int n = 75; n >= 20; --n)
        EXPECT_EQ(frames.count(n) ? frames.at(n) : 0, 1) << n;
}

TEST(BackwardReader, StepsOfAFractionOfATickDoNotDriftOffTheTimesAskedFor)
{
    // Matroska counts milliseconds: two frames at 30 fps are 66.67 ticks.
    // Fifty steps from 119 down to 21 keep exactly the frames asked for,
    // also where a rounded stride would have drifted by half a frame.
    Sweep sweep(TestMedia::path(QStringLiteral("fmt_mkv.mkv")), 30);
    sweep.exactStride = true;
    const std::map<int, int> frames = sweep.follow(119, 2, 49);
    for (int n = 117; n >= 21; n -= 2)
        EXPECT_EQ(frames.count(n) ? frames.at(n) : 0, 1) << n;
    for (const auto &[number, count] : frames)
        EXPECT_EQ(number % 2, 1) << number;
}

TEST(BackwardReader, APieceOfFewStepsEndsAtItsLastFrameAskedFor)
{
    // Steps of 100 ticks below 1000, frames 10 ticks long: the frames kept
    // lie within 6 ticks of 900, 800, ...
    EXPECT_EQ(BackwardReader::lastNearStride(1000, 100, 950, 10), 906);
    EXPECT_EQ(BackwardReader::lastNearStride(1000, 100, 906, 10), 906);
    EXPECT_EQ(BackwardReader::lastNearStride(1000, 100, 905, 10), 906);
    EXPECT_EQ(BackwardReader::lastNearStride(1000, 100, 893, 10), 806);
    EXPECT_EQ(BackwardReader::lastNearStride(1000, 100, 894, 10), 906);
    for (qint64 to = 700; to <= 1000; ++to) {
        const qint64 last = BackwardReader::lastNearStride(1000, 100, to, 10);
        for (qint64 t = std::min(to, last) + 1; t <= to; ++t)
            EXPECT_FALSE(BackwardReader::nearStride(1000, 100, t, 10)) << to << " " << t;
        EXPECT_TRUE(BackwardReader::nearStride(1000, 100, std::min(to, last), 10) || last > to) << to;
    }

    // Open groups read a few steps apart: every step's frame still comes.
    Sweep sweep(TestMedia::path(QStringLiteral("fmt_hevc10.mp4")), 30);
    const std::map<int, int> frames = sweep.follow(100, 7, 12);
    for (int n = 93; n >= 16; n -= 7)
        EXPECT_EQ(frames.count(n) ? frames.at(n) : 0, 1) << n;
}
