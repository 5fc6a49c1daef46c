#include "GridTestSupport.h"

#include "grid/BackToTopButton.h"

#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <gtest/gtest.h>

namespace {

QList<Clip> manyClips(int count)
{
    QList<Clip> clips;
    for (int i = 0; i < count; ++i)
        clips << testClip(QStringLiteral("c%1.mov").arg(i, 3, 10, QLatin1Char('0')));
    return clips;
}

QRect sliderHandle(QScrollBar *bar)
{
    QStyleOptionSlider option;
    option.initFrom(bar);
    option.subControls = QStyle::SC_All;
    option.orientation = bar->orientation();
    option.minimum = bar->minimum();
    option.maximum = bar->maximum();
    option.sliderPosition = bar->sliderPosition();
    option.sliderValue = bar->value();
    option.singleStep = bar->singleStep();
    option.pageStep = bar->pageStep();
    return bar->style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, bar);
}

void sendMouse(QWidget *widget, QEvent::Type type, QPoint pos, Qt::MouseButtons buttons)
{
    QMouseEvent event(type, pos, widget->mapToGlobal(pos), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

} // namespace

// At the end of the grid the floating back-to-top button must not lie over
// the tag button of the last row's cards.
TEST(GridScrollEnd, AtTheEndTheBackToTopButtonLeavesTheLastRowsTagButtonsFree)
{
    GridFixture f(manyClips(12), {}, QSize(1000, 600));
    f.store->setGridColumns(4);
    QScrollBar *bar = f.grid->verticalScrollBar();
    bar->setValue(bar->maximum());
    QCoreApplication::processEvents();
    const QRect button = f.grid->backToTopButton()->geometry();
    ASSERT_TRUE(f.grid->backToTopButton()->isVisible());
    int checked = 0;
    for (int i = 8; i < 12; ++i) {
        ClipThumbnailView *card = f.card(i);
        ASSERT_NE(card, nullptr) << i;
        const QRect tag = card->tagIconRect().translated(card->pos()).toAlignedRect();
        EXPECT_FALSE(tag.intersects(button)) << "card " << i;
        EXPECT_LE(card->geometry().bottom(), f.grid->viewport()->height());
        ++checked;
    }
    EXPECT_EQ(checked, 4);
}

// A scroll bar dragged to the bottom shows the last row, also when cards
// measured on the way make the content taller than estimated.
TEST(GridScrollEnd, DraggingTheScrollBarToItsEndShowsTheLastRow)
{
    GridFixture f(manyClips(300), {}, QSize(1000, 600));
    QScrollBar *bar = f.grid->verticalScrollBar();
    const QRect handle = sliderHandle(bar);
    ASSERT_FALSE(handle.isEmpty());
    // Pressed on the handle, pulled in one go to the bottom of the bar, released there.
    const QPoint start = handle.center();
    const QPoint end(start.x(), bar->height() - 1);
    sendMouse(bar, QEvent::MouseButtonPress, start, Qt::LeftButton);
    ASSERT_TRUE(bar->isSliderDown());
    sendMouse(bar, QEvent::MouseMove, end, Qt::LeftButton);
    sendMouse(bar, QEvent::MouseButtonRelease, end, Qt::NoButton);
    QCoreApplication::processEvents();

    EXPECT_EQ(bar->value(), bar->maximum());
    ClipThumbnailView *last = f.card(299);
    ASSERT_NE(last, nullptr);
    EXPECT_LE(last->geometry().bottom(), f.grid->viewport()->height());
    EXPECT_GE(last->geometry().top(), 0);
}
