#include "app/widgets/WidgetStyle.h"

#include <QFrame>
#include <QLabel>
#include <QWidget>

namespace WidgetStyle {

QFont sizedFont(const QFont &base, qreal pixels, QFont::Weight weight, bool monospaced)
{
    QFont font = base;
    if (monospaced) {
        font.setFamily(QStringLiteral("monospace"));
        font.setStyleHint(QFont::Monospace);
    }
    font.setPixelSize(qMax(1, qRound(pixels)));
    font.setWeight(weight);
    return font;
}

QFont sizedFont(const QWidget *widget, qreal pixels, QFont::Weight weight, bool monospaced)
{
    return sizedFont(widget ? widget->font() : QFont(), pixels, weight, monospaced);
}

QColor secondary(const QPalette &palette, qreal opacity)
{
    QColor color = palette.color(QPalette::PlaceholderText);
    color.setAlphaF(color.alphaF() * opacity);
    return color;
}

QColor secondary(const QWidget *widget, qreal opacity)
{
    return secondary(widget ? widget->palette() : QPalette(), opacity);
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

QLabel *label(const QString &text, qreal pixels, QWidget *parent, QFont::Weight weight)
{
    auto *result = new QLabel(text, parent);
    result->setTextFormat(Qt::PlainText);
    result->setFont(sizedFont(static_cast<const QWidget *>(result), pixels, weight));
    return result;
}

QLabel *secondaryLabel(const QString &text, qreal pixels, QWidget *parent, QFont::Weight weight)
{
    QLabel *result = label(text, pixels, parent, weight);
    result->setForegroundRole(QPalette::PlaceholderText);
    return result;
}

QFrame *hairline(QWidget *parent, Qt::Orientation orientation)
{
    auto *line = new QFrame(parent);
    line->setFrameShape(orientation == Qt::Vertical ? QFrame::VLine : QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    line->setForegroundRole(QPalette::Mid);
    return line;
}

} // namespace WidgetStyle
