#include "app/AppearanceMode.h"
#include "app/SymbolCatalog.h"

#include <QIcon>
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include <cstdlib>

namespace {

constexpr int kMargin = 8;

QImage render(const QString &name, int size, const QColor &color)
{
    QImage image(size + 2 * kMargin, size + 2 * kMargin, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    SymbolCatalog::draw(painter, QRectF(kMargin, kMargin, size, size), name, color);
    return image;
}

bool near(const QColor &a, const QColor &b)
{
    return std::abs(a.red() - b.red()) <= 8 && std::abs(a.green() - b.green()) <= 8 && std::abs(a.blue() - b.blue()) <= 8;
}

// The card's own pictures are drawn with strokes of fixed pixels for the
// card's buttons and badges (16 pixels and up); the rest scale to any box.
int smallestSize(const QString &name)
{
    return name.endsWith(QLatin1String("/card")) ? 16 : 10;
}

} // namespace

TEST(SymbolCatalog, EveryNameDrawsInsideItsBoxInBothAppearances)
{
    const QStringList names = SymbolCatalog::names();
    ASSERT_GT(names.size(), 60);
    const QColor light = lightAppearancePalette().color(QPalette::WindowText);
    const QColor dark = darkAppearancePalette().color(QPalette::WindowText);
    ASSERT_NE(light.rgb(), dark.rgb());
    for (const QString &name : names) {
        for (const int size : {10, 16, 40}) {
            if (size < smallestSize(name))
                continue;
            for (const QColor &color : {light, dark}) {
                SCOPED_TRACE(name.toStdString() + " at " + std::to_string(size) + " in " + color.name().toStdString());
                const QImage image = render(name, size, color);
                const QRectF box(kMargin, kMargin, size, size);
                const QRectF allowed = box.adjusted(-1.5, -1.5, 1.5, 1.5);
                int inked = 0, outside = 0, opaque = 0, inColor = 0;
                for (int y = 0; y < image.height(); ++y) {
                    for (int x = 0; x < image.width(); ++x) {
                        const QColor pixel = image.pixelColor(x, y);
                        if (pixel.alpha() == 0)
                            continue;
                        ++inked;
                        if (!allowed.contains(QPointF(x + 0.5, y + 0.5)))
                            ++outside;
                        if (pixel.alpha() >= 128) {
                            ++opaque;
                            if (near(pixel, color))
                                ++inColor;
                        }
                    }
                }
                EXPECT_GE(inked, int(size * size * 0.03)) << "draws (almost) nothing";
                EXPECT_EQ(outside, 0) << "draws outside its box";
                // Marks painted into a filled shape (white in the what's-new
                // badges) take up to half of a small picture.
                EXPECT_GT(opaque, 0);
                EXPECT_GT(inColor * 4, opaque) << "does not draw in the colour it is given";
            }
        }
    }
}

TEST(SymbolCatalog, UnknownNamesDrawNothingAndVariantsFallBackToTheirName)
{
    EXPECT_FALSE(SymbolCatalog::contains(u"no.such"));
    const QImage image = render(QStringLiteral("no.such"), 16, Qt::black);
    QImage blank(image.size(), image.format());
    blank.fill(Qt::transparent);
    EXPECT_EQ(image, blank);

    EXPECT_EQ(SymbolCatalog::variant(QStringLiteral("sparkles"), u"settings"), QStringLiteral("sparkles/settings"));
    EXPECT_EQ(SymbolCatalog::variant(QStringLiteral("gear"), u"settings"), QStringLiteral("gear"));
    EXPECT_EQ(SymbolCatalog::variant(QStringLiteral("info.circle.fill"), u"whatsnew"), QStringLiteral("info.circle.fill"));
    // Every variant stands beside a drawing of its plain name elsewhere, or
    // is the only drawing of a name the views ask for by its variant.
    for (const QString &name : SymbolCatalog::names())
        EXPECT_LE(name.count(QLatin1Char('/')), 1) << name.toStdString();
}

TEST(SymbolCatalog, TheNamesTheViewsUseAreKnown)
{
    const char *used[] = {
        "plus.rectangle.on.folder",
        "externaldrive.badge.exclamationmark",
        "sidebar.left",
        "questionmark.circle",
        "arrow.down.circle.fill",
        "arrow.down.circle.dotted",
        "eye",
        "eye.slash",
        "speaker.wave.2.fill",
        "speaker.slash.fill",
        "square.grid.4x3.fill",
        "square",
        "waveform",
        "hand.raised.fill",
        "hand.raised.slash",
        "arrow.uturn.down",
        "tag.fill",
        "star.fill",
        "checkmark.circle.fill",
        "checkmark.circle",
        "arrow.uturn.backward",
        "arrow.uturn.forward",
        "arrow.counterclockwise",
        "xmark.circle.fill",
        "exclamationmark.triangle",
        "arrow.up.left.and.arrow.down.right",
        "xmark.circle.fill/card",
        "tag",
        "arrow.uturn.down/card",
        "hand.raised.fill/card",
        "externaldrive.badge.exclamationmark/card",
        "folder",
        "xmark",
        "play.fill",
        "pause.fill",
        "backward.frame.fill",
        "forward.frame.fill",
        "tag/player",
        "clock",
        "rectangle",
        "film",
        "speedometer",
        "doc",
        "gear",
        "hand.draw",
        "paintbrush",
        "plus.circle.fill",
        "minus.circle.fill",
        "checkmark",
        "xmark/settings",
        "tag/settings",
        "waveform/settings",
        "hand.raised.fill/marker",
        "hand.raised.slash/marker",
        "xmark.circle.fill/marker",
        "xmark/marker",
        "magnifyingglass",
        "tag/marker",
        "tag.fill/marker",
        "sparkles",
        "number",
        "arrow.uturn.backward/marker",
        "arrow.right/marker",
        "exclamationmark.triangle/marker",
        "play.fill/marker",
        "chevron.right/marker",
        "chevron.down",
        "folder.fill",
        "folder.badge.plus",
        "film/organize",
        "doc.text",
        "info.circle",
        "arrow.right",
        "checkmark.circle.fill/organize",
        "xmark.circle.fill/organize",
        "xmark.octagon.fill",
        "exclamationmark.triangle.fill",
        "waveform/audio",
        "xmark.circle.fill/audio",
        "speaker.wave.3",
        "speaker.wave.3.fill",
        "speaker.fill",
        "tag/audio",
        "tag.fill/audio",
        "slider.horizontal.3",
        "arrow.uturn.backward/audio",
        "exclamationmark.triangle/audio",
        "checkmark.circle.fill/audio",
        "minus.circle",
        "circle.fill",
    };
    for (const char *name : used)
        EXPECT_TRUE(SymbolCatalog::contains(QString::fromLatin1(name))) << name;
}

TEST(SymbolCatalog, IconsAndPixmapsStandInWhenTheThemeLacksThePicture)
{
    const QIcon icon = SymbolCatalog::icon(QStringLiteral("tag"), QStringLiteral("no-such-theme-icon"));
    ASSERT_FALSE(icon.isNull());
    const QImage drawn = icon.pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
    int inked = 0;
    for (int y = 0; y < drawn.height(); ++y)
        for (int x = 0; x < drawn.width(); ++x)
            inked += qAlpha(drawn.pixel(x, y)) > 0;
    EXPECT_GT(inked, 10);

    const QPixmap pixmap = SymbolCatalog::pixmap(QStringLiteral("folder.fill"), 14, Qt::red, 2.0, QStringLiteral("no-such-theme-icon"));
    EXPECT_EQ(pixmap.size(), QSize(28, 28));
    EXPECT_EQ(pixmap.toImage().pixelColor(14, 16).rgb(), QColor(Qt::red).rgb());

    const QIcon colored = SymbolCatalog::coloredIcon(QStringLiteral("play.fill/marker"), Qt::white, 16);
    EXPECT_EQ(colored.availableSizes().size(), 2);
    EXPECT_EQ(colored.pixmap(16, 16).toImage().pixelColor(8, 8).rgb(), QColor(Qt::white).rgb());

    // Without the theme's picture the tinted drawer draws the drawing.
    QImage viaTheme(24, 24, QImage::Format_ARGB32_Premultiplied), direct(24, 24, QImage::Format_ARGB32_Premultiplied);
    viaTheme.fill(Qt::transparent);
    direct.fill(Qt::transparent);
    {
        QPainter a(&viaTheme), b(&direct);
        SymbolCatalog::tintedThemeDrawer(QStringLiteral("speaker.fill"), QStringLiteral("no-such-theme-icon"))(a, QRectF(0, 0, 24, 24),
                                                                                                               Qt::blue);
        SymbolCatalog::draw(b, QRectF(0, 0, 24, 24), u"speaker.fill", Qt::blue);
    }
    EXPECT_EQ(viaTheme, direct);
}
