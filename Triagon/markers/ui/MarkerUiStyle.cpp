#include "markers/ui/MarkerUiStyle.h"

#include <QFrame>
#include <QLabel>
#include <QPalette>
#include <QWidget>

#include <cmath>
#include <limits>

namespace MarkerUiStyle {

QFrame *divider(QWidget *parent, qreal opacity)
{
    auto *line = new QFrame(parent);
    line->setFrameShape(QFrame::NoFrame);
    line->setFixedHeight(1);
    line->setAutoFillBackground(true);
    QPalette palette = line->palette();
    QColor color = palette.color(QPalette::Mid);
    color.setAlphaF(color.alphaF() * opacity);
    palette.setColor(QPalette::Window, color);
    line->setPalette(palette);
    return line;
}

QLabel *label(const QString &text, const QFont &font, const QColor &color, QWidget *parent)
{
    auto *result = new QLabel(text, parent);
    result->setFont(font);
    setTextColor(result, color);
    return result;
}

QLabel *secondaryLabel(const QString &text, const QFont &font, QWidget *parent)
{
    auto *result = new QLabel(text, parent);
    result->setFont(font);
    WidgetStyle::setSecondaryText(result);
    return result;
}

int wholePercent(double fraction)
{
    if (!std::isfinite(fraction))
        return 0;
    // 0.29 * 100 is 28.999…; the small nudge keeps it at 29 without ever
    // rounding a real 28.9 up.
    const double percent = std::trunc(fraction * 100.0 + (fraction >= 0 ? 1e-9 : -1e-9));
    constexpr double limit = std::numeric_limits<int>::max();
    if (percent >= limit)
        return std::numeric_limits<int>::max();
    if (percent <= -limit)
        return -std::numeric_limits<int>::max();
    return static_cast<int>(percent);
}

QString percentText(double fraction)
{
    return QString::number(wholePercent(fraction)) + QLatin1Char('%');
}

} // namespace MarkerUiStyle
