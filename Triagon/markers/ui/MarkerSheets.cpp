#include "markers/ui/MarkerSheets.h"

#include "app/widgets/SheetPresenter.h"
#include "markers/ui/MarkerDetectView.h"
#include "markers/ui/NumberingResetReviewView.h"

namespace MarkerSheets {

void present(QWidget *window, ClipStore &store, AppSettings &settings, bool showMarkerDetect, std::function<void()> closeMarkerDetect,
             const std::optional<MarkerDetector::NumberingReset> &resetToReview, std::function<void()> closeReview)
{
    SheetPresenter::present<MarkerDetectView>(window, showMarkerDetect, [&] {
        return new MarkerDetectView(store, settings, std::move(closeMarkerDetect), window);
    });
    // Another reset to review replaces the sheet.
    SheetPresenter::present<NumberingResetReviewView>(
        window, resetToReview.has_value(),
        [&] { return new NumberingResetReviewView(store, settings, *resetToReview, std::move(closeReview), window); },
        [&](const NumberingResetReviewView *review) { return review->reset() == *resetToReview; });
}

} // namespace MarkerSheets
