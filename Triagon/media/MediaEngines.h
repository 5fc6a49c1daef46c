#pragma once

#include <QObject>

class AudioScrubEngine;
class ScrubPlayerPool;
class ThumbnailGenerator;
class WaveformCache;

// The media engines of the application: posters, scrub players, scrub sound
// and waveforms. The application makes them once; they outlive every session
// and are handed to the store and the views, which do not own them.
class MediaEngines : public QObject
{
    Q_OBJECT
public:
    explicit MediaEngines(QObject *parent = nullptr);
    ~MediaEngines() override;

    ThumbnailGenerator *thumbnailGenerator() const { return m_thumbnailGenerator; }
    ScrubPlayerPool *scrubPlayerPool() const { return m_scrubPlayerPool; }
    AudioScrubEngine *audioScrubEngine() const { return m_audioScrubEngine; }
    WaveformCache *waveformCache() const { return m_waveformCache; }

private:
    // Made in this order; the children are destroyed with the engines.
    ThumbnailGenerator *m_thumbnailGenerator;
    ScrubPlayerPool *m_scrubPlayerPool;
    AudioScrubEngine *m_audioScrubEngine;
    WaveformCache *m_waveformCache;
};
