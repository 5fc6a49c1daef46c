#include "app/SystemColor.h"

QColor systemColor(SystemColor color)
{
    switch (color) {
    case SystemColor::blue:
        return QColor(0, 122, 255);
    case SystemColor::green:
        return QColor(52, 199, 89);
    case SystemColor::orange:
        return QColor(255, 149, 0);
    case SystemColor::purple:
        return QColor(175, 82, 222);
    case SystemColor::pink:
        return QColor(255, 45, 85);
    case SystemColor::red:
        return QColor(255, 59, 48);
    case SystemColor::teal:
        return QColor(48, 176, 199);
    case SystemColor::indigo:
        return QColor(88, 86, 214);
    case SystemColor::mint:
        return QColor(0, 199, 190);
    case SystemColor::cyan:
        return QColor(50, 173, 230);
    }
    return QColor(0, 122, 255);
}
