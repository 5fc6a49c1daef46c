#include "audiotriage/ui/MiddleElidedLabel.h"

#include <QFontMetrics>

MiddleElidedLabel::MiddleElidedLabel(QWidget *parent)
    : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

void MiddleElidedLabel::setFullText(const QString &text)
{
    m_fullText = text;
    setAccessibleName(text);
    elide();
}

QSize MiddleElidedLabel::minimumSizeHint() const
{
    return {0, fontMetrics().height()};
}

QSize MiddleElidedLabel::sizeHint() const
{
    return {fontMetrics().horizontalAdvance(m_fullText), fontMetrics().height()};
}

void MiddleElidedLabel::resizeEvent(QResizeEvent *event)
{
    QLabel::resizeEvent(event);
    elide();
}

void MiddleElidedLabel::elide()
{
    setText(fontMetrics().elidedText(m_fullText, Qt::ElideMiddle, qMax(0, contentsRect().width())));
}
