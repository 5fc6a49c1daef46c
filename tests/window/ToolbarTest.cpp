#include "WindowTestSupport.h"

#include "window/LogoView.h"
#include "window/MainToolbar.h"
#include "window/SessionActionsButton.h"
#include "window/SessionSummaryView.h"
#include "window/SummaryItem.h"
#include "window/SymbolButton.h"
#include "window/UndoRedoButtons.h"
#include "window/WindowSheets.h"
#include "support/Children.h"

#include <QAction>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>

namespace {

QStringList menuTexts(const QMenu *menu)
{
    QStringList texts;
    for (const QAction *action : menu->actions())
        texts.append(action->isSeparator() ? QStringLiteral("-") : action->text());
    return texts;
}

QAbstractButton *buttonTitled(QMessageBox *box, const QString &title)
{
    for (QAbstractButton *button : box->buttons()) {
        if (button->text() == title)
            return button;
    }
    return nullptr;
}

} // namespace

TEST(Toolbar, WhileAnImportLoadsIntoAnEmptySessionOnlyTheLogoTourActionsAndAddClipsShow)
{
    TestWindow w;
    MainToolbar *bar = w.view->toolbar();
    w.store.setLoading(true);
    ASSERT_TRUE(bar->isVisible());
    EXPECT_TRUE(bar->logo()->isVisible());
    EXPECT_TRUE(child<SymbolButton>(bar, "tourButton")->isVisible());
    EXPECT_TRUE(bar->sessionActions()->isVisible());
    EXPECT_TRUE(child<QPushButton>(bar, "addClipsButton")->isVisible());
    EXPECT_EQ(child<QPushButton>(bar, "addClipsButton")->text(), QStringLiteral("Add Clips"));
    EXPECT_FALSE(child<SymbolButton>(bar, "sidebarButton")->isVisible());
    EXPECT_FALSE(bar->summaryGroup()->isVisible());
    EXPECT_FALSE(bar->undoRedo()->isVisible());

    w.store.setClips({makeClip(QStringLiteral("/f/a.mov"))});
    EXPECT_TRUE(child<SymbolButton>(bar, "sidebarButton")->isVisible());
    EXPECT_TRUE(bar->summaryGroup()->isVisible());
    // Items left to right: switch, logo, summary ... tour, actions, Add Clips.
    EXPECT_LT(child<SymbolButton>(bar, "sidebarButton")->x(), bar->logo()->x());
    EXPECT_LT(bar->logo()->x(), bar->summaryGroup()->x());
    EXPECT_LT(bar->summaryGroup()->x(), child<SymbolButton>(bar, "tourButton")->x());
    EXPECT_LT(child<SymbolButton>(bar, "tourButton")->x(), bar->sessionActions()->x());
    EXPECT_LT(bar->sessionActions()->x(), child<QPushButton>(bar, "addClipsButton")->x());
}

TEST(Toolbar, SummaryCountsClipsAndShowsFootageOrTheShortlistAtItsBoundaries)
{
    TestWindow w;
    SessionSummaryView *summary = w.view->toolbar()->summary();
    Clip clip = makeClip(QStringLiteral("/f/a.mov"));
    const auto footageFor = [&](double seconds) {
        clip.duration = seconds;
        w.store.setClips({clip});
        return summary->durationItem()->text();
    };
    EXPECT_EQ(footageFor(3599.9), QStringLiteral("59m 59s footage"));
    EXPECT_EQ(footageFor(3600), QStringLiteral("60m 0s footage"));
    EXPECT_EQ(footageFor(3660), QStringLiteral("1h 1m footage"));
    EXPECT_EQ(footageFor(0), QStringLiteral("0m 0s footage"));
    // The labels never change with the number.
    EXPECT_EQ(summary->texts(), (QStringList{QStringLiteral("1 clips"), QStringLiteral("0 rated"), QStringLiteral("0 tagged"),
                                             QStringLiteral("0m 0s footage")}));
    EXPECT_EQ(summary->clipsItem()->accessibleName(), QStringLiteral("1 clips"));

    QList<Clip> clips{taggedClip(QStringLiteral("a.mov"), 3, {QStringLiteral("Dunk")}, 100),
                      taggedClip(QStringLiteral("b.mov"), 0, {QStringLiteral("Crowd")}, 50),
                      taggedClip(QStringLiteral("c.mov"), 4, {}, 0.5), taggedClip(QStringLiteral("d.mov"), 0, {}, 454.5)};
    w.store.setClips(clips);
    EXPECT_EQ(summary->texts(), (QStringList{QStringLiteral("4 clips"), QStringLiteral("2 rated"), QStringLiteral("2 tagged"),
                                             QStringLiteral("2m 30s shortlisted (10m 5s total)")}));
    EXPECT_EQ(summary->durationItem()->value(), QStringLiteral("2m 30s"));
    EXPECT_EQ(summary->durationItem()->note(), QStringLiteral("(10m 5s total)"));

    // An edit anywhere shows at once.
    w.store.setRating(5, clips[3].id);
    EXPECT_EQ(summary->ratedItem()->text(), QStringLiteral("3 rated"));
}

