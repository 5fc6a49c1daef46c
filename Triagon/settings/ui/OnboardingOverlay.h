#pragma once

#include "settings/TourStep.h"

#include <QColor>
#include <QPointer>
#include <QWidget>

#include <optional>

class QLabel;
class QPushButton;
class QVariantAnimation;
class TourManager;
class TourStepIndicator;
class SymbolView;

// The guided tour over the main window: a dimmed backdrop over the whole of
// `host` with one card at a time in its middle. It appears (fading in, on its
// first card) when the tour manager gets an active tour and fades out when the
// tour is cleared. Clicks on the backdrop are taken and do nothing; the window
// below gets no pointer events while the tour is shown.
//
// The card: the step's picture in the brand colour, its title and text; below
// a divider "Skip" (first card) or "Back", the step capsules, and "Let's Go"
// (first card), "Next" or "Done" (last card). Keys, while it has the focus:
// Escape finishes the tour on any card, Return goes on (finishes on the last
// card), Right and Left arrows move between cards; all four are taken even
// where they change nothing. Finishing in any way records the tour as finished.
class OnboardingOverlay : public QWidget
{
    Q_OBJECT
public:
    OnboardingOverlay(TourManager &tourManager, const QColor &brandColor, QWidget *host);
    ~OnboardingOverlay() override;

    static constexpr int cardWidth = 380;

    int currentStep() const { return m_currentStep; }
    // The card shown: the active tour's step at currentStep(), or nothing
    // without a tour or with an index outside its steps.
    std::optional<TourStep> currentTourStep() const;
    // Whether the overlay is laid over the window (a tour is active); it stays
    // visible a moment longer while it fades out.
    bool isPresented() const { return m_presented; }

    void nextStep();
    void previousStep();
    // Back to the first card; records the active tour as finished and clears
    // it, which removes the overlay.
    void finishTour();
    // Moves to a card directly (tests and the step buttons use the others).
    void setCurrentStep(int step);

    QLabel *titleLabel() const { return m_title; }
    QWidget *card() const { return m_card; }
    TourStepIndicator *stepIndicator() const { return m_indicator; }
    // The picture name shown on the card.
    QString iconName() const { return m_iconName; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool event(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    bool focusNextPrevChild(bool next) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void onActiveTourChanged();
    void present();
    void dismiss();
    void refresh(bool animateStep);
    bool handlesKey(int key) const;
    int stepCount() const;

    TourManager &m_tourManager;
    QColor m_brandColor;
    QWidget *m_host;
    int m_currentStep = 0;
    bool m_presented = false;
    QPointer<QWidget> m_focusBefore;

    QWidget *m_card = nullptr;
    QWidget *m_stepContent = nullptr;
    SymbolView *m_symbol = nullptr;
    QString m_iconName;
    QLabel *m_title = nullptr;
    QLabel *m_body = nullptr;
    QPushButton *m_leading = nullptr;
    QPushButton *m_trailing = nullptr;
    TourStepIndicator *m_indicator = nullptr;
    QVariantAnimation *m_fade = nullptr;
    QVariantAnimation *m_stepFade = nullptr;
};
