#pragma once

#include <QList>
#include <QRect>
#include <QString>

#include <optional>

// Where a window stood and how large it was, as kept between runs, in screen
// coordinates: the position of its outer frame (as the window manager places
// it) and the size of its content, and whether it was maximized (the area is
// then the one it returns to).
struct WindowFrame
{
    QRect geometry;
    bool maximized = false;

    // "x y width height", four decimal integers; the size at least 1 by 1.
    QString geometryText() const;
    static std::optional<QRect> parseGeometry(const QString &text);

    // Whether the area lies wholly within one of the screens' available areas.
    bool fitsOneOf(const QList<QRect> &screens) const;

    friend bool operator==(const WindowFrame &, const WindowFrame &) = default;
};
