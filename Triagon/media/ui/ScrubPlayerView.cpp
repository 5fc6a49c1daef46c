#include "media/ui/ScrubPlayerView.h"

#include "media/VideoPlayer.h"

#include <QPainter>
#include <QResizeEvent>

namespace {
QRectF fitted(QSizeF content, const QRectF &bounds)
{
    if (content.isEmpty())
        return {};
    content.scale(bounds.size(), Qt::KeepAspectRatio);
    return QRectF(bounds.center() - QPointF(content.width() / 2, content.height() / 2), content);
}
} // namespace

ScrubPlayerView::ScrubPlayerView(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
}

ScrubPlayerView::~ScrubPlayerView()
{
    disconnect(m_frameConnection);
    disconnect(m_readyConnection);
}

void ScrubPlayerView::setPlayer(std::shared_ptr<VideoPlayer> player)
{
    if (player == m_player)
        return;
    disconnect(m_frameConnection);
    disconnect(m_readyConnection);
    if (!player && m_player)
        setPosterVisible(true);
    m_player = std::move(player);
    if (m_player) {
        m_frameConnection = connect(m_player.get(), &VideoPlayer::frameReady, this, qOverload<>(&QWidget::update));
        m_readyConnection = connect(m_player.get(), &VideoPlayer::readyForDisplayChanged, this, [this](bool ready) {
            if (ready)
                setPosterVisible(false);
        });
        if (m_player->isReadyForDisplay())
            setPosterVisible(false);
        updateTargetSize();
    }
    update();
}

void ScrubPlayerView::setPosterImage(const QImage &poster)
{
    if (!poster.isNull()) {
        if (poster.cacheKey() == m_posterKey && !m_posterSource.isNull())
            return;
        m_posterSource = poster;
        m_posterKey = poster.cacheKey();
        // Converted once per image, not at every paint.
        m_poster = QPixmap::fromImage(poster);
        ++m_posterConversions;
    } else {
        if (m_posterSource.isNull())
            return;
        m_posterSource = QImage();
        m_posterKey = 0;
        m_poster = QPixmap();
    }
    update();
}

void ScrubPlayerView::setPosterVisible(bool visible)
{
    if (m_posterVisible == visible)
        return;
    m_posterVisible = visible;
    update();
}

void ScrubPlayerView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    updateTargetSize();
}

void ScrubPlayerView::updateTargetSize()
{
    if (m_player && !size().isEmpty())
        m_player->setTargetSize(size() * devicePixelRatioF());
}

void ScrubPlayerView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (m_player) {
        const QImage frame = m_player->currentFrame();
        if (!frame.isNull()) {
            const QSizeF shown = m_player->displaySize().isEmpty() ? QSizeF(frame.size()) : QSizeF(m_player->displaySize());
            painter.drawImage(fitted(shown, rect()), frame);
        }
    }
    if (m_posterVisible && !m_poster.isNull())
        painter.drawPixmap(fitted(m_poster.deviceIndependentSize(), rect()), m_poster, QRectF(m_poster.rect()));
}
