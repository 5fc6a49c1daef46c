#include "window/ChooseFootageButton.h"

#include "window/Icons.h"

#include <QEnterEvent>
#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace {
constexpr int kIconSize = 18;
constexpr int kSpacing = 10;
constexpr int kPadH = 32;
constexpr int kPadV = 14;
constexpr qreal kRadius = 12;
} // namespace

ChooseFootageButton::ChooseFootageButton(ColorSource accent, QWidget *parent)
    : QAbstractButton(parent), m_accent(std::move(accent))
{
    setText(QStringLiteral("Choose Footage"));
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAttribute(Qt::WA_Hover);
}

QFont ChooseFootageButton::labelFont() const
{
    QFont f = font();
    f.setPixelSize(16);
    f.setWeight(QFont::DemiBold);
    return f;
}

QSize ChooseFootageButton::sizeHint() const
{
    const QFontMetrics metrics(labelFont());
    const int width = kPadH + kIconSize + kSpacing + metrics.horizontalAdvance(text()) + kPadH;
    const int height = kPadV + qMax(kIconSize, metrics.height()) + kPadV;
    return QSize(width + 2 * shadowRoom, height + 2 * shadowRoom);
}

bool ChooseFootageButton::hitButton(const QPoint &pos) const
{
    return rect().adjusted(shadowRoom, shadowRoom, -shadowRoom, -shadowRoom).contains(pos);
}

void ChooseFootageButton::enterEvent(QEnterEvent *event)
{
    m_hovered = true;
    update();
    QAbstractButton::enterEvent(event);
}

void ChooseFootageButton::leaveEvent(QEvent *event)
{
    m_hovered = false;
    update();
    QAbstractButton::leaveEvent(event);
}

void ChooseFootageButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QColor accent = m_accent ? m_accent() : palette().color(QPalette::Highlight);
    const QRectF face = QRectF(rect()).adjusted(shadowRoom, shadowRoom, -shadowRoom, -shadowRoom);

    // Shadow: the accent at 30 %, blurred over about 8 points, 4 points down.
    for (int i = 8; i >= 1; --i) {
        QColor shade = accent;
        shade.setAlphaF(0.3 * 0.16 * (9 - i) / 8.0);
        painter.setPen(Qt::NoPen);
        painter.setBrush(shade);
        painter.drawRoundedRect(face.translated(0, 4).adjusted(-i * 0.6, -i * 0.6, i * 0.6, i * 0.6), kRadius + i * 0.6,
                                kRadius + i * 0.6);
    }

    QColor trailing = accent;
    trailing.setAlphaF(0.85);
    QLinearGradient gradient(face.topLeft(), face.topRight());
    gradient.setColorAt(0, accent);
    gradient.setColorAt(1, trailing);
    QPainterPath shape;
    shape.addRoundedRect(face, kRadius, kRadius);
    painter.fillPath(shape, gradient);
    if (isDown())
        painter.fillPath(shape, QColor(0, 0, 0, 40));
    else if (m_hovered)
        painter.fillPath(shape, QColor(255, 255, 255, 22));
    if (hasFocus()) {
        painter.setPen(QPen(QColor(255, 255, 255, 150), 1.5));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(face.adjusted(2, 2, -2, -2), kRadius - 2, kRadius - 2);
    }

    const QFont font = labelFont();
    const QFontMetrics metrics(font);
    const qreal contentWidth = kIconSize + kSpacing + metrics.horizontalAdvance(text());
    const qreal left = face.center().x() - contentWidth / 2;
    const QRectF iconBox(left, face.center().y() - kIconSize / 2.0, kIconSize, kIconSize);
    Icons::drawFolderAdd(painter, iconBox, Qt::white);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRectF(left + kIconSize + kSpacing, face.top(), contentWidth, face.height()),
                     Qt::AlignLeft | Qt::AlignVCenter, text());
}
