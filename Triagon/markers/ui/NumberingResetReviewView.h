#pragma once

#include "markers/MarkerDetector.h"

#include <QDialog>

#include <functional>

class AppSettings;
class ClipStore;
class NumberingResetClipPreview;
class QLabel;
class QPushButton;
class QToolButton;

// The sheet "Review numbering reset": the clips on either side of a place
// where a camera's numbering restarted, and the choice to dismiss the reset
// or to tag the clip before the marker across it. Keeps no state of its
// own: it shows the store as it is at every change, and every decision is
// the store's, undoable there.
class NumberingResetReviewView : public QDialog
{
    Q_OBJECT
public:
    static constexpr int sheetWidth = 600;

    NumberingResetReviewView(ClipStore &store, AppSettings &settings, MarkerDetector::NumberingReset reset, std::function<void()> onDismiss,
                             QWidget *parent = nullptr);

    const MarkerDetector::NumberingReset &reset() const { return m_reset; }

    // "Dismiss": records the dismissal, then closes.
    void dismissReset();
    // The tag button: links and tags; closes only when that was done.
    void tagPreviousClip();
    // Escape and the close button: closes, deciding nothing.
    void reject() override;

    // "Adds bangerx2 to C0121.MP4. You can undo this."
    static QString planText(const QString &tag, const QString &filename);

    // Parts, for tests.
    QLabel *titleLabel() const { return m_title; }
    QToolButton *closeButton() const { return m_closeButton; }
    QWidget *unavailableContent() const { return m_unavailable; }
    QPushButton *doneButton() const { return m_doneButton; }
    QWidget *reviewContent() const { return m_review; }
    NumberingResetClipPreview *beforePreview() const { return m_before; }
    NumberingResetClipPreview *afterPreview() const { return m_after; }
    QWidget *noPlanContent() const { return m_noPlan; }
    QPushButton *noPlanDismissButton() const { return m_noPlanDismiss; }
    QWidget *planContent() const { return m_plan; }
    QLabel *planLabel() const { return m_planLabel; }
    QPushButton *dismissButton() const { return m_dismissButton; }
    QPushButton *tagButton() const { return m_tagButton; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void refresh();
    void close_();

    ClipStore &m_store;
    AppSettings &m_settings;
    MarkerDetector::NumberingReset m_reset;
    std::function<void()> m_onDismiss;

    QLabel *m_title = nullptr;
    QToolButton *m_closeButton = nullptr;
    QWidget *m_unavailable = nullptr;
    QPushButton *m_doneButton = nullptr;
    QWidget *m_review = nullptr;
    QWidget *m_previews = nullptr;
    NumberingResetClipPreview *m_before = nullptr;
    NumberingResetClipPreview *m_after = nullptr;
    QWidget *m_noPlan = nullptr;
    QPushButton *m_noPlanDismiss = nullptr;
    QWidget *m_plan = nullptr;
    QLabel *m_planLabel = nullptr;
    QPushButton *m_dismissButton = nullptr;
    QPushButton *m_tagButton = nullptr;
};