TEST(Toolbar, UndoAndRedoButtonsFollowTheHistoryWithTheirTooltips)
{
    TestWindow w;
    UndoRedoButtons *group = w.view->toolbar()->undoRedo();
    const Clip clip = makeClip(QStringLiteral("/f/a.mov"));
    w.store.setClips({clip});
    EXPECT_FALSE(group->isVisible());
    EXPECT_EQ(child<SymbolButton>(group, "undoButton")->accessibleName(), QStringLiteral("Undo"));
    EXPECT_EQ(child<SymbolButton>(group, "redoButton")->accessibleName(), QStringLiteral("Redo"));

    w.store.setRating(3, clip.id);
    ASSERT_TRUE(group->isVisible());
    EXPECT_TRUE(child<SymbolButton>(group, "undoButton")->isEnabled());
    EXPECT_EQ(child<SymbolButton>(group, "undoButton")->toolTip(), *w.store.undoTitle());
    EXPECT_TRUE(child<SymbolButton>(group, "undoButton")->toolTip().startsWith(QStringLiteral("Undo ")));
    EXPECT_FALSE(child<SymbolButton>(group, "redoButton")->isEnabled());
    EXPECT_EQ(child<SymbolButton>(group, "redoButton")->toolTip(), QStringLiteral("Nothing to redo"));
    EXPECT_DOUBLE_EQ(child<SymbolButton>(group, "redoButton")->symbolOpacity(), 0.3);

    // After undoing everything the group stays, with undo dimmed.
    click(child<SymbolButton>(group, "undoButton"));
    EXPECT_EQ(w.store.clips().first().rating, 0);
    EXPECT_TRUE(group->isVisible());
    EXPECT_FALSE(child<SymbolButton>(group, "undoButton")->isEnabled());
    EXPECT_EQ(child<SymbolButton>(group, "undoButton")->toolTip(), QStringLiteral("Nothing to undo"));
    EXPECT_DOUBLE_EQ(child<SymbolButton>(group, "undoButton")->symbolOpacity(), 0.3);
    EXPECT_EQ(child<SymbolButton>(group, "redoButton")->toolTip(), *w.store.redoTitle());
    click(child<SymbolButton>(group, "redoButton"));
    EXPECT_EQ(w.store.clips().first().rating, 3);
}

TEST(Toolbar, AnUndoTitleHoldingMarkupIsShownAsText)
{
    TestWindow w;
    const QString tag = QStringLiteral("<b>Dunk</b>");
    w.store.setClips({taggedClip(QStringLiteral("a.mov"), 0, {tag})});
    ASSERT_TRUE(w.store.renameTag(tag, QStringLiteral("<i>Three")));
    const QString tip = child<SymbolButton>(w.view->toolbar()->undoRedo(), "undoButton")->toolTip();
    // Escaped, so the tooltip shows the angle brackets instead of bold text.
    EXPECT_TRUE(tip.contains(QStringLiteral("&lt;b&gt;Dunk&lt;/b&gt;"))) << tip.toStdString() << " " << w.store.undoTitle()->toStdString();
    EXPECT_FALSE(tip.contains(QStringLiteral("<b>")));
}

