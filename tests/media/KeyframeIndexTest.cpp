#include "media/FFmpegFormat.h"
#include "media/FFmpegVideoDecoder.h"
#include "media/KeyframeIndex.h"
#include "support/TestMedia.h"

#include <QFile>

#include <cmath>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// Keyframes learnt from the packets of a file without an index: what a run
// of packets read in order tells, and only that.
TEST(KeyframeIndex, KnowsAKeyframeOnlyWhereTheRunsReadReachIt)
{
    KeyframeIndex index;
    KeyframeIndex::Keyframe keyframe;
    EXPECT_EQ(index.keyframeAtOrBefore(100, &keyframe), KeyframeIndex::Lookup::Unknown);

    // A run from 1000 to 1600: keyframes at 1000 and 1300 (shown 20 ticks after they are decoded).
    for (qint64 decoded = 1000; decoded <= 1600; decoded += 10)
        index.record(1000, decoded, decoded + 20, decoded * 10, decoded == 1000 || decoded == 1300);
    ASSERT_EQ(index.keyframeAtOrBefore(1250, &keyframe), KeyframeIndex::Lookup::Found);
    EXPECT_EQ(keyframe.shown, 1020);
    EXPECT_EQ(keyframe.position, 10000);
    // Decoded before 1310 but shown after it: the keyframe before holds 1310.
    ASSERT_EQ(index.keyframeAtOrBefore(1310, &keyframe), KeyframeIndex::Lookup::Found);
    EXPECT_EQ(keyframe.shown, 1020);
    ASSERT_EQ(index.keyframeAtOrBefore(1320, &keyframe), KeyframeIndex::Lookup::Found);
    EXPECT_EQ(keyframe.shown, 1320);
    // Past the run's last packet a later keyframe may lie unread; before its first, an earlier one.
    EXPECT_EQ(index.keyframeAtOrBefore(1700, &keyframe), KeyframeIndex::Lookup::Unknown);
    EXPECT_EQ(index.keyframeAtOrBefore(1010, &keyframe), KeyframeIndex::Lookup::Unknown);
    EXPECT_EQ(index.typicalKeyframeDistance(), 300);

    // A run from the start of the file: nothing lies before its first keyframe.
    KeyframeIndex fromStart;
    for (qint64 decoded = 500; decoded <= 900; decoded += 10)
        fromStart.record(KeyframeIndex::fileStart, decoded, decoded + 20, decoded, decoded == 600);
    EXPECT_EQ(fromStart.keyframeAtOrBefore(550, &keyframe), KeyframeIndex::Lookup::BeforeFirst);
    EXPECT_EQ(fromStart.keyframeAtOrBefore(700, &keyframe), KeyframeIndex::Lookup::Found);

    // Two runs that meet become one; the end of the file covers all after its run.
    KeyframeIndex joined;
    joined.record(0, 0, 0, 0, true);
    joined.record(0, 100, 100, 100, false);
    joined.record(300, 300, 300, 300, true);
    EXPECT_FALSE(joined.covers(0, 300));
    joined.record(100, 200, 200, 200, false);
    joined.record(100, 300, 300, 300, true);
    EXPECT_TRUE(joined.covers(0, 300));
    EXPECT_EQ(joined.keyframeAtOrBefore(5000, &keyframe), KeyframeIndex::Lookup::Unknown);
    joined.recordEndOfFile(300);
    ASSERT_EQ(joined.keyframeAtOrBefore(5000, &keyframe), KeyframeIndex::Lookup::Found);
    EXPECT_EQ(keyframe.shown, 300);
    EXPECT_EQ(joined.keyframeCount(), 2);
}

TEST(KeyframeIndex, IsSharedByTheReadersOfAFileUntilTheFileChanges)
{
    QTemporaryDir dir;
    const QString path = TestMedia::copyTo(QStringLiteral("fmt_avchd.mts"), dir.path());
    const std::shared_ptr<KeyframeIndex> first = KeyframeIndex::forFile(path);
    EXPECT_EQ(KeyframeIndex::forFile(path), first);
    // Under another name too (the links of a card per take).
    const QString link = dir.filePath(QStringLiteral("link.mts"));
    ASSERT_TRUE(QFile::link(path, link));
    EXPECT_EQ(KeyframeIndex::forFile(link), first);
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::Append));
        file.write(QByteArray(188, '\xff'));
    }
    EXPECT_NE(KeyframeIndex::forFile(path), first);
}

