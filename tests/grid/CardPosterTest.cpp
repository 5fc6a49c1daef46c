#include "GridTestSupport.h"

#include "app/widgets/GridPainting.h"

#include "media/AudioScrubEngine.h"
#include "media/ScrubPlayerPool.h"
#include "media/ThumbnailGenerator.h"
#include "media/VideoPlayer.h"
#include "media/WaveformCache.h"
#include "support/RenderedContrast.h"
#include "support/TestMedia.h"

#include <gtest/gtest.h>

TEST(CardPoster, ACardShowsThePosterOfItsFileAtTheSizeShownAndCachesIt)
{
    ThumbnailGenerator thumbnails;
    WaveformCache waveforms;
    ScrubPlayerPool pool;
    const Clip clip = probedClip(TestMedia::path(QStringLiteral("pattern_1080p30.mp4")));
    ASSERT_GT(clip.duration, 3);
    GridFixture f({clip}, GridEngines{&thumbnails, &pool, nullptr, &waveforms});
    ClipThumbnailView *card = f.card(0);
    ASSERT_NE(card, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !card->posterImage().isNull(); }, 20000));
    // Asked for at least what the card shows (and at least 480 wide).
    const QSizeF shown = card->posterRect().size();
    EXPECT_GE(card->posterImage().width(), std::min<qreal>(shown.width(), 1920) - 1);
    EXPECT_GE(card->posterImage().width(), 480);
    // The size asked for: what is shown, rounded up to 80 pixels, at least 480 x 270 (device pixel ratio 1 here).
    const auto requested = [](qreal shownLength, int least) {
        return shownLength > least ? std::max(least, static_cast<int>(std::ceil(shownLength / 80.0) * 80)) : least;
    };
    const QSize requestedSize(requested(shown.width(), 480), requested(shown.height(), 270));
    EXPECT_FALSE(thumbnails.cachedPoster(clip.path(), clip.duration * 0.25, requestedSize).isNull());
    // The peaks of its sound follow.
    ASSERT_TRUE(QTest::qWaitFor([&] { return card->audioPeaks().has_value(); }, 20000));

    // A card made again after scrolling away shows the cached poster at once.
    card->grab();
    const QImage picture = card->grab().toImage();
    const QPoint middle = (card->posterRect().center() * picture.devicePixelRatio()).toPoint();
    EXPECT_NE(picture.pixelColor(middle), QColor(Qt::black));
}

TEST(CardPoster, HoverScrubbingSeeksThePooledPlayerOfTheFile)
{
    ThumbnailGenerator thumbnails;
    ScrubPlayerPool pool;
    const Clip clip = probedClip(TestMedia::path(QStringLiteral("counter.mp4")));
    GridFixture f({clip}, GridEngines{&thumbnails, &pool, nullptr, nullptr});
    ClipThumbnailView *card = f.card(0);
    const QRectF poster = card->posterRect();
    sendEnter(card, poster.center());
    sendMove(card, QPointF(poster.left() + poster.width() * 0.5, poster.center().y()));
    ASSERT_NE(card->scrubPlayer(), nullptr);
    EXPECT_TRUE(pool.contains(clip.path()));
    sendMove(card, QPointF(poster.left() + poster.width() * 0.75, poster.center().y()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return card->scrubPlayer()->isReadyForDisplay() && !card->scrubPlayer()->isSeeking(); }, 20000));
    EXPECT_NEAR(card->scrubPlayer()->currentFrameTime(), clip.duration * 0.75, 0.1);
    sendLeave(card);
    EXPECT_EQ(card->scrubPlayer(), nullptr);
}

TEST(CardImages, AnImageHandedBackServesTheNextCardOfItsSizeUnlessItIsShared)
{
    QImage first = GridPainting::takeCardImage(QSize(120, 90));
    ASSERT_EQ(first.size(), QSize(120, 90));
    ASSERT_EQ(first.format(), QImage::Format_RGB32);
    const uchar *bits = first.constBits();
    GridPainting::returnCardImage(std::move(first));
    EXPECT_EQ(GridPainting::takeCardImage(QSize(64, 48)).size(), QSize(64, 48)); // another size: a new image
    QImage again = GridPainting::takeCardImage(QSize(120, 90));
    EXPECT_EQ(again.constBits(), bits);

    // An image someone else still holds is not handed to a card.
    const QImage held = again;
    GridPainting::returnCardImage(std::move(again));
    EXPECT_NE(GridPainting::takeCardImage(QSize(120, 90)).constBits(), held.constBits());
}

namespace {

// Cards' media whose cache holds one plain picture for every poster.
class PlainPosterMedia : public HeldCardMedia
{
public:
    explicit PlainPosterMedia(const QColor &color) : m_picture(1920, 1080, QImage::Format_RGB32) { m_picture.fill(color); }
    QImage cachedPoster(const QUrl &, double, const QSize &) const override { return m_picture; }

private:
    QImage m_picture;
};

} // namespace

TEST(CardPoster, TheOfflineNoticeIsLegibleOnAnyPoster)
{
    for (const QColor &poster : {QColor(Qt::white), QColor(250, 240, 200), QColor(128, 128, 128), QColor(Qt::black)}) {
        Clip clip = testClip(QStringLiteral("gone.mov"));
        clip.isMissing = true;
        GridFixture f({clip});
        f.grid->setCardMedia(std::make_shared<PlainPosterMedia>(poster));
        ClipThumbnailView *card = f.card(0);
        ASSERT_NE(card, nullptr);
        const QImage picture = card->grab().toImage().scaled(card->size());
        const QPointF centre = card->posterRect().center();
        // The icon and "File offline" stand in the middle of the poster.
        const QRect notice(QPoint(int(centre.x()) - 50, int(centre.y()) - 10), QSize(100, 20));
        const RenderedContrast::Measure m = RenderedContrast::measure(picture, notice);
        EXPECT_GE(m.ratio, 4.5) << poster.name().toStdString() << ": " << m.text.name().toStdString() << " on "
                                << m.background.name().toStdString();
    }
}
