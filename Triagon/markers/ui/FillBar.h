#pragma once

#include <QColor>
#include <QWidget>

// A thin capsule filled from the left to a fraction of its width, over a
// faint track: the confidence and measure bars of the hand-marker results.
class FillBar : public QWidget
{
    Q_OBJECT
public:
    FillBar(QSize size, QWidget *parent = nullptr);

    // Clamped to 0…1; a value that is not a number is 0.
    void setFraction(double fraction);
    double fraction() const { return m_fraction; }
    void setColors(const QColor &fill, const QColor &track);
    QColor fillColor() const { return m_fill; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    double m_fraction = 0;
    QColor m_fill;
    QColor m_track;
};
