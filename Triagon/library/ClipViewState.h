#pragma once

#include "library/model/Clip.h"
#include "library/model/GroupMode.h"
#include "library/model/SortOrder.h"

#include <QSet>
#include <QString>
#include <QUuid>

#include <optional>

// The grid's choices and the shared view state the clip store keeps: filter,
// sort and group, columns, the hovered and selected clips, the open tag
// picker, the clip being renamed and the clip to open. Plain values; the
// store assigns them and sends the notifications.
struct ClipViewState
{
    SortOrder sortOrder = SortOrder::name;
    // 0: no rating filter; 1 to 5: only clips with exactly this rating.
    qint64 filterRating = 0;
    std::optional<QString> filterTag;
    bool filterHandMarkers = false;
    bool hideUntouched = false;
    qint64 gridColumns = 3;
    GroupMode groupMode = GroupMode::none;

    std::optional<QUuid> showTagPickerForClipID;
    std::optional<QUuid> hoveredClipID;
    QSet<QUuid> selectedClipIDs;
    std::optional<Clip> clipToOpen;
    std::optional<QUuid> renamingClipID;

    // A rating, tag, hand-marker or untouched filter is on.
    bool hasActiveFilters() const;
    // The filters let the clip through.
    bool shows(const Clip &clip) const;
    // True when the clip was never touched: unrated, untagged, unflagged and
    // still named after its file. hideUntouched hides such clips.
    static bool isUntouched(const Clip &clip);
};
