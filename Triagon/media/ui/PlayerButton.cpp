#include "media/ui/PlayerButton.h"

#include <QPainter>

PlayerButton::PlayerButton(QWidget *parent) : QToolButton(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_Hover);
}

QSize PlayerButton::sizeHint() const
{
    const QSize icon = iconSize();
    if (text().isEmpty() || toolButtonStyle() == Qt::ToolButtonIconOnly)
        return QSize(icon.width() + 16, icon.height() + 8);
    return QSize(8 + icon.width() + 4 + fontMetrics().horizontalAdvance(text()) + 8, std::max(icon.height(), fontMetrics().height()) + 8);
}

void PlayerButton::enterEvent(QEnterEvent *event)
{
    QToolButton::enterEvent(event);
    m_hovered = true;
    update();
}

void PlayerButton::leaveEvent(QEvent *event)
{
    QToolButton::leaveEvent(event);
    m_hovered = false;
    update();
}

void PlayerButton::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF shape = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal radius = std::min(shape.width(), shape.height()) / 2;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(128, 128, 128, isDown() ? 90 : m_hovered ? 60 : 26));
    p.drawRoundedRect(shape, radius, radius);

    const QSize icon = iconSize();
    const bool withText = !text().isEmpty() && toolButtonStyle() != Qt::ToolButtonIconOnly;
    const qreal contentWidth = icon.width() + (withText ? 4 + fontMetrics().horizontalAdvance(text()) : 0);
    const qreal left = (width() - contentWidth) / 2;
    const QRect iconRect(static_cast<int>(left), (height() - icon.height()) / 2, icon.width(), icon.height());
    this->icon().paint(&p, iconRect, Qt::AlignCenter, isEnabled() ? QIcon::Normal : QIcon::Disabled);
    if (withText) {
        QColor text = palette().color(QPalette::WindowText);
        text.setAlphaF(0.6f);
        p.setPen(text);
        p.drawText(QRectF(iconRect.right() + 4, 0, width() - iconRect.right() - 4, height()), Qt::AlignLeft | Qt::AlignVCenter,
                   this->text());
    }
}
