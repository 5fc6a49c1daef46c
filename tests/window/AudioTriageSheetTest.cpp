#include "app/AppSettings.h"
#include "audiotriage/ui/AudioTriageView.h"
#include "library/ClipStore.h"
#include "settings/TourManager.h"
#include "window/ContentView.h"

#include <QApplication>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

AudioTriageView *sheetOf(ContentView &view)
{
    return view.findChild<AudioTriageView *>(QString(), Qt::FindDirectChildrenOnly);
}

} // namespace

TEST(AudioTriageSheetPresentation, TheFlagPresentsAFreshSheetAndItsDismissalClearsTheFlag)
{
    QTemporaryDir dir;
    ClipStore store;
    AppSettings settings(dir.filePath(QStringLiteral("settings.conf")));
    TourManager tours(dir.filePath(QStringLiteral("tours.conf")));
    ContentView view(store, settings, tours);
    view.resize(1200, 800);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));

    EXPECT_EQ(sheetOf(view), nullptr);
    view.setShowAudioTriage(true);
    AudioTriageView *sheet = sheetOf(view);
    ASSERT_NE(sheet, nullptr);
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_TRUE(sheet->isModal());
    EXPECT_EQ(sheet->phase(), AudioTriageView::Phase::ready);

    // Escape dismisses: the flag goes back and the sheet goes away.
    QPointer<AudioTriageView> closing(sheet);
    QTest::keyClick(sheet, Qt::Key_Escape);
    EXPECT_FALSE(view.showAudioTriage());
    EXPECT_EQ(sheetOf(view), nullptr);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(closing.isNull());

    // Every presentation starts afresh.
    view.setShowAudioTriage(true);
    ASSERT_NE(sheetOf(view), nullptr);
    view.setShowAudioTriage(false);
    EXPECT_EQ(sheetOf(view), nullptr);
}
