// After a rename, however it ends, and after a click anywhere in the sidebar,
// the next digit or arrow acts on the clips: the keyboard is with the grid.
#include "WindowTestSupport.h"

#include "app/widgets/RenameTextField.h"
#include "app/widgets/SegmentedControl.h"
#include "app/widgets/ToggleSwitch.h"
#include "grid/ClipGridView.h"
#include "grid/ClipThumbnailView.h"
#include "window/FilterRow.h"
#include "window/FilterSectionView.h"
#include "window/SidebarView.h"
#include "window/SortGroupSectionView.h"
#include "window/SwitchRow.h"
#include "window/ViewSectionView.h"
#include "support/Children.h"

#include <QAbstractButton>
#include <QApplication>
#include <QScrollBar>

#include <functional>

namespace {

// Sixty clips sorted by name, so that a card renamed "Take two" moves to the
// end of the grid, far below the cards that exist, and its card goes.
void prepareMany(TestWindow &w)
{
    QList<Clip> clips;
    for (int i = 1; i <= 60; ++i)
        clips << makeClip(QStringLiteral("/footage/C%1.MP4").arg(i, 4, 10, QLatin1Char('0')));
    w.store.setClips(clips);
    w.store.setSortOrder(SortOrder::name);
    QCoreApplication::processEvents();
    w.view->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.view.get()));
}

QUuid idNamed(const TestWindow &w, const QString &name)
{
    for (const Clip &clip : w.store.clips()) {
        if (clip.filename == name)
            return clip.id;
    }
    return {};
}

const Clip *clipWithID(const TestWindow &w, const QUuid &id)
{
    for (const Clip &clip : w.store.clips()) {
        if (clip.id == id)
            return &clip;
    }
    return nullptr;
}

ClipGridView *gridOf(TestWindow &w)
{
    return w.area().grid();
}

void clickCard(TestWindow &w, const QUuid &id)
{
    ClipThumbnailView *card = gridOf(w)->cardFor(id);
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
    const Clip *clip = selection.size() == 1 ? clipWithID(w, *selection.constBegin()) : nullptr;
    return clip ? clip->filename : QString();
}

struct RenameEnd
{
    const char *how;
    std::function<void(TestWindow &)> end;
    bool renamed;
    // The card the user went on to, whose clip the next digit rates; else
    // the renamed clip.
    const char *wentOnTo;
};

} // namespace

TEST(KeysStayWithTheGrid, EveryWayARenameEndsGivesTheKeysBack)
{
    const QList<RenameEnd> ends{
        {"Return", [](TestWindow &w) { type(w, Qt::Key_Return); }, true, nullptr},
        {"Escape", [](TestWindow &w) { type(w, Qt::Key_Escape); }, false, nullptr},
        // Another card clicked: the field loses the focus and the name is kept.
        {"a click on another card", [](TestWindow &w) { clickCard(w, idNamed(w, QStringLiteral("C0005.MP4"))); }, true, "C0005.MP4"},
        // The grid scrolled so far that the card goes; it stays where the
        // user scrolled it.
        {"the card going away",
         [](TestWindow &w) {
             QScrollBar *bar = gridOf(w)->verticalScrollBar();
             bar->setValue(bar->maximum());
             QCoreApplication::processEvents();
             EXPECT_EQ(bar->value(), bar->maximum());
         },
         false, nullptr},
    };
    for (const RenameEnd &end : ends) {
        SCOPED_TRACE(end.how);
        TestWindow w;
        prepareMany(w);
        ClipGridView *grid = gridOf(w);
        const QUuid renamedID = idNamed(w, QStringLiteral("C0002.MP4"));
        clickCard(w, renamedID);
        ClipThumbnailView *card = grid->cardFor(renamedID);
        QTest::mouseDClick(card, Qt::LeftButton, {}, card->nameRect().center().toPoint());
        QCoreApplication::processEvents(); // the field takes the focus on the next turn
        RenameTextField *field = card->renameField();
        ASSERT_NE(field, nullptr);
        ASSERT_EQ(QApplication::focusWidget(), field);
        QTest::keyClicks(field, QStringLiteral("Take two"));

        end.end(w);
        QCoreApplication::processEvents();
        const Clip *renamed = clipWithID(w, renamedID);
        ASSERT_NE(renamed, nullptr);
        EXPECT_EQ(renamed->filename, end.renamed ? QStringLiteral("Take two.MP4") : QStringLiteral("C0002.MP4"));
        EXPECT_FALSE(w.store.renamingClipID().has_value());
        EXPECT_EQ(QApplication::focusWidget(), grid) << owner();
        const QUuid target = end.wentOnTo ? idNamed(w, QString::fromLatin1(end.wentOnTo)) : renamedID;
        EXPECT_EQ(onlySelected(w), clipWithID(w, target)->filename);

        // The digit rates the selected clip and the arrow moves on from it.
        QTest::qWait(150); // past the short guard on the Return that ended the rename
        type(w, Qt::Key_3);
        EXPECT_EQ(clipWithID(w, target)->rating, 3);
        const QList<Clip> order = grid->orderedVisibleClips();
        qsizetype at = -1;
        for (qsizetype i = 0; i < order.size(); ++i) {
            if (order.at(i).id == target)
                at = i;
        }
        ASSERT_GT(at, 0);
        type(w, Qt::Key_Left);
        EXPECT_EQ(onlySelected(w), order.at(at - 1).filename);

        // And a click on another card still leaves the keys with the grid.
        const QUuid third = idNamed(w, QStringLiteral("C0003.MP4"));
        grid->scrollToTop(false);
        QCoreApplication::processEvents();
        clickCard(w, third);
        type(w, Qt::Key_4);
        EXPECT_EQ(clipWithID(w, third)->rating, 4);
        type(w, Qt::Key_Right);
        EXPECT_EQ(onlySelected(w), QStringLiteral("C0004.MP4"));
    }
}

