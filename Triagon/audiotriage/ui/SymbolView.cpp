#include "audiotriage/ui/SymbolView.h"

#include <QPainter>
#include <QVariantAnimation>

SymbolView::SymbolView(AudioTriageSymbols::Symbol symbol, int size, ColorProvider color, QWidget *parent)
    : QWidget(parent), m_symbol(symbol), m_size(size), m_frameWidth(size), m_color(std::move(color))
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void SymbolView::setColorProvider(ColorProvider color)
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
    return {qMax(m_size, m_frameWidth), m_size};
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
    QPainter painter(this);
    painter.setOpacity(m_opacity);
    QRectF box(0, 0, m_size, m_size);
    box.moveCenter(QRectF(rect()).center());
    AudioTriageSymbols::draw(painter, m_symbol, box, m_color ? m_color() : palette().color(QPalette::WindowText));
}
