#include "app/widgets/SymbolView.h"

#include <QAbstractAnimation>
#include <QPainter>
#include <QTest>
#include <QVariantAnimation>
#include <gtest/gtest.h>

namespace {

// Fills the box it is given and records it.
struct BoxDrawer
{
    QList<QRectF> *boxes;
    void operator()(QPainter &painter, const QRectF &box, const QColor &color) const
    {
        boxes->append(box);
        painter.fillRect(box, color);
    }
};

QColor centreOf(QWidget &widget)
{
    const QImage image = widget.grab().toImage();
    return image.pixelColor(image.width() / 2, image.height() / 2);
}

} // namespace

TEST(SymbolView, PaintsItsDrawerCentredInTheColourOfTheMoment)
{
    QList<QRectF> boxes;
    bool enabled = true;
    SymbolView view(BoxDrawer{&boxes}, 10, [&] { return enabled ? QColor(Qt::red) : QColor(Qt::blue); });
    EXPECT_EQ(view.sizeHint(), QSize(10, 10));
    EXPECT_EQ(view.minimumSizeHint(), QSize(10, 10));
    EXPECT_EQ(view.sizePolicy().horizontalPolicy(), QSizePolicy::Fixed);
    EXPECT_TRUE(view.testAttribute(Qt::WA_TransparentForMouseEvents));
    EXPECT_EQ(view.focusPolicy(), Qt::NoFocus);

    view.resize(view.sizeHint());
    EXPECT_EQ(centreOf(view), QColor(Qt::red));
    // The colour is asked for at each paint.
    enabled = false;
    EXPECT_EQ(view.color(), QColor(Qt::blue));
    EXPECT_EQ(centreOf(view), QColor(Qt::blue));
    view.setColor(Qt::green);
    EXPECT_EQ(centreOf(view), QColor(Qt::green));

    // A wider frame: the symbol keeps its size in the middle.
    view.setFrameWidth(16);
    EXPECT_EQ(view.sizeHint(), QSize(16, 10));
    view.resize(16, 10);
    boxes.clear();
    view.grab();
    ASSERT_FALSE(boxes.isEmpty());
    EXPECT_EQ(boxes.last(), QRectF(3, 0, 10, 10));

    // A fractional size rounds the frame up; another drawer replaces the first.
    QList<QRectF> others;
    SymbolView fixed(BoxDrawer{&boxes}, 36.5, QColor(Qt::black));
    EXPECT_EQ(fixed.sizeHint(), QSize(37, 37));
    fixed.setDrawer(BoxDrawer{&others});
    fixed.resize(fixed.sizeHint());
    fixed.grab();
    EXPECT_EQ(others.size(), 1);
}

TEST(SymbolView, APulseRunsOnlyWhileTheSymbolIsShown)
{
    QList<QRectF> boxes;
    QWidget window;
    auto *view = new SymbolView(BoxDrawer{&boxes}, 40, QColor(Qt::black), &window);
    view->setPulsing(true);
    EXPECT_TRUE(view->isPulsing());
    EXPECT_EQ(view->findChild<QVariantAnimation *>(), nullptr);

    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    auto *pulse = view->findChild<QVariantAnimation *>();
    ASSERT_NE(pulse, nullptr);
    EXPECT_EQ(pulse->state(), QAbstractAnimation::Running);
    EXPECT_EQ(pulse->loopCount(), -1);
    EXPECT_DOUBLE_EQ(pulse->keyValueAt(0.5).toReal(), 0.3);

    view->hide();
    EXPECT_TRUE(QTest::qWaitFor([&] { return view->findChild<QVariantAnimation *>() == nullptr; }, 5000));
    EXPECT_TRUE(view->isPulsing());
    view->show();
    EXPECT_NE(view->findChild<QVariantAnimation *>(), nullptr);
    view->setPulsing(false);
    EXPECT_FALSE(view->isPulsing());
    EXPECT_TRUE(QTest::qWaitFor([&] { return view->findChild<QVariantAnimation *>() == nullptr; }, 5000));
}
