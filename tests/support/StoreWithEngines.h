#pragma once

#include "library/ClipStore.h"
#include "media/MediaEngines.h"

// A store with the media engines the application hands it: posters, scrub
// players and sound, as in the running application. The engines are declared
// first, so they outlive the store.
struct StoreWithEngines
{
    MediaEngines engines;
    ClipStore store;
    StoreWithEngines() { store.setMediaEngines(&engines); }
};
