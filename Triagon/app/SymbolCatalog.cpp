#include "app/SymbolCatalog.h"

#include "app/DrawnIconEngine.h"
#include "app/SymbolDrawings.h"

#include <QHash>
#include <QImage>
#include <QPaintDevice>
#include <QPainter>

namespace {

const QHash<QString, SymbolDrawer> &table()
{
    static const QHash<QString, SymbolDrawer> drawings = [] {
        QHash<QString, SymbolDrawer> all;
        for (const auto &family :
             {SymbolDrawings::window(), SymbolDrawings::card(), SymbolDrawings::player(), SymbolDrawings::settings(),
              SymbolDrawings::markers(), SymbolDrawings::organize(), SymbolDrawings::audio(), SymbolDrawings::whatsNew()}) {
            for (const auto &[name, drawing] : family) {
                Q_ASSERT_X(!all.contains(QLatin1String(name)), "SymbolCatalog", name);
                all.insert(QLatin1String(name), drawing);
            }
        }
        return all;
    }();
    return drawings;
}

// The theme's picture of a name, looked up once per name.
const QIcon &themed(const QString &themeName)
{
    static QHash<QString, QIcon> cache;
    const auto it = cache.constFind(themeName);
    if (it != cache.constEnd())
        return *it;
    return *cache.insert(themeName, themeName.isEmpty() ? QIcon() : QIcon::fromTheme(themeName));
}

} // namespace

namespace SymbolCatalog {

void draw(QPainter &painter, const QRectF &box, QStringView name, const QColor &color)
{
    const auto it = table().constFind(name.toString());
    if (it == table().constEnd())
        return;
    painter.save();
    (*it)(painter, box, color);
    painter.restore();
}

bool contains(QStringView name)
{
    return table().contains(name.toString());
}

QStringList names()
{
    QStringList all = table().keys();
    all.sort();
    return all;
}

QString variant(const QString &name, QStringView variant)
{
    const QString key = name + QLatin1Char('/') + variant.toString();
    return contains(key) ? key : name;
}

SymbolDrawer drawer(const QString &name)
{
    return [name](QPainter &painter, const QRectF &box, const QColor &color) { draw(painter, box, name, color); };
}

QIcon icon(const QString &name, const QString &themeName)
{
    return DrawnIconEngine::themedOr(themeName, drawer(name));
}

QIcon coloredIcon(const QString &name, const QColor &color, int pixels)
{
    QIcon result;
    for (const qreal scale : {1.0, 2.0})
        result.addPixmap(SymbolPainting::pixmap(drawer(name), pixels, color, scale));
    return result;
}

QPixmap pixmap(const QString &name, int pixels, const QColor &color, qreal devicePixelRatio, const QString &themeName)
{
    if (!themeName.isEmpty()) {
        const QIcon icon = QIcon::fromTheme(themeName);
        if (!icon.isNull())
            return icon.pixmap(QSize(pixels, pixels), qMax<qreal>(1.0, devicePixelRatio));
    }
    return SymbolPainting::pixmap(drawer(name), pixels, color, devicePixelRatio);
}

SymbolDrawer tintedThemeDrawer(const QString &name, const QString &themeName)
{
    return [name, themeName](QPainter &painter, const QRectF &box, const QColor &color) {
        const QIcon &icon = themed(themeName);
        if (icon.isNull()) {
            draw(painter, box, name, color);
            return;
        }
        if (box.isEmpty())
            return;
        // A symbolic picture is one colour: painting the colour through its
        // shape gives the tint.
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing, true);
        const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
        const QRectF square = SymbolPainting::squareIn(box, 0.06);
        QImage image = icon.pixmap(square.size().toSize(), ratio).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
        QPainter tint(&image);
        tint.setCompositionMode(QPainter::CompositionMode_SourceIn);
        tint.fillRect(image.rect(), color);
        tint.end();
        painter.drawImage(square, image);
        painter.restore();
    };
}

} // namespace SymbolCatalog
