#include "WindowTestSupport.h"

#include "grid/ClipGridView.h"
#include "grid/ClipThumbnailView.h"
#include "support/Children.h"
#include "window/FilterRow.h"
#include "window/FilterSectionView.h"
#include "window/SidebarView.h"

#include <QAction>
#include <QApplication>
#include <QMenu>

namespace {

// The context menu of a clip's card, opened by a right click as the user
// makes it; null (and a failure) when none opens.
QMenu *openCardMenu(TestWindow &w, const QUuid &clipID)
{
    ClipGridView *grid = w.area().grid();
    ClipThumbnailView *card = grid ? grid->cardFor(clipID) : nullptr;
    if (!card) {
        ADD_FAILURE() << "no card";
        return nullptr;
    }
    // Through the window, as the window system delivers it: the widget
    // window turns the right button into the context-menu event.
    const QPoint at = card->mapTo(card->window(), card->posterRect().center().toPoint());
    QTest::mouseClick(card->window()->windowHandle(), Qt::RightButton, {}, at);
    auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    EXPECT_NE(menu, nullptr) << "no menu opened";
    return menu;
}

QStringList itemTexts(const QMenu *menu)
{
    QStringList texts;
    for (const QAction *action : menu->actions())
        texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
    return texts;
}

QAction *handMarkerItem(QMenu *menu)
{
    for (QAction *action : menu->actions()) {
        if (action->text() == QStringLiteral("Hand Marker"))
            return action;
    }
    return nullptr;
}

// Opens the card's menu, reads whether "Hand Marker" is checked and clicks it.
void chooseHandMarker(TestWindow &w, const QUuid &clipID, bool checkedBefore)
{
    QMenu *menu = openCardMenu(w, clipID);
    ASSERT_NE(menu, nullptr);
    QAction *item = handMarkerItem(menu);
    ASSERT_NE(item, nullptr) << itemTexts(menu).join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(item->isCheckable());
    EXPECT_EQ(item->isChecked(), checkedBefore);
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
    EXPECT_FALSE(menu->isVisible());
}

QStringList shownNames(TestWindow &w)
{
    return names(w.area().grid()->orderedVisibleClips());
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
    FilterRow *filter = child<FilterRow>(w.view->sidebarView()->filterSection(), "handMarkerFilter");
    ASSERT_NE(filter, nullptr);
    EXPECT_FALSE(filter->isVisible());

    // The item stands between "Tag" and the divider before "Expand".
    QMenu *menu = openCardMenu(w, plain.id);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(itemTexts(menu).mid(0, 5), (QStringList{QStringLiteral("Rate"), QStringLiteral("Tag"), QStringLiteral("Hand Marker"),
                                                      QStringLiteral("-"), QStringLiteral("Expand")}));
    menu->close();

    // On a clip flagged special (not a marker) it is unchecked and sets `marker`.
    chooseHandMarker(w, special.id, false);
    EXPECT_EQ(w.store.clips().at(1).markerFlag, MarkerFlag::marker());
    EXPECT_EQ(w.store.undoStack().size(), 1);
    EXPECT_FALSE(w.store.clips().at(0).markerFlag.has_value());
    ASSERT_TRUE(filter->isVisible());
    click(filter);
    EXPECT_TRUE(w.store.filterHandMarkers());
    EXPECT_EQ(shownNames(w), QStringList{QStringLiteral("b.mov")});

    // Checked on the marker clip; choosing it clears the flag, and with no
    // marker left the filter goes off and its row goes.
    chooseHandMarker(w, special.id, true);
    EXPECT_FALSE(w.store.clips().at(1).markerFlag.has_value());
    EXPECT_EQ(w.store.undoStack().size(), 2);
    EXPECT_FALSE(w.store.filterHandMarkers());
    EXPECT_FALSE(filter->isVisible());
    EXPECT_EQ(shownNames(w), (QStringList{QStringLiteral("a.mov"), QStringLiteral("b.mov")}));

    // A clip without a flag becomes a marker.
    chooseHandMarker(w, plain.id, false);
    EXPECT_EQ(w.store.clips().at(0).markerFlag, MarkerFlag::marker());
    EXPECT_TRUE(filter->isVisible());

    // Each choice is one undo step.
    w.store.undo();
    EXPECT_FALSE(w.store.clips().at(0).markerFlag.has_value());
    w.store.undo();
    EXPECT_EQ(w.store.clips().at(1).markerFlag, MarkerFlag::marker());
    w.store.undo();
    EXPECT_EQ(w.store.clips().at(1).markerFlag, MarkerFlag::special(2));
    EXPECT_TRUE(w.store.undoStack().isEmpty());
}
