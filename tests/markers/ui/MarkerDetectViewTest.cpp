#include "MarkerUiTestSupport.h"

#include "markers/ui/MarkerDetectView.h"
#include "markers/ui/MarkerDetectionSettingsPanel.h"
#include "markers/ui/FillBar.h"
#include "markers/ui/MarkerResultRow.h"
#include "markers/MarkerDetector.h"
#include "markers/HandMarkerScan.h"

#include <QCheckBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QToolButton>

using namespace MarkerUiTest;

namespace {

class MarkerDetectViewTest : public SheetFixture
{
protected:
    std::unique_ptr<MarkerDetectView> makeView()
    {
        auto view = std::make_unique<MarkerDetectView>(store, *settings, [this] { ++dismissed; });
        view->show();
        return view;
    }
    // Clips whose metrics the store already keeps, so that a scan only
    // reads them back.
    void seed(const QList<QPair<Clip, MarkerDetector::Metrics>> &entries)
    {
        QList<Clip> clips;
        QHash<QUuid, MarkerDetector::Metrics> metrics;
        for (const auto &[c, m] : entries) {
            clips.append(c);
            metrics.insert(c.id, m);
        }
        store.setClips(clips);
        store.setMarkerMetrics(metrics);
    }
    void scan(MarkerDetectView &view)
    {
        view.startScan();
        ASSERT_TRUE(QTest::qWaitFor([&] { return view.phase() == MarkerDetectView::Phase::results; }, 20000));
    }
    QStringList listedNames(const MarkerDetectView &view)
    {
        QStringList names;
        for (MarkerResultRow *row : view.visibleRows())
            names.append(row->clip().filename);
        return names;
    }
};

} // namespace

TEST_F(MarkerDetectViewTest, AnEmptySessionCannotBeScanned)
{
    auto view = makeView();
    EXPECT_EQ(view->phase(), MarkerDetectView::Phase::ready);
    EXPECT_EQ(view->titleLabel()->text(), QStringLiteral("Detect Hand Markers"));
    EXPECT_TRUE(view->closeButton()->isVisible());
    EXPECT_EQ(view->closeButton()->accessibleName(), QStringLiteral("Close"));
    EXPECT_FALSE(view->cancelScanButton()->isVisible());
    EXPECT_EQ(view->countLabel()->text(), QStringLiteral("0"));
    EXPECT_TRUE(view->noClipsWarning()->isVisible());
    EXPECT_FALSE(view->scanButton()->isEnabled());
    EXPECT_EQ(view->scanButton()->text(), QStringLiteral("Scan 0 Clips"));
    QTest::keyClick(view.get(), Qt::Key_Return);
    EXPECT_EQ(view->phase(), MarkerDetectView::Phase::ready);
    EXPECT_EQ(dismissed, 0);
    // Escape is "Cancel".
    QTest::keyClick(view.get(), Qt::Key_Escape);
    EXPECT_EQ(dismissed, 1);
}

TEST_F(MarkerDetectViewTest, TheReadyPhaseFollowsTheStore)
{
    settings->setMarkerTagBase(QStringLiteral("  take  "));
    auto view = makeView();
    const QStringList lines{view->explanationLines()[1]->text(), view->explanationLines()[2]->text()};
    EXPECT_EQ(lines[0], QStringLiteral("The clip <b>before</b> each marker gets the <b>take</b> tag"));
    EXPECT_EQ(lines[1], QStringLiteral("Back-to-back markers in the same camera sequence stack: <b>takex2</b>"));
    EXPECT_TRUE(view->explanationLines()[4]->text().contains(QStringLiteral("Ctrl+Z")));

    Clip off1 = clip(QStringLiteral("d.MP4")), off2 = clip(QStringLiteral("e.MP4"));
    off1.isMissing = off2.isMissing = true;
    store.setClips({clip(QStringLiteral("a.MP4")), clip(QStringLiteral("b.MP4")), clip(QStringLiteral("c.MP4")), off1, off2});
    EXPECT_EQ(view->countLabel()->text(), QStringLiteral("3"));
    EXPECT_EQ(view->scanButton()->text(), QStringLiteral("Scan 3 Clips"));
    EXPECT_TRUE(view->scanButton()->isEnabled());
    EXPECT_FALSE(view->noClipsWarning()->isVisible());

    settings->setMarkerTagBase(QStringLiteral("   "));
    EXPECT_TRUE(view->explanationLines()[1]->text().contains(QStringLiteral("<b>banger</b>")));
}

