// The expanded clip: the full player over the dimmed grid.
#include "grid/ClipGridView.h"

#include <QVBoxLayout>

void ClipGridView::expandClip(const Clip &clip)
{
    m_expandedClip = clip;
    if (m_panelFactory) {
        delete m_expandedOverlay;
        m_expandedOverlay = new QWidget(this);
        m_expandedOverlay->setAttribute(Qt::WA_StyledBackground, true);
        m_expandedOverlay->setStyleSheet(QStringLiteral("background-color: rgba(0, 0, 0, 128);"));
        m_expandedOverlay->installEventFilter(this);
        auto *layout = new QVBoxLayout(m_expandedOverlay);
        layout->setContentsMargins(48, 48, 48, 48);
        QWidget *panel = m_panelFactory(clip, m_expandedOverlay);
        if (panel) {
            panel->setMaximumSize(1000, 720);
            panel->setStyleSheet(QString());
            layout->addWidget(panel, 0, Qt::AlignCenter);
        }
        m_expandedOverlay->setGeometry(rect());
        m_expandedOverlay->show();
        m_expandedOverlay->raise();
    }
    Q_EMIT expandedClipChanged();
}

void ClipGridView::closeExpandedClip()
{
    if (!m_expandedClip)
        return;
    m_expandedClip.reset();
    if (m_expandedOverlay) {
        m_expandedOverlay->hide();
        m_expandedOverlay->deleteLater();
        m_expandedOverlay = nullptr;
    }
    Q_EMIT expandedClipChanged();
}

void ClipGridView::setExpandedPanelFactory(ExpandedPanelFactory factory)
{
    m_panelFactory = std::move(factory);
}
