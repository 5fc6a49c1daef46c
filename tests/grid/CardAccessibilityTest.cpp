#include "GridTestSupport.h"

#include "app/widgets/TagPickerView.h"
#include "grid/ClipCardAccessible.h"
#include "grid/SectionHeaderView.h"
#include "library/model/MarkerFlag.h"

#include <QAccessible>
#include <QLabel>
#include <gtest/gtest.h>

namespace {

QAccessibleInterface *accessibleOf(QObject *object)
{
    return QAccessible::queryAccessibleInterface(object);
}

// The names of the children of an accessible element, in order.
QStringList childNames(QAccessibleInterface *parent)
{
    QStringList names;
    for (int i = 0; i < parent->childCount(); ++i) {
        QAccessibleInterface *child = parent->child(i);
        names << (child ? child->text(QAccessible::Name) : QStringLiteral("<null>"));
    }
    return names;
}

// Every name in the subtree, depth first.
void collectNames(QAccessibleInterface *node, QStringList &names)
{
    if (!node)
        return;
    names << node->text(QAccessible::Name);
    for (int i = 0; i < node->childCount(); ++i)
        collectNames(node->child(i), names);
}

} // namespace

TEST(CardAccessibility, EachCardIsOneButtonWithTheSummaryTheHintAndTheSelectedState)
{
    Clip a = testClip(QStringLiteral("A001.mov"), 12.5);
    a.width = 3840;
    a.height = 2160;
    Clip b = testClip(QStringLiteral("B002.mov"), 4, 3, {QStringLiteral("Dunk"), QStringLiteral("Action")});
    b.markerFlag = MarkerFlag::marker();
    GridFixture f({a, b});
    f.store->setSelectedClipIDs({f.clip(1).id});

    QAccessibleInterface *first = accessibleOf(f.card(0));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->role(), QAccessible::Button);
    EXPECT_EQ(first->text(QAccessible::Name), QStringLiteral("A001.mov, 12.5s, 4K, unrated"));
    EXPECT_EQ(first->text(QAccessible::Description), QStringLiteral("Selects the clip"));
    EXPECT_FALSE(first->state().selected);
    EXPECT_EQ(first->childCount(), 0); // the poster, stars and chips are not separate elements

    QAccessibleInterface *second = accessibleOf(f.card(1));
    EXPECT_EQ(second->text(QAccessible::Name), QStringLiteral("B002.mov, 4.0s, 1080p, 3 of 5 stars, tagged Action, Dunk, hand marker"));
    EXPECT_TRUE(second->state().selected);
    EXPECT_TRUE(second->state().selectable);

    // The summary follows the store at once.
    f.store->setRating(5, f.clip(0).id);
    EXPECT_EQ(accessibleOf(f.card(0))->text(QAccessible::Name), QStringLiteral("A001.mov, 12.5s, 4K, 5 of 5 stars"));

    // A clip of no known size has no resolution part.
    QList<Clip> clips = f.store->clips();
    clips[0].width = 0;
    f.store->setClips(clips);
    EXPECT_EQ(accessibleOf(f.card(0))->text(QAccessible::Name), QStringLiteral("A001.mov, 12.5s, 5 of 5 stars"));

    // While the name is edited, the field is the card's one child.
    f.card(0)->startRename();
    QAccessibleInterface *card = accessibleOf(f.card(0));
    ASSERT_EQ(card->childCount(), 1);
    EXPECT_EQ(card->child(0)->text(QAccessible::Name), QStringLiteral("Clip name"));
    f.card(0)->cancelRename();
}

