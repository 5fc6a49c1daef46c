// What a screen reader finds in the application's windows: each control that
// takes the keyboard has a name and a role that means something, and an open
// menu is in the tree with readable items.
#include "AppTestSupport.h"

#include "app/ui/MainWindow.h"
#include "app/ui/TriagonApp.h"
#include "app/widgets/SheetPresenter.h"
#include "audiotriage/ui/AudioTriageView.h"
#include "grid/ClipGridView.h"
#include "grid/ClipThumbnailView.h"
#include "markers/ui/MarkerDetectView.h"
#include "media/ui/PlayerView.h"
#include "settings/TourManager.h"
#include "window/ContentView.h"
#include "window/GridAreaView.h"
#include "window/MainToolbar.h"
#include "window/SessionActionsButton.h"
#include "window/SessionTagRow.h"
#include "window/SessionTagsView.h"
#include "support/TestMedia.h"

#include <QAccessible>
#include <QContextMenuEvent>
#include <QDialog>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>

namespace {

// Every shown control below `root` that can take the keyboard but has no name,
// or a role that tells a screen reader nothing: a line each, "" when all is well.
std::string unnamedControls(QObject *root)
{
    static const QList<QAccessible::Role> meaningless{QAccessible::NoRole,    QAccessible::Grip,     QAccessible::Sound, QAccessible::Caret,
                                                      QAccessible::Indicator, QAccessible::Equation, QAccessible::Clock};
    QCoreApplication::processEvents(); // the layouts and shows still pending
    QStringList problems;
    std::function<void(QAccessibleInterface *, int)> walk = [&](QAccessibleInterface *node, int depth) {
        if (!node || !node->isValid() || depth > 60 || node->state().invisible)
            return;
        const bool unnamed = node->text(QAccessible::Name).trimmed().isEmpty();
        const QAccessible::Role role = node->role();
        if (node->state().focusable && (unnamed || role >= QAccessible::UserRole || meaningless.contains(role))) {
            QObject *object = node->object();
            problems.append((object ? QString::fromLatin1(object->metaObject()->className()) + QLatin1Char(' ') + object->objectName()
                                    : QStringLiteral("(no object)"))
                            + QStringLiteral(" role ") + QString::number(int(role)) + (unnamed ? QStringLiteral(": no name") : QString()));
        }
        for (int i = 0; i < node->childCount(); ++i)
            walk(node->child(i), depth + 1);
    };
    walk(QAccessible::queryAccessibleInterface(root), 0);
    return problems.join(QLatin1Char('\n')).toStdString();
}

// The open menus that the application's own node lists.
QList<QAccessibleInterface *> menusInTree()
{
    QList<QAccessibleInterface *> menus;
    QAccessibleInterface *app = QAccessible::queryAccessibleInterface(qApp);
    for (int i = 0; app && i < app->childCount(); ++i) {
        if (QAccessibleInterface *child = app->child(i); child && child->role() == QAccessible::PopupMenu)
            menus.append(child);
    }
    return menus;
}

// A menu's name and its items' names, as a screen reader reads them.
std::string namesIn(QAccessibleInterface *menu)
{
    QStringList names{menu->text(QAccessible::Name)};
    for (int i = 0; i < menu->childCount(); ++i) {
        if (menu->child(i)->role() == QAccessible::MenuItem)
            names.append(menu->child(i)->text(QAccessible::Name));
    }
    return names.join(QLatin1Char('|')).toStdString();
}

// The one open menu, once it is in the tree: a child of the application's
// node, which finds it among its children.
QAccessibleInterface *openMenu()
{
    if (!QTest::qWaitFor([] { return !menusInTree().isEmpty(); }, 2000))
        return nullptr;
    const QList<QAccessibleInterface *> menus = menusInTree();
    QAccessibleInterface *app = menus.first()->parent();
    EXPECT_EQ(menus.size(), 1);
    EXPECT_EQ(app->role(), QAccessible::Application);
    EXPECT_EQ(app->child(app->indexOfChild(menus.first())), menus.first());
    return menus.first();
}

void closePopups()
{
    while (QWidget *popup = QApplication::activePopupWidget())
        popup->close();
    EXPECT_TRUE(QTest::qWaitFor([] { return menusInTree().isEmpty(); }, 2000));
}

} // namespace

