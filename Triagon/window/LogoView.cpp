#include "window/LogoView.h"

#include "app/TriagonLogo.h"

#include <QPainter>
#include <QVariantAnimation>
#include <cmath>

LogoView::LogoView(double size, ColorSource color, QWidget *parent)
    : QWidget(parent), m_size(size), m_color(std::move(color)), m_animation(new QVariantAnimation(this))
{
    setAttribute(Qt::WA_TranslucentBackground);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    // Decoration only: the assistive name stays empty.
    setAccessibleName(QString());
    m_animation->setDuration(400);
    m_animation->setEasingCurve(QEasingCurve::OutBack);
    connect(m_animation, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) {
        m_scale = value.toDouble();
        update();
    });
}

QSize LogoView::sizeHint() const
{
    // Room for the largest scale, so that growing never clips or moves neighbours.
    const int side = static_cast<int>(std::ceil(TriagonLogo(m_size).sizeHint().width() * 1.2));
    return QSize(side, side);
}

void LogoView::setScale(double scale, bool animated)
{
    if (qFuzzyCompare(m_targetScale, scale))
        return;
    m_targetScale = scale;
    m_animation->stop();
    if (!animated) {
        m_scale = scale;
        update();
        return;
    }
    m_animation->setStartValue(m_scale);
    m_animation->setEndValue(scale);
    m_animation->start();
}

void LogoView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QPointF centre = QRectF(rect()).center();
    painter.translate(centre);
    painter.scale(m_scale, m_scale);
    const TriagonLogo logo(m_size);
    const QSizeF area = logo.sizeHint();
    logo.paint(painter, QPointF(-area.width() / 2, -area.height() / 2), m_color ? m_color() : palette().color(QPalette::WindowText));
}
