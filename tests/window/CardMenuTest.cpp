#include "WindowTestSupport.h"

#include "grid/ClipGridView.h"
#include "grid/ClipThumbnailView.h"

#include <QAction>
#include <QApplication>
#include <QMenu>

namespace {

// Opens the card's context menu by a right click through the window, as the
// window system delivers it, and clicks its "Hand Marker" item, which must be
// checked as `checkedBefore`.
void chooseHandMarker(TestWindow &w, const QUuid &clipID, bool checkedBefore)
{
    ClipThumbnailView *card = w.area().grid()->cardFor(clipID);
    ASSERT_NE(card, nullptr);
    const QPoint at = card->mapTo(card->window(), card->posterRect().center().toPoint());
    QTest::mouseClick(card->window()->windowHandle(), Qt::RightButton, {}, at);
    auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    QAction *item = nullptr;
    for (QAction *action : menu->actions())
        item = action->text() == QStringLiteral("Hand Marker") ? action : item;
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->isChecked(), checkedBefore);
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
    EXPECT_FALSE(menu->isVisible());
}

} // namespace

TEST(CardMenuInWindow, HandMarkerFlagsAndUnflagsTheClipWithOneUndoStepEach)
{
    TestWindow w;
    Clip plain = makeClip(QStringLiteral("/footage/a.mov"));
    Clip special = makeClip(QStringLiteral("/footage/b.mov"));
    special.markerFlag = MarkerFlag::special(2);
    w.store.setClips({plain, special});
    QCoreApplication::processEvents();

    chooseHandMarker(w, special.id, false);
    EXPECT_EQ(w.store.clips().at(1).markerFlag, MarkerFlag::marker());
    chooseHandMarker(w, special.id, true);
    EXPECT_FALSE(w.store.clips().at(1).markerFlag.has_value());
    chooseHandMarker(w, plain.id, false);
    EXPECT_EQ(w.store.clips().at(0).markerFlag, MarkerFlag::marker());

    EXPECT_EQ(w.store.undoStack().size(), 3);
    w.store.undo();
    EXPECT_FALSE(w.store.clips().at(0).markerFlag.has_value());
    w.store.undo();
    w.store.undo();
    EXPECT_EQ(w.store.clips().at(1).markerFlag, MarkerFlag::special(2));
}
