#include "WindowTestSupport.h"

#include "organize/ui/ExportView.h"

#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

TEST(OrganizeSheetPresentation, TheCommitFlagPresentsAndClosesTheSheet)
{
    QTemporaryDir dir;
    TestWindow w;
    ContentView &view = *w.view;
    ClipStore &store = w.store;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    store.setSourceFolderURL(QUrl::fromLocalFile(dir.path()));

    EXPECT_EQ(w.sheet<ExportView>(), nullptr);
    view.setShowCommit(true);
    ExportView *sheet = w.sheet<ExportView>();
    ASSERT_NE(sheet, nullptr);
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_EQ(sheet->windowModality(), Qt::WindowModal);
    // The default destination is the folder last added.
    EXPECT_EQ(sheet->exportURL(), QUrl::fromLocalFile(dir.path()));

    // Cancel asks the window to close it; the flag goes back and the sheet goes.
    QPointer<ExportView> guard(sheet);
    sheet->findChild<QPushButton *>(QStringLiteral("cancelButton"))->click();
    EXPECT_FALSE(view.showCommit());
    EXPECT_EQ(w.sheet<ExportView>(), nullptr);
    EXPECT_TRUE(QTest::qWaitFor([&] { return guard.isNull(); }, 5000));

    // Each presentation starts from the form's first state.
    view.setShowCommit(true);
    ASSERT_NE(w.sheet<ExportView>(), nullptr);
    EXPECT_EQ(w.sheet<ExportView>()->scope(), ExportScope::shortlisted);
    view.setShowCommit(false);
    EXPECT_EQ(w.sheet<ExportView>(), nullptr);
}
