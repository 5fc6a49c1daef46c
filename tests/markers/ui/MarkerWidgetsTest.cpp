#include "MarkerUiTestSupport.h"

#include "markers/ui/CandidateThumbnail.h"
#include "markers/ui/MarkerDetectionSettingsPanel.h"
#include "markers/ui/MarkerUiStyle.h"
#include "media/ThumbnailGenerator.h"
#include "support/TestMedia.h"
#include "markers/MarkerDetector.h"

#include <QSignalSpy>
#include <QSlider>
#include <QToolButton>

#include <limits>

using namespace MarkerUiTest;

TEST(MarkerTexts, PercentagesTruncateButNeverFallShort)
{
    using MarkerUiStyle::percentText;
    EXPECT_EQ(percentText(0.29), QStringLiteral("29%"));
    EXPECT_EQ(percentText(0.57), QStringLiteral("57%"));
    EXPECT_EQ(percentText(0.999), QStringLiteral("99%"));
    EXPECT_EQ(percentText(1.0), QStringLiteral("100%"));
    EXPECT_EQ(percentText(0.28999), QStringLiteral("28%"));
    EXPECT_EQ(percentText(0.0), QStringLiteral("0%"));
    EXPECT_EQ(percentText(std::numeric_limits<double>::quiet_NaN()), QStringLiteral("0%"));
    EXPECT_EQ(percentText(std::numeric_limits<double>::infinity()), QStringLiteral("0%"));
    for (int i = 0; i <= 100; ++i)
        EXPECT_EQ(MarkerUiStyle::wholePercent(i / 100.0), i) << i;
}

TEST(DetectionSettingsPanel, ShowsItsValuesAndChangesOnlyWhenMoved)
{
    MarkerDetectionSettingsPanel panel;
    QSignalSpy changed(&panel, &MarkerDetectionSettingsPanel::detectionChanged);
    panel.setDetection({5.5, 0.3, 3000});
    EXPECT_EQ(changed.count(), 0);
    EXPECT_EQ(panel.maxDurationValue()->text(), QStringLiteral("5.5s"));
    EXPECT_EQ(panel.thresholdValue()->text(), QStringLiteral("30%"));
    EXPECT_EQ(panel.thresholdSlider()->accessibleDescription(), QStringLiteral("30 percent"));
    EXPECT_EQ(panel.sharpnessValue()->text(), QStringLiteral("3000"));
    EXPECT_EQ(panel.maxDurationSlider()->accessibleName(), QStringLiteral("Max marker length"));
    EXPECT_FALSE(panel.advancedBody()->isVisibleTo(&panel));

    // An out-of-range value is shown at the slider's end, but stays as it is.
    panel.setDetection({50, 0.05, 20000});
    EXPECT_EQ(panel.detection(), (MarkerDetector::Settings{50, 0.05, 20000}));
    EXPECT_EQ(panel.maxDurationSlider()->value(), panel.maxDurationSlider()->maximum());
    EXPECT_EQ(changed.count(), 0);

    panel.maxDurationSlider()->setValue(19);
    EXPECT_EQ(panel.maxDurationValue()->text(), QStringLiteral("9.5s"));
    panel.thresholdSlider()->setValue(panel.thresholdSlider()->maximum());
    EXPECT_EQ(panel.thresholdValue()->text(), QStringLiteral("90%"));
    panel.thresholdSlider()->setValue(panel.thresholdSlider()->minimum());
    EXPECT_EQ(panel.thresholdValue()->text(), QStringLiteral("10%"));
    panel.sharpnessSlider()->setValue(5);
    EXPECT_EQ(panel.sharpnessValue()->text(), QStringLiteral("500"));
    EXPECT_EQ(changed.count(), 4);
    EXPECT_EQ(panel.detection(), (MarkerDetector::Settings{9.5, 0.1, 500}));
    EXPECT_EQ(MarkerDetectionSettingsPanel::maxDurationText(10.0), QStringLiteral("10s"));

    panel.advancedToggle()->click();
    EXPECT_TRUE(panel.advancedBody()->isVisibleTo(&panel));
}

TEST(CandidateThumbnailTest, ShowsACachedPosterAtOnceAndLoadsOtherwise)
{
    ThumbnailGenerator generator;
    Clip cached = clip(QStringLiteral("cached.mp4"), 4.0);
    QImage poster(480, 270, QImage::Format_RGB32);
    poster.fill(Qt::red);
    generator.posterCache().insert(CandidateThumbnail::posterKey(cached), poster);
    CandidateThumbnail shown(cached, &generator);
    EXPECT_EQ(shown.shownImage(), poster);

    // Duration 0: the poster at 0 s.
    Clip still = clip(QStringLiteral("still.mp4"), 0.0);
    EXPECT_EQ(CandidateThumbnail::posterTime(still), 0.0);
    EXPECT_TRUE(CandidateThumbnail::posterKey(still).contains(QStringLiteral("_0.00_480")));

    // A real file: loaded once, kept, and filed in the shared cache.
    Clip real = clip(QStringLiteral("x"), 10.0);
    real.url = QUrl::fromLocalFile(TestMedia::path(QStringLiteral("counter.mp4")));
    auto view = std::make_unique<CandidateThumbnail>(real, &generator);
    EXPECT_TRUE(view->shownImage().isNull());
    view->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !view->image().isNull(); }, 20000));
    EXPECT_FALSE(generator.posterCache().object(CandidateThumbnail::posterKey(real)).isNull());
    view->hide();
    view->show();
    EXPECT_TRUE(view->hasRequested());

    // Nothing decodable: the placeholder stays and nothing is cached.
    Clip broken = clip(QStringLiteral("y"), 1.0);
    broken.url = QUrl::fromLocalFile(TestMedia::path(QStringLiteral("notavideo.mov")));
    CandidateThumbnail placeholder(broken, &generator);
    placeholder.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return generator.inFlightCount() == 0; }, 20000));
    QTest::qWait(50);
    EXPECT_TRUE(placeholder.shownImage().isNull());
    EXPECT_FALSE(generator.posterCache().contains(CandidateThumbnail::posterKey(broken)));
}
