#pragma once

#include "app/widgets/ValueTextSlider.h"

#include <QWidget>

class AppSettings;
class QLabel;
class QLineEdit;

// The "Audio Triage" tab: the tag label and the percentage of the loud and
// the quiet group that the audio triage sheet starts from. Every edit is
// stored at once. The sliders offer 5 to 50 in steps of 5; a stored
// percentage outside that range shows its own number beside the slider's
// nearest end and is stored again only when the slider is moved. A stored
// number too large to show as a whole number shows the default, 15.
class AudioTriageSettingsTab : public QWidget
{
    Q_OBJECT
public:
    explicit AudioTriageSettingsTab(AppSettings &settings, QWidget *parent = nullptr);

    static constexpr int minPercent = 5;
    static constexpr int maxPercent = 50;
    static constexpr int percentStep = 5;

    // The whole percentage shown for a stored one: cut toward zero, or the
    // default when the stored number has no integer whole part.
    static int shownPercentage(double stored, double fallback);

    QLineEdit *loudLabelField() const { return m_loudLabel; }
    ValueTextSlider *loudSlider() const { return m_loudSlider; }
    QLabel *loudPercentText() const { return m_loudText; }
    QLineEdit *quietLabelField() const { return m_quietLabel; }
    ValueTextSlider *quietSlider() const { return m_quietSlider; }
    QLabel *quietPercentText() const { return m_quietText; }

private:
    void load();

    AppSettings &m_settings;
    QLineEdit *m_loudLabel = nullptr;
    ValueTextSlider *m_loudSlider = nullptr;
    QLabel *m_loudText = nullptr;
    QLineEdit *m_quietLabel = nullptr;
    ValueTextSlider *m_quietSlider = nullptr;
    QLabel *m_quietText = nullptr;
};
