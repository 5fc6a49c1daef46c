#pragma once

#include <QColor>
#include <QIcon>
#include <QPainter>
#include <QRectF>

// The full player's pictures: the desktop icon theme's picture where it has
// one, else a small drawing of our own in the palette's text colour.
namespace PlayerIcons {
QIcon folder();
QIcon close();
QIcon play();
QIcon pause();
QIcon stepBackward();
QIcon stepForward();
QIcon tag();
// The header's facts: duration, size, codec, frame rate and file size.
QIcon clock();
QIcon rectangle();
QIcon film();
QIcon speedometer();
QIcon document();
} // namespace PlayerIcons