TEST_F(MarkerDetectViewTest, AllOfflineScansNothingAndShowsNoDivisionByZero)
{
    Clip off = clip(QStringLiteral("a.MP4"));
    off.isMissing = true;
    store.setClips({off});
    auto view = makeView();
    EXPECT_EQ(view->countLabel()->text(), QStringLiteral("0"));
    EXPECT_TRUE(view->scanButton()->isEnabled());
    view->startScan();
    EXPECT_EQ(view->progressBar()->value(), 0);
    EXPECT_EQ(view->progressCounter()->text(), QStringLiteral("0 / 0"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->phase() == MarkerDetectView::Phase::results; }, 20000));
    EXPECT_TRUE(view->results().isEmpty());
    EXPECT_TRUE(view->emptyResults()->isVisible());
    EXPECT_EQ(view->emptyResultsText()->text(), QStringLiteral("No clips under 5s to consider"));
    EXPECT_EQ(view->summaryTexts(), (QStringList{QStringLiteral("0 markers"), QStringLiteral("0 banger")}));
    EXPECT_FALSE(view->applyButton()->isEnabled());
}

TEST_F(MarkerDetectViewTest, TheScanCountsUpToItsTotal)
{
    QList<Clip> clips;
    for (int i = 1; i <= 20; ++i)
        clips.append(clip(QStringLiteral("C%1.MP4").arg(i, 4, 10, QLatin1Char('0')), 30.0)); // too long to sample
    store.setClips(clips);
    auto view = makeView();
    view->startScan();
    EXPECT_EQ(view->phase(), MarkerDetectView::Phase::analyzing);
    EXPECT_EQ(view->totalToAnalyze(), 20);
    EXPECT_EQ(view->progressBar()->accessibleName(), QStringLiteral("Scan progress"));
    EXPECT_EQ(view->progressBar()->accessibleDescription(), QStringLiteral("0 of 20 clips"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->phase() == MarkerDetectView::Phase::results; }, 20000));
    EXPECT_EQ(view->currentClipIndex(), 20);
    EXPECT_EQ(view->currentClipName(), QStringLiteral("C0020.MP4"));
    EXPECT_EQ(view->progressCounter()->text(), QStringLiteral("20 / 20"));
    EXPECT_EQ(view->results().size(), 20);
}

TEST_F(MarkerDetectViewTest, EscapeWhileScanningCancelsAndCloses)
{
    seed({{clip(QStringLiteral("C0010.MP4")), black(1)}, {clip(QStringLiteral("C0011.MP4")), black(1)}});
    auto view = makeView();
    view->startScan();
    EXPECT_TRUE(view->cancelScanButton()->isVisible());
    EXPECT_FALSE(view->closeButton()->isVisible());
    EXPECT_TRUE(view->isScanning());
    QTest::keyClick(view.get(), Qt::Key_Escape);
    EXPECT_EQ(dismissed, 1);
    QTest::qWait(50);
    // Nothing of the scan reaches the sheet.
    EXPECT_EQ(view->phase(), MarkerDetectView::Phase::analyzing);
    EXPECT_TRUE(view->results().isEmpty());
}

TEST_F(MarkerDetectViewTest, ClosingMidScanLeavesNothingBehind)
{
    store.setClips({clip(QStringLiteral("C0010.MP4"), 30.0)}); // measured at once, without a frame
    auto view = makeView();
    view->startScan();
    view.reset(); // the sheet goes away before the scan's first batch
    QTest::qWait(100);
    // The scan was cancelled: it kept nothing, and its end reached no sheet.
    EXPECT_TRUE(store.markerMetrics().isEmpty());
    EXPECT_TRUE(store.findChildren<HandMarkerScan *>().isEmpty());

    // Left to run, the same scan keeps the clip's metrics.
    auto kept = makeView();
    kept->startScan();
    ASSERT_TRUE(QTest::qWaitFor([&] { return kept->phase() == MarkerDetectView::Phase::results; }, 20000));
    EXPECT_EQ(store.markerMetrics().size(), 1);
}

