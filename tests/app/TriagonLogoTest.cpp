#include "app/TriagonLogo.h"

#include <QFile>
#include <QFileInfo>
#include <QDir>
#include <QPainter>
#include <gtest/gtest.h>

namespace {

QImage render(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    TriagonLogo::drawMark(painter, QRectF(0, 0, width, height), Qt::black);
    return image;
}

bool inked(const QImage &image, int x, int y)
{
    return qAlpha(image.pixel(x, y)) > 200;
}

QRect inkBounds(const QImage &image)
{
    QRect bounds;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 0)
                bounds |= QRect(x, y, 1, 1);
    return bounds;
}

TEST(TriagonLogo, squareCanvasOfTheDesignWidthDrawsAtScaleOne)
{
    const QTransform t = TriagonLogo::designTransform(QRectF(0, 0, 488, 488));
    EXPECT_DOUBLE_EQ(t.m11(), 1.0);
    EXPECT_DOUBLE_EQ(t.dx(), 0.0);
    // The box's 486 units of height leave one unit above and below.
    EXPECT_DOUBLE_EQ(t.dy(), 1.0);
}

TEST(TriagonLogo, wideCanvasUsesTheHeightsScaleCentred)
{
    const QTransform t = TriagonLogo::designTransform(QRectF(0, 0, 1000, 243));
    EXPECT_DOUBLE_EQ(t.m11(), 0.5);
    EXPECT_DOUBLE_EQ(t.dx(), (1000 - 244) / 2.0);
    EXPECT_DOUBLE_EQ(t.dy(), 0.0);

    const QRect ink = inkBounds(render(1000, 243));
    EXPECT_NEAR(ink.center().x(), 500, 2);
    EXPECT_LE(ink.width(), 246);
}

TEST(TriagonLogo, ringStaysHollowAtEverySize)
{
    for (int side : {16, 40, 100, 512}) {
        const QImage image = render(side, side);
        const int c = side / 2;
        EXPECT_FALSE(inked(image, c, c)) << side;
        // The ring itself is filled a little way out from the centre.
        EXPECT_TRUE(inked(image, c + side * 80 / 488, c)) << side;
    }
}

TEST(TriagonLogo, viewTakesItsSizeWithATenthPadding)
{
    const TriagonLogo logo(100);
    EXPECT_EQ(logo.sizeHint(), QSizeF(120, 120));
    QImage image(120, 120, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    logo.paint(painter, QPointF(0, 0), Qt::black);
    painter.end();
    const QRect ink = inkBounds(image);
    EXPECT_GE(ink.left(), 10);
    EXPECT_GE(ink.top(), 10);
    EXPECT_LE(ink.right(), 110);
    EXPECT_LE(ink.bottom(), 110);
}

TEST(TriagonLogo, applicationIconHasEveryDesktopSize)
{
    const QIcon icon = TriagonLogo::applicationIcon();
    EXPECT_FALSE(icon.isNull());
    EXPECT_TRUE(icon.availableSizes().contains(QSize(48, 48)));
    EXPECT_TRUE(icon.availableSizes().contains(QSize(512, 512)));
    const QImage image = TriagonLogo::applicationIconImage(64);
    EXPECT_EQ(image.size(), QSize(64, 64));
    // The corners are outside the rounded square.
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
}

// The installed icon file is drawn from the same shapes; regenerate it with
// TriagonLogo::applicationIconSvg() when they change.
TEST(TriagonLogo, installedSvgIconMatchesTheShapes)
{
    const QString path = QStringLiteral(TRIAGON_SOURCE_DIR "/Triagon/app/icons/com.brinkwolder.Triagon.svg");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << qPrintable(path);
    EXPECT_EQ(QString::fromUtf8(file.readAll()), TriagonLogo::applicationIconSvg());
}

} // namespace