// An MPEG-TS file: FFmpeg's own search by timestamp lands anywhere in a group
// of pictures; a seek by the keyframes learnt lands on the keyframe that
// holds the time, and the decoder's first frame there is that keyframe.
TEST(KeyframeIndex, SeeksInMpegTsLandOnTheKeyframeThatHoldsTheTime)
{
    QTemporaryDir dir;
    const QString path = TestMedia::copyTo(QStringLiteral("fmt_avchd.mts"), dir.path()); // 25 fps, a keyframe every 12 frames
    FFmpegVideoDecoder decoder;
    ASSERT_TRUE(decoder.open(path, 1));
    ASSERT_TRUE(decoder.format().keepsOwnKeyframeIndex());
    EXPECT_EQ(decoder.format().ownKeyframeIndex()->keyframeCount(), 0);
    for (const int frame : {50, 13, 99, 12, 11, 0, 72}) {
        SCOPED_TRACE(frame);
        const qint64 target = decoder.toTimestamp(frame / 25.0);
        ASSERT_TRUE(decoder.decodeKeyframeAlone(target));
        EXPECT_TRUE(decoder.frame()->key_frame);
        EXPECT_NEAR(decoder.frameTime(), (frame / 12) * 12 / 25.0, 1e-3);
        EXPECT_EQ(decoder.format().keyframeAtOrBefore(target), decoder.frameTimestamp());
    }
    // What one decoder learnt, the next reader of the file knows without reading.
    FFmpegFormat other;
    ASSERT_TRUE(other.openForDecoding(path));
    EXPECT_EQ(other.keyframeAtOrBefore(decoder.toTimestamp(50 / 25.0)), decoder.toTimestamp(48 / 25.0));
}

// HEVC as x265 writes it: open groups of pictures (a keyframe's first frames
// in decoding order are shown before it and need the group before), and
// keyframes shown two or three frames after they are decoded. A poster's
// time on a keyframe takes that keyframe alone.
TEST(KeyframeIndex, APosterOnAKeyframeOfOpenGroupsDecodesThatKeyframe)
{
    FFmpegVideoDecoder decoder;
    ASSERT_TRUE(decoder.open(TestMedia::path(QStringLiteral("fmt_hevc10.mp4")), 1)); // a keyframe every second
    for (const double seconds : {3.0, 1.0, 2.2}) {
        SCOPED_TRACE(seconds);
        ASSERT_TRUE(decoder.seekNear(seconds, 0.5, 0.5));
        EXPECT_TRUE(decoder.frame()->key_frame);
        EXPECT_NEAR(decoder.frameTime(), std::round(seconds), 1e-3);
    }
}

// Matroska and WebM read their cues (the keyframe index, after the clusters)
// only at their first seek: right after opening, the index must already know
// every keyframe, not only the first one read.
TEST(KeyframeIndex, MatroskaKnowsItsKeyframesRightAfterOpening)
{
    for (const QString &name : {QStringLiteral("fmt_mkv.mkv"), QStringLiteral("fmt_vp9.webm")}) { // a keyframe every second
        SCOPED_TRACE(name.toStdString());
        FFmpegFormat format;
        ASSERT_TRUE(format.openForDecoding(TestMedia::path(name)));
        EXPECT_EQ(FFmpegVideoDecoder::estimatedFramesNear(format, 3.2, 0.5, 0.5), 1);
        EXPECT_EQ(format.keyframeAtOrBefore(format.toStreamTimestamp(2.5, format.videoStream())),
                  format.toStreamTimestamp(2.0, format.videoStream()));
    }
}

// WebM as GStreamer 0.10 wrote it (keyframes at frames 0, 30 and 98 of 30
// fps, every other frame in a BlockGroup without a reference): the demuxer
// lists each such BlockGroup it reads as a keyframe. Once the whole file was
// read, the keyframes are still those three, and a seek to the keyframe of
// any frame meets that keyframe. Nor is a clip taken for an all-intra one
// because the blocks read list its every frame.
TEST(KeyframeIndex, MatroskaBlockGroupsWithoutAReferenceAreNotKeyframes)
{
    FFmpegVideoDecoder decoder;
    ASSERT_TRUE(decoder.open(TestMedia::path(QStringLiteral("fmt_vp8keys.webm")), 1));
    while (decoder.decodeNextFrame()) {
    }
    for (const auto &[frame, keyframe] : {std::pair{119, 98}, {98, 98}, {97, 30}, {45, 30}, {30, 30}, {29, 0}, {5, 0}}) {
        SCOPED_TRACE(frame);
        // Just after the frame's start: WebM keeps milliseconds.
        const qint64 target = decoder.toTimestamp(frame / 30.0 + 0.001);
        const std::optional<qint64> listed = decoder.format().keyframeAtOrBefore(target);
        ASSERT_TRUE(listed.has_value());
        EXPECT_NEAR(decoder.toSeconds(*listed), keyframe / 30.0, 1e-3);
        ASSERT_TRUE(decoder.decodeKeyframeAlone(target));
        EXPECT_TRUE(decoder.frame()->key_frame);
        EXPECT_NEAR(decoder.frameTime(), keyframe / 30.0, 1e-3);
    }

    FFmpegVideoDecoder twoFrames;
    ASSERT_TRUE(twoFrames.open(TestMedia::path(QStringLiteral("fmt_vp8two.webm")), 1));
    EXPECT_FALSE(twoFrames.isIntraOnly());
}
