#include "grid/BackToTopButton.h"

#include "app/SymbolPainting.h"
#include "app/ThemeColor.h"
#include "app/widgets/WidgetStyle.h"

#include <QPainter>

namespace {
QFont labelFont(const QFont &base)
{
    return WidgetStyle::sizedFont(base, 11, QFont::DemiBold);
}
} // namespace

BackToTopButton::BackToTopButton(QWidget *parent) : QAbstractButton(parent), m_accent(brandAccentColor())
{
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    setToolTip(QStringLiteral("Back to top"));
    setAccessibleName(QStringLiteral("Back to top"));
    setText(QStringLiteral("Top"));
    setAttribute(Qt::WA_Hover, true);
}

void BackToTopButton::setAccent(const QColor &accent)
{
    m_accent = accent;
    update();
}

QSize BackToTopButton::sizeHint() const
{
    const QFontMetrics fm(labelFont(font()));
    // Arrow (about 10 points), 5 points, the label; 12 and 8 points of padding.
    return QSize(10 + 5 + fm.horizontalAdvance(text()) + 24, std::max(fm.height(), 14) + 16);
}

void BackToTopButton::enterEvent(QEnterEvent *event)
{
    QAbstractButton::enterEvent(event);
    m_isHovered = true;
    update();
}

void BackToTopButton::leaveEvent(QEvent *event)
{
    QAbstractButton::leaveEvent(event);
    m_isHovered = false;
    update();
}

void BackToTopButton::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect()).adjusted(1, 1, -1, -3);
    const qreal radius = r.height() / 2;
    // Shadow below, then the capsule.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 30));
    p.drawRoundedRect(r.translated(0, 2), radius, radius);
    p.setBrush(m_isHovered ? m_accent : palette().color(QPalette::Base));
    p.drawRoundedRect(r, radius, radius);

    QColor fg = m_isHovered ? QColor(Qt::white) : palette().color(QPalette::Text);
    if (!m_isHovered)
        fg.setAlphaF(0.55f);
    const qreal cx = r.left() + 12 + 5;
    const qreal cy = r.center().y();
    p.setPen(SymbolPainting::roundPen(fg, 1.8));
    p.drawLine(QPointF(cx, cy + 5), QPointF(cx, cy - 5));
    p.drawLine(QPointF(cx, cy - 5), QPointF(cx - 4, cy - 1));
    p.drawLine(QPointF(cx, cy - 5), QPointF(cx + 4, cy - 1));
    p.setFont(labelFont(font()));
    p.setPen(fg);
    p.drawText(QRectF(cx + 5 + 5, r.top(), r.right() - cx - 10, r.height()), Qt::AlignLeft | Qt::AlignVCenter, text());
}
