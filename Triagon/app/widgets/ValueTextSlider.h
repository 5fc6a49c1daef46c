#pragma once

#include <QSlider>
#include <QString>

#include <functional>

// A horizontal slider whose value assistive technologies read as a text of
// its own ("3 columns", "Top 15 percent", "2.5s") rather than as the slider's
// internal step. The text is asked for at each reading, and also given as the
// slider's description (the bridge to Linux screen readers passes numbers
// only as values); refreshValueText() tells a screen reader that it changed
// without the position moving. A slider whose steps stand for other numbers
// (steps of 5 percent, of half seconds) reports those numbers as its value.
class ValueTextSlider : public QSlider
{
    Q_OBJECT
public:
    using ValueText = std::function<QString()>;

    explicit ValueTextSlider(QWidget *parent = nullptr);

    void setValueText(ValueText text);
    // The text read as the value; the plain number without a text of its own.
    QString valueText() const;
    // Tells assistive technologies that the value text changed.
    void refreshValueText();

    // What one step of the slider is worth (1 unless set): the value, range
    // and step reported to assistive technologies are the slider's times it.
    void setValueScale(double scale) { m_scale = scale; }
    double valueScale() const { return m_scale; }

private:
    ValueText m_valueText;
    double m_scale = 1;
};
