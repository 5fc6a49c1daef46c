#include "WindowTestSupport.h"

#include "markers/ui/MarkerDetectView.h"
#include "markers/ui/NumberingResetReviewView.h"
#include "markers/MarkerDetector.h"

#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimeZone>
#include <QToolButton>
#include <gtest/gtest.h>

TEST(MarkerSheetPresentation, TheDetectionSheetFollowsItsFlag)
{
    TestWindow w;
    EXPECT_FALSE(w.sheet<MarkerDetectView>());
    w.view->setShowMarkerDetect(true);
    QPointer<MarkerDetectView> sheet = w.sheet<MarkerDetectView>();
    ASSERT_TRUE(sheet);
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_EQ(sheet->windowModality(), Qt::WindowModal);
    EXPECT_EQ(sheet->phase(), MarkerDetectView::Phase::ready);

    // The sheet's own close button clears the flag, and the sheet goes.
    QTest::mouseClick(sheet->closeButton(), Qt::LeftButton);
    EXPECT_FALSE(w.view->showMarkerDetect());
    EXPECT_FALSE(w.sheet<MarkerDetectView>());
    EXPECT_TRUE(QTest::qWaitFor([&] { return sheet.isNull(); }, 5000));

    // Each presentation is a new sheet.
    w.view->setShowMarkerDetect(true);
    ASSERT_TRUE(w.sheet<MarkerDetectView>());
    QTest::keyClick(w.sheet<MarkerDetectView>(), Qt::Key_Escape);
    EXPECT_FALSE(w.view->showMarkerDetect());
}

TEST(MarkerSheetPresentation, TheReviewSheetShowsTheResetToReview)
{
    TestWindow w;
    QList<Clip> clips;
    const QStringList names{QStringLiteral("C0120.MP4"), QStringLiteral("C0121.MP4"), QStringLiteral("C0001.MP4"),
                            QStringLiteral("C0002.MP4")};
    for (int i = 0; i < names.size(); ++i) {
        Clip c = makeClip(QStringLiteral("/shoot/") + names[i]);
        c.recordedAt = QDateTime(QDate(2024, 5, 1), QTime(9, i), QTimeZone::utc());
        clips.append(c);
    }
    w.store.setClips(clips);
    ASSERT_EQ(w.store.numberingResets().size(), 1);
    const MarkerDetector::NumberingReset reset = w.store.numberingResets()[0];

    w.view->reviewNumberingReset(reset);
    NumberingResetReviewView *sheet = w.sheet<NumberingResetReviewView>();
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->reset(), reset);
    QTest::mouseClick(sheet->dismissButton(), Qt::LeftButton);
    EXPECT_FALSE(w.view->numberingResetToReview());
    EXPECT_FALSE(w.sheet<NumberingResetReviewView>());
    EXPECT_TRUE(w.store.numberingResets().isEmpty());

    // Another reset while one is open replaces the sheet.
    w.store.undo();
    w.view->reviewNumberingReset(reset);
    QPointer<NumberingResetReviewView> first = w.sheet<NumberingResetReviewView>();
    const MarkerDetector::NumberingReset other{clips[0].id, clips[1].id};
    w.view->reviewNumberingReset(other);
    ASSERT_TRUE(w.sheet<NumberingResetReviewView>());
    EXPECT_EQ(w.sheet<NumberingResetReviewView>()->reset(), other);
    EXPECT_TRUE(QTest::qWaitFor([&] { return first.isNull(); }, 5000));
    QTest::mouseClick(w.sheet<NumberingResetReviewView>()->closeButton(), Qt::LeftButton);
    EXPECT_FALSE(w.view->numberingResetToReview());
}
