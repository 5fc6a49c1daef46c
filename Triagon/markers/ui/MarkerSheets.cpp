#include "markers/ui/MarkerSheets.h"

#include "markers/ui/MarkerDetectView.h"
#include "markers/ui/NumberingResetReviewView.h"

#include <QWidget>

namespace MarkerSheets {

namespace {

// Hides a sheet, cuts it loose from the window (so that it is no longer
// found as the window's sheet) and deletes it once its caller has returned.
void retire(QDialog *sheet)
{
    sheet->hide();
    sheet->setParent(nullptr);
    sheet->deleteLater();
}

void show(QDialog *sheet)
{
    sheet->setWindowModality(Qt::WindowModal);
    sheet->show();
    sheet->raise();
    sheet->activateWindow();
}

} // namespace

void present(QWidget *window, ClipStore &store, AppSettings &settings, bool showMarkerDetect, std::function<void()> closeMarkerDetect,
             const std::optional<MarkerDetector::NumberingReset> &resetToReview, std::function<void()> closeReview)
{
    auto *detect = window->findChild<MarkerDetectView *>(QString(), Qt::FindDirectChildrenOnly);
    if (showMarkerDetect && !detect)
        show(new MarkerDetectView(store, settings, std::move(closeMarkerDetect), window));
    else if (!showMarkerDetect && detect)
        retire(detect);

    auto *review = window->findChild<NumberingResetReviewView *>(QString(), Qt::FindDirectChildrenOnly);
    if (review && (!resetToReview || review->reset() != *resetToReview)) {
        retire(review);
        review = nullptr;
    }
    if (resetToReview && !review)
        show(new NumberingResetReviewView(store, settings, *resetToReview, std::move(closeReview), window));
}

} // namespace MarkerSheets
