#pragma once

class AudioScrubEngine;
class ScrubPlayerPool;
class ThumbnailGenerator;
class WaveformCache;

// The session's shared media engines, as the grid hands them to its cards.
// Any of them may be null: a card then lacks that picture or sound.
struct GridEngines
{
    ThumbnailGenerator *thumbnailGenerator = nullptr;
    ScrubPlayerPool *scrubPlayerPool = nullptr;
    AudioScrubEngine *audioScrubEngine = nullptr;
    WaveformCache *waveformCache = nullptr;
};
