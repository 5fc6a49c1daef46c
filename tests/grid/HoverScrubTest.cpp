#include "GridTestSupport.h"

#include "app/HoverScrub.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace {
const QList<ScrubModifier> altThreeCtrlOne{ScrubModifier{ModifierKey::option, 3}, ScrubModifier{ModifierKey::command, 1}};
} // namespace

TEST(HoverScrubPosition, TheWidthSpansTheClipAndAHeldKeyNarrowsItAroundItsAnchor)
{
    // Left edge and beyond the right edge.
    EXPECT_EQ(HoverScrub::at(0, 200, 60, altThreeCtrlOne, {}, std::nullopt).time, 0);
    EXPECT_EQ(HoverScrub::at(260, 200, 60, altThreeCtrlOne, {}, std::nullopt).time, 60);

    // Alt (the option key) first held at the middle of a 60 s clip: 28.5 s to 31.5 s.
    const HoverScrub first = HoverScrub::at(100, 200, 60, altThreeCtrlOne, Qt::AltModifier, std::nullopt);
    ASSERT_TRUE(first.anchor.has_value());
    EXPECT_DOUBLE_EQ(*first.anchor, 30);
    EXPECT_DOUBLE_EQ(HoverScrub::at(200, 200, 60, altThreeCtrlOne, Qt::AltModifier, first.anchor).time, 31.5);
    EXPECT_DOUBLE_EQ(HoverScrub::at(0, 200, 60, altThreeCtrlOne, Qt::AltModifier, first.anchor).time, 28.5);
    // Anchored at the start or the end: moved right, or cut at the end.
    EXPECT_DOUBLE_EQ(HoverScrub::at(200, 200, 60, altThreeCtrlOne, Qt::AltModifier, 0.0).time, 3);
    EXPECT_DOUBLE_EQ(HoverScrub::at(0, 200, 60, altThreeCtrlOne, Qt::AltModifier, 60.0).time, 58.5);
    EXPECT_DOUBLE_EQ(HoverScrub::at(200, 200, 60, altThreeCtrlOne, Qt::AltModifier, 60.0).time, 60);
    // A window longer than the clip (10 s on 4 s) anchored at 3 s spans 1 s to 4 s.
    const QList<ScrubModifier> ten{ScrubModifier{ModifierKey::option, 10}};
    EXPECT_DOUBLE_EQ(HoverScrub::at(0, 200, 4, ten, Qt::AltModifier, 3.0).time, 1);
    // Ctrl is the command key; with both held the first listed wins.
    const HoverScrub both = HoverScrub::at(0, 200, 60, altThreeCtrlOne, Qt::AltModifier | Qt::ControlModifier, 30.0);
    ASSERT_TRUE(both.activeModifier.has_value());
    EXPECT_EQ(both.activeModifier->key, ModifierKey::option);
    EXPECT_EQ(HoverScrub::at(0, 200, 60, altThreeCtrlOne, Qt::ControlModifier, 30.0).activeModifier->key, ModifierKey::command);
    // Meta is the control key.
    const QList<ScrubModifier> control{ScrubModifier{ModifierKey::control, 2}};
    EXPECT_TRUE(HoverScrub::at(0, 200, 60, control, Qt::MetaModifier, std::nullopt).activeModifier.has_value());
    EXPECT_FALSE(HoverScrub::at(0, 200, 60, control, Qt::ControlModifier, std::nullopt).activeModifier.has_value());
    // A clip of no duration with a key held.
    const HoverScrub empty = HoverScrub::at(150, 200, 0, altThreeCtrlOne, Qt::AltModifier, std::nullopt);
    EXPECT_EQ(empty.progress, 0);
    EXPECT_EQ(empty.time, 0);
}

TEST(HoverScrubPosition, NonFiniteTimesNeverLeaveTheComputation)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (double duration : {nan, inf, -inf, -5.0}) {
        const HoverScrub at = HoverScrub::at(50, 100, duration, altThreeCtrlOne, Qt::AltModifier, std::nullopt);
        EXPECT_TRUE(std::isfinite(at.time));
        EXPECT_EQ(at.time, 0);
    }
    // 0 / 0 counts as the right edge.
    EXPECT_EQ(HoverScrub::at(0, 0, 10, {}, {}, std::nullopt).progress, 1);
    EXPECT_EQ(HoverScrub::at(50, 100, 10, altThreeCtrlOne, Qt::AltModifier, nan).time, 5);
    EXPECT_EQ(formatScrubTime(nan), QStringLiteral("0:00"));
    EXPECT_EQ(formatScrubTime(inf), QStringLiteral("0:00"));
    EXPECT_EQ(formatScrubTime(59.99), QStringLiteral("0:59"));
    EXPECT_EQ(formatScrubTime(600), QStringLiteral("10:00"));
    EXPECT_EQ(formatScrubTime(3600), QStringLiteral("60:00"));
    EXPECT_EQ(formatScrubTime(1e300), formatScrubTime(1e300)); // no undefined conversion
}

