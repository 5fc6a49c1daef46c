#include "markers/ui/ElidedLabel.h"

#include <QResizeEvent>

ElidedLabel::ElidedLabel(const QString &text, QWidget *parent, Qt::TextElideMode mode)
    : QLabel(parent), m_mode(mode)
{
    setTextFormat(Qt::PlainText);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    setFullText(text);
}

void ElidedLabel::setFullText(const QString &text)
{
    m_text = text;
    setAccessibleName(text);
    setToolTip(QString());
    elide();
    updateGeometry();
}

QSize ElidedLabel::minimumSizeHint() const
{
    return {0, QLabel::minimumSizeHint().height()};
}

QSize ElidedLabel::sizeHint() const
{
    return {fontMetrics().horizontalAdvance(m_text), QLabel::sizeHint().height()};
}

void ElidedLabel::resizeEvent(QResizeEvent *event)
{
    QLabel::resizeEvent(event);
    elide();
}

void ElidedLabel::elide()
{
    const QString shown = fontMetrics().elidedText(m_text, m_mode, std::max(0, width()));
    if (shown != text())
        setText(shown);
}
