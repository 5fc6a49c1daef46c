#include "grid/EngineCardMedia.h"

#include "media/AudioScrubEngine.h"
#include "media/ScrubPlayerPool.h"
#include "media/ThumbnailGenerator.h"
#include "media/VideoPlayer.h"
#include "media/WaveformCache.h"

#include <cmath>

namespace {

// A time the generator can key: a broken duration asks for the first frame.
double posterSeconds(double seconds)
{
    return std::isfinite(seconds) ? seconds : 0.0;
}

} // namespace

QImage EngineCardMedia::cachedPoster(const QUrl &url, double seconds, const QSize &size) const
{
    if (!m_engines.thumbnailGenerator)
        return QImage();
    return m_engines.thumbnailGenerator->cachedPoster(url.toLocalFile(), posterSeconds(seconds), size);
}

CardMedia::PosterTicket EngineCardMedia::requestPoster(const QUrl &url, double seconds, const QSize &size, QObject *receiver,
                                                       std::function<void(const QImage &)> done)
{
    if (!m_engines.thumbnailGenerator)
        return 0;
    return m_engines.thumbnailGenerator->thumbnail(url.toLocalFile(), posterSeconds(seconds), size, receiver, std::move(done));
}

bool EngineCardMedia::withdrawPoster(PosterTicket ticket)
{
    return ticket && m_engines.thumbnailGenerator && m_engines.thumbnailGenerator->withdraw(ticket);
}

void EngineCardMedia::requestPeaks(const QUrl &url, QObject *receiver, std::function<void(const QList<AudioPeak> &)> done)
{
    if (!m_engines.waveformCache)
        return;
    m_engines.waveformCache->peaks(url.toLocalFile(), receiver, std::move(done));
}

std::shared_ptr<VideoPlayer> EngineCardMedia::scrubPlayer(const QUrl &url)
{
    if (!m_engines.scrubPlayerPool)
        return nullptr;
    return m_engines.scrubPlayerPool->player(url.toLocalFile());
}

void EngineCardMedia::seek(const std::shared_ptr<VideoPlayer> &player, double seconds)
{
    if (!m_engines.scrubPlayerPool || !player || !std::isfinite(seconds))
        return;
    m_engines.scrubPlayerPool->seek(player, seconds);
}

void EngineCardMedia::preloadAudio(const QUrl &url)
{
    if (m_engines.audioScrubEngine)
        m_engines.audioScrubEngine->preloadBuffer(url.toLocalFile());
}

void EngineCardMedia::playSnippet(const QUrl &url, double seconds)
{
    if (m_engines.audioScrubEngine && std::isfinite(seconds))
        m_engines.audioScrubEngine->playSnippet(url.toLocalFile(), seconds);
}

void EngineCardMedia::stopSnippets()
{
    if (!m_engines.audioScrubEngine)
        return;
    m_engines.audioScrubEngine->stopPlayback();
    m_engines.audioScrubEngine->setActiveURL(QString());
}
