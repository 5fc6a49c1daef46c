#include "window/SummaryItem.h"

#include "app/widgets/WidgetStyle.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPainter>

namespace {
constexpr int kSpacing = 4;
constexpr int kFontPixels = 12;
} // namespace

SummaryItem::SummaryItem(QWidget *parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QFont SummaryItem::valueFont() const
{
    return WidgetStyle::sizedFont(this, kFontPixels, QFont::DemiBold);
}

QFont SummaryItem::labelFont() const
{
    return WidgetStyle::sizedFont(this, kFontPixels);
}

void SummaryItem::setTexts(const QString &value, const QString &label, const QString &note)
{
    if (value == m_value && label == m_label && note == m_note)
        return;
    m_value = value;
    m_label = label;
    m_note = note;
    setAccessibleName(text());
    updateGeometry();
    update();
}

QString SummaryItem::text() const
{
    QString result = m_value + QLatin1Char(' ') + m_label;
    if (!m_note.isEmpty())
        result += QLatin1Char(' ') + m_note;
    return result;
}

QSize SummaryItem::sizeHint() const
{
    const QFontMetrics value(valueFont());
    const QFontMetrics label(labelFont());
    int width = value.horizontalAdvance(m_value) + kSpacing + label.horizontalAdvance(m_label);
    if (!m_note.isEmpty())
        width += kSpacing + label.horizontalAdvance(m_note);
    return QSize(width + 1, qMax(value.height(), label.height()));
}

void SummaryItem::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange)
        updateGeometry();
    QWidget::changeEvent(event);
}

void SummaryItem::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    const QColor secondary = WidgetStyle::secondary(this);
    qreal x = 0;
    const auto draw = [&](const QString &text, const QFont &font, const QColor &color) {
        painter.setFont(font);
        painter.setPen(color);
        const QFontMetricsF metrics(font);
        painter.drawText(QRectF(x, 0, metrics.horizontalAdvance(text) + 1, height()), Qt::AlignLeft | Qt::AlignVCenter, text);
        x += metrics.horizontalAdvance(text) + kSpacing;
    };
    draw(m_value, valueFont(), palette().color(QPalette::WindowText));
    draw(m_label, labelFont(), secondary);
    if (!m_note.isEmpty()) {
        QColor faint = secondary;
        faint.setAlphaF(faint.alphaF() * 0.7);
        draw(m_note, labelFont(), faint);
    }
}
