#pragma once

#include "app/SymbolPainting.h"

#include <QIconEngine>

// An icon drawn by code at whatever size it is asked for, in the palette's
// text colour (dimmed when disabled). Used where the desktop's icon theme has
// no picture of the name we ask for.
class DrawnIconEngine : public QIconEngine
{
public:
    using Drawer = SymbolDrawer;

    explicit DrawnIconEngine(Drawer drawer) : m_drawer(std::move(drawer)) {}

    // The desktop theme's picture of `themeName` when the theme has one,
    // else the drawing (an empty name asks for the drawing).
    static QIcon themedOr(const QString &themeName, Drawer drawer);

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override;
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override;
    QIconEngine *clone() const override { return new DrawnIconEngine(m_drawer); }

private:
    Drawer m_drawer;
};
