#include "markers/MarkerDetector.h"

#include <QImage>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using Settings = MarkerDetector::Settings;
using Metrics = MarkerDetector::Metrics;
using FrameStats = MarkerDetector::FrameStats;

// A bitmap of one colour, as the rasterizer hands it on.
QByteArray solid(int width, int height, uchar r, uchar g, uchar b)
{
    QByteArray rgba(4 * width * height, '\0');
    for (int i = 0; i < width * height; ++i) {
        rgba[4 * i] = char(r);
        rgba[4 * i + 1] = char(g);
        rgba[4 * i + 2] = char(b);
        rgba[4 * i + 3] = char(255);
    }
    return rgba;
}

FrameStats statsOf(const QByteArray &rgba, int width, int height)
{
    return MarkerDetector::frameStats(MarkerDetector::lumaPlane(rgba, width, height), rgba, width, height, 0.0);
}

Metrics withFrame(double duration, FrameStats frame)
{
    return Metrics{duration, frame};
}

} // namespace

TEST(FrameStats, LumaTruncatesTheWeightedSum)
{
    // 0.114 * 128 + (0.587 * 128 + 0.299 * 128) comes out just below 128.
    const QByteArray luma = MarkerDetector::lumaPlane(solid(1, 1, 128, 128, 128), 1, 1);
    EXPECT_EQ(uchar(luma[0]), 127);
    EXPECT_EQ(uchar(MarkerDetector::lumaPlane(solid(1, 1, 255, 255, 255), 1, 1)[0]), 255);
    EXPECT_EQ(uchar(MarkerDetector::lumaPlane(solid(1, 1, 0, 0, 255), 1, 1)[0]), 29); // 29.07
    EXPECT_EQ(uchar(MarkerDetector::lumaPlane(solid(1, 1, 100, 0, 0), 1, 1)[0]), 29); // 29.9
}

TEST(FrameStats, BlackFrameIsACertainMarker)
{
    const FrameStats black = statsOf(solid(128, 72, 0, 0, 0), 128, 72);
    EXPECT_DOUBLE_EQ(black.darkFraction, 1.0);
    EXPECT_DOUBLE_EQ(black.skinFraction, 0.0);
    EXPECT_DOUBLE_EQ(black.lumaStdDev, 0.0);
    EXPECT_DOUBLE_EQ(black.laplacianVariance, 0.0);
    EXPECT_DOUBLE_EQ(MarkerDetector::confidence(withFrame(1.0, black), Settings{}), 1.0);
}

TEST(FrameStats, UniformGreyScoresBlurAndUniformityOnly)
{
    const FrameStats grey = statsOf(solid(128, 72, 128, 128, 128), 128, 72);
    EXPECT_DOUBLE_EQ(grey.darkFraction, 0.0);
    EXPECT_DOUBLE_EQ(grey.skinFraction, 0.0);
    EXPECT_DOUBLE_EQ(MarkerDetector::confidence(withFrame(1.0, grey), Settings{}), 0.6 + 0.2);
}

TEST(FrameStats, SkinRuleAtItsBoundaries)
{
    EXPECT_DOUBLE_EQ(statsOf(solid(5, 5, 96, 80, 21), 5, 5).skinFraction, 1.0);   // R - G = 16
    EXPECT_DOUBLE_EQ(statsOf(solid(5, 5, 96, 81, 21), 5, 5).skinFraction, 0.0);   // R - G = 15
    EXPECT_DOUBLE_EQ(statsOf(solid(5, 5, 95, 40, 21), 5, 5).skinFraction, 0.0);   // R below 96
    EXPECT_DOUBLE_EQ(statsOf(solid(5, 5, 200, 40, 21), 5, 5).skinFraction, 0.0);  // G below 41
    EXPECT_DOUBLE_EQ(statsOf(solid(5, 5, 200, 41, 20), 5, 5).skinFraction, 0.0);  // B below 21
    EXPECT_DOUBLE_EQ(statsOf(solid(5, 5, 200, 41, 200), 5, 5).skinFraction, 0.0); // R not above B
    // A skin pixel is never dark, so the coverage stays within 1.
    const FrameStats skin = statsOf(solid(5, 5, 96, 41, 21), 5, 5);
    EXPECT_DOUBLE_EQ(skin.skinFraction, 1.0);
    EXPECT_DOUBLE_EQ(skin.darkFraction, 0.0);
}

TEST(FrameStats, SpreadAndEdgeDetailOfAKnownPattern)
{
    // Left half black, right half white on a 6 x 5 frame.
    const int w = 6, h = 5;
    QByteArray rgba = solid(w, h, 0, 0, 0);
    for (int y = 0; y < h; ++y) {
        for (int x = 3; x < w; ++x) {
            for (int c = 0; c < 3; ++c)
                rgba[4 * (y * w + x) + c] = char(255);
        }
    }
    const FrameStats stats = statsOf(rgba, w, h);
    EXPECT_DOUBLE_EQ(stats.darkFraction, 0.5);
    // Population deviation: half at 0, half at 255.
    EXPECT_DOUBLE_EQ(stats.lumaStdDev, 127.5);
    // Interior columns 1..4 of rows 1..3: L is 0, -255, 255, 0 per row.
    const double mean = 0.0;
    const double meanSquare = (255.0 * 255.0 * 2) / 4.0;
    EXPECT_DOUBLE_EQ(stats.laplacianVariance, meanSquare - mean * mean);
}

