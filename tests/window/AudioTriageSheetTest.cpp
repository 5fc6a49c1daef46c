#include "WindowTestSupport.h"

#include "audiotriage/ui/AudioTriageView.h"

#include <QApplication>
#include <QPointer>
#include <QTest>
#include <gtest/gtest.h>

TEST(AudioTriageSheetPresentation, TheFlagPresentsAFreshSheetAndItsDismissalClearsTheFlag)
{
    TestWindow w;
    ContentView &view = *w.view;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));

    EXPECT_EQ(w.sheet<AudioTriageView>(), nullptr);
    view.setShowAudioTriage(true);
    AudioTriageView *sheet = w.sheet<AudioTriageView>();
    ASSERT_NE(sheet, nullptr);
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_TRUE(sheet->isModal());
    EXPECT_EQ(sheet->phase(), AudioTriageView::Phase::ready);
    // Framed like every other sheet, so that a window manager gives it a title bar to move it by.
    EXPECT_EQ(sheet->windowType(), Qt::Dialog);
    EXPECT_FALSE(sheet->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(sheet->mask().isEmpty());

    // Escape dismisses: the flag goes back and the sheet goes away.
    QPointer<AudioTriageView> closing(sheet);
    QTest::keyClick(sheet, Qt::Key_Escape);
    EXPECT_FALSE(view.showAudioTriage());
    EXPECT_EQ(w.sheet<AudioTriageView>(), nullptr);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(closing.isNull());

    // Every presentation starts afresh.
    view.setShowAudioTriage(true);
    ASSERT_NE(w.sheet<AudioTriageView>(), nullptr);
    view.setShowAudioTriage(false);
    EXPECT_EQ(w.sheet<AudioTriageView>(), nullptr);
}
