#include "app/WindowFrame.h"

#include <QRegularExpression>
#include <QStringList>

#include <limits>

QString WindowFrame::geometryText() const
{
    return QStringLiteral("%1 %2 %3 %4").arg(geometry.x()).arg(geometry.y()).arg(geometry.width()).arg(geometry.height());
}

std::optional<QRect> WindowFrame::parseGeometry(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("^([+-]?[0-9]{1,6}) ([+-]?[0-9]{1,6}) ([0-9]{1,6}) ([0-9]{1,6})$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const QRect rect(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt(), match.captured(4).toInt());
    if (rect.width() < 1 || rect.height() < 1)
        return std::nullopt;
    return rect;
}

bool WindowFrame::fitsOneOf(const QList<QRect> &screens) const
{
    for (const QRect &screen : screens) {
        if (screen.contains(geometry))
            return true;
    }
    return false;
}
