// What a screen reader finds in every window of the application: each
// control that can take the keyboard says what it is and has a role that
// means something, and an open menu is in the tree with readable items.
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

#include <QAbstractButton>
#include <QAccessible>
#include <QContextMenuEvent>
#include <QDialog>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>

namespace {

// Roles that tell a screen reader nothing about what the control is.
bool meaninglessRole(QAccessible::Role role)
{
    switch (role) {
    case QAccessible::NoRole:
    case QAccessible::Grip:
    case QAccessible::Sound:
    case QAccessible::Caret:
    case QAccessible::Indicator:
    case QAccessible::Equation:
    case QAccessible::Clock:
        return true;
    default:
        return role >= QAccessible::UserRole;
    }
}

// Every shown control below `root` that can take the keyboard focus but has
// no name, or whose role means nothing: a line each, "" when all is well.
std::string unnamedControls(QObject *root)
{
    QStringList problems;
    std::function<void(QAccessibleInterface *, int)> walk = [&](QAccessibleInterface *node, int depth) {
        if (!node || !node->isValid() || depth > 60 || node->state().invisible)
            return;
        const bool unnamed = node->text(QAccessible::Name).trimmed().isEmpty();
        if (node->state().focusable && (unnamed || meaninglessRole(node->role()))) {
            QObject *object = node->object();
            problems.append((object ? QString::fromLatin1(object->metaObject()->className()) + QLatin1Char(' ') + object->objectName()
                                    : QStringLiteral("(no object)"))
                            + QStringLiteral(" role ") + QString::number(int(node->role()))
                            + (unnamed ? QStringLiteral(": no name") : QString()));
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
        QAccessibleInterface *child = app->child(i);
        if (child && child->role() == QAccessible::PopupMenu)
            menus.append(child);
    }
    return menus;
}

// A menu's name and its items' names, and the item named `name` (or null).
QStringList namesIn(QAccessibleInterface *menu, const QString &name = {}, QAccessibleInterface **named = nullptr)
{
    QStringList names{menu->text(QAccessible::Name)};
    for (int i = 0; i < menu->childCount(); ++i) {
        QAccessibleInterface *item = menu->child(i);
        if (item->role() == QAccessible::MenuItem)
            names.append(item->text(QAccessible::Name));
        if (named && item->text(QAccessible::Name) == name)
            *named = item;
    }
    return names;
}

struct Running
{
    QTemporaryDir footage;
    Clip first;
    Clip second;
    Clip offline;
    TriagonApp app;
    ContentView *view = nullptr;

    Running()
    {
        first = plantedClip(TestMedia::copyTo(QStringLiteral("noaudio.mp4"), footage.path(), QStringLiteral("A001.mp4")), 3,
                            {QStringLiteral("Dunk")});
        second = plantedClip(TestMedia::copyTo(QStringLiteral("noaudio.mp4"), footage.path(), QStringLiteral("A002.mp4")));
        offline = plantedClip(footage.filePath(QStringLiteral("gone.mp4")));
        EXPECT_TRUE(plantSession({first, second, offline}, {QStringLiteral("Dunk"), QStringLiteral("Crowd")}, QStringLiteral("By Tag"), 3));
        TourManager::shared().markCompleted(QStringLiteral("onboarding-v1"));
        QSignalSpy launched(&app, &TriagonApp::launchFinished);
        app.start();
        EXPECT_TRUE(app.isLaunchFinished() || launched.wait(30000));
        EXPECT_TRUE(QTest::qWaitForWindowExposed(app.mainWindow()));
        TourManager::shared().setActiveTour(std::nullopt);
        view = app.mainWindow()->contentView();
    }
    ClipGridView *grid() const { return view->gridArea()->grid(); }
};

} // namespace

TEST(AccessibilityWalk, EveryFocusableControlOfTheWindowThePlayerAndTheSheetsHasANameAndARole)
{
    Running r;
    ASSERT_NE(r.view, nullptr);
    QCoreApplication::processEvents();
    EXPECT_EQ(unnamedControls(r.app.mainWindow()), "");

    // The player over the grid (the sidebar is still in the tree beside it).
    r.grid()->expandClip(r.first);
    ASSERT_TRUE(QTest::qWaitFor([&] { return r.grid()->playerView() != nullptr; }, 5000));
    QCoreApplication::processEvents();
    EXPECT_EQ(unnamedControls(r.app.mainWindow()), "") << "with the player open";
    r.grid()->closeExpandedClip();

    // A card's tag picker, a window of its own.
    r.app.store().setShowTagPickerForClipID(r.first.id);
    QCoreApplication::processEvents();
    ClipThumbnailView *card = r.grid()->cardFor(r.first.id);
    ASSERT_NE(card, nullptr);
    ASSERT_NE(card->tagPickerPopup(), nullptr);
    EXPECT_EQ(unnamedControls(card->tagPickerPopup()), "") << "in the tag picker";
    card->closeTagPicker();

    const QList<QPair<const char *, std::function<void(bool)>>> sheets{
        {"Keyboard Shortcuts", [&](bool on) { r.view->setShowKeyboardShortcuts(on); }},
        {"Organize Clips", [&](bool on) { r.view->setShowCommit(on); }},
        {"Session Tags", [&](bool on) { r.view->setShowSessionTags(on); }},
        {"Locate Offline Files", [&](bool on) { r.view->setShowMissingMedia(on); }},
        {"Audio Triage", [&](bool on) { r.view->setShowAudioTriage(on); }},
        {"Detect Hand Markers", [&](bool on) { r.view->setShowMarkerDetect(on); }},
        {"Numbering reset review",
         [&](bool on) {
             if (on)
                 r.view->reviewNumberingReset({r.first.id, r.second.id});
             else
                 r.view->closeNumberingResetReview();
         }},
    };
    for (const auto &[name, show] : sheets) {
        SCOPED_TRACE(name);
        show(true);
        QDialog *sheet = SheetPresenter::presented<QDialog>(r.view);
        ASSERT_NE(sheet, nullptr);
        QCoreApplication::processEvents();
        EXPECT_EQ(unnamedControls(sheet), "");
        // The sheets that analyse show their results in a phase of its own.
        if (auto *markers = qobject_cast<MarkerDetectView *>(sheet)) {
            markers->startScan();
            ASSERT_TRUE(QTest::qWaitFor([&] { return markers->phase() == MarkerDetectView::Phase::results; }, 30000));
            QCoreApplication::processEvents();
            EXPECT_EQ(unnamedControls(sheet), "") << "with the scan's results";
        }
        if (auto *audio = qobject_cast<AudioTriageView *>(sheet)) {
            audio->startAnalysis();
            ASSERT_TRUE(QTest::qWaitFor([&] { return audio->phase() == AudioTriageView::Phase::results; }, 30000));
            QCoreApplication::processEvents();
            EXPECT_EQ(unnamedControls(sheet), "") << "with the analysis' results";
        }
        if (auto *tags = qobject_cast<SessionTagsView *>(sheet)) {
            // A tag row in rename mode has its own field.
            SessionTagRow *row = tags->findChild<SessionTagRow *>();
            ASSERT_NE(row, nullptr);
            Q_EMIT row->renameRequested();
            QCoreApplication::processEvents();
            EXPECT_EQ(unnamedControls(sheet), "") << "renaming a tag";
        }
        show(false);
        QCoreApplication::processEvents();
    }
}

TEST(AccessibilityWalk, AnOpenMenuIsInTheTreeWithItsItemsReadableAndChosen)
{
    Running r;
    ASSERT_NE(r.view, nullptr);
    ASSERT_TRUE(menusInTree().isEmpty());

    // A card's context menu, a child of the application's node, whose items
    // can be read and chosen.
    ClipThumbnailView *card = r.grid()->cardFor(r.second.id);
    ASSERT_NE(card, nullptr);
    const QPoint at = card->posterRect().center().toPoint();
    QContextMenuEvent request(QContextMenuEvent::Mouse, at, card->mapToGlobal(at));
    QApplication::sendEvent(card, &request);
    ASSERT_TRUE(QTest::qWaitFor([] { return qobject_cast<QMenu *>(QApplication::activePopupWidget()) != nullptr; }, 2000));
    const QList<QAccessibleInterface *> menus = menusInTree();
    ASSERT_EQ(menus.size(), 1);
    QAccessibleInterface *rate = nullptr;
    const QStringList names = namesIn(menus.first(), QStringLiteral("Rate"), &rate);
    EXPECT_EQ(names.first(), QStringLiteral("A002.mp4"));
    EXPECT_TRUE(names.contains(QStringLiteral("Expand")) && names.contains(QStringLiteral("Remove from Triage")))
        << names.join('|').toStdString();
    QAccessibleInterface *app = menus.first()->parent();
    EXPECT_EQ(app->role(), QAccessible::Application);
    EXPECT_EQ(app->child(app->indexOfChild(menus.first())), menus.first());
    ASSERT_NE(rate, nullptr);
    ASSERT_NE(rate->actionInterface(), nullptr);
    rate->actionInterface()->doAction(QAccessibleActionInterface::showMenuAction());
    ASSERT_EQ(rate->childCount(), 1); // the submenu
    QAccessibleInterface *stars = nullptr;
    namesIn(rate->child(0), QStringLiteral("\u2605\u2605\u2605\u2605\u2606"), &stars);
    ASSERT_NE(stars, nullptr);
    stars->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(r.app.store().clips().at(1).rating, 4);
    while (QWidget *popup = QApplication::activePopupWidget())
        popup->close();
    EXPECT_TRUE(QTest::qWaitFor([] { return menusInTree().isEmpty(); }, 2000));

    // The session actions menu, read while it runs (its click returns when it closes).
    SessionActionsButton *actions = r.view->toolbar()->sessionActions();
    QStringList read;
    QTimer::singleShot(100, [&read] {
        if (const QList<QAccessibleInterface *> open = menusInTree(); open.size() == 1)
            read = namesIn(open.first());
        if (QWidget *popup = QApplication::activePopupWidget())
            popup->close();
    });
    QTest::mouseClick(actions, Qt::LeftButton, {}, actions->rect().center());
    EXPECT_EQ(read, (QStringList{QStringLiteral("Session actions"), QStringLiteral("Manage Tags\u2026"), QStringLiteral("Clear All Tags"),
                                 QStringLiteral("Reset Review\u2026"), QStringLiteral("New Session\u2026")}));
    EXPECT_TRUE(QTest::qWaitFor([] { return menusInTree().isEmpty(); }, 2000));
}
