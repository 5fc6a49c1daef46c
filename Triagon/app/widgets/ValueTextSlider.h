#pragma once

#include <QSlider>
#include <QString>

#include <functional>

// A horizontal slider whose value assistive technologies read as a text of
// its own ("3 columns", "Top 15 percent", "2.5s") rather than as the slider's
// internal step. The text is asked for at each reading; refreshValueText()
// tells a screen reader that it changed without the position moving.
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

private:
    ValueText m_valueText;
};