TEST(KeysStayWithTheGrid, TheGridFollowsACardThatTheRenameMoved)
{
    TestWindow w;
    prepareMany(w);
    ClipGridView *grid = gridOf(w);
    const QUuid id = idNamed(w, QStringLiteral("C0002.MP4"));
    ClipThumbnailView *card = grid->cardFor(id);
    ASSERT_NE(card, nullptr);
    card->startRename();
    QCoreApplication::processEvents();
    ASSERT_NE(card->renameField(), nullptr);
    card->renameField()->setText(QStringLiteral("Take two"));
    type(w, Qt::Key_Return);
    QCoreApplication::processEvents();
    // The renamed clip is the last one now, and its cell is in view.
    ASSERT_EQ(grid->orderedVisibleClips().last().id, id);
    ClipThumbnailView *moved = grid->cardFor(id);
    ASSERT_NE(moved, nullptr);
    EXPECT_TRUE(grid->viewport()->rect().intersects(moved->geometry()));
}

TEST(KeysStayWithTheGrid, AClickOnAnySidebarControlLeavesTheKeysWithTheGrid)
{
    TestWindow w;
    w.store.setClips({taggedClip(QStringLiteral("a.mov"), 0, {QStringLiteral("Dunk")}), taggedClip(QStringLiteral("b.mov"), 0, {}),
                      taggedClip(QStringLiteral("c.mov"), 0, {}), taggedClip(QStringLiteral("d.mov"), 0, {})});
    QCoreApplication::processEvents();
    w.view->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.view.get()));
    ClipGridView *grid = gridOf(w);
    SidebarView *sidebar = w.view->sidebarView();

    // The clicks of the report, each followed by Right and a digit.
    SegmentedControl *sort = child<SegmentedControl>(sidebar, "sortPicker");
    SwitchRow *scrubAudio = child<SwitchRow>(sidebar, "scrubAudioRow");
    const QList<QPair<const char *, QWidget *>> reported{
        {"Duration", sort->segment(1)},
        {"Name", sort->segment(0)},
        {"the All filter", sidebar->filterSection()->ratingRows().first()},
        {"the Scrub audio switch", scrubAudio->toggle()},
    };
    for (const auto &[what, control] : reported) {
        SCOPED_TRACE(what);
        clickCard(w, idNamed(w, QStringLiteral("a.mov")));
        ASSERT_EQ(onlySelected(w), QStringLiteral("a.mov"));
        QTest::mouseClick(control, Qt::LeftButton, {}, control->rect().center());
        EXPECT_EQ(QApplication::focusWidget(), grid) << owner();
        const QList<Clip> order = grid->orderedVisibleClips();
        type(w, Qt::Key_Right);
        const QString next = order.at(1).filename;
        EXPECT_EQ(onlySelected(w), next);
        type(w, Qt::Key_4);
        EXPECT_EQ(clipWithID(w, idNamed(w, next))->rating, 4);
        w.store.rateSelection(0, w.store.selectedClipIDs());
    }

    // And every other widget of the sidebar, bare space and captions
    // included, except the tools and the organize button, which open sheets
    // (the keyboard comes back to the grid when those close).
    const QStringList opensSheet{QStringLiteral("audioTriageTool"), QStringLiteral("detectMarkersTool"),
                                 QStringLiteral("numberingResetTool"), QStringLiteral("organizeButton")};
    int clicked = 0;
    for (QWidget *widget : sidebar->findChildren<QWidget *>()) {
        if (!widget->isVisible() || widget->isWindow() || opensSheet.contains(widget->objectName()))
            continue;
        bool insideTool = false;
        for (QWidget *up = widget->parentWidget(); up && up != sidebar; up = up->parentWidget())
            insideTool = insideTool || opensSheet.contains(up->objectName());
        if (insideTool)
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
}
