#include "media/VideoPlayer.h"
#include "media/ui/AudioPeakMarkers.h"
#include "media/ui/ScrubPlayerView.h"
#include "media/ui/TrackpadScrubOverlay.h"
#include "support/TestMedia.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

namespace {
constexpr int waitMs = 30000;

QImage solid(QColor color, QSize size = {320, 240})
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

QColor centre(QWidget &widget)
{
    const QImage shot = widget.grab().toImage();
    return shot.pixelColor(shot.width() / 2, shot.height() / 2);
}

// Remembers whether a wheel event reached it (it ignores them, like a card).
class Card : public QWidget
{
public:
    int wheels = 0;
    int presses = 0;

protected:
    void wheelEvent(QWheelEvent *event) override
    {
        ++wheels;
        event->ignore();
    }
    void mousePressEvent(QMouseEvent *) override { ++presses; }
};

QWheelEvent wheel(QPoint pixel, QPoint angle, Qt::ScrollPhase phase)
{
    return QWheelEvent(QPointF(10, 10), QPointF(10, 10), pixel, angle, Qt::NoButton, Qt::NoModifier, phase, false);
}
} // namespace

TEST(ScrubPlayerView, ShowsThePosterUntilTheFirstFrameAndAgainWithoutAPlayer)
{
    ScrubPlayerView view;
    view.resize(320, 240);
    view.setPosterImage(solid(Qt::red));
    EXPECT_EQ(centre(view), QColor(Qt::red));

    auto player = std::make_shared<VideoPlayer>(TestMedia::path(QStringLiteral("black.mp4")));
    view.setPlayer(player);
    EXPECT_EQ(player->targetSize(), QSize(320, 240));
    ASSERT_TRUE(QTest::qWaitFor([&] { return player->isReadyForDisplay(); }, waitMs));
    EXPECT_FALSE(view.isPosterVisible());
    EXPECT_EQ(centre(view), QColor(Qt::black)); // the clip's own black frame

    view.setPlayer(nullptr);
    EXPECT_TRUE(view.isPosterVisible());
    EXPECT_EQ(centre(view), QColor(Qt::red));

    // Given a player that is ready already, the poster hides at once.
    view.setPlayer(player);
    EXPECT_FALSE(view.isPosterVisible());

    // A closed player shows nothing: black, not the poster.
    player->close();
    EXPECT_EQ(centre(view), QColor(Qt::black));
}

TEST(ScrubPlayerView, ConvertsEachPosterOnceAndClearsIt)
{
    ScrubPlayerView view;
    view.resize(160, 120);
    const QImage poster = solid(Qt::green);
    view.setPosterImage(poster);
    view.setPosterImage(poster);
    EXPECT_EQ(view.posterConversions(), 1);
    view.setPosterImage(QImage());
    EXPECT_EQ(centre(view), QColor(Qt::black));
    view.setPosterImage(QImage()); // nothing to clear
    view.setPosterImage(solid(Qt::blue));
    EXPECT_EQ(view.posterConversions(), 2);
    EXPECT_EQ(centre(view), QColor(Qt::blue));
}

TEST(TrackpadScrubOverlay, PassesMouseWheelsOnAndTurnsTrackpadSwipesIntoDeltas)
{
    Card card;
    card.resize(300, 200);
    QList<qreal> deltas;
    TrackpadScrubOverlay overlay(&card, [&](qreal d) { deltas << d; });
    EXPECT_EQ(overlay.geometry(), card.rect());

    // A classic mouse wheel: no phase, no pixel delta. It goes on to the card.
    QWheelEvent mouse = wheel({}, {0, -120}, Qt::NoScrollPhase);
    QApplication::sendEvent(&card, &mouse);
    EXPECT_EQ(card.wheels, 1);
    EXPECT_TRUE(deltas.isEmpty());

    // Trackpad gestures are consumed; only deltas above 0.5 are reported.
    for (const auto &[delta, phase] : std::vector<std::pair<int, Qt::ScrollPhase>>{
             {0, Qt::ScrollBegin}, {1, Qt::ScrollUpdate}, {-3, Qt::ScrollUpdate}, {0, Qt::ScrollEnd}, {2, Qt::ScrollMomentum}}) {
        QWheelEvent event = wheel({delta, 0}, {delta * 8, 0}, phase);
        QApplication::sendEvent(&card, &event);
    }
    EXPECT_EQ(card.wheels, 1);
    EXPECT_EQ(deltas, (QList<qreal>{1, -3, 2}));

    // X11 touchpads: pixel deltas without a phase count as trackpad scrolling.
    QWheelEvent x11 = wheel({-4, 1}, {-32, 8}, Qt::NoScrollPhase);
    QApplication::sendEvent(&card, &x11);
    EXPECT_EQ(deltas.last(), -4);
    EXPECT_EQ(card.wheels, 1);

    // A mainly vertical swipe is consumed too, with nothing to report.
    const qsizetype before = deltas.size();
    QWheelEvent vertical = wheel({0, 9}, {0, 72}, Qt::ScrollUpdate);
    QApplication::sendEvent(&card, &vertical);
    EXPECT_EQ(deltas.size(), before);
    EXPECT_EQ(card.wheels, 1);
}