TEST_F(MarkerDetectViewTest, SecondStartLeavesOnlyTheSecondScanInCharge)
{
    seed({{clip(QStringLiteral("C0010.MP4")), black(1)}});
    auto view = makeView();
    view->startScan();
    view->startScan();
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->phase() == MarkerDetectView::Phase::results; }, 20000));
    EXPECT_EQ(view->results().size(), 1);
}

TEST_F(MarkerDetectViewTest, SavedSettingsAreReadOnceAndClampedForUse)
{
    useSettings("[General]\nmarkerMaxDuration=3\nmarkerConfidenceThreshold.v2=0.5\n");
    {
        auto view = makeView();
        EXPECT_TRUE(view->didLoadSettings());
        EXPECT_EQ(view->detection(), (MarkerDetector::Settings{3.0, 0.5, 3000.0}));
    }
    // Values that no slider offers are used within the sliders' ranges and
    // are not written back by an Apply that did not touch them.
    useSettings("[General]\nmarkerMaxDuration=50\nmarkerConfidenceThreshold.v2=0.05\n");
    seed({{clip(QStringLiteral("C0010.MP4")), black(1)}, {clip(QStringLiteral("C0011.MP4")), black(1)}});
    auto view = makeView();
    EXPECT_EQ(view->detection(), (MarkerDetector::Settings{10.0, 0.1, 3000.0}));
    scan(*view);
    EXPECT_EQ(view->settingsPanel()->maxDurationValue()->text(), QStringLiteral("10s"));
    EXPECT_EQ(view->settingsPanel()->thresholdValue()->text(), QStringLiteral("10%"));
    view->applyMarkers();
    EXPECT_EQ(storedSettings()->markerMaxDuration(), 50.0);
    EXPECT_EQ(storedSettings()->markerConfidenceThreshold(), 0.05);

    useSettings("[General]\nmarkerMaxDuration=inf\nmarkerConfidenceThreshold.v2=nan\n");
    auto fallback = makeView();
    EXPECT_EQ(fallback->detection(), (MarkerDetector::Settings{5.0, 0.3, 3000.0}));
}

TEST_F(MarkerDetectViewTest, ApplyStoresTheChosenSettingsAndCancelStoresNothing)
{
    seed({{clip(QStringLiteral("C0010.MP4")), blurred(1, 3000)}, {clip(QStringLiteral("C0011.MP4")), black(1)}});
    {
        auto view = makeView();
        scan(*view);
        view->settingsPanel()->maxDurationSlider()->setValue(7); // 3.5 s
        view->settingsPanel()->thresholdSlider()->setValue(45);
        view->settingsPanel()->sharpnessSlider()->setValue(60);
        QTest::mouseClick(view->resultsCancelButton(), Qt::LeftButton);
        EXPECT_EQ(dismissed, 1);
        EXPECT_EQ(storedSettings()->markerMaxDuration(), 5.0);
        EXPECT_TRUE(store.undoStack().isEmpty());
    }
    auto view = makeView();
    scan(*view);
    EXPECT_EQ(view->detection().sharpnessCeiling, 3000.0);
    view->settingsPanel()->maxDurationSlider()->setValue(7);
    view->settingsPanel()->thresholdSlider()->setValue(45);
    QTest::mouseClick(view->applyButton(), Qt::LeftButton);
    EXPECT_EQ(dismissed, 2);
    EXPECT_EQ(storedSettings()->markerMaxDuration(), 3.5);
    EXPECT_EQ(storedSettings()->markerConfidenceThreshold(), 0.45);
    EXPECT_EQ(store.clips()[0].tags, QStringList{QStringLiteral("banger")});
    EXPECT_EQ(store.clips()[1].markerFlag, MarkerFlag::marker());
    EXPECT_EQ(store.undoTitle(), QStringLiteral("Undo Detect Markers (3 changes)"));

    auto next = makeView();
    EXPECT_EQ(next->detection(), (MarkerDetector::Settings{3.5, 0.45, 3000.0}));
}

