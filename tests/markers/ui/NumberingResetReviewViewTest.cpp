#include "MarkerUiTestSupport.h"

#include "app/widgets/ElidedLabel.h"
#include "markers/ui/NumberingResetClipPreview.h"
#include "markers/ui/NumberingResetReviewView.h"
#include "media/VideoPlayer.h"
#include "support/TestMedia.h"
#include "markers/MarkerDetector.h"

#include <QPushButton>
#include <QTemporaryDir>
#include <QTimeZone>
#include <QToolButton>

using namespace MarkerUiTest;

namespace {

class ReviewTest : public SheetFixture
{
protected:
    // C0120, C0121 | C0001, C0002 recorded a minute apart: one reset.
    void makeRestart(const QString &folder = QStringLiteral("/shoot/A"))
    {
        clips.clear();
        const QStringList names{QStringLiteral("C0120.MP4"), QStringLiteral("C0121.MP4"), QStringLiteral("C0001.MP4"),
                                QStringLiteral("C0002.MP4")};
        for (int i = 0; i < names.size(); ++i) {
            Clip c = clip(names[i], 1.0, folder);
            c.recordedAt = QDateTime(QDate(2024, 5, 1), QTime(9, i), QTimeZone::utc());
            clips.append(c);
        }
        store.setClips(clips);
        ASSERT_EQ(store.numberingResets().size(), 1);
        reset = store.numberingResets()[0];
    }
    std::unique_ptr<NumberingResetReviewView> makeView()
    {
        auto view = std::make_unique<NumberingResetReviewView>(store, *settings, reset, [this] { ++dismissed; });
        view->show();
        return view;
    }

    QList<Clip> clips;
    MarkerDetector::NumberingReset reset;
};

} // namespace

TEST_F(ReviewTest, ShowsBothSidesAndWhatTaggingWouldAdd)
{
    makeRestart();
    auto view = makeView();
    EXPECT_EQ(view->titleLabel()->text(), QStringLiteral("Review numbering reset"));
    EXPECT_EQ(view->closeButton()->accessibleName(), QStringLiteral("Close numbering reset review"));
    EXPECT_FALSE(view->unavailableContent()->isVisible());
    ASSERT_TRUE(view->beforePreview() && view->afterPreview());
    EXPECT_EQ(view->beforePreview()->headingLabel()->text(), QStringLiteral("Before the reset"));
    EXPECT_EQ(view->afterPreview()->headingLabel()->text(), QStringLiteral("After the reset"));
    EXPECT_EQ(view->beforePreview()->nameLabel()->text(), QStringLiteral("C0121.MP4"));
    EXPECT_EQ(view->afterPreview()->nameLabel()->text(), QStringLiteral("C0001.MP4"));
    EXPECT_TRUE(view->planContent()->isVisible());
    EXPECT_EQ(view->planLabel()->text(), QStringLiteral("Adds banger to C0121.MP4. You can undo this."));
    EXPECT_EQ(view->tagButton()->text(), QStringLiteral("Tag previous clip"));
    EXPECT_TRUE(view->tagButton()->isEnabled());

    // Three hands: the next two clips are flagged markers as well.
    clips[3].markerFlag = MarkerFlag::marker();
    Clip third = clip(QStringLiteral("C0003.MP4"));
    third.recordedAt = QDateTime(QDate(2024, 5, 1), QTime(9, 4), QTimeZone::utc());
    third.markerFlag = MarkerFlag::marker();
    clips.append(third);
    store.setClips(clips);
    EXPECT_EQ(view->planLabel()->text(), QStringLiteral("Adds bangerx3 to C0121.MP4. You can undo this."));

    // An empty base setting still reads as the default base.
    settings->setMarkerTagBase(QString());
    EXPECT_TRUE(view->planLabel()->text().startsWith(QStringLiteral("Adds bangerx3 ")));
    EXPECT_EQ(NumberingResetReviewView::planText(QStringLiteral("banger"), QStringLiteral("a.mov")),
              QStringLiteral("Adds banger to a.mov. You can undo this."));
}

TEST_F(ReviewTest, EscapeClosesWithoutDeciding)
{
    makeRestart();
    auto view = makeView();
    QTest::keyClick(view.get(), Qt::Key_Escape);
    EXPECT_EQ(dismissed, 1);
    EXPECT_EQ(store.numberingResets().size(), 1);
    EXPECT_TRUE(store.undoStack().isEmpty());
}

TEST_F(ReviewTest, DismissRecordsTheReviewAndCloses)
{
    makeRestart();
    auto view = makeView();
    QTest::mouseClick(view->dismissButton(), Qt::LeftButton);
    EXPECT_EQ(dismissed, 1);
    EXPECT_TRUE(store.numberingResets().isEmpty());
    EXPECT_EQ(store.clips()[2].numberingResetReview->decision, NumberingResetReview::Decision::dismissed);
    // Decided: the tag button of a sheet still open can no longer act.
    EXPECT_FALSE(view->tagButton()->isEnabled());
    store.undo();
    EXPECT_EQ(store.numberingResets().size(), 1);
    EXPECT_TRUE(view->tagButton()->isEnabled());
}

