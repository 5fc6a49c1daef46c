#pragma once

#include "markers/MarkerDetector.h"

#include <functional>
#include <optional>

class AppSettings;
class ClipStore;
class QWidget;

// Presents and closes the hand-marker sheets of a window from its state:
// the detection sheet while `showMarkerDetect` is set, the review sheet while
// a reset is to be reviewed. Each presentation is a new sheet, window-modal
// over `window`; a sheet closes itself only by calling its close action,
// which clears the window's state and so comes back here.
namespace MarkerSheets {

void present(QWidget *window, ClipStore &store, AppSettings &settings, bool showMarkerDetect, std::function<void()> closeMarkerDetect,
             const std::optional<MarkerDetector::NumberingReset> &resetToReview, std::function<void()> closeReview);

} // namespace MarkerSheets
