#include "markers/ui/MarkerUiStyle.h"

#include <QFrame>
#include <QLabel>
#include <QPalette>
#include <QWidget>

#include <cmath>
#include <limits>

namespace MarkerUiStyle {

QFont sizedFont(const QWidget *widget, qreal pixels, QFont::Weight weight, bool monospaced)
{
    QFont result = widget ? widget->font() : QFont();
    if (monospaced) {
        result.setFamily(QStringLiteral("monospace"));
        result.setStyleHint(QFont::Monospace);
    }
    result.setPixelSize(qMax(1, qRound(pixels)));
    result.setWeight(weight);
    return result;
}

QColor secondary(const QWidget *widget, qreal opacity)
{
    QColor color = widget ? widget->palette().color(QPalette::PlaceholderText) : QColor(Qt::gray);
    color.setAlphaF(color.alphaF() * opacity);
    return color;
}

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

void setTextColor(QWidget *widget, const QColor &color)
{
    if (!color.isValid())
        return;
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::Text, color);
    palette.setColor(QPalette::ButtonText, color);
    widget->setPalette(palette);
}

QLabel *label(const QString &text, const QFont &font, const QColor &color, QWidget *parent)
{
    auto *result = new QLabel(text, parent);
    result->setFont(font);
    setTextColor(result, color);
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