TEST_F(ReviewTest, TaggingClosesOnlyWhenItWorked)
{
    makeRestart();
    auto view = makeView();
    settings->setMarkerTagBase(QStringLiteral("a/b"));
    // A base that cannot be a tag: nothing to press.
    EXPECT_FALSE(view->tagButton()->isEnabled());
    view->tagPreviousClip();
    EXPECT_EQ(dismissed, 0);
    EXPECT_TRUE(store.undoStack().isEmpty());

    settings->setMarkerTagBase(QStringLiteral("banger"));
    QTest::mouseClick(view->tagButton(), Qt::LeftButton);
    EXPECT_EQ(dismissed, 1);
    EXPECT_EQ(store.clips()[1].tags, QStringList{QStringLiteral("banger")});
    EXPECT_EQ(store.undoTitle(), QStringLiteral("Undo Confirm Hand Marker Across Reset"));
}

TEST_F(ReviewTest, MissingOrOfflineClipsLeaveOnlyDone)
{
    makeRestart();
    store.removeClip(clips[1].id);
    auto view = makeView();
    EXPECT_TRUE(view->unavailableContent()->isVisible());
    EXPECT_FALSE(view->reviewContent()->isVisible());
    EXPECT_FALSE(view->beforePreview());
    QTest::mouseClick(view->doneButton(), Qt::LeftButton);
    EXPECT_EQ(dismissed, 1);

    // Going offline while the sheet is open turns it into the same case.
    store.undo();
    auto open = makeView();
    EXPECT_TRUE(open->reviewContent()->isVisible());
    QList<Clip> offline = store.clips();
    offline[2].isMissing = true;
    store.setClips(offline);
    EXPECT_TRUE(open->unavailableContent()->isVisible());
}

TEST_F(ReviewTest, APlanElsewhereNamesItsClipAndNoPlanOnlyDismisses)
{
    makeRestart();
    // C0121 is a marker itself: linking stacks two hands on C0120.
    clips[1].markerFlag = MarkerFlag::marker();
    store.setClips(clips);
    auto view = makeView();
    EXPECT_EQ(view->planLabel()->text(), QStringLiteral("Adds bangerx2 to C0120.MP4. You can undo this."));
    EXPECT_EQ(view->tagButton()->text(), QStringLiteral("Tag C0120.MP4"));

    // Both clips before the restart are markers: nothing before them to tag.
    clips[0].markerFlag = MarkerFlag::marker();
    store.setClips(clips);
    EXPECT_TRUE(view->noPlanContent()->isVisible());
    EXPECT_FALSE(view->planContent()->isVisible());
    QTest::mouseClick(view->noPlanDismissButton(), Qt::LeftButton);
    EXPECT_EQ(dismissed, 1);
    EXPECT_TRUE(store.numberingResets().isEmpty());
}

TEST_F(ReviewTest, PreviewsPlayMutedAndStopWhenHidden)
{
    QTemporaryDir folder;
    const QString dir = folder.path();
    TestMedia::copyTo(QStringLiteral("counter.mp4"), dir, QStringLiteral("C0120.MP4"));
    TestMedia::copyTo(QStringLiteral("counter.mp4"), dir, QStringLiteral("C0121.MP4"));
    TestMedia::copyTo(QStringLiteral("notavideo.mov"), dir, QStringLiteral("C0001.MP4"));
    TestMedia::copyTo(QStringLiteral("counter.mp4"), dir, QStringLiteral("C0002.MP4"));
    makeRestart(dir);
    QList<Clip> undated = store.clips();
    auto view = makeView();
    NumberingResetClipPreview *before = view->beforePreview();
    NumberingResetClipPreview *after = view->afterPreview();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !before->poster().isNull(); }, 20000));
    EXPECT_TRUE(before->dateLabel()->isVisible());
    EXPECT_EQ(before->dateLabel()->text(), NumberingResetClipPreview::dateText(*clips[1].recordedAt));
    // No picture: black with the play button.
    QTest::qWait(100);
    EXPECT_TRUE(after->poster().isNull());
    EXPECT_TRUE(after->playButton()->isVisible());
    EXPECT_EQ(after->playButton()->accessibleName(), QStringLiteral("Play C0001.MP4"));

    EXPECT_FALSE(before->player());
    QTest::mouseClick(before->playButton(), Qt::LeftButton);
    ASSERT_TRUE(before->player());
    EXPECT_TRUE(before->player()->isMuted());
    EXPECT_FALSE(before->playButton()->isVisible());
    QPointer<VideoPlayer> player = before->player();
    view->hide();
    EXPECT_FALSE(before->player());
    EXPECT_TRUE(player.isNull());
    view->show();
    EXPECT_TRUE(before->playButton()->isVisible());

    // A clip without a recording date has no date line.
    undated[1].recordedAt.reset();
    store.setClips(undated);
    EXPECT_FALSE(before->dateLabel()->isVisibleTo(view.get()));
}