TEST(HoverScrubPosition, JumpTargetsStayWithinTheClipAndNeverAreNotANumber)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(clampedTime(-2, 10), 0);
    EXPECT_EQ(clampedTime(13, 10), 10);
    EXPECT_EQ(clampedTime(4.5, 10), 4.5);
    EXPECT_EQ(clampedTime(nan, 10), 0);
    EXPECT_EQ(clampedTime(inf, 10), 0);
    EXPECT_EQ(clampedTime(5, nan), 0); // an unknown length holds only the start
    EXPECT_EQ(clampedTime(5, inf), 0);
}

TEST(HoverScrubCard, PointerPositionsAndAHeldModifierDriveTheCard)
{
    GridFixture f({testClip(QStringLiteral("long.mov"), 60)});
    auto media = std::make_shared<HeldCardMedia>();
    f.grid->setCardMedia(media);
    f.grid->setAudioEnabled(true);
    ClipThumbnailView *card = f.card(0);
    ASSERT_NE(card, nullptr);
    const QRectF poster = card->posterRect();
    const qreal y = poster.center().y();

    sendEnter(card, QPointF(poster.left() + 1, y));
    sendMove(card, QPointF(poster.left(), y));
    EXPECT_TRUE(card->isHovering());
    EXPECT_EQ(card->currentTime(), 0);
    EXPECT_EQ(card->timeChipText(), QStringLiteral("0:00"));
    EXPECT_EQ(media->preloads, 1);
    sendMove(card, QPointF(poster.right() - 0.001, y));
    EXPECT_NEAR(card->currentTime(), 60, 0.01);
    EXPECT_EQ(card->timeChipText(), QStringLiteral("0:59"));

    // Alt first seen held at the middle: the anchor is 30 s and the width
    // now covers 28.5 s to 31.5 s.
    sendMove(card, QPointF(poster.center().x(), y), Qt::AltModifier);
    ASSERT_TRUE(card->activeScrubModifier().has_value());
    EXPECT_EQ(card->activeScrubModifier()->key, ModifierKey::option);
    ASSERT_TRUE(card->fineAnchorTime().has_value());
    EXPECT_NEAR(*card->fineAnchorTime(), 30, 0.01);
    sendMove(card, QPointF(poster.right(), y), Qt::AltModifier);
    EXPECT_NEAR(card->currentTime(), 31.5, 0.01);
    sendMove(card, QPointF(poster.left(), y), Qt::AltModifier);
    EXPECT_NEAR(card->currentTime(), 28.5, 0.01);
    // Releasing the key gives the whole span back at the pointer.
    sendMove(card, QPointF(poster.left(), y));
    EXPECT_FALSE(card->activeScrubModifier().has_value());
    EXPECT_EQ(card->currentTime(), 0);
    // Every event after the first seeks and asks for a snippet at that time.
    EXPECT_EQ(media->snippets.constLast(), 0);
    EXPECT_NEAR(media->snippets.at(media->snippets.size() - 2), 28.5, 0.01);

    // Leaving the poster ends the hover; the time is kept, the rest reset.
    sendMove(card, card->starRowRect().center());
    EXPECT_FALSE(card->isHovering());
    EXPECT_EQ(card->hoverProgress(), 0);
    EXPECT_FALSE(card->fineAnchorTime().has_value());
    EXPECT_EQ(media->stops, 1);
}

TEST(HoverScrubCard, AnOfflineClipNeverScrubsButShowsItsHoverButtons)
{
    Clip offline = testClip(QStringLiteral("gone.mov"), 30);
    offline.isMissing = true;
    GridFixture f({offline});
    auto media = std::make_shared<HeldCardMedia>();
    f.grid->setCardMedia(media);
    f.grid->setAudioEnabled(true);
    ClipThumbnailView *card = f.card(0);
    sendEnter(card, card->posterRect().center());
    sendMove(card, card->posterRect().center());
    EXPECT_TRUE(card->isCardHovered());
    EXPECT_FALSE(card->isHovering());
    EXPECT_TRUE(media->snippets.isEmpty());
    EXPECT_EQ(media->preloads, 0);
}

TEST(HoverScrubCard, AClipOfUnknownDurationScrubsAtZero)
{
    GridFixture f({testClip(QStringLiteral("odd.mov"), std::numeric_limits<double>::quiet_NaN())});
    auto media = std::make_shared<HeldCardMedia>();
    f.grid->setCardMedia(media);
    f.grid->setAudioEnabled(true);
    ClipThumbnailView *card = f.card(0);
    const QRectF poster = card->posterRect();
    sendMove(card, poster.center());
    sendMove(card, QPointF(poster.right() - 1, poster.center().y()), Qt::AltModifier);
    EXPECT_EQ(card->currentTime(), 0);
    EXPECT_EQ(card->timeChipText(), QStringLiteral("0:00"));
    for (double t : media->snippets)
        EXPECT_TRUE(std::isfinite(t));
    // The poster is asked for at a finite time too.
    ASSERT_FALSE(media->posters.isEmpty());
    EXPECT_EQ(media->posters.constLast().seconds, 0);
}
