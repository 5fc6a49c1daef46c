// Whatever lay over the window (a sheet, an alert, the tour), once it is
// gone the next key acts on the clips at once: the keyboard is back on the
// grid, or on the player while a clip is open.
#include "WindowTestSupport.h"

#include "app/widgets/RenameTextField.h"
#include "grid/ClipGridView.h"
#include "grid/ClipThumbnailView.h"
#include "media/ui/PlayerView.h"
#include "settings/ui/OnboardingOverlay.h"
#include "window/AppNotifier.h"
#include "window/GradientButton.h"
#include "window/MainToolbar.h"
#include "window/OfflineStatusBar.h"
#include "window/SessionActionsButton.h"
#include "window/SidebarView.h"
#include "window/ToolRow.h"
#include "window/ToolsPanelView.h"
#include "support/TestMedia.h"
#include "support/Children.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QPushButton>

#include <functional>

namespace {

// A window with clips, one of them offline (so that "Locate Files…" is
// there), and the first clip chosen by a click on its card.
void prepare(TestWindow &w)
{
    Clip offline = makeClip(QStringLiteral("/footage/c.mov"), true);
    w.store.setClips({makeClip(QStringLiteral("/footage/a.mov")), makeClip(QStringLiteral("/footage/b.mov")), offline});
    QCoreApplication::processEvents();
    w.view->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.view.get()));
    ClipGridView *grid = w.area().grid();
    ASSERT_NE(grid, nullptr);
    ClipThumbnailView *card = grid->cardFor(w.store.clips().first().id);
    ASSERT_NE(card, nullptr);
    QTest::mouseClick(card, Qt::LeftButton, {}, card->posterRect().center().toPoint());
    ASSERT_EQ(w.store.selectedClipIDs(), QSet<QUuid>{w.store.clips().first().id});
}

// The digit 3 typed on the keyboard, delivered as the window system does:
// to whatever holds the window's keyboard focus.
void typeThree(TestWindow &w)
{
    QTest::keyClick(w.view->windowHandle(), Qt::Key_3);
}

// The sheet the window presents now (one at most).
QDialog *presentedSheet(TestWindow &w)
{
    for (QDialog *dialog : w.view->findChildren<QDialog *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (dialog->isVisible())
            return dialog;
    }
    return nullptr;
}

// A button of the sheet by its text or accessible name.
QAbstractButton *buttonNamed(QWidget *sheet, const QString &name)
{
    for (QAbstractButton *button : sheet->findChildren<QAbstractButton *>()) {
        if (button->isVisible() && (button->text() == name || button->accessibleName() == name))
            return button;
    }
    return nullptr;
}

struct Opener
{
    const char *name;
    std::function<void(TestWindow &)> open;
};

const QList<Opener> &openers()
{
    static const QList<Opener> all{
        {"Organize Clips", [](TestWindow &w) { click(child<GradientButton>(w.view->sidebarView(), "organizeButton")); }},
        {"Locate Files", [](TestWindow &w) { click(w.area().statusBar()->locateButton()); }},
        {"Audio Triage", [](TestWindow &w) { click(child<ToolRow>(w.view->sidebarView()->toolsPanel(), "audioTriageTool")); }},
        {"Detect Hand Markers", [](TestWindow &w) { click(child<ToolRow>(w.view->sidebarView()->toolsPanel(), "detectMarkersTool")); }},
        {"Session Tags", [](TestWindow &w) { w.view->toolbar()->sessionActions()->manageTagsAction()->trigger(); }},
        {"Keyboard Shortcuts", [](TestWindow &) { AppNotifier::instance().postShowKeyboardShortcuts(); }},
        {"Reset Review", [](TestWindow &w) { w.view->toolbar()->sessionActions()->resetReviewAction()->trigger(); }},
    };
    return all;
}

} // namespace

TEST(FocusReturn, AfterEverySheetClosesByEscapeTheNextDigitRatesTheSelectedClip)
{
    for (const Opener &opener : openers()) {
        SCOPED_TRACE(opener.name);
        TestWindow w;
        prepare(w);
        opener.open(w);
        QDialog *sheet = presentedSheet(w);
        ASSERT_NE(sheet, nullptr);
        ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == sheet; }, 2000));
        QTest::keyClick(sheet->windowHandle(), Qt::Key_Escape);
        ASSERT_TRUE(QTest::qWaitFor([&] { return presentedSheet(w) == nullptr; }, 2000));
        typeThree(w);
        EXPECT_EQ(w.store.clips().first().rating, 3);
        EXPECT_EQ(w.view->window()->focusWidget(), w.area().grid());
    }
}