TEST_F(MarkerDetectViewTest, CandidatesAreMeasuredShortClipsMostConfidentFirst)
{
    const Clip a = clip(QStringLiteral("A.MP4")), b = clip(QStringLiteral("B.MP4")), c = clip(QStringLiteral("C.MP4")),
               d = clip(QStringLiteral("D.MP4"), 3.0), frameless = clip(QStringLiteral("E.MP4")),
               tooLong = clip(QStringLiteral("F.MP4"), 6.0);
    seed({{a, blurred(1, 1500)},
          {b, black(1)},
          {c, blurred(1, 1500)},
          {d, black(3.0)},
          {frameless, MarkerDetector::Metrics{1, std::nullopt}},
          {tooLong, black(6.0)}});
    auto view = makeView();
    scan(*view);
    // Equal confidences keep the store's order.
    EXPECT_EQ(listedNames(*view), (QStringList{"B.MP4", "D.MP4", "A.MP4", "C.MP4"}));
    EXPECT_EQ(view->visibleRows()[0]->percentLabel()->text(), QStringLiteral("100%"));
    EXPECT_EQ(view->visibleRows()[2]->percentLabel()->text(), QStringLiteral("30%"));
    // 0.3 reaches the threshold of 0.3.
    EXPECT_EQ(view->includedMarkerIDs(), (QSet<QUuid>{a.id, b.id, c.id, d.id}));

    // A clip without a frame is never a marker, whatever the user says.
    view->setOverride(frameless.id, true);
    EXPECT_FALSE(view->includedMarkerIDs().contains(frameless.id));

    // Shorter maximum: D goes, and comes back with its checkbox as it was.
    view->setOverride(d.id, false);
    view->settingsPanel()->maxDurationSlider()->setValue(4); // 2 s
    EXPECT_EQ(listedNames(*view), (QStringList{"B.MP4", "A.MP4", "C.MP4"}));
    view->settingsPanel()->maxDurationSlider()->setValue(10);
    EXPECT_EQ(listedNames(*view), (QStringList{"B.MP4", "D.MP4", "A.MP4", "C.MP4"}));
    EXPECT_FALSE(view->visibleRows()[1]->checkbox()->isChecked());
    // Raised to its upper end, the longer clip is listed too.
    view->settingsPanel()->maxDurationSlider()->setValue(20);
    EXPECT_TRUE(listedNames(*view).contains(QStringLiteral("F.MP4")));
}

TEST_F(MarkerDetectViewTest, TheCheckboxOverrulesTheThreshold)
{
    const Clip sure = clip(QStringLiteral("A.MP4")), unsure = clip(QStringLiteral("B.MP4"));
    seed({{sure, black(1)}, {unsure, blurred(1, 3000)}}); // confidences 1 and 0
    auto view = makeView();
    scan(*view);
    MarkerResultRow *sureRow = view->visibleRows()[0];
    MarkerResultRow *unsureRow = view->visibleRows()[1];
    EXPECT_TRUE(sureRow->checkbox()->isChecked());
    EXPECT_FALSE(unsureRow->checkbox()->isChecked());
    EXPECT_EQ(unsureRow->percentLabel()->text(), QStringLiteral("0%"));
    EXPECT_EQ(unsureRow->checkbox()->accessibleName(), QStringLiteral("Include B.MP4 as hand marker"));

    sureRow->checkbox()->click();
    unsureRow->checkbox()->click();
    EXPECT_EQ(view->includedMarkerIDs(), QSet<QUuid>{unsure.id});
    view->settingsPanel()->thresholdSlider()->setValue(10);
    EXPECT_EQ(view->includedMarkerIDs(), QSet<QUuid>{unsure.id});

    // Threshold 0: everything without an override false is in.
    MarkerDetector::Settings open = view->detection();
    open.confidenceThreshold = 0;
    view->setDetection(open);
    view->setOverride(sure.id, true);
    EXPECT_EQ(view->includedMarkerIDs(), (QSet<QUuid>{sure.id, unsure.id}));
}

