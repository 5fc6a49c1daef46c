#pragma once

#include <QAbstractButton>
#include <QColor>

#include <functional>

// A small on/off switch: a rounded track, filled with its "on" colour while
// on, and a white knob that sits right while on; dimmed while disabled. A
// checkable button that screen readers announce as a check box; it shows no
// text, so its accessible name says what it switches. Tab reaches it; a click
// leaves the keyboard focus where it was.
class ToggleSwitch : public QAbstractButton
{
    Q_OBJECT
public:
    using ColorSource = std::function<QColor()>;

    explicit ToggleSwitch(const QString &accessibleName, QWidget *parent = nullptr);

    // The track's colour while on, asked at every paint (the palette's
    // highlight colour unless set).
    void setOnColor(ColorSource color);
    QColor onColor() const;

    QSize sizeHint() const override { return QSize(26, 15); }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    ColorSource m_onColor;
};
