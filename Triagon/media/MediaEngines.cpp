#include "media/MediaEngines.h"

#include "media/AudioScrubEngine.h"
#include "media/ScrubPlayerPool.h"
#include "media/ThumbnailGenerator.h"
#include "media/WaveformCache.h"

MediaEngines::MediaEngines(QObject *parent)
    : QObject(parent), m_thumbnailGenerator(new ThumbnailGenerator(this)), m_scrubPlayerPool(new ScrubPlayerPool(24, this)),
      m_audioScrubEngine(new AudioScrubEngine(this)), m_waveformCache(new WaveformCache(500, 3, this))
{
}

MediaEngines::~MediaEngines() = default;
