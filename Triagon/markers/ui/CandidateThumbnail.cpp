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
    return ThumbnailGenerator::posterCacheKey(clip.url, posterTime(clip), ClipImporter::prewarmPosterSize.width());
}

QImage CandidateThumbnail::shownImage() const
{
    if (!m_image.isNull() || !m_generator)
        return m_image;
    return m_generator->posterCache().object(posterKey(m_clip));
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
    const double seconds = posterTime(m_clip);
    const QString key = posterKey(m_clip);
    QPointer<ThumbnailGenerator> generator = m_generator;
    m_generator->thumbnail(m_clip.path(), seconds, ClipImporter::prewarmPosterSize, this, [this, generator, key](const QImage &poster) {
        if (poster.isNull())
            return;
        if (generator)
            generator->posterCache().insert(key, poster);
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
