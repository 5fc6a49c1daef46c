#include "markers/ui/SymbolView.h"

#include <QPainter>
#include <QVariantAnimation>

SymbolView::SymbolView(MarkerSymbols::Symbol symbol, int pixels, ColorSource color, QWidget *parent)
    : QWidget(parent), m_symbol(symbol), m_pixels(pixels), m_color(std::move(color))
{
    setFixedSize(pixels, pixels);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

SymbolView::SymbolView(MarkerSymbols::Symbol symbol, int pixels, const QColor &color, QWidget *parent)
    : SymbolView(symbol, pixels, ColorSource([color] { return color; }), parent)
{
}

void SymbolView::setSymbol(MarkerSymbols::Symbol symbol)
{
    if (m_symbol == symbol)
        return;
    m_symbol = symbol;
    update();
}

void SymbolView::setColor(const QColor &color)
{
    m_color = [color] { return color; };
    update();
}

void SymbolView::setPulsing(bool pulsing)
{
    if (pulsing == isPulsing())
        return;
    if (!pulsing) {
        delete m_pulse;
        m_pulse = nullptr;
        m_opacity = 1.0;
        update();
        return;
    }
    m_pulse = new QVariantAnimation(this);
    m_pulse->setStartValue(1.0);
    m_pulse->setKeyValueAt(0.5, 0.35);
    m_pulse->setEndValue(1.0);
    m_pulse->setDuration(1200);
    m_pulse->setLoopCount(-1);
    connect(m_pulse, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) {
        m_opacity = value.toReal();
        update();
    });
    m_pulse->start();
}

void SymbolView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QColor color = m_color ? m_color() : palette().color(QPalette::WindowText);
    color.setAlphaF(color.alphaF() * m_opacity);
    MarkerSymbols::draw(painter, QRectF(rect()), color, m_symbol);
}
