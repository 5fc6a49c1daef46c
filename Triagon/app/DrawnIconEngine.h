#pragma once

#include <QIconEngine>

#include <functional>

// An icon drawn by code at whatever size it is asked for, in the palette's
// text colour (dimmed when disabled). Used where the desktop's icon theme has
// no picture of the name we ask for.
class DrawnIconEngine : public QIconEngine
{
public:
    using Drawer = std::function<void(QPainter &painter, const QRectF &box, const QColor &color)>;

    explicit DrawnIconEngine(Drawer drawer) : m_drawer(std::move(drawer)) {}

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override;
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override;
    QIconEngine *clone() const override { return new DrawnIconEngine(m_drawer); }

private:
    Drawer m_drawer;
};
