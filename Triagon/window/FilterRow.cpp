#include "window/FilterRow.h"

#include "app/widgets/WidgetStyle.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

namespace {
constexpr int kPadH = 8;
constexpr int kPadV = 4;
constexpr int kDot = 6;
constexpr int kSpacing = 6;
} // namespace

FilterRow::FilterRow(const QString &title, std::optional<QColor> dot, ColorSource accent, QWidget *parent)
    : QAbstractButton(parent), m_dot(std::move(dot)), m_accent(std::move(accent))
{
    setText(title);
    setCheckable(true);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setAttribute(Qt::WA_Hover);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(this, &QAbstractButton::clicked, this, &FilterRow::activated);
    // Assistive technology toggles a checkable button instead of clicking
    // it: the state goes back until the store answers, and the toggle
    // counts as a click.
    connect(this, &QAbstractButton::toggled, this, [this](bool on) {
        if (m_settingActive)
            return;
        m_settingActive = true;
        setChecked(!on);
        m_settingActive = false;
        Q_EMIT activated();
    });
}

void FilterRow::setActive(bool active)
{
    if (active == isChecked())
        return;
    m_settingActive = true;
    setChecked(active);
    m_settingActive = false;
    update();
}

QFont FilterRow::titleFont() const
{
    return WidgetStyle::sizedFont(this, 12, isChecked() ? QFont::DemiBold : QFont::Normal);
}

QSize FilterRow::sizeHint() const
{
    const QFontMetrics metrics(WidgetStyle::sizedFont(this, 12, QFont::DemiBold));
    const int dot = m_dot ? kDot + kSpacing : 0;
    return QSize(kPadH + dot + metrics.horizontalAdvance(text()) + kPadH, kPadV + metrics.height() + kPadV);
}

QSize FilterRow::minimumSizeHint() const
{
    return QSize(40, sizeHint().height());
}

void FilterRow::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()), 6, 6);
    if (isChecked()) {
        QColor wash = m_accent ? m_accent() : palette().color(QPalette::Highlight);
        wash.setAlphaF(0.12);
        painter.fillPath(shape, wash);
    } else if (underMouse()) {
        QColor wash = palette().color(QPalette::WindowText);
        wash.setAlphaF(0.05);
        painter.fillPath(shape, wash);
    }
    if (hasFocus()) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), 1));
        painter.drawPath(shape);
    }
    qreal x = kPadH;
    if (m_dot) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(*m_dot);
        painter.drawEllipse(QRectF(x, height() / 2.0 - kDot / 2.0, kDot, kDot));
        x += kDot + kSpacing;
    }
    const QFont font = titleFont();
    painter.setFont(font);
    painter.setPen(isChecked() ? palette().color(QPalette::WindowText) : WidgetStyle::secondary(this));
    const QRectF textBox(x, 0, width() - x - kPadH, height());
    painter.drawText(textBox, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     QFontMetrics(font).elidedText(text(), Qt::ElideRight, int(textBox.width())));
}
