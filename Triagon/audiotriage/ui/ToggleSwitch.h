#pragma once

#include <QCheckBox>

#include <functional>

// A small on/off switch: a pill with a sliding knob, filled with the given
// colour while on. It is a check box underneath (keyboard, accessibility).
class ToggleSwitch : public QCheckBox
{
    Q_OBJECT
public:
    explicit ToggleSwitch(std::function<QColor()> onColor, QWidget *parent = nullptr);

    QSize sizeHint() const override { return {26, 16}; }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;
    bool hitButton(const QPoint &pos) const override { return rect().contains(pos); }

private:
    std::function<QColor()> m_onColor;
};
