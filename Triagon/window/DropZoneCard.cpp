#include "window/DropZoneCard.h"

#include "app/widgets/WidgetStyle.h"
#include "app/SymbolCatalog.h"

#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>
#include <QVariantAnimation>

namespace {
constexpr int kArrowSize = 28;
constexpr qreal kRadius = 14;

QColor shade(const QColor &ink, double opacity)
{
    QColor c = ink;
    c.setAlphaF(opacity);
    return c;
}
} // namespace

DropZoneCard::DropZoneCard(ColorSource accent, QWidget *parent)
    : QWidget(parent), m_accent(std::move(accent)), m_animation(new QVariantAnimation(this))
{
    setMaximumWidth(360);
    auto *layout = new QVBoxLayout(this);
    layout->setSpacing(8);
    layout->setContentsMargins(40, 20, 40, 20);
    // Room for the arrow, drawn by paintEvent so that it can scale.
    layout->addSpacing(static_cast<int>(kArrowSize * 1.2));
    m_label = new QLabel(QStringLiteral("Drop folders or video files here"), this);
    m_label->setObjectName(QStringLiteral("dropZoneText"));
    m_label->setAlignment(Qt::AlignCenter);
    m_label->setFont(WidgetStyle::sizedFont(m_label, 13));
    layout->addWidget(m_label);
    updateTextColor();

    m_animation->setDuration(300);
    m_animation->setEasingCurve(QEasingCurve::OutBack);
    connect(m_animation, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) {
        m_arrowScale = value.toDouble();
        update();
    });
}

QColor DropZoneCard::accent() const
{
    return m_accent ? m_accent() : palette().color(QPalette::Highlight);
}

QString DropZoneCard::text() const
{
    return m_label->text();
}

QSize DropZoneCard::sizeHint() const
{
    return QWidget::sizeHint().boundedTo(QSize(360, QWIDGETSIZE_MAX));
}

void DropZoneCard::setTargeted(bool targeted)
{
    if (m_targeted == targeted)
        return;
    m_targeted = targeted;
    updateTextColor();
    m_animation->stop();
    m_animation->setStartValue(m_arrowScale);
    m_animation->setEndValue(targeted ? 1.2 : 1.0);
    m_animation->start();
    update();
}

void DropZoneCard::setInk(const QColor &ink)
{
    m_ink = ink;
    updateTextColor();
    update();
}

QColor DropZoneCard::textColor() const
{
    return m_targeted ? accent() : shade(m_ink, 0.35);
}

void DropZoneCard::updateTextColor()
{
    const QColor color = textColor();
    const QString sheet = QStringLiteral("color: %1; background: transparent;").arg(color.name(QColor::HexArgb));
    // Setting a style sheet re-polishes the label and lays the card out again,
    // which paints it again: only a change of colour may do that.
    if (m_label->styleSheet() != sheet)
        m_label->setStyleSheet(sheet);
}

void DropZoneCard::paintEvent(QPaintEvent *)
{
    // The accent may have changed in the settings since the last paint.
    updateTextColor();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QColor accentColor = accent();

    const qreal lineWidth = m_targeted ? 2.0 : 1.5;
    const QRectF border = QRectF(rect()).adjusted(lineWidth / 2, lineWidth / 2, -lineWidth / 2, -lineWidth / 2);
    if (m_targeted) {
        QColor fill = accentColor;
        fill.setAlphaF(0.05);
        painter.setPen(Qt::NoPen);
        painter.setBrush(fill);
        painter.drawRoundedRect(border, kRadius, kRadius);
    }
    QPen pen(m_targeted ? accentColor : shade(m_ink, 0.08), lineWidth);
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    pen.setMiterLimit(10);
    // Qt's dash pattern is in units of the pen width: 8 on, 4 off in points.
    pen.setDashPattern({8.0 / lineWidth, 4.0 / lineWidth});
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(border, kRadius, kRadius);

    const qreal arrowTop = layout() ? layout()->contentsMargins().top() : 0;
    const qreal slot = kArrowSize * 1.2;
    const QPointF centre(width() / 2.0, arrowTop + slot / 2);
    const qreal side = kArrowSize * m_arrowScale;
    const QRectF arrowBox(centre.x() - side / 2, centre.y() - side / 2, side, side);
    SymbolCatalog::draw(painter, arrowBox, m_targeted ? u"arrow.down.circle.fill" : u"arrow.down.circle.dotted",
                        m_targeted ? accentColor : shade(m_ink, 0.2));
}
