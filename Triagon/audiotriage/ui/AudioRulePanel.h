#pragma once

#include "audiotriage/AudioTriageRule.h"

#include <QWidget>

#include <functional>

class QAbstractButton;
class QLabel;
class QLineEdit;
class QSlider;
class QVariantAnimation;
class SymbolView;
class ToggleSwitch;

// The panel of one audio triage rule: a header with the rule's symbol, title,
// description and on/off switch, and while the rule is on its tag label,
// mode picker, slider (percentage or threshold) and the number of clips the
// rule chooses. It edits the rule it is given in place and says so with
// ruleChanged(); the sheet tells it the count.
class AudioRulePanel : public QWidget
{
    Q_OBJECT
public:
    // What tells the two panels apart.
    struct Look
    {
        QString title;
        QString symbol; // a SymbolCatalog name
        QString description;
        std::function<QColor()> color; // the rule colour, asked for at each use
        QString sideWord;              // "Top" / "Bottom"
        QString thresholdCaption;      // "Peak RMS >" / "Peak RMS <"
    };
    static Look loudLook(std::function<QColor()> themeColor);
    static Look quietLook();

    AudioRulePanel(Look look, AudioTriageRule &rule, QWidget *parent = nullptr);

    const Look &look() const { return m_look; }
    // Shows the rule's count: the number and "clip" (for 1) or "clips".
    void setCount(qsizetype count);
    // Shows the rule's fields again (after the sheet changed them); the
    // controls are set without writing back, so a value outside a slider's
    // range stays as it is.
    void refresh();
    // Repaints what takes the rule colour.
    void refreshColors();

    // The controls, for the keyboard and for tests.
    ToggleSwitch *enabledSwitch() const { return m_switch; }
    QLineEdit *labelField() const { return m_labelField; }
    QAbstractButton *modeButton(AudioTriageRule::SelectionMode mode) const;
    QSlider *percentageSlider() const { return m_percentageSlider; }
    QSlider *thresholdSlider() const { return m_thresholdSlider; }
    QLabel *percentageText() const { return m_percentageText; }
    QLabel *thresholdText() const { return m_thresholdText; }
    QLabel *countNumber() const { return m_countNumber; }
    QLabel *countWord() const { return m_countWord; }
    // The rows shown only while the rule is on.
    QWidget *body() const { return m_body; }

    // Whether a label can be applied: blank (it tags nothing) or a valid tag
    // name. The panel shows the rule under the field while it is not.
    static bool isUsableLabel(const QString &label);
    bool hasUsableLabel() const;
    static QString labelRuleText() { return QStringLiteral("Names cannot contain slashes, colons, or control characters."); }

    // "15%" for 15.0 (the fraction is dropped), "0.25" for a threshold.
    static QString percentText(double percentage);
    static QString thresholdText(double threshold);

Q_SIGNALS:
    void ruleChanged();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QWidget *buildBody();
    void setEnabledRule(bool on);
    void setMode(AudioTriageRule::SelectionMode mode);
    void showValues();
    void showLabelNotice();
    QColor ruleColor() const { return m_look.color(); }

    Look m_look;
    AudioTriageRule &m_rule;
    qreal m_tint = 0; // 0 off, 1 on: the background's share of the rule colour
    QVariantAnimation *m_tintAnimation = nullptr;
    SymbolView *m_symbol = nullptr;
    ToggleSwitch *m_switch = nullptr;
    QWidget *m_body = nullptr;
    QLineEdit *m_labelField = nullptr;
    QLabel *m_labelNotice = nullptr;
    QAbstractButton *m_percentageMode = nullptr;
    QAbstractButton *m_thresholdMode = nullptr;
    QWidget *m_percentageRow = nullptr;
    QWidget *m_thresholdRow = nullptr;
    QSlider *m_percentageSlider = nullptr;
    QSlider *m_thresholdSlider = nullptr;
    QLabel *m_percentageText = nullptr;
    QLabel *m_thresholdText = nullptr;
    QLabel *m_countNumber = nullptr;
    QLabel *m_countWord = nullptr;
};