TEST(Toolbar, SidebarSwitchAndTourButton)
{
    TestWindow w;
    w.store.setClips({makeClip(QStringLiteral("/f/a.mov"))});
    MainToolbar *bar = w.view->toolbar();
    EXPECT_EQ(child<SymbolButton>(bar, "sidebarButton")->toolTip(), QStringLiteral("Hide sidebar"));
    EXPECT_EQ(child<SymbolButton>(bar, "sidebarButton")->accessibleName(), QStringLiteral("Hide sidebar"));
    click(child<SymbolButton>(bar, "sidebarButton"));
    EXPECT_FALSE(w.view->sidebarVisible());
    EXPECT_FALSE(w.view->sidebar()->isVisible());
    EXPECT_EQ(child<SymbolButton>(bar, "sidebarButton")->toolTip(), MainToolbar::showSidebarText());
    click(child<SymbolButton>(bar, "sidebarButton"));
    EXPECT_TRUE(w.view->sidebar()->isVisible());

    EXPECT_EQ(child<SymbolButton>(bar, "tourButton")->toolTip(), QStringLiteral("Take a Tour"));
    // Shown again even when already finished.
    w.tours.markCompleted(TourManager::onboardingTourID());
    click(child<SymbolButton>(bar, "tourButton"));
    ASSERT_TRUE(w.tours.activeTour().has_value());
    EXPECT_EQ(w.tours.activeTour()->id, TourManager::onboardingTourID());
}

TEST(Toolbar, SessionActionsMenuEnablesItsItemsByTagsAndLoading)
{
    TestWindow w;
    SessionActionsButton *button = w.view->toolbar()->sessionActions();
    EXPECT_EQ(button->toolTip(), QStringLiteral("Session actions"));
    EXPECT_EQ(button->accessibleName(), QStringLiteral("Session actions"));
    EXPECT_EQ(button->menu(), child<QMenu>(button, "sessionActionsMenu"));
    EXPECT_EQ(menuTexts(child<QMenu>(button, "sessionActionsMenu")),
              (QStringList{QStringLiteral("Manage Tags\u2026"), QStringLiteral("-"), QStringLiteral("Clear All Tags"),
                           QStringLiteral("Reset Review\u2026"), QStringLiteral("-"), QStringLiteral("New Session\u2026")}));

    w.store.setClips({taggedClip(QStringLiteral("a.mov"), 2, {})});
    EXPECT_FALSE(button->clearAllTagsAction()->isEnabled());
    EXPECT_TRUE(button->resetReviewAction()->isEnabled());
    w.store.setClips({taggedClip(QStringLiteral("a.mov"), 2, {QStringLiteral("Dunk")}), taggedClip(QStringLiteral("b.mov"), 0, {})});
    EXPECT_TRUE(button->clearAllTagsAction()->isEnabled());
    w.store.setLoading(true);
    EXPECT_FALSE(button->clearAllTagsAction()->isEnabled());
    EXPECT_FALSE(button->resetReviewAction()->isEnabled());
    EXPECT_TRUE(button->manageTagsAction()->isEnabled());
    EXPECT_TRUE(button->newSessionAction()->isEnabled());
    w.store.setLoading(false);

    // "Clear All Tags" acts at once and is one undo step.
    button->clearAllTagsAction()->trigger();
    EXPECT_TRUE(w.store.clips().first().tags.isEmpty());
    EXPECT_EQ(w.store.clips().first().rating, 2);
    EXPECT_EQ(w.store.undoTitle(), QStringLiteral("Undo Clear All Tags"));
    EXPECT_EQ(w.view->sheets()->resetReviewConfirmation(), nullptr);
    w.store.undo();
    EXPECT_EQ(w.store.clips().first().tags, QStringList{QStringLiteral("Dunk")});
}