TEST(FocusReturn, AfterSheetsCloseThroughTheirOwnButtonsTheNextDigitRatesTheSelectedClip)
{
    const QList<QPair<const char *, QString>> closers{
        {"Organize Clips", QStringLiteral("Close")},     {"Locate Files", QStringLiteral("Done")},
        {"Audio Triage", QStringLiteral("Close")},       {"Detect Hand Markers", QStringLiteral("Close")},
        {"Keyboard Shortcuts", QStringLiteral("Close")}, {"Reset Review", QStringLiteral("Cancel")}};
    for (const auto &[name, closer] : closers) {
        SCOPED_TRACE(name);
        const auto it = std::find_if(openers().cbegin(), openers().cend(),
                                     [name = name](const Opener &o) { return qstrcmp(o.name, name) == 0; });
        ASSERT_NE(it, openers().cend());
        TestWindow w;
        prepare(w);
        it->open(w);
        QDialog *sheet = presentedSheet(w);
        ASSERT_NE(sheet, nullptr);
        QAbstractButton *button = buttonNamed(sheet, closer);
        ASSERT_NE(button, nullptr) << closer.toStdString();
        button->click();
        ASSERT_TRUE(QTest::qWaitFor([&] { return presentedSheet(w) == nullptr; }, 2000));
        typeThree(w);
        EXPECT_EQ(w.store.clips().first().rating, 3);
    }
}

TEST(FocusReturn, AfterTheTourIsSkippedByAClickOrByAScreenReadersActionTheNextDigitRates)
{
    for (const bool byScreenReader : {false, true}) {
        SCOPED_TRACE(byScreenReader ? "accessible action" : "click");
        TestWindow w;
        prepare(w);
        auto *overlay = w.view->findChild<OnboardingOverlay *>();
        ASSERT_NE(overlay, nullptr);
        w.tours.setActiveTour(TourManager::onboardingTour());
        ASSERT_TRUE(overlay->isPresented());
        QPushButton *skip = child<QPushButton>(overlay, "tourLeadingButton");
        ASSERT_EQ(skip->text(), QStringLiteral("Skip"));
        if (byScreenReader) {
            // The screen reader's own process has the keyboard meanwhile:
            // the window is not the active one when the action arrives.
            QWidget elsewhere;
            elsewhere.show();
            elsewhere.activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(&elsewhere));
            QAccessibleInterface *button = QAccessible::queryAccessibleInterface(skip);
            ASSERT_NE(button, nullptr);
            ASSERT_NE(button->actionInterface(), nullptr);
            button->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
            // A button pressed by its action clicks a moment later.
            ASSERT_TRUE(QTest::qWaitFor([&] { return !w.tours.activeTour().has_value(); }, 2000));
            elsewhere.hide();
            w.view->activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(w.view.get()));
        } else {
            QTest::mouseClick(skip, Qt::LeftButton, {}, skip->rect().center());
        }
        ASSERT_FALSE(w.tours.activeTour().has_value());
        typeThree(w);
        EXPECT_EQ(w.store.clips().first().rating, 3);
    }
}

TEST(FocusReturn, WithThePlayerOpenTheKeysGoBackToThePlayerAfterASheet)
{
    TestWindow w;
    prepare(w);
    // A clip whose file is there, so that the player stays open.
    QList<Clip> clips = w.store.clips();
    clips[1] = makeClip(TestMedia::path(QStringLiteral("counter.mp4")));
    w.store.setClips(clips);
    ClipGridView *grid = w.area().grid();
    grid->expandClip(w.store.clips().at(1));
    ASSERT_NE(grid->playerView(), nullptr);
    click(child<GradientButton>(w.view->sidebarView(), "organizeButton"));
    QDialog *sheet = presentedSheet(w);
    ASSERT_NE(sheet, nullptr);
    QTest::keyClick(sheet->windowHandle(), Qt::Key_Escape);
    ASSERT_TRUE(QTest::qWaitFor([&] { return presentedSheet(w) == nullptr; }, 2000));
    ASSERT_NE(grid->playerView(), nullptr);
    EXPECT_EQ(w.view->window()->focusWidget(), static_cast<QWidget *>(grid->playerView()));
    // The player rates its own clip.
    typeThree(w);
    EXPECT_EQ(w.store.clips().at(1).rating, 3);
    EXPECT_EQ(w.store.clips().first().rating, 0);
    grid->closeExpandedClip();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(FocusReturn, ANameBeingEditedInThePlayerKeepsItsFieldAfterASheet)
{
    TestWindow w;
    prepare(w);
    QList<Clip> clips = w.store.clips();
    clips[1] = makeClip(TestMedia::path(QStringLiteral("counter.mp4")));
    w.store.setClips(clips);
    ClipGridView *grid = w.area().grid();
    grid->expandClip(w.store.clips().at(1));
    PlayerView *player = grid->playerView();
    ASSERT_NE(player, nullptr);
    player->startRename();
    ASSERT_TRUE(player->isRenaming());
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.view->window()->focusWidget() == static_cast<QWidget *>(player->renameField()); }, 2000));
    w.view->setShowKeyboardShortcuts(true);
    QDialog *sheet = presentedSheet(w);
    ASSERT_NE(sheet, nullptr);
    QTest::keyClick(sheet->windowHandle(), Qt::Key_Escape);
    ASSERT_TRUE(QTest::qWaitFor([&] { return presentedSheet(w) == nullptr; }, 2000));
    ASSERT_TRUE(player->isRenaming());
    EXPECT_EQ(w.view->window()->focusWidget(), static_cast<QWidget *>(player->renameField()));
    grid->closeExpandedClip();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
