// After a rename, however it ends, and after a click anywhere in the sidebar,
// the next digit or arrow acts on the clips: the keyboard is with the grid.
#include "WindowTestSupport.h"

#include "app/widgets/RenameTextField.h"
#include "grid/ClipGridView.h"
#include "grid/ClipThumbnailView.h"
#include "support/Children.h"
#include "window/SidebarView.h"

#include <QApplication>
#include <QScrollBar>

#include <algorithm>
#include <functional>

using StoreTest::byName;

namespace {

const Clip &clipWithID(const TestWindow &w, const QUuid &id)
{
    return w.store.clips().at(w.store.indexOfClip(id).value_or(0));
}

void clickCard(TestWindow &w, const QString &name)
{
    ClipThumbnailView *card = w.area().grid()->cardFor(byName(w.store, name).id);
    ASSERT_NE(card, nullptr);
    QTest::mouseClick(card, Qt::LeftButton, {}, card->posterRect().center().toPoint());
}

// A key typed on the keyboard, delivered to whatever holds the window's focus.
void type(TestWindow &w, Qt::Key key)
{
    QTest::keyClick(w.view->windowHandle(), key);
}

// Which widget holds the keyboard, for failure messages.
std::string owner()
{
    QWidget *focus = QApplication::focusWidget();
    return focus ? std::string(focus->metaObject()->className()) + " " + focus->objectName().toStdString() : std::string("nothing");
}

// The name of the one selected clip ("" for none or several).
QString onlySelected(const TestWindow &w)
{
    const QSet<QUuid> &selection = w.store.selectedClipIDs();
    return selection.size() == 1 ? clipWithID(w, *selection.constBegin()).filename : QString();
}

} // namespace

TEST(KeysStayWithTheGrid, EveryWayARenameEndsGivesTheKeysBack)
{
    struct RenameEnd
    {
        const char *how;
        std::function<void(TestWindow &)> end;
        bool renamed;
        // The card the user went on to, whose clip the next digit rates; else
        // the renamed clip.
        const char *wentOnTo;
    };
    const QList<RenameEnd> ends{
        {"Return", [](TestWindow &w) { type(w, Qt::Key_Return); }, true, nullptr},
        {"Escape", [](TestWindow &w) { type(w, Qt::Key_Escape); }, false, nullptr},
        // Another card clicked: the field loses the focus and the name is kept.
        {"a click on another card", [](TestWindow &w) { clickCard(w, QStringLiteral("C0005.MP4")); }, true, "C0005.MP4"},
        // The grid scrolled so far that the card goes; it stays where the
        // user scrolled it.
        {"the card going away",
         [](TestWindow &w) {
             QScrollBar *bar = w.area().grid()->verticalScrollBar();
             bar->setValue(bar->maximum());
             QCoreApplication::processEvents();
             EXPECT_EQ(bar->value(), bar->maximum());
         },
         false, nullptr},
    };
    for (const RenameEnd &end : ends) {
        SCOPED_TRACE(end.how);
        // Sixty clips sorted by name, so that a card renamed "Take two" moves
        // to the end of the grid, far below the cards that exist, and its card goes.
        TestWindow w;
        QList<Clip> clips;
        for (int i = 1; i <= 60; ++i)
            clips << makeClip(QStringLiteral("/footage/C%1.MP4").arg(i, 4, 10, QLatin1Char('0')));
        w.store.setClips(clips);
        w.store.setSortOrder(SortOrder::name);
        QCoreApplication::processEvents();
        w.view->activateWindow();
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
        EXPECT_EQ(clipWithID(w, renamedID).filename, end.renamed ? QStringLiteral("Take two.MP4") : QStringLiteral("C0002.MP4"));
        EXPECT_FALSE(w.store.renamingClipID().has_value());
        EXPECT_EQ(QApplication::focusWidget(), grid) << owner();
        const QUuid target = end.wentOnTo ? byName(w.store, QString::fromLatin1(end.wentOnTo)).id : renamedID;
        EXPECT_EQ(onlySelected(w), clipWithID(w, target).filename);
        // Selected as a click selects: a rename is no request to play it.
        EXPECT_NE(grid->gridScrubClipID(), std::optional<QUuid>(renamedID));
        const QList<Clip> order = grid->orderedVisibleClips();
        if (end.renamed && !end.wentOnTo) {
            // The grid follows the cell that the new name moved the clip to.
            EXPECT_EQ(order.last().id, renamedID);
            const ClipThumbnailView *moved = grid->cardFor(renamedID);
            EXPECT_TRUE(moved && grid->viewport()->rect().intersects(moved->geometry()));
        }

        // The digit rates the selected clip and the arrow moves on from it.
        QTest::qWait(150); // past the short guard on the Return that ended the rename
        type(w, Qt::Key_3);
        EXPECT_EQ(clipWithID(w, target).rating, 3);
        const auto at = std::find_if(order.begin(), order.end(), [&](const Clip &c) { return c.id == target; }) - order.begin();
        ASSERT_GT(at, 0);
        type(w, Qt::Key_Left);
        EXPECT_EQ(onlySelected(w), order.at(at - 1).filename);
    }
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