TEST(Toolbar, ResetReviewAsksFirstAndCanBeUndoneInOneStep)
{
    TestWindow w;
    QList<Clip> clips{taggedClip(QStringLiteral("a.mov"), 5, {QStringLiteral("Dunk")}), taggedClip(QStringLiteral("b.mov"), 2, {}),
                      taggedClip(QStringLiteral("c.mov"), 0, {QStringLiteral("Crowd")})};
    clips[1].markerFlag = MarkerFlag::marker();
    w.store.setClips(clips);
    w.store.setFilterRating(5);
    SessionActionsButton *button = w.view->toolbar()->sessionActions();

    button->resetReviewAction()->trigger();
    EXPECT_TRUE(w.view->showResetReviewConfirm());
    QMessageBox *box = w.view->sheets()->resetReviewConfirmation();
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return box->isVisible(); }, 2000));
    EXPECT_EQ(box->text(), QStringLiteral("Reset this review?"));
    EXPECT_EQ(box->informativeText(), QStringLiteral("Clear ratings, tags, and hand-marker flags from all 3 clips. Your imported "
                                                     "clips and filenames stay in this session. You can undo this."));
    ASSERT_EQ(box->buttons().size(), 2);
    click(buttonTitled(box, QStringLiteral("Cancel")));
    EXPECT_FALSE(w.view->showResetReviewConfirm());
    EXPECT_EQ(w.view->sheets()->resetReviewConfirmation(), nullptr);
    EXPECT_EQ(w.store.clips(), clips);

    button->resetReviewAction()->trigger();
    box = w.view->sheets()->resetReviewConfirmation();
    ASSERT_NE(box, nullptr);
    click(buttonTitled(box, QStringLiteral("Reset Review")));
    EXPECT_FALSE(w.view->showResetReviewConfirm());
    for (const Clip &clip : w.store.clips()) {
        EXPECT_EQ(clip.rating, 0);
        EXPECT_TRUE(clip.tags.isEmpty());
        EXPECT_FALSE(clip.markerFlag.has_value());
    }
    EXPECT_FALSE(w.store.hasActiveFilters());
    EXPECT_EQ(w.store.undoTitle(), QStringLiteral("Undo Reset Review"));
    w.store.undo();
    EXPECT_EQ(w.store.clips(), clips);
}

TEST(Toolbar, NewSessionAsksFirstThenStartsWithTheDefaultTags)
{
    TestWindow w;
    w.store.setClips({taggedClip(QStringLiteral("a.mov"), 5, {QStringLiteral("Dunk")})});
    w.store.setAvailableTags({QStringLiteral("Dunk")});
    SessionActionsButton *button = w.view->toolbar()->sessionActions();

    // With one clip the review message still says "clips".
    button->resetReviewAction()->trigger();
    ASSERT_NE(w.view->sheets()->resetReviewConfirmation(), nullptr);
    EXPECT_TRUE(w.view->sheets()->resetReviewConfirmation()->informativeText().contains(QStringLiteral("from all 1 clips.")));
    w.view->sheets()->resetReviewConfirmation()->reject();
    EXPECT_FALSE(w.view->showResetReviewConfirm());

    button->newSessionAction()->trigger();
    QMessageBox *box = w.view->sheets()->newSessionConfirmation();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(), QStringLiteral("Start a new session?"));
    EXPECT_EQ(box->informativeText(),
              QStringLiteral("This will discard all ratings, tags, and clip data from the current session. This cannot be undone."));
    // Escape cancels.
    QTest::keyClick(box, Qt::Key_Escape);
    EXPECT_FALSE(w.view->showResetConfirm());
    EXPECT_EQ(w.store.clips().size(), 1);

    button->newSessionAction()->trigger();
    box = w.view->sheets()->newSessionConfirmation();
    ASSERT_NE(box, nullptr);
    QAbstractButton *discard = buttonTitled(box, QStringLiteral("Discard && Start Fresh"));
    ASSERT_NE(discard, nullptr);
    EXPECT_EQ(box->buttonRole(discard), QMessageBox::DestructiveRole);
    // The default button is "Cancel": Return never discards a session.
    EXPECT_EQ(box->defaultButton()->text(), QStringLiteral("Cancel"));
    click(discard);
    EXPECT_TRUE(w.store.clips().isEmpty());
    EXPECT_EQ(w.store.availableTags(), w.settings.decodedDefaultTags());
    EXPECT_FALSE(w.store.canUndo());
    EXPECT_FALSE(w.view->showResetConfirm());
}
