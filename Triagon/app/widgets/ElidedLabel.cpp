#include "app/widgets/ElidedLabel.h"

#include <QPainter>

ElidedLabel::ElidedLabel(Qt::TextElideMode mode, QWidget *parent) : ElidedLabel(QString(), mode, parent)
{
}

ElidedLabel::ElidedLabel(const QString &text, Qt::TextElideMode mode, QWidget *parent) : QLabel(parent), m_mode(mode)
{
    setTextFormat(Qt::PlainText);
    setWordWrap(false);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    setText(text);
}

void ElidedLabel::setText(const QString &text)
{
    QLabel::setText(text);
    setAccessibleName(text);
}

void ElidedLabel::setElideMode(Qt::TextElideMode mode)
{
    if (m_mode == mode)
        return;
    m_mode = mode;
    update();
}

QString ElidedLabel::shownText() const
{
    return fontMetrics().elidedText(text(), m_mode, qMax(0, contentsRect().width()));
}

QSize ElidedLabel::minimumSizeHint() const
{
    // Room for an ellipsis and a little of the text around it.
    return {fontMetrics().horizontalAdvance(QStringLiteral("…")) * 3, QLabel::minimumSizeHint().height()};
}

QSize ElidedLabel::sizeHint() const
{
    // Two pixels over the advance: a text exactly at its advance may still be
    // shortened by the rounding of its glyph positions.
    return {fontMetrics().horizontalAdvance(text()) + 2, QLabel::sizeHint().height()};
}

void ElidedLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setFont(font());
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, foregroundRole()));
    painter.drawText(contentsRect(), static_cast<int>(alignment()), shownText());
}