TEST_F(MarkerDetectViewTest, TheSummaryNamesTheStacksLargestFirst)
{
    // Takes C0010 (three markers), C0020 (two), C0030 and C0040 (one each).
    QList<QPair<Clip, MarkerDetector::Metrics>> entries;
    const QList<QPair<int, int>> runs{{10, 3}, {20, 2}, {30, 1}, {40, 1}};
    for (const auto &[take, markers] : runs) {
        entries.append({clip(QStringLiteral("C%1.MP4").arg(take, 4, 10, QLatin1Char('0'))), blurred(1, 3000)});
        for (int m = 1; m <= markers; ++m)
            entries.append({clip(QStringLiteral("C%1.MP4").arg(take + m, 4, 10, QLatin1Char('0'))), black(1)});
    }
    seed(entries);
    auto view = makeView();
    scan(*view);
    EXPECT_EQ(view->summaryTexts(), (QStringList{QStringLiteral("7 markers"), QStringLiteral("1 bangerx3"), QStringLiteral("1 bangerx2"),
                                                 QStringLiteral("2 banger")}));
    EXPECT_FALSE(view->startWarning()->isVisible());
    EXPECT_TRUE(view->applyButton()->isEnabled());
    EXPECT_EQ(MarkerDetectView::stackSummary({{QUuid::createUuid(), 1}, {QUuid::createUuid(), 3}, {QUuid::createUuid(), 2}}),
              (QList<QPair<int, int>>{{3, 1}, {2, 1}, {1, 1}}));

    view->removeCheckBox()->click();
    view->applyMarkers();
    // The markers are gone, within the same undo step as the tags.
    EXPECT_EQ(store.clips().size(), 4);
    EXPECT_EQ(store.clips()[0].tags, QStringList{QStringLiteral("bangerx3")});
    store.undo();
    EXPECT_EQ(store.clips().size(), 11);
    EXPECT_TRUE(store.clips()[0].tags.isEmpty());
}

TEST_F(MarkerDetectViewTest, AMarkerThatOpensTheSessionIsFlaggedButTagsNothing)
{
    const Clip first = clip(QStringLiteral("C0001.MP4")), second = clip(QStringLiteral("C0002.MP4"));
    seed({{second, blurred(1, 3000)}, {first, black(1)}});
    auto view = makeView();
    scan(*view);
    EXPECT_TRUE(view->startWarning()->isVisible());
    EXPECT_TRUE(view->applyButton()->isEnabled());
    EXPECT_EQ(view->summaryTexts(), (QStringList{QStringLiteral("1 markers"), QStringLiteral("0 banger")}));
    view->applyMarkers();
    EXPECT_EQ(store.clips()[1].markerFlag, MarkerFlag::marker());
    EXPECT_TRUE(store.clips()[0].tags.isEmpty());
}

TEST_F(MarkerDetectViewTest, ARowExpandsToShowTheMeasures)
{
    const Clip a = clip(QStringLiteral("A.MP4")), b = clip(QStringLiteral("B.MP4"));
    seed({{a, MarkerDetector::Metrics{1, MarkerDetector::FrameStats{0, 1234.9, 0.126, 0.5, 20.7}}}, {b, black(1)}});
    auto view = makeView();
    scan(*view);
    MarkerResultRow *rowA = view->visibleRows()[1];
    MarkerResultRow *rowB = view->visibleRows()[0];
    EXPECT_FALSE(rowA->detail()->isVisible());
    QTest::mouseClick(rowA, Qt::LeftButton, {}, QPoint(100, 10));
    EXPECT_EQ(view->expandedResultID(), a.id);
    EXPECT_TRUE(rowA->detail()->isVisible());
    QStringList texts;
    for (QLabel *label : rowA->measureTexts())
        texts.append(label->text());
    EXPECT_EQ(texts, (QStringList{"Blur", "edge detail 1234", "Coverage", "skin 12% · dark 50%", "Uniformity", "luma σ 20"}));
    EXPECT_NEAR(rowA->measureBars()[1]->fraction(), 0.626, 1e-12);
    // Only one row is open at a time; a second click closes it.
    QTest::mouseClick(rowB, Qt::LeftButton, {}, QPoint(100, 10));
    EXPECT_EQ(view->expandedResultID(), b.id);
    EXPECT_FALSE(rowA->detail()->isVisible());
    QTest::mouseClick(rowB, Qt::LeftButton, {}, QPoint(100, 10));
    EXPECT_FALSE(view->expandedResultID());
    // The blur bar follows the sharpness ceiling.
    view->toggleExpanded(a.id);
    const double before = rowA->measureBars()[0]->fraction();
    view->settingsPanel()->advancedToggle()->click();
    view->settingsPanel()->sharpnessSlider()->setValue(60);
    EXPECT_GT(rowA->measureBars()[0]->fraction(), before);
}
