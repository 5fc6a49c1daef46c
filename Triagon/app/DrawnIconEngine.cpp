#include "app/DrawnIconEngine.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPalette>
#include <QPixmap>

QIcon DrawnIconEngine::themedOr(const QString &themeName, Drawer drawer)
{
    if (!themeName.isEmpty() && QIcon::hasThemeIcon(themeName))
        return QIcon::fromTheme(themeName);
    return QIcon(new DrawnIconEngine(std::move(drawer)));
}

void DrawnIconEngine::paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State)
{
    const QPalette palette = QGuiApplication::palette();
    QColor color = palette.color(mode == QIcon::Disabled ? QPalette::Disabled : QPalette::Active, QPalette::WindowText);
    if (mode == QIcon::Selected)
        color = palette.color(QPalette::HighlightedText);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, true);
    m_drawer(*painter, QRectF(rect), color);
    painter->restore();
}

QPixmap DrawnIconEngine::pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state)
{
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    paint(&painter, QRect(QPoint(0, 0), size), mode, state);
    return pixmap;
}
