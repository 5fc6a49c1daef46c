// After a rename, however it ends, and after a click anywhere in the sidebar,
// the next digit or arrow acts on the clips: the keyboard is with the grid.
#include "WindowTestSupport.h"

#include "app/widgets/RenameTextField.h"
#include "grid/ClipGridView.h"
#include "grid/ClipThumbnailView.h"
#include "support/Children.h"
#include "window/SidebarView.h"

#include <QApplication>
#include <QMenu>
#include <QScrollBar>

#include <functional>

using StoreTest::byName;

namespace {

void clickCard(TestWindow &w, const QString &name)
{
    ClipThumbnailView *card = w.area().grid()->cardFor(byName(w.store, name).id);
    ASSERT_NE(card, nullptr);
    QTest::mouseClick(card, Qt::LeftButton, {}, card->posterRect().center().toPoint());
}

// Clips C0001.MP4 … sorted by name, in the window made active.
QList<Clip> showNumberedClips(TestWindow &w, int count)
{
    QList<Clip> clips;
    for (int i = 1; i <= count; ++i)
        clips << makeClip(QStringLiteral("/footage/C%1.MP4").arg(i, 4, 10, QLatin1Char('0')));
    w.store.setClips(clips);
    w.store.setSortOrder(SortOrder::name);
    QCoreApplication::processEvents();
    w.view->activateWindow();
    return clips;
}

// Which widget holds the keyboard, for failure messages.
std::string owner()
{
    QWidget *focus = QApplication::focusWidget();
    return focus ? std::string(focus->metaObject()->className()) + " " + focus->objectName().toStdString() : std::string("nothing");
}

} // namespace

TEST(KeysStayWithTheGrid, EveryWayARenameEndsGivesTheKeysBack)
{
    const auto type = [](Qt::Key key) { return [key](TestWindow &w) { QTest::keyClick(w.view->windowHandle(), key); }; };
    const struct
    {
        const char *how;
        std::function<void(TestWindow &)> end;
        const char *name;     // the renamed clip's name afterwards
        const char *selected; // the card the user went on to, else the renamed clip, selected before: the next digit rates it
    } ends[]{
        {"Return", type(Qt::Key_Return), "Take two.MP4", "Take two.MP4"},
        {"Escape", type(Qt::Key_Escape), "C0002.MP4", "C0002.MP4"},
        // The field loses the focus, and the name is kept.
        {"a click on another card", [](TestWindow &w) { clickCard(w, QStringLiteral("C0005.MP4")); }, "Take two.MP4", "C0005.MP4"},
        // The grid scrolled so far that the card goes; it stays where the user scrolled it.
        {"the card going away",
         [](TestWindow &w) {
             QScrollBar *bar = w.area().grid()->verticalScrollBar();
             bar->setValue(bar->maximum());
             QCoreApplication::processEvents();
             EXPECT_EQ(bar->value(), bar->maximum());
         },
         "C0002.MP4", "C0002.MP4"},
    };
    for (const auto &end : ends) {
        SCOPED_TRACE(end.how);
        // Sixty clips sorted by name: renamed "Take two", the second moves to
        // the end, far below the cards that exist, and its card goes.
        TestWindow w;
        const QList<Clip> clips = showNumberedClips(w, 60);
        ASSERT_TRUE(QTest::qWaitForWindowActive(w.view.get()));
        ClipGridView *grid = w.area().grid();
        const QUuid renamedID = clips.at(1).id;
        clickCard(w, QStringLiteral("C0002.MP4"));
        ClipThumbnailView *card = grid->cardFor(renamedID);
        QTest::mouseDClick(card, Qt::LeftButton, {}, card->nameRect().center().toPoint());
        QCoreApplication::processEvents(); // the field takes the focus on the next turn
        ASSERT_NE(card->renameField(), nullptr);
        ASSERT_EQ(QApplication::focusWidget(), card->renameField());
        QTest::keyClicks(card->renameField(), QStringLiteral("Take two"));

        end.end(w);
        QCoreApplication::processEvents();
        EXPECT_EQ(byName(w.store, QString::fromLatin1(end.name)).id, renamedID);
        EXPECT_FALSE(w.store.renamingClipID().has_value());
        EXPECT_EQ(QApplication::focusWidget(), grid) << owner();
        const QUuid target = byName(w.store, QString::fromLatin1(end.selected)).id;
        EXPECT_EQ(w.store.selectedClipIDs(), QSet<QUuid>{target});
        // A rename is no request to play the clip.
        EXPECT_NE(grid->gridScrubClipID(), std::optional<QUuid>(renamedID));
        const QList<Clip> order = grid->orderedVisibleClips();
        if (QLatin1String(end.selected) == QLatin1String("Take two.MP4")) {
            // Renamed and left there: the grid follows the cell the new name moved it to.
            EXPECT_EQ(order.last().id, renamedID);
            const ClipThumbnailView *moved = grid->cardFor(renamedID);
            EXPECT_TRUE(moved && grid->viewport()->rect().intersects(moved->geometry()));
        }
        // The digit rates the selected clip and the arrow moves on from it.
        ASSERT_TRUE(QTest::qWaitFor([grid] { return !grid->renameDismissedRecently(); }, 5000)); // the guard on the Return that ended it
        QTest::keyClick(w.view->windowHandle(), Qt::Key_3);
        EXPECT_EQ(byName(w.store, QString::fromLatin1(end.selected)).rating, 3);
        const qsizetype at = names(order).indexOf(QString::fromLatin1(end.selected));
        ASSERT_GT(at, 0);
        QTest::keyClick(w.view->windowHandle(), Qt::Key_Left);
        EXPECT_EQ(w.store.selectedClipIDs(), QSet<QUuid>{order.at(at - 1).id});
    }
}

