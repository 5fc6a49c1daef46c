#include "settings/ui/TourStepIndicator.h"

#include <QPainter>
#include <QVariantAnimation>

namespace {

QColor mix(const QColor &a, const QColor &b, double t)
{
    return QColor::fromRgbF(a.redF() + (b.redF() - a.redF()) * t, a.greenF() + (b.greenF() - a.greenF()) * t,
                            a.blueF() + (b.blueF() - a.blueF()) * t, a.alphaF() + (b.alphaF() - a.alphaF()) * t);
}

} // namespace

TourStepIndicator::TourStepIndicator(const QColor &accent, QWidget *parent)
    : QWidget(parent), m_accent(accent), m_animation(new QVariantAnimation(this))
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    m_animation->setDuration(200);
    m_animation->setEasingCurve(QEasingCurve::InOutQuad);
    m_animation->setStartValue(0.0);
    m_animation->setEndValue(1.0);
    connect(m_animation, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) {
        m_progress = value.toDouble();
        update();
    });
}

void TourStepIndicator::setSteps(int count, int current, bool animated)
{
    const bool countChanged = count != m_count;
    m_previous = countChanged ? current : m_current;
    m_count = count;
    m_current = current;
    m_animation->stop();
    if (animated && !countChanged && m_previous != m_current) {
        m_progress = 0.0;
        m_animation->start();
    } else {
        m_progress = 1.0;
    }
    if (countChanged)
        updateGeometry();
    update();
}

QList<int> TourStepIndicator::capsuleWidths() const
{
    QList<int> widths;
    for (int i = 0; i < m_count; ++i)
        widths.append(i == m_current ? currentWidth : otherWidth);
    return widths;
}

QSize TourStepIndicator::sizeHint() const
{
    if (m_count <= 0)
        return QSize(0, capsuleHeight);
    return QSize(currentWidth + (m_count - 1) * (otherWidth + spacing), capsuleHeight);
}

void TourStepIndicator::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(Qt::NoPen);
    QColor faint = palette().color(QPalette::PlaceholderText);
    faint.setAlphaF(0.25);
    const double y = (height() - capsuleHeight) / 2.0;
    double x = 0;
    for (int i = 0; i < m_count; ++i) {
        // How "current" this capsule is, sliding from the previous step.
        double weight = 0.0;
        if (i == m_current)
            weight = m_progress;
        if (i == m_previous && m_previous != m_current)
            weight = 1.0 - m_progress;
        if (i == m_current && m_previous == m_current)
            weight = 1.0;
        const double w = otherWidth + (currentWidth - otherWidth) * weight;
        painter.setBrush(mix(faint, m_accent, weight));
        painter.drawRoundedRect(QRectF(x, y, w, capsuleHeight), capsuleHeight / 2.0, capsuleHeight / 2.0);
        x += w + spacing;
    }
}
