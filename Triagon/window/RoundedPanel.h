#pragma once

#include <QColor>
#include <QWidget>

// A container drawn as a rounded rectangle with a fill and a hairline border
// inside its edge.
class RoundedPanel : public QWidget
{
    Q_OBJECT
public:
    RoundedPanel(qreal radius, const QColor &fill, const QColor &border, QWidget *parent = nullptr);

    void setColors(const QColor &fill, const QColor &border);
    QColor fill() const { return m_fill; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    qreal m_radius;
    QColor m_fill;
    QColor m_border;
};
