#include "GridTestSupport.h"

#include <QScrollBar>
#include <gtest/gtest.h>

// A fling through the grid asks for the posters of what comes to rest on
// screen, not of every card that passes.

namespace {

QList<Clip> manyClips(int count)
{
    QList<Clip> clips;
    for (int i = 0; i < count; ++i)
        clips << testClip(QStringLiteral("c%1.mov").arg(i, 4, 10, QLatin1Char('0')), 8);
    return clips;
}

// A grid of held media and a poster clock the test steps.
struct FlingFixture
{
    GridFixture f;
    std::shared_ptr<HeldCardMedia> media = std::make_shared<HeldCardMedia>();
    qint64 now = 1'000'000;

    explicit FlingFixture(int clips) : f(manyClips(clips), {}, QSize(1000, 600))
    {
        f.grid->setPosterClock([this] { return now; });
        f.store->setGridColumns(4);
        f.grid->setCardMedia(media);
        QCoreApplication::processEvents();
    }

    // The cards whose poster area is on screen, by file name.
    QSet<QString> onScreen() const
    {
        QSet<QString> names;
        const QRect screen = f.grid->viewport()->rect();
        const QMargins margins(ClipThumbnailView::margin, ClipThumbnailView::margin, ClipThumbnailView::margin, ClipThumbnailView::margin);
        for (ClipThumbnailView *card : f.grid->liveCards()) {
            if (card->isVisible() && screen.intersects(card->geometry().marginsRemoved(margins)))
                names.insert(card->clip().filename);
        }
        return names;
    }
    static QSet<QString> names(const QList<HeldCardMedia::PosterRequest> &requests)
    {
        QSet<QString> result;
        for (const auto &request : requests)
            result.insert(request.url.fileName());
        return result;
    }
    void pageDown()
    {
        pressKey(f.grid.get(), Qt::Key_PageDown);
        QCoreApplication::processEvents();
    }
};

} // namespace

TEST(GridPosterFling, FirstDisplayAsksForTheScreenFirstAndThenAheadOfScrolling)
{
    FlingFixture fling(400);
    const QSet<QString> first = fling.onScreen();
    ASSERT_FALSE(first.isEmpty());
    // Every live card asks at once, those on screen first.
    const QList<HeldCardMedia::PosterRequest> asked = fling.media->waitingPosters();
    ASSERT_GT(asked.size(), first.size());
    EXPECT_EQ(FlingFixture::names(asked.mid(0, first.size())), first);
    QSet<QString> live;
    for (ClipThumbnailView *card : fling.f.grid->liveCards())
        live.insert(card->clip().filename);
    EXPECT_EQ(FlingFixture::names(asked), live);
}

TEST(GridPosterFling, ScrollingSlowlyFindsEachCardsPosterAskedForBeforeItComesIntoView)
{
    FlingFixture fling(400);
    QScrollBar *bar = fling.f.grid->verticalScrollBar();
    QSet<QString> seen = fling.onScreen();
    int steps = 0;
    while (bar->value() < bar->maximum() && steps < 60) {
        // A wheel notch now and then: the grid is not flung.
        fling.now += 150;
        bar->setValue(std::min(bar->maximum(), bar->value() + 120));
        QCoreApplication::processEvents();
        ++steps;
        const QSet<QString> waiting = FlingFixture::names(fling.media->waitingPosters());
        for (const QString &name : fling.onScreen()) {
            // Just in view, its request is there already (it was made ahead
            // of time, or stayed while the card was on screen).
            EXPECT_TRUE(waiting.contains(name)) << name.toStdString() << " at step " << steps;
            seen.insert(name);
        }
        // What left the screen waits for nothing.
        for (const QString &name : waiting)
            EXPECT_TRUE(fling.onScreen().contains(name) || !seen.contains(name)) << name.toStdString();
    }
    ASSERT_GT(steps, 10);
}