// A rename started from the card menu of one of three selected cards ends
// with the three still selected: the next digit rates them all.
TEST(KeysStayWithTheGrid, ARenameLeavesAMultiSelectionAsItWas)
{
    TestWindow w;
    const QList<Clip> clips = showNumberedClips(w, 5);
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.view.get()));
    ClipGridView *grid = w.area().grid();
    clickCard(w, QStringLiteral("C0002.MP4"));
    ClipThumbnailView *last = grid->cardFor(byName(w.store, QStringLiteral("C0004.MP4")).id);
    QTest::mouseClick(last, Qt::LeftButton, Qt::ShiftModifier, last->posterRect().center().toPoint());
    const QSet<QUuid> three{clips.at(1).id, clips.at(2).id, clips.at(3).id};
    ASSERT_EQ(w.store.selectedClipIDs(), three);

    ClipThumbnailView *card = grid->cardFor(clips.at(2).id);
    QTest::mouseClick(card->window()->windowHandle(), Qt::RightButton, {},
                      card->mapTo(card->window(), card->posterRect().center().toPoint()));
    auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    QAction *rename = nullptr;
    for (QAction *action : menu->actions())
        rename = action->text() == QStringLiteral("Rename...") ? action : rename;
    ASSERT_NE(rename, nullptr);
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(rename).center());
    ASSERT_TRUE(QTest::qWaitFor([card] { return card->renameField() && QApplication::focusWidget() == card->renameField(); }, 5000));
    QTest::keyClicks(card->renameField(), QStringLiteral("C0003b"));
    QTest::keyClick(w.view->windowHandle(), Qt::Key_Return);
    QCoreApplication::processEvents();

    EXPECT_EQ(byName(w.store, QStringLiteral("C0003b.MP4")).id, clips.at(2).id);
    EXPECT_EQ(QApplication::focusWidget(), grid) << owner();
    EXPECT_EQ(w.store.selectedClipIDs(), three);
    ASSERT_TRUE(QTest::qWaitFor([grid] { return !grid->renameDismissedRecently(); }, 5000));
    QTest::keyClick(w.view->windowHandle(), Qt::Key_4);
    for (const QUuid &id : three)
        EXPECT_EQ(w.store.clips().at(*w.store.indexOfClip(id)).rating, 4);
    EXPECT_EQ(byName(w.store, QStringLiteral("C0001.MP4")).rating, 0);
}

// Every widget of the sidebar, bare space, captions, the sort and grouping
// controls, the filters and the switches included, except the tools and the
// organize button, which open sheets (the keyboard comes back to the grid
// when those close).
TEST(KeysStayWithTheGrid, AClickOnAnySidebarControlLeavesTheKeysWithTheGrid)
{
    TestWindow w;
    w.store.setClips({taggedClip(QStringLiteral("a.mov"), 0, {QStringLiteral("Dunk")}), taggedClip(QStringLiteral("b.mov"), 0, {})});
    QCoreApplication::processEvents();
    w.view->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.view.get()));
    ClipGridView *grid = w.area().grid();
    SidebarView *sidebar = w.view->sidebarView();
    const QStringList opensSheet{QStringLiteral("audioTriageTool"), QStringLiteral("detectMarkersTool"),
                                 QStringLiteral("numberingResetTool"), QStringLiteral("organizeButton")};
    int clicked = 0;
    for (QWidget *widget : sidebar->findChildren<QWidget *>()) {
        bool insideTool = false;
        for (QWidget *up = widget; up && up != sidebar; up = up->parentWidget())
            insideTool = insideTool || opensSheet.contains(up->objectName());
        if (!widget->isVisible() || widget->isWindow() || insideTool)
            continue;
        SCOPED_TRACE(std::string(widget->metaObject()->className()) + " " + widget->objectName().toStdString() + " "
                     + widget->accessibleName().toStdString());
        grid->setFocus(Qt::OtherFocusReason);
        QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
        // A pop-up list (the grouping) is closed as the user would.
        if (QWidget *popup = QApplication::activePopupWidget()) {
            QTest::keyClick(popup, Qt::Key_Escape);
            w.view->activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(w.view.get()));
        }
        EXPECT_EQ(QApplication::focusWidget(), grid) << owner();
        ++clicked;
    }
    EXPECT_GT(clicked, 30);

    // "Show All Clips", there while a filter is on.
    w.store.setFilterTag(QStringLiteral("Dunk"));
    QCoreApplication::processEvents();
    grid->setFocus(Qt::OtherFocusReason);
    click(child<QAbstractButton>(sidebar, "showAllClipsButton"));
    EXPECT_FALSE(w.store.filterTag().has_value());
    EXPECT_EQ(QApplication::focusWidget(), grid) << owner();
}
