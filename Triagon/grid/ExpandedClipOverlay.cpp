#include "grid/ExpandedClipOverlay.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

ExpandedClipOverlay::ExpandedClipOverlay(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("expandedClipOverlay"));
    setFocusPolicy(Qt::NoFocus);
}

void ExpandedClipOverlay::setPanel(QWidget *panel)
{
    if (m_panel == panel)
        return;
    if (m_panel) {
        m_panel->hide();
        m_panel->deleteLater();
    }
    m_panel = panel;
    if (m_panel) {
        m_panel->setParent(this);
        placePanel();
        m_panel->show();
    }
}

QRect ExpandedClipOverlay::panelGeometry() const
{
    if (!m_panel)
        return QRect();
    const int maxWidth = std::max(0, std::min(maxPanelWidth, width() - 2 * padding));
    const int maxHeight = std::max(0, std::min(maxPanelHeight, height() - 2 * padding));
    int w = maxWidth;
    int h = m_panel->hasHeightForWidth() ? m_panel->heightForWidth(w) : maxHeight;
    if (h > maxHeight && m_panel->hasHeightForWidth()) {
        // Narrower, so that the video keeps its shape: the panel's height
        // grows linearly with its width.
        const int rows = m_panel->heightForWidth(0);
        const int wide = m_panel->heightForWidth(1600) - rows;
        if (wide > 0)
            w = std::clamp(static_cast<int>((maxHeight - rows) * 1600.0 / wide), 0, maxWidth);
        h = std::min(maxHeight, m_panel->heightForWidth(w));
    }
    w = std::max(w, std::min(m_panel->minimumSizeHint().width(), width()));
    h = std::min(h, height());
    return QRect((width() - w) / 2, (height() - h) / 2, w, h);
}

void ExpandedClipOverlay::placePanel()
{
    if (m_panel)
        m_panel->setGeometry(panelGeometry());
}

void ExpandedClipOverlay::paintEvent(QPaintEvent *event)
{
    QPainter p(this);
    p.fillRect(event->rect(), QColor(0, 0, 0, 128));
    if (!m_panel)
        return;
    // A soft shadow under the panel, a little more below it than above.
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF panel = QRectF(m_panel->geometry()).translated(0, 10);
    for (int i = 1; i <= 6; ++i) {
        const qreal grow = i * 4.0;
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, 10));
        p.drawRoundedRect(panel.adjusted(-grow, -grow, grow, grow), 12 + grow, 12 + grow);
    }
}

void ExpandedClipOverlay::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    placePanel();
}

void ExpandedClipOverlay::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    if (event->button() == Qt::LeftButton && (!m_panel || !m_panel->geometry().contains(event->position().toPoint())))
        Q_EMIT pressedOutsidePanel();
}