TEST(FrameStats, SharpnessCeilingDividesTheEdgeDetail)
{
    FrameStats frame;
    frame.laplacianVariance = 3000;
    frame.lumaStdDev = 56;
    Settings settings;
    EXPECT_DOUBLE_EQ(MarkerDetector::confidenceTerms(frame, settings).blur, 0.0);
    EXPECT_DOUBLE_EQ(MarkerDetector::confidenceTerms(frame, settings).uniformity, 0.0);
    settings.sharpnessCeiling = 6000;
    EXPECT_DOUBLE_EQ(MarkerDetector::confidenceTerms(frame, settings).blur, 0.5);
    EXPECT_DOUBLE_EQ(MarkerDetector::confidence(withFrame(2, frame), settings), 0.3);
    // Below 1.0 the variance is taken as it is: 1 or more means sharp.
    settings.sharpnessCeiling = 0.5;
    frame.laplacianVariance = 1.0;
    EXPECT_DOUBLE_EQ(MarkerDetector::confidenceTerms(frame, settings).blur, 0.0);
    frame.laplacianVariance = 0.25;
    EXPECT_DOUBLE_EQ(MarkerDetector::confidenceTerms(frame, settings).blur, 0.75);
}

TEST(FrameStats, CoverageIsCappedAtOne)
{
    FrameStats frame;
    frame.skinFraction = 0.7;
    frame.darkFraction = 0.6;
    EXPECT_DOUBLE_EQ(MarkerDetector::confidenceTerms(frame, Settings{}).coverage, 1.0);
    frame.skinFraction = 0.126;
    frame.darkFraction = 0.5;
    EXPECT_DOUBLE_EQ(MarkerDetector::confidenceTerms(frame, Settings{}).coverage, 0.626);
}

TEST(Confidence, DurationGateAndMissingFrame)
{
    const FrameStats black{};
    Settings settings;
    settings.maxMarkerDuration = 3.0;
    EXPECT_GT(MarkerDetector::confidence(withFrame(3.0, black), settings), 0.0); // equal still counts
    EXPECT_DOUBLE_EQ(MarkerDetector::confidence(withFrame(std::nextafter(3.0, 4.0), black), settings), 0.0);
    EXPECT_DOUBLE_EQ(MarkerDetector::confidence(Metrics{1.0, std::nullopt}, settings), 0.0);
}

TEST(Confidence, NotANumberScoresZero)
{
    FrameStats frame;
    frame.lumaStdDev = std::numeric_limits<double>::quiet_NaN();
    frame.laplacianVariance = std::numeric_limits<double>::quiet_NaN();
    EXPECT_DOUBLE_EQ(MarkerDetector::confidence(withFrame(1, frame), Settings{}), 0.0);
}

TEST(Confidence, ThresholdAndOverridesDecide)
{
    const FrameStats grey = statsOf(solid(8, 8, 128, 128, 128), 8, 8); // confidence 0.8
    const Metrics metrics = withFrame(1.0, grey);
    Settings settings;
    settings.confidenceThreshold = MarkerDetector::confidence(metrics, settings);
    EXPECT_TRUE(MarkerDetector::isMarker(metrics, settings, std::nullopt)); // equal makes a marker
    settings.confidenceThreshold = std::nextafter(settings.confidenceThreshold, 1.0);
    EXPECT_FALSE(MarkerDetector::isMarker(metrics, settings, std::nullopt));
    EXPECT_TRUE(MarkerDetector::isMarker(metrics, settings, true));

    const Metrics black = withFrame(1.0, statsOf(solid(8, 8, 0, 0, 0), 8, 8));
    EXPECT_FALSE(MarkerDetector::isMarker(black, Settings{}, false));
    EXPECT_TRUE(MarkerDetector::isMarker(Metrics{1.0, std::nullopt}, Settings{}, true));
}

TEST(Rasterize, ShrinksToTheBitmapButNeverEnlarges)
{
    QImage full(1920, 1080, QImage::Format_RGB32);
    full.fill(Qt::black);
    auto big = MarkerDetector::rasterize(full);
    ASSERT_TRUE(big);
    EXPECT_EQ(big->width, 128);
    EXPECT_EQ(big->height, 72);
    EXPECT_EQ(big->rgba.size(), 4 * 128 * 72);

    QImage small(100, 50, QImage::Format_RGB32);
    small.fill(QColor(10, 20, 30));
    auto kept = MarkerDetector::rasterize(small);
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->width, 100);
    EXPECT_EQ(kept->height, 50);
    // Red, green, blue, alpha in this order.
    EXPECT_EQ(uchar(kept->rgba[0]), 10);
    EXPECT_EQ(uchar(kept->rgba[1]), 20);
    EXPECT_EQ(uchar(kept->rgba[2]), 30);
    EXPECT_EQ(uchar(kept->rgba[3]), 255);

    EXPECT_FALSE(MarkerDetector::rasterize(QImage(4, 300, QImage::Format_RGB32)));
    EXPECT_FALSE(MarkerDetector::rasterize(QImage()));
    // The smallest frame that is measured.
    QImage tiny(5, 5, QImage::Format_RGB32);
    tiny.fill(Qt::black);
    EXPECT_TRUE(MarkerDetector::metrics(1.0, tiny).frame);
}
