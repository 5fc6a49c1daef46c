#include "markers/ui/CandidateThumbnail.h"

#include "library/ClipImporter.h"
#include "markers/ui/MarkerUiStyle.h"
#include "media/ThumbnailGenerator.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>

CandidateThumbnail::CandidateThumbnail(const Clip &clip, ThumbnailGenerator *generator, QWidget *parent)
    : QWidget(parent), m_clip(clip), m_generator(generator)
{
    setFixedSize(displaySize);
}

double CandidateThumbnail::posterTime(const Clip &clip)
{
    const double t = clip.duration * ClipImporter::prewarmPosterTimeFraction;
    return std::isfinite(t) && t > 0 ? t : 0.0;
}

QString CandidateThumbnail::posterKey(const Clip &clip)
{
    return ThumbnailGenerator::posterKey(clip.path(), posterTime(clip), ClipImporter::prewarmPosterSize);
}

QImage CandidateThumbnail::shownImage() const
{
    if (!m_image.isNull() || !m_generator)
        return m_image;
    return m_generator->cachedPoster(m_clip.path(), posterTime(m_clip), ClipImporter::prewarmPosterSize);
}

void CandidateThumbnail::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    load();
}

void CandidateThumbnail::load()
{
    if (m_requested || !m_image.isNull() || !m_generator)
        return;
    m_requested = true;
    m_generator->thumbnail(m_clip.path(), posterTime(m_clip), ClipImporter::prewarmPosterSize, this, [this](const QImage &poster) {
        if (poster.isNull())
            return;
        m_image = poster;
        update();
    });
}

void CandidateThumbnail::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    QPainterPath clip;
    clip.addRoundedRect(QRectF(rect()), 4, 4);
    painter.setClipPath(clip);
    const QImage shown = shownImage();
    if (shown.isNull()) {
        painter.fillRect(rect(), MarkerUiStyle::secondary(this, 0.2));
        return;
    }
    // Fills the frame, keeping the aspect ratio; the overflow is cut off.
    QSizeF size = shown.size();
    size.scale(QSizeF(this->size()), Qt::KeepAspectRatioByExpanding);
    const QRectF target(QPointF(width() - size.width(), height() - size.height()) / 2, size);
    painter.drawImage(target, shown);
}
