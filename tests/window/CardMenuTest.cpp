#include "WindowTestSupport.h"

#include "grid/ClipGridView.h"
#include "grid/ClipThumbnailView.h"
#include "support/Children.h"
#include "window/FilterSectionView.h"
#include "window/SidebarView.h"

#include <QAction>
#include <QApplication>
#include <QMenu>

TEST(CardMenuInWindow, HandMarkerFlagsAndUnflagsTheClipWithOneUndoStepEach)
{
    TestWindow w;
    Clip plain = makeClip(QStringLiteral("/footage/a.mov"));
    Clip special = makeClip(QStringLiteral("/footage/b.mov"));
    special.markerFlag = MarkerFlag::special(2);
    w.store.setClips({plain, special});
    QCoreApplication::processEvents();
    QWidget *filter = child<QWidget>(w.view->sidebarView()->filterSection(), "handMarkerFilter");
    ASSERT_NE(filter, nullptr);

    // The clip chosen for, whether its item is checked then, and the flag it has after.
    const struct
    {
        qsizetype clip;
        bool checked;
        std::optional<MarkerFlag> flag;
    } choices[]{{1, false, MarkerFlag::marker()}, {1, true, std::nullopt}, {0, false, MarkerFlag::marker()}};
    for (const auto &choice : choices) {
        SCOPED_TRACE(w.store.undoStack().size());
        // A right click through the window, as the window system delivers it.
        ClipThumbnailView *card = w.area().grid()->cardFor(w.store.clips().at(choice.clip).id);
        ASSERT_NE(card, nullptr);
        QTest::mouseClick(card->window()->windowHandle(), Qt::RightButton, {},
                          card->mapTo(card->window(), card->posterRect().center().toPoint()));
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        QAction *item = nullptr;
        for (QAction *action : menu->actions())
            item = action->text() == QStringLiteral("Hand Marker") ? action : item;
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->isChecked(), choice.checked);
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
        EXPECT_FALSE(menu->isVisible());
        EXPECT_EQ(w.store.clips().at(choice.clip).markerFlag, choice.flag);
        // The Hand Markers filter is offered while a clip is a marker.
        EXPECT_EQ(filter->isVisible(), choice.flag.has_value());
    }

    EXPECT_EQ(w.store.undoStack().size(), 3);
    w.store.undo();
    EXPECT_FALSE(w.store.clips().at(0).markerFlag.has_value());
    w.store.undo();
    w.store.undo();
    EXPECT_EQ(w.store.clips().at(1).markerFlag, MarkerFlag::special(2));
}
