// The media probe over mutated media bytes, read from memory through
// FFmpeg's custom I/O, so nothing touches the disk.
#include "FuzzSupport.h"

#include "media/MediaProbe.h"

#include <cmath>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    fuzz::initialize(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const ProbeResult result = MediaProbe::probeBytes(fuzz::bytes(data, size));
    if (!std::isfinite(result.duration) || result.duration < 0)
        fuzz::fail("the probe gave a duration that is not a finite, non-negative number");
    if (!std::isfinite(result.frameRate) || result.frameRate < 0)
        fuzz::fail("the probe gave a frame rate that is not a finite, non-negative number");
    if (result.width < 0 || result.height < 0)
        fuzz::fail("the probe gave a negative size");
    return 0;
}
