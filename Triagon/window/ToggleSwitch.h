#pragma once

#include <QAbstractButton>

#include <functional>

// A small on/off switch: a rounded track, filled with the accent while on,
// and a white knob that sits right while on. Checkable; its label is only its
// accessible name.
class ToggleSwitch : public QAbstractButton
{
    Q_OBJECT
public:
    explicit ToggleSwitch(const QString &accessibleName, QWidget *parent = nullptr);

    QSize sizeHint() const override { return QSize(26, 15); }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;
};