TEST(TrackpadScrubOverlay, HalfAPointIsNotEnough)
{
    QWheelEvent small(QPointF(), QPointF(), QPoint(1, 0), QPoint(), Qt::NoButton, Qt::NoModifier, Qt::ScrollUpdate, false);
    EXPECT_EQ(TrackpadScrubOverlay::trackpadDelta(&small), 1.0);
    // Angle deltas in eighths of a degree: 4 eighths is 0.5, 5 is 0.625.
    QWheelEvent half(QPointF(), QPointF(), QPoint(), QPoint(4, 0), Qt::NoButton, Qt::NoModifier, Qt::ScrollUpdate, false);
    QWheelEvent more(QPointF(), QPointF(), QPoint(), QPoint(-5, 0), Qt::NoButton, Qt::NoModifier, Qt::ScrollUpdate, false);
    Card card;
    QList<qreal> deltas;
    TrackpadScrubOverlay overlay(&card, [&](qreal d) { deltas << d; });
    QApplication::sendEvent(&card, &half);
    QApplication::sendEvent(&card, &more);
    EXPECT_EQ(deltas, (QList<qreal>{-0.625}));
    EXPECT_EQ(card.wheels, 0);
}

TEST(TrackpadScrubOverlay, ClicksGoToTheWidgetBelow)
{
    Card card;
    card.resize(300, 200);
    TrackpadScrubOverlay overlay(&card);
    card.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&card));
    EXPECT_NE(card.childAt(QPoint(150, 100)), &overlay);
    QTest::mouseClick(&card, Qt::LeftButton, {}, QPoint(150, 100));
    EXPECT_EQ(card.presses, 1);
    EXPECT_EQ(overlay.focusPolicy(), Qt::NoFocus);
    // It follows the card's size.
    card.resize(400, 100);
    EXPECT_EQ(overlay.geometry(), QRect(0, 0, 400, 100));
}

TEST(AudioPeakMarkers, PlacesBarsByFractionWithAMinimumWidth)
{
    EXPECT_EQ(AudioPeakMarkers::barRect({0.25, 0.4}, 300, 4), QRectF(75, 0, 45, 4));
    EXPECT_EQ(AudioPeakMarkers::barRect({0.5, 0.51}, 300, 4), QRectF(150, 0, 6, 4));
    EXPECT_EQ(AudioPeakMarkers::barRect({0.8, 1.0}, 300, 4).right(), 300);
    // Near the right edge a widened bar reaches past the strip.
    EXPECT_GT(AudioPeakMarkers::barRect({0.999, 1.0}, 300, 4).right(), 300);
}

TEST(AudioPeakMarkers, DrawsOrangeBarsThatFadeWhenNotHovered)
{
    AudioPeakMarkers strip;
    strip.resize(300, 4);
    strip.setPeaks({{0.25, 0.4}});
    EXPECT_TRUE(strip.testAttribute(Qt::WA_TransparentForMouseEvents));
    EXPECT_DOUBLE_EQ(strip.barOpacity(), 0.9);
    QImage hovered(300, 4, QImage::Format_ARGB32_Premultiplied);
    hovered.fill(Qt::transparent);
    strip.render(&hovered);
    const QColor inside = hovered.pixelColor(100, 2);
    EXPECT_NEAR(inside.alphaF(), 0.9, 0.02);
    EXPECT_GT(inside.red(), 200);
    EXPECT_EQ(hovered.pixelColor(50, 2).alpha(), 0);
    EXPECT_EQ(hovered.pixelColor(200, 2).alpha(), 0);

    strip.setHovering(false);
    EXPECT_DOUBLE_EQ(strip.barOpacity(), 0.6);
    QImage resting(300, 4, QImage::Format_ARGB32_Premultiplied);
    resting.fill(Qt::transparent);
    strip.render(&resting);
    EXPECT_NEAR(resting.pixelColor(100, 2).alphaF(), 0.6, 0.02);
    EXPECT_EQ(resting.pixelColor(50, 2).alpha(), 0);

    AudioPeakMarkers empty;
    empty.resize(300, 4);
    QImage nothing(300, 4, QImage::Format_ARGB32_Premultiplied);
    nothing.fill(Qt::transparent);
    empty.render(&nothing);
    for (int x = 0; x < 300; ++x)
        ASSERT_EQ(nothing.pixelColor(x, 2).alpha(), 0);
}
