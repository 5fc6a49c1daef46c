#include "library/ClipViewState.h"

bool ClipViewState::hasActiveFilters() const
{
    return filterRating > 0 || filterTag.has_value() || filterHandMarkers || hideUntouched;
}

bool ClipViewState::shows(const Clip &clip) const
{
    if (hideUntouched && isUntouched(clip))
        return false;
    if (filterRating > 0 && clip.rating != filterRating)
        return false;
    if (filterTag && !clip.tags.contains(*filterTag))
        return false;
    if (filterHandMarkers && !(clip.markerFlag && clip.markerFlag->isMarker()))
        return false;
    return true;
}

bool ClipViewState::isUntouched(const Clip &clip)
{
    return clip.rating < 1 && clip.tags.isEmpty() && !clip.markerFlag && clip.filename == clip.urlFileName();
}
