#include "app/widgets/SymbolView.h"

#include <QPainter>
#include <QVariantAnimation>

#include <cmath>

SymbolView::SymbolView(SymbolDrawer drawer, qreal pixels, ColorSource color, QWidget *parent)
    : QWidget(parent), m_drawer(std::move(drawer)), m_pixels(pixels), m_color(std::move(color))
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
}

SymbolView::SymbolView(SymbolDrawer drawer, qreal pixels, const QColor &color, QWidget *parent)
    : SymbolView(std::move(drawer), pixels, ColorSource([color] { return color; }), parent)
{
}

void SymbolView::setDrawer(SymbolDrawer drawer)
{
    m_drawer = std::move(drawer);
    update();
}

QColor SymbolView::color() const
{
    return m_color ? m_color() : palette().color(QPalette::WindowText);
}

void SymbolView::setColor(const QColor &color)
{
    setColorSource([color] { return color; });
}

void SymbolView::setColorSource(ColorSource color)
{
    m_color = std::move(color);
    update();
}

void SymbolView::setFrameWidth(int width)
{
    m_frameWidth = width;
    updateGeometry();
}

QSize SymbolView::sizeHint() const
{
    const int side = static_cast<int>(std::ceil(m_pixels));
    return {qMax(side, m_frameWidth), side};
}

void SymbolView::setPulsing(bool pulsing)
{
    if (m_pulsing == pulsing)
        return;
    m_pulsing = pulsing;
    updateAnimation();
}

void SymbolView::updateAnimation()
{
    // The animation runs only while the symbol is shown.
    const bool run = m_pulsing && isVisible();
    if (run && !m_animation) {
        m_animation = new QVariantAnimation(this);
        m_animation->setStartValue(1.0);
        m_animation->setKeyValueAt(0.5, 0.3);
        m_animation->setEndValue(1.0);
        m_animation->setDuration(1200);
        m_animation->setEasingCurve(QEasingCurve::InOutSine);
        m_animation->setLoopCount(-1);
        connect(m_animation, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) {
            m_opacity = value.toReal();
            update();
        });
        m_animation->start();
    } else if (!run && m_animation) {
        m_animation->stop();
        m_animation->deleteLater();
        m_animation = nullptr;
        m_opacity = 1.0;
        update();
    }
}

void SymbolView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    updateAnimation();
}

void SymbolView::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    updateAnimation();
}

void SymbolView::paintEvent(QPaintEvent *)
{
    if (!m_drawer)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setOpacity(m_opacity);
    QRectF box(0, 0, m_pixels, m_pixels);
    box.moveCenter(QRectF(rect()).center());
    m_drawer(painter, box, color());
}
