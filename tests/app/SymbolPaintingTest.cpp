#include "app/DrawnIconEngine.h"
#include "app/SymbolPainting.h"

#include <QIcon>
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

TEST(SymbolPainting, SquaresAndPens)
{
    EXPECT_EQ(SymbolPainting::squareIn(QRectF(0, 0, 40, 20)), QRectF(10, 0, 20, 20));
    EXPECT_EQ(SymbolPainting::squareIn(QRectF(0, 10, 20, 40)), QRectF(0, 20, 20, 20));
    EXPECT_EQ(SymbolPainting::squareIn(QRectF(0, 0, 100, 100), 0.1), QRectF(10, 10, 80, 80));

    const QPen pen = SymbolPainting::roundPen(Qt::red, 0.25);
    EXPECT_EQ(pen.color(), QColor(Qt::red));
    EXPECT_DOUBLE_EQ(pen.widthF(), 0.25);
    EXPECT_EQ(pen.capStyle(), Qt::RoundCap);
    EXPECT_EQ(pen.joinStyle(), Qt::RoundJoin);
    EXPECT_EQ(pen.style(), Qt::SolidLine);
    EXPECT_DOUBLE_EQ(SymbolPainting::strokePen(Qt::red, 0.25).widthF(), 1.0);
    EXPECT_DOUBLE_EQ(SymbolPainting::strokePen(Qt::red, 2.5).widthF(), 2.5);
    EXPECT_EQ(SymbolPainting::strokePen(Qt::red, 2.5).capStyle(), Qt::RoundCap);
}

TEST(SymbolPainting, ACutOnItsOwnLayerLeavesWhatLiesBelow)
{
    QImage target(20, 20, QImage::Format_ARGB32_Premultiplied);
    target.fill(Qt::blue);
    {
        QPainter painter(&target);
        SymbolPainting::paintOnLayer(painter, QRectF(5, 5, 10, 10), [](QPainter &layer, const QRectF &local) {
            EXPECT_EQ(local, QRectF(0, 0, 10, 10));
            layer.fillRect(local, Qt::red);
            layer.setCompositionMode(QPainter::CompositionMode_DestinationOut);
            layer.fillRect(QRectF(4, 4, 2, 2), Qt::black);
        });
    }
    EXPECT_EQ(target.pixelColor(6, 6), QColor(Qt::red));
    // The cut shows the blue below, not a hole.
    EXPECT_EQ(target.pixelColor(9, 9), QColor(Qt::blue));
    EXPECT_EQ(target.pixelColor(2, 2), QColor(Qt::blue));
}

TEST(SymbolPainting, PixmapsAtADevicePixelRatio)
{
    QRectF drawn;
    const SymbolDrawer fill = [&](QPainter &painter, const QRectF &box, const QColor &color) {
        drawn = box;
        painter.fillRect(box, color);
    };
    const QPixmap sharp = SymbolPainting::pixmap(fill, 12, Qt::green, 2.0);
    EXPECT_EQ(sharp.size(), QSize(24, 24));
    EXPECT_DOUBLE_EQ(sharp.devicePixelRatio(), 2.0);
    EXPECT_EQ(drawn, QRectF(0, 0, 12, 12));
    EXPECT_EQ(sharp.toImage().pixelColor(23, 23), QColor(Qt::green));
    const QPixmap odd = SymbolPainting::pixmap(fill, 9, Qt::green, 1.25);
    EXPECT_EQ(odd.size(), QSize(12, 12));
    EXPECT_EQ(SymbolPainting::pixmap(fill, 9, Qt::green, 0.5).size(), QSize(9, 9));
}

TEST(DrawnIconEngine, ADrawingStandsInForAPictureTheThemeLacks)
{
    int draws = 0;
    const QIcon icon = DrawnIconEngine::themedOr(QStringLiteral("no-such-icon-in-any-theme"),
                                                 [&](QPainter &painter, const QRectF &box, const QColor &color) {
                                                     ++draws;
                                                     painter.fillRect(box, color);
                                                 });
    ASSERT_FALSE(icon.isNull());
    const QImage image = icon.pixmap(16, 16).toImage();
    EXPECT_GT(draws, 0);
    EXPECT_EQ(qAlpha(image.pixel(8, 8)), 255);
    EXPECT_FALSE(DrawnIconEngine::themedOr(QString(), [](QPainter &, const QRectF &, const QColor &) {}).isNull());
}