// The window, the player, a tag picker, every sheet and the open menus, walked
// in the application launched on a session of two clips and an offline one.
TEST(AccessibilityWalk, FocusableControlsHaveANameAndARoleAndOpenMenusAreInTheTree)
{
    QTemporaryDir footage;
    const Clip first = plantedClip(TestMedia::copyTo(QStringLiteral("noaudio.mp4"), footage.path(), QStringLiteral("A001.mp4")), 3,
                                   {QStringLiteral("Dunk")});
    const Clip second = plantedClip(TestMedia::copyTo(QStringLiteral("noaudio.mp4"), footage.path(), QStringLiteral("A002.mp4")));
    const Clip offline = plantedClip(footage.filePath(QStringLiteral("gone.mp4")));
    ASSERT_TRUE(plantSession({first, second, offline}, {QStringLiteral("Dunk"), QStringLiteral("Crowd")}, QStringLiteral("By Tag"), 3));
    TourManager::shared().markCompleted(QStringLiteral("onboarding-v1"));
    TriagonApp app;
    QSignalSpy launched(&app, &TriagonApp::launchFinished);
    app.start();
    ASSERT_TRUE(app.isLaunchFinished() || launched.wait(30000));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(app.mainWindow()));
    TourManager::shared().setActiveTour(std::nullopt);
    ContentView *view = app.mainWindow()->contentView();
    ClipGridView *grid = view->gridArea()->grid();
    EXPECT_EQ(unnamedControls(app.mainWindow()), "");

    // The player over the grid (the sidebar is still in the tree beside it).
    grid->expandClip(first);
    ASSERT_TRUE(QTest::qWaitFor([&] { return grid->playerView() != nullptr; }, 5000));
    EXPECT_EQ(unnamedControls(app.mainWindow()), "") << "with the player open";
    grid->closeExpandedClip();

    // A card's tag picker, a window of its own.
    app.store().setShowTagPickerForClipID(first.id);
    QCoreApplication::processEvents();
    ClipThumbnailView *card = grid->cardFor(first.id);
    ASSERT_TRUE(card && card->tagPickerPopup());
    EXPECT_EQ(unnamedControls(card->tagPickerPopup()), "") << "in the tag picker";
    card->closeTagPicker();

    const QList<QPair<const char *, std::function<void()>>> sheets{
        {"Keyboard Shortcuts", [view] { view->setShowKeyboardShortcuts(true); }},
        {"Organize Clips", [view] { view->setShowCommit(true); }},
        {"Session Tags", [view] { view->setShowSessionTags(true); }},
        {"Locate Offline Files", [view] { view->setShowMissingMedia(true); }},
        {"Audio Triage", [view] { view->setShowAudioTriage(true); }},
        {"Detect Hand Markers", [view] { view->setShowMarkerDetect(true); }},
        {"Numbering reset review",
         [&] {
             view->reviewNumberingReset({first.id, second.id});
         }},
    };
    for (const auto &[name, show] : sheets) {
        SCOPED_TRACE(name);
        show();
        QDialog *sheet = SheetPresenter::presented<QDialog>(view);
        ASSERT_NE(sheet, nullptr);
        EXPECT_EQ(unnamedControls(sheet), "");
        // The sheets that analyse show their results in a phase of their own;
        // a tag row in rename mode has a field of its own.
        if (auto *markers = qobject_cast<MarkerDetectView *>(sheet)) {
            markers->startScan();
            ASSERT_TRUE(QTest::qWaitFor([&] { return markers->phase() == MarkerDetectView::Phase::results; }, 30000));
            EXPECT_EQ(unnamedControls(sheet), "") << "with the scan's results";
        }
        if (auto *audio = qobject_cast<AudioTriageView *>(sheet)) {
            audio->startAnalysis();
            ASSERT_TRUE(QTest::qWaitFor([&] { return audio->phase() == AudioTriageView::Phase::results; }, 30000));
            EXPECT_EQ(unnamedControls(sheet), "") << "with the analysis' results";
        }
        if (auto *tags = qobject_cast<SessionTagsView *>(sheet)) {
            SessionTagRow *row = tags->findChild<SessionTagRow *>();
            ASSERT_NE(row, nullptr);
            Q_EMIT row->renameRequested();
            EXPECT_EQ(unnamedControls(sheet), "") << "renaming a tag";
        }
        sheet->reject(); // as Escape does
        EXPECT_EQ(SheetPresenter::presented<QDialog>(view), nullptr);
    }

    // A card's context menu, named after its clip, with items that are read
    // and chosen; a submenu hangs below its item, not beside the menu.
    ASSERT_TRUE(menusInTree().isEmpty());
    card = grid->cardFor(second.id);
    ASSERT_NE(card, nullptr);
    const QPoint at = card->posterRect().center().toPoint();
    QContextMenuEvent request(QContextMenuEvent::Mouse, at, card->mapToGlobal(at));
    QApplication::sendEvent(card, &request);
    QAccessibleInterface *menu = openMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(namesIn(menu), "A002.mp4|Rate|Tag|Hand Marker|Expand|Show in File Manager|Rename...|Remove from Triage");
    QAccessibleInterface *rate = menu->child(0);
    ASSERT_EQ(rate->text(QAccessible::Name).toStdString(), "Rate");
    rate->actionInterface()->doAction(QAccessibleActionInterface::showMenuAction());
    EXPECT_EQ(menusInTree().size(), 1);
    QAccessibleInterface *stars = rate->childCount() == 1 ? rate->child(0)->child(3) : nullptr;
    ASSERT_NE(stars, nullptr);
    ASSERT_EQ(stars->text(QAccessible::Name).toStdString(), "★★★★☆");
    stars->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(app.store().clips().at(1).rating, 4);
    closePopups();

    SessionActionsButton *actions = view->toolbar()->sessionActions();
    actions->menu()->popup(actions->mapToGlobal(actions->rect().bottomLeft()));
    ASSERT_NE(menu = openMenu(), nullptr);
    EXPECT_EQ(namesIn(menu), "Session actions|Manage Tags…|Clear All Tags|Reset Review…|New Session…");
    closePopups();
}