TEST(CardAccessibility, TheNamedActionsOpenRateAndRemoveAndRatingFollowsTheSelection)
{
    Clip offline = testClip(QStringLiteral("c.mov"));
    offline.isMissing = true;
    GridFixture f({testClip(QStringLiteral("a.mov")), testClip(QStringLiteral("b.mov")), offline});
    const QStringList expected{
        QStringLiteral("Open"),         QStringLiteral("Rate 1 star"),  QStringLiteral("Rate 2 stars"),      QStringLiteral("Rate 3 stars"),
        QStringLiteral("Rate 4 stars"), QStringLiteral("Rate 5 stars"), QStringLiteral("Remove from Triage")};
    for (int i = 0; i < 3; ++i) {
        QAccessibleActionInterface *actions = accessibleOf(f.card(i))->actionInterface();
        ASSERT_NE(actions, nullptr);
        EXPECT_EQ(actions->actionNames(), expected) << i; // on every card, offline or not
        EXPECT_EQ(actions->localizedActionName(QStringLiteral("Rate 3 stars")), QStringLiteral("Rate 3 stars"));
    }

    // With a and b selected, rating a through its card rates both.
    f.store->setSelectedClipIDs({f.clip(0).id, f.clip(1).id});
    accessibleOf(f.card(0))->actionInterface()->doAction(QStringLiteral("Rate 4 stars"));
    EXPECT_EQ(f.clip(0).rating, 4);
    EXPECT_EQ(f.clip(1).rating, 4);
    f.store->setSelectedClipIDs({f.clip(1).id});
    accessibleOf(f.card(0))->actionInterface()->doAction(QStringLiteral("Rate 1 star"));
    EXPECT_EQ(f.clip(0).rating, 1);
    EXPECT_EQ(f.clip(1).rating, 4);

    accessibleOf(f.card(1))->actionInterface()->doAction(QStringLiteral("Open"));
    ASSERT_TRUE(f.grid->expandedClip().has_value());
    EXPECT_EQ(f.grid->expandedClip()->id, f.clip(1).id);
    f.grid->closeExpandedClip();
    accessibleOf(f.card(2))->actionInterface()->doAction(QStringLiteral("Open")); // offline: nothing opens
    EXPECT_FALSE(f.grid->expandedClip().has_value());

    const QUuid removed = f.clip(0).id;
    accessibleOf(f.card(0))->actionInterface()->doAction(QStringLiteral("Remove from Triage"));
    EXPECT_FALSE(f.store->indexOfClip(removed).has_value());
    EXPECT_EQ(f.store->clips().size(), 2);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(CardAccessibility, TheGridListsItsLiveCardsInScreenOrderAndTheKeyboardsClipHasTheFocus)
{
    QList<Clip> clips;
    for (int i = 0; i < 6; ++i)
        clips << testClip(QStringLiteral("c%1.mov").arg(i));
    GridFixture f(clips);
    f.store->setGridColumns(3);
    QCoreApplication::processEvents();
    QAccessibleInterface *grid = accessibleOf(f.grid->viewport());
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->text(QAccessible::Name), QStringLiteral("Clips"));
    QStringList cards;
    for (const QString &name : childNames(grid)) {
        if (name.endsWith(QStringLiteral("unrated")))
            cards << name.section(QLatin1Char(','), 0, 0);
    }
    EXPECT_EQ(cards, (QStringList{QStringLiteral("c0.mov"), QStringLiteral("c1.mov"), QStringLiteral("c2.mov"), QStringLiteral("c3.mov"),
                                  QStringLiteral("c4.mov"), QStringLiteral("c5.mov")}));
    EXPECT_GE(grid->indexOfChild(accessibleOf(f.card(4))), 0);
    EXPECT_EQ(grid->child(grid->indexOfChild(accessibleOf(f.card(4))))->object(), f.card(4));

    // The keyboard moves through the cards; the card it stands on is focused.
    f.grid->activateWindow();
    f.grid->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return f.grid->hasFocus(); }, 5000));
    EXPECT_TRUE(accessibleOf(f.card(0))->state().focused);
    pressKey(f.grid.get(), Qt::Key_Right);
    EXPECT_TRUE(accessibleOf(f.card(1))->state().focused);
    EXPECT_FALSE(accessibleOf(f.card(0))->state().focused);
    EXPECT_EQ(grid->focusChild()->object(), f.card(1));
}

// Section headers show their count and, grouped by rating, their stars; both
// must reach assistive technologies as words.
TEST(CardAccessibility, SectionHeadersReadTheirStarsAndTheirCountOfClips)
{
    GridFixture f({testClip(QStringLiteral("a.mov"), 1, 3), testClip(QStringLiteral("b.mov"), 1, 3),
                   testClip(QStringLiteral("c.mov"), 1, 1), testClip(QStringLiteral("d.mov"), 1, 0)});
    f.store->setGroupMode(GroupMode::rating);
    QCoreApplication::processEvents();
    QStringList names;
    collectNames(accessibleOf(f.grid->viewport()), names);
    EXPECT_TRUE(names.contains(QStringLiteral("3 stars"))) << names.join(QStringLiteral(" | ")).toStdString();
    EXPECT_TRUE(names.contains(QStringLiteral("2 clips")));
    EXPECT_TRUE(names.contains(QStringLiteral("1 star")));
    EXPECT_TRUE(names.contains(QStringLiteral("1 clip")));
    EXPECT_TRUE(names.contains(QStringLiteral("Unrated")));

    // The header comes before its cards.
    QAccessibleInterface *grid = accessibleOf(f.grid->viewport());
    int headerIndex = -1;
    int cardIndex = -1;
    for (int i = 0; i < grid->childCount(); ++i) {
        QStringList sub;
        collectNames(grid->child(i), sub);
        if (headerIndex < 0 && sub.contains(QStringLiteral("3 stars")))
            headerIndex = i;
        if (cardIndex < 0 && sub.first().startsWith(QStringLiteral("a.mov")))
            cardIndex = i;
    }
    ASSERT_GE(headerIndex, 0);
    EXPECT_LT(headerIndex, cardIndex);

    // Grouped by tag, the title reads as it is written.
    f.store->setAvailableTags({QStringLiteral("Dunk")});
    f.store->toggleTag(QStringLiteral("Dunk"), {f.clip(0).id});
    f.store->setGroupMode(GroupMode::category);
    QCoreApplication::processEvents();
    names.clear();
    collectNames(accessibleOf(f.grid->viewport()), names);
    EXPECT_TRUE(names.contains(QStringLiteral("Dunk")));
    EXPECT_TRUE(names.contains(QStringLiteral("Untagged")));
    EXPECT_TRUE(names.contains(QStringLiteral("3 clips")));
}

