#pragma once

#include "markers/MarkerDetector.h"

#include <QWidget>

class QLabel;
class QSlider;
class QToolButton;
class QVBoxLayout;

// The three sliders at the top of the hand-marker results: the longest clip
// that can be a marker, the confidence that makes one and, under
// "Advanced", the edge detail that still counts as blurred. Moving a slider
// changes the sheet's detection settings at once; nothing is stored here.
class MarkerDetectionSettingsPanel : public QWidget
{
    Q_OBJECT
public:
    // Slider ranges and steps.
    static constexpr double minMaxDuration = 1.0, maxMaxDuration = 10.0, maxDurationStep = 0.5;
    static constexpr double minThreshold = 0.1, maxThreshold = 0.9, thresholdStep = 0.01;
    static constexpr double minSharpness = 500, maxSharpness = 8000, sharpnessStep = 100;

    explicit MarkerDetectionSettingsPanel(QWidget *parent = nullptr);

    // Shows the settings without announcing a change.
    void setDetection(const MarkerDetector::Settings &settings);
    const MarkerDetector::Settings &detection() const { return m_settings; }

    // "5s", "5.5s"; "30%"; "3000".
    static QString maxDurationText(double seconds);
    static QString thresholdText(double threshold);
    static QString sharpnessText(double ceiling);

    QSlider *maxDurationSlider() const { return m_maxDuration; }
    QSlider *thresholdSlider() const { return m_threshold; }
    QSlider *sharpnessSlider() const { return m_sharpness; }
    QLabel *maxDurationValue() const { return m_maxDurationValue; }
    QLabel *thresholdValue() const { return m_thresholdValue; }
    QLabel *sharpnessValue() const { return m_sharpnessValue; }
    QToolButton *advancedToggle() const { return m_advanced; }
    QWidget *advancedBody() const { return m_advancedBody; }

Q_SIGNALS:
    void detectionChanged(const MarkerDetector::Settings &settings);

private:
    QSlider *addRow(QVBoxLayout *layout, QWidget *parent, const QString &title, int minimum, int maximum, QLabel **value);
    void showValues();
    void setAdvancedExpanded(bool expanded);

    MarkerDetector::Settings m_settings;
    QSlider *m_maxDuration = nullptr;
    QSlider *m_threshold = nullptr;
    QSlider *m_sharpness = nullptr;
    QLabel *m_maxDurationValue = nullptr;
    QLabel *m_thresholdValue = nullptr;
    QLabel *m_sharpnessValue = nullptr;
    QToolButton *m_advanced = nullptr;
    QWidget *m_advancedBody = nullptr;
};
