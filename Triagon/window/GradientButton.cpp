#include "window/GradientButton.h"

#include "app/widgets/WidgetStyle.h"

#include <QEnterEvent>
#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

GradientButton::GradientButton(const QString &text, Drawer icon, const Style &style, ColorSource accent, QWidget *parent)
    : QAbstractButton(parent), m_icon(std::move(icon)), m_style(style), m_accent(std::move(accent))
{
    setText(text);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAttribute(Qt::WA_Hover);
}

QColor GradientButton::accent() const
{
    return m_accent ? m_accent() : palette().color(QPalette::Highlight);
}

QFont GradientButton::labelFont() const
{
    return WidgetStyle::sizedFont(this, m_style.fontPixels, QFont::DemiBold);
}

QSize GradientButton::sizeHint() const
{
    const QFontMetrics metrics(labelFont());
    const int width = m_style.paddingH + m_style.iconSize + m_style.spacing + metrics.horizontalAdvance(text()) + m_style.paddingH;
    const int height = m_style.paddingV + qMax(m_style.iconSize, metrics.height()) + m_style.paddingV;
    return QSize(width + 2 * shadowRoom(), height + 2 * shadowRoom());
}

bool GradientButton::hitButton(const QPoint &pos) const
{
    const int room = shadowRoom();
    return rect().adjusted(room, room, -room, -room).contains(pos);
}

void GradientButton::enterEvent(QEnterEvent *event)
{
    m_hovered = true;
    update();
    QAbstractButton::enterEvent(event);
}

void GradientButton::leaveEvent(QEvent *event)
{
    m_hovered = false;
    update();
    QAbstractButton::leaveEvent(event);
}

void GradientButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QColor accentColor = accent();
    const int room = shadowRoom();
    const QRectF face = QRectF(rect()).adjusted(room, room, -room, -room);
    const qreal radius = m_style.radius;

    if (m_style.shadow) {
        for (int i = 8; i >= 1; --i) {
            QColor shade = accentColor;
            shade.setAlphaF(0.3 * 0.16 * (9 - i) / 8.0);
            painter.setPen(Qt::NoPen);
            painter.setBrush(shade);
            painter.drawRoundedRect(face.translated(0, 4).adjusted(-i * 0.6, -i * 0.6, i * 0.6, i * 0.6), radius + i * 0.6,
                                    radius + i * 0.6);
        }
    }

    QColor trailing = accentColor;
    trailing.setAlphaF(0.85);
    QLinearGradient gradient(face.topLeft(), face.topRight());
    gradient.setColorAt(0, accentColor);
    gradient.setColorAt(1, trailing);
    QPainterPath shape;
    shape.addRoundedRect(face, radius, radius);
    painter.fillPath(shape, gradient);
    if (isDown())
        painter.fillPath(shape, QColor(0, 0, 0, 40));
    else if (m_hovered)
        painter.fillPath(shape, QColor(255, 255, 255, 22));
    if (hasFocus()) {
        painter.setPen(QPen(QColor(255, 255, 255, 150), 1.5));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(face.adjusted(2, 2, -2, -2), radius - 2, radius - 2);
    }

    const QFont font = labelFont();
    const QFontMetrics metrics(font);
    const qreal contentWidth = m_style.iconSize + m_style.spacing + metrics.horizontalAdvance(text());
    const qreal left = face.center().x() - contentWidth / 2;
    const QRectF iconBox(left, face.center().y() - m_style.iconSize / 2.0, m_style.iconSize, m_style.iconSize);
    if (m_icon)
        m_icon(painter, iconBox, Qt::white);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRectF(left + m_style.iconSize + m_style.spacing, face.top(), contentWidth, face.height()),
                     Qt::AlignLeft | Qt::AlignVCenter, text());
}