// The open player lies over the grid; a screen reader must reach it (a
// scroll area would list only its viewport and scroll bars).
TEST(CardAccessibility, TheOpenPlayerIsTheGridsFirstElementWithItsNamedControls)
{
    GridFixture f({testClip(QStringLiteral("a.mov")), testClip(QStringLiteral("b.mov"))});
    QAccessibleInterface *grid = accessibleOf(f.grid.get());
    ASSERT_NE(grid, nullptr);
    QStringList before;
    collectNames(grid, before);
    EXPECT_TRUE(before.contains(QStringLiteral("Clips")));
    EXPECT_FALSE(before.contains(QStringLiteral("Player")));
    EXPECT_FALSE(before.contains(QStringLiteral("No clips match your filters"))); // hidden

    f.grid->expandClip(f.clip(0));
    QStringList names;
    collectNames(grid->child(0), names);
    for (const char *name : {"Player", "Show in File Manager", "Close", "Timeline", "Play", "Step back one frame", "Step forward one frame",
                             "Rating", "Rate 1 star", "Rate 5 stars", "Add tag"})
        EXPECT_TRUE(names.contains(QString::fromUtf8(name))) << name;
    names.clear();
    collectNames(grid, names);
    EXPECT_TRUE(names.contains(QStringLiteral("Clips")));
    f.grid->closeExpandedClip();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(CardAccessibility, TheCardsTagPickerChipsAreButtonsThatToggleTheirTagThroughTheirAction)
{
    GridFixture f({testClip(QStringLiteral("a.mov"), 10, 0, {QStringLiteral("Dunk")}), testClip(QStringLiteral("b.mov"))});
    f.store->setAvailableTags({QStringLiteral("Dunk"), QStringLiteral("Crowd")});
    f.store->setSelectedClipIDs({f.clip(0).id});
    ASSERT_TRUE(pressKey(f.grid.get(), Qt::Key_T, QStringLiteral("t")));
    QCoreApplication::processEvents();
    TagPickerView *picker = f.card(0)->tagPicker();
    ASSERT_NE(picker, nullptr);
    const auto chip = [picker](const QString &name) -> QAccessibleInterface * {
        for (QWidget *row : picker->rows()) {
            QAccessibleInterface *a = QAccessible::queryAccessibleInterface(row);
            if (a && a->text(QAccessible::Name) == name)
                return a;
        }
        return nullptr;
    };
    ASSERT_NE(chip(QStringLiteral("Dunk")), nullptr);
    ASSERT_NE(chip(QStringLiteral("Crowd")), nullptr);
    EXPECT_EQ(chip(QStringLiteral("Crowd"))->role(), QAccessible::Button);
    EXPECT_TRUE(chip(QStringLiteral("Dunk"))->state().selected);
    EXPECT_FALSE(chip(QStringLiteral("Crowd"))->state().selected);
    ASSERT_NE(chip(QStringLiteral("Crowd"))->actionInterface(), nullptr);
    chip(QStringLiteral("Crowd"))->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(f.clip(0).tags, (QStringList{QStringLiteral("Dunk"), QStringLiteral("Crowd")}));
    EXPECT_TRUE(f.clip(1).tags.isEmpty());
    ASSERT_EQ(f.card(0)->tagPicker(), picker);
    EXPECT_TRUE(chip(QStringLiteral("Crowd"))->state().selected);
    chip(QStringLiteral("Dunk"))->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(f.clip(0).tags, QStringList{QStringLiteral("Crowd")});
    EXPECT_FALSE(chip(QStringLiteral("Dunk"))->state().selected);
}