TEST(GridPosterFling, HoldingPageDownAsksOnlyForThePostersOfTheScreenItStopsAt)
{
    FlingFixture fling(400);
    const QSet<QString> first = fling.onScreen();
    ASSERT_FALSE(first.isEmpty());

    // Held Page Down: a key press every 40 ms, each screen gone before the
    // cards on it have rested there.
    QScrollBar *bar = fling.f.grid->verticalScrollBar();
    int presses = 0;
    QSet<QString> passed;
    while (bar->value() < bar->maximum()) {
        fling.now += 40;
        fling.pageDown();
        passed.unite(fling.onScreen());
        ASSERT_LT(++presses, 1000);
    }
    ASSERT_GT(presses, 10);
    const QSet<QString> last = fling.onScreen();
    // Nothing that passed waits for a decode, and only the first screens
    // (before the presses came fast enough to tell a fling) asked at all.
    EXPECT_TRUE(fling.media->waitingPosters().isEmpty());
    const qsizetype askedInTheFling = fling.media->posters.size();
    EXPECT_LT(askedInTheFling, passed.size() / 4) << passed.size() << " cards passed";

    // Once the last screen has rested there, its cards ask.
    fling.now += ClipGridView::posterDwellMs;
    ASSERT_TRUE(QTest::qWaitFor([&] { return FlingFixture::names(fling.media->waitingPosters()) == last; }, 10000));
    EXPECT_EQ(fling.media->posters.size(), askedInTheFling + last.size());

    // Answered, they show their posters.
    QImage poster(64, 36, QImage::Format_RGB32);
    poster.fill(Qt::green);
    for (const auto &request : fling.media->waitingPosters())
        request.done(poster);
    for (ClipThumbnailView *card : fling.f.grid->liveCards()) {
        if (last.contains(card->clip().filename)) {
            EXPECT_FALSE(card->posterImage().isNull()) << card->clip().filename.toStdString();
        }
    }
}

TEST(GridPosterFling, ACardThatLeavesBeforeItsDecodeStartsAsksAgainWhenItComesBack)
{
    FlingFixture fling(200);
    const QSet<QString> first = fling.onScreen();
    ASSERT_EQ(FlingFixture::names(fling.media->waitingPosters().mid(0, first.size())), first);
    // One decode has started already: it cannot be withdrawn and lands.
    fling.media->posters[0].started = true;
    const QString running = fling.media->posters[0].url.fileName();

    // Scrolled on until the first screen is just out of sight (its cards
    // still live).
    QScrollBar *bar = fling.f.grid->verticalScrollBar();
    int firstBottom = 0;
    for (ClipThumbnailView *card : fling.f.grid->liveCards()) {
        if (first.contains(card->clip().filename))
            firstBottom = std::max(firstBottom, card->geometry().bottom());
    }
    fling.now += 40;
    bar->setValue(firstBottom);
    QCoreApplication::processEvents();
    ASSERT_TRUE(fling.onScreen().intersect(first).isEmpty());
    EXPECT_TRUE(FlingFixture::names(fling.media->waitingPosters()).intersect(first).isEmpty());
    QImage poster(64, 36, QImage::Format_RGB32);
    poster.fill(Qt::green);
    fling.media->posters[0].done(poster);

    // Back up at once: after resting there, only the withdrawn ones ask again.
    const qsizetype before = fling.media->posters.size();
    fling.now += 40;
    bar->setValue(0);
    QCoreApplication::processEvents();
    ASSERT_EQ(fling.onScreen(), first);
    fling.now += ClipGridView::posterDwellMs;
    QSet<QString> again = first;
    again.remove(running);
    ASSERT_TRUE(QTest::qWaitFor([&] { return FlingFixture::names(fling.media->waitingPosters()) == again; }, 10000));
    EXPECT_EQ(fling.media->posters.size(), before + again.size());
    for (ClipThumbnailView *card : fling.f.grid->liveCards()) {
        if (card->clip().filename == running) {
            EXPECT_FALSE(card->posterImage().isNull());
        }
    }
}
